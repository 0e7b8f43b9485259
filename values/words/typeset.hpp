// values/words/typeset.hpp: typeset!, a set of datatypes in 96 bits (payload words 1-3 read as 12 bytes:
// the type with id i is in the set when bit 0x80 >> (i & 7) of byte i >> 3 is set).
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::typeset {

// The bits as three 32-bit words (payload words 1-3, in order), or as their 12 bytes.
inline constexpr int bit_words = 3;
inline uint32_t* bits(Cell& ts) { return &ts.w1; }
inline const uint32_t* bits(const Cell& ts) { return &ts.w1; }
inline uint8_t* bytes(Cell& ts) { return reinterpret_cast<uint8_t*>(&ts.w1); }
inline const uint8_t* bytes(const Cell& ts) { return reinterpret_cast<const uint8_t*>(&ts.w1); }

inline bool has(const Cell& ts, Type t) {
  int i = static_cast<int>(t);
  return bytes(ts)[i >> 3] & (0x80 >> (i & 7));
}
inline void add(Cell& ts, Type t) {
  int i = static_cast<int>(t);
  bytes(ts)[i >> 3] |= static_cast<uint8_t>(0x80 >> (i & 7));
}
// Adds every member of other.
inline void merge(Cell& ts, const Cell& other) {
  for (int i = 0; i < bit_words; ++i) bits(ts)[i] |= bits(other)[i];
}
inline bool same_bits(const Cell& a, const Cell& b) {
  return bits(a)[0] == bits(b)[0] && bits(a)[1] == bits(b)[1] && bits(a)[2] == bits(b)[2];
}
inline Cell make_empty() { return make_cell(Type::typeset); }
inline Cell make_from_bits(uint32_t w1, uint32_t w2, uint32_t w3) { return make_cell(Type::typeset, w1, w2, w3); }

// Every type but unset!: the types an argument accepts when its spec names none.
Cell make_default();

void clear_bits(Cell& ts);
void make_in(Cell block, uint32_t w1, uint32_t w2, uint32_t w3);
void make_in_default(Cell block);
Cell* push(const Cell& ts);
// A typeset from a spec's values: words by their values, datatypes and typesets; nested blocks
// skipped; anything else raises script/invalid-type-spec.
void make_in_from_spec(Cell block, Cell spec);
// Adds a word's value, a typeset or a datatype; anything else raises script/invalid-arg.
void set_type(Cell& ts, const Cell& value);
// Appends the word of each member type's name, in id order.
void to_block(const Cell& ts, Cell block);
// Combines the call's two arguments into its result slot (or, and, xor and the set operations).
void do_bitwise(int op);

void install();

}  // namespace vyn::typeset
