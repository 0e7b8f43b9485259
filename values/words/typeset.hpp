// values/words/typeset.hpp: typeset!, a set of datatypes in 96 bits (payload words 1-3 read as 12 bytes:
// the type with id i is in the set when bit 0x80 >> (i & 7) of byte i >> 3 is set).
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::typeset {

inline bool has(const Cell& ts, Type t) {
  int i = static_cast<int>(t);
  const uint8_t* bits = reinterpret_cast<const uint8_t*>(&ts.w1);
  return bits[i >> 3] & (0x80 >> (i & 7));
}
inline void add(Cell& ts, Type t) {
  int i = static_cast<int>(t);
  reinterpret_cast<uint8_t*>(&ts.w1)[i >> 3] |= static_cast<uint8_t>(0x80 >> (i & 7));
}
inline Cell make_empty() { return make_cell(Type::typeset); }
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
