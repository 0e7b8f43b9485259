// values/words/symbol.hpp: the one symbol table: every word spelling interned once, known by its id.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/cell.hpp"
#include "core/hashtable_symbols.hpp"
#include "core/word_cell.hpp"

namespace vyn::symbol {

// Makes the table with room for n symbols; called once at start-up. table() and resolve(), which
// the hashing of words needs, live in core (core/hashtable_symbols.hpp).
void init(int32_t n);

// The id of a UTF-8 spelling, interning it when absent. A spelling that differs from an earlier
// one only in the case of ASCII letters is a new symbol whose alias is the earlier one. May
// allocate; the bytes must not lie in a movable buffer.
uint32_t make(std::string_view utf8);
inline uint32_t make_from_buffer(const uint8_t* bytes, uint32_t n) {
  return make(std::string_view(reinterpret_cast<const char*>(bytes), n));
}
// Interns with ASCII case folded only: any case variant present answers its id.
uint32_t make_alt(std::string_view utf8);
// A string! value's text, interned.
uint32_t make_from_string(const Cell& str);

// The entry cell (its payload read through core/word_cell.hpp): alias, the string! spelling made on
// demand, the UTF-8 spelling. Good until the next allocation.
Cell* entry(uint32_t id);
int32_t alias_of(uint32_t id);
// The UTF-8 spelling; good until the next allocation.
std::string_view spelling(uint32_t id);
// The node of the spelling as a string!, made on first use. May allocate.
NodeId ensure_string(uint32_t id);
int32_t count();
// The spellings of two symbols compared as text: letter case folded (full tables) but for the
// strict and case-sensitive codes. Answers -1, 0 or 1. Never allocates.
int compare_spellings(uint32_t a, uint32_t b, int op);

void install();  // symbol!'s action entries

}  // namespace vyn::symbol
