// core/sort.hpp: the two in-place sorts of fixed-size records behind block and string sorting.
//
// The sorts know nothing of values: a callback orders two records. Records may lie in a series
// buffer, which moves whenever the callback allocates (a language-level comparator runs the
// interpreter), so the sorts reach them by record index and re-derive the buffer's address after
// every comparison; the callback itself must not keep its record addresses across an allocation.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::sort {

// Where the records are: a series buffer known by node (its data from byte offset on), or, with
// node 0, fixed memory that never moves.
struct Records {
  NodeId node = 0;
  uint32_t offset = 0;
  uint8_t* fixed = nullptr;
  // The records hold cells: the stable sort's scratch area is then a block the collector marks,
  // since a record may live only there while a language comparator runs.
  bool cells = false;
};

// Answers < 0 when a sorts before b, 0 when they are equal, > 0 when a sorts after b; only the
// sign counts. w1 and w2 are the caller's two words, passed through untouched.
using Compare = int (*)(const uint8_t* a, const uint8_t* b, intptr_t w1, intptr_t w2);

// Exchanges two records of size bytes, four bytes at a time, or byte by byte when bytewise.
void swap(uint8_t* a, uint8_t* b, uint32_t size, bool bytewise);

// Not stable; allocates nothing.
void quick(const Records& records, uint32_t n, uint32_t size, intptr_t w1, intptr_t w2, Compare compare);
// Stable natural merge sort; one scratch area of n/2 records. A size that overflows 32 bits
// raises script/too-long. When the callback raises, every record is back in the range (the order
// is then unspecified), none lost or doubled.
void merge(const Records& records, uint32_t n, uint32_t size, intptr_t w1, intptr_t w2, Compare compare);

// Calls a language function with two arguments and answers its result; the sort/compare
// callback of blocks and strings. The three cells are on the value stack. An exit (break, return,
// throw ...) under way in the function travels out as Exit (core/flow.hpp, to_exception). The
// interpreter fills this in; until then it raises internal/not-done.
extern Cell (*call_comparator)(Cell* function, Cell* first, Cell* second);

}  // namespace vyn::sort
