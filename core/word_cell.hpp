// core/word_cell.hpp: the payload of word cells and of symbol-table entries, read and made here
// only, by core's symbol table and hashing and by the word family (values/words/word.hpp).
//
// A word cell (word!, set-word!, get-word!, lit-word!, refinement!, issue!): w1 the node of the
// context it is bound to (0 unbound), w2 its symbol id, w3 its slot index in that context, or -1
// until looked up.
//
// A symbol-table entry is a symbol! cell: w1 the id of its canonical case variant (-1 when it is
// canonical itself), w2 the node of its spelling as a string! (made on demand, 0 until then), w3 the
// node of its UTF-8 spelling.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::word {

inline NodeId context(const Cell& w) { return w.w1; }
inline uint32_t symbol(const Cell& w) { return w.w2; }
inline int32_t index(const Cell& w) { return static_cast<int32_t>(w.w3); }
inline void set_context(Cell& w, NodeId ctx) { w.w1 = ctx; }
inline void set_symbol(Cell& w, uint32_t symbol) { w.w2 = symbol; }
inline void set_index(Cell& w, int32_t index) { w.w3 = static_cast<uint32_t>(index); }
// Bound to slot index of ctx.
inline void bind(Cell& w, NodeId ctx, int32_t index) {
  w.w1 = ctx;
  w.w3 = static_cast<uint32_t>(index);
}
// A word cell of the type: unbound, its index not looked up, unless given.
inline Cell make(Type t, uint32_t symbol, NodeId ctx = 0, int32_t index = -1) {
  return make_cell(t, ctx, symbol, static_cast<uint32_t>(index));
}

}  // namespace vyn::word

namespace vyn::symbol {

inline int32_t entry_alias(const Cell& e) { return static_cast<int32_t>(e.w1); }
inline NodeId entry_string(const Cell& e) { return e.w2; }
inline NodeId entry_utf8(const Cell& e) { return e.w3; }
inline void set_entry_string(Cell& e, NodeId string) { e.w2 = string; }
inline Cell make_entry(int32_t alias, NodeId utf8) {
  return make_cell(Type::symbol, static_cast<uint32_t>(alias), 0, utf8);
}

}  // namespace vyn::symbol
