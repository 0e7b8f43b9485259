// values/series/block_sort_text.cpp: the sort of a block of strings by their own order, on keys made once.
//
// Comparing two strings through the general comparison finds both buffers anew every time; here
// each string's characters are found once, then the same sort runs over the keys with the same
// comparisons, so the order is the one the general road gives.
#include "values/series/block_sort_text.hpp"

#include <vector>

#include "core/text/casefold.hpp"
#include "core/sort.hpp"
#include "core/text/unicode.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::block {
namespace {

struct TextKey {
  const uint8_t* at;
  uint32_t unit;
  int32_t length;
  Cell cell;
};
static_assert(sizeof(TextKey) % 4 == 0);

inline uint32_t char_at(const TextKey& k, int32_t i) {
  switch (k.unit) {
    case 1: return k.at[i];
    case 2: return reinterpret_cast<const uint16_t*>(k.at)[i];
    default: return reinterpret_cast<const uint32_t*>(k.at)[i];
  }
}

inline uint32_t folded(uint32_t c) {
  if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 0x20 : c;
  return casefold::to_upper(c);
}

// The order of two strings as the general comparison gives it for sorting: characters pairwise
// (folded unless the case counts), then the shorter first.
int compare_keys(const uint8_t* a, const uint8_t* b, intptr_t op, intptr_t reverse) {
  const TextKey* x = reinterpret_cast<const TextKey*>(a);
  const TextKey* y = reinterpret_cast<const TextKey*>(b);
  if (reverse) std::swap(x, y);
  if (x->length == 0) return y->length == 0 ? 0 : -1;
  if (y->length == 0) return 1;
  int32_t n = x->length < y->length ? x->length : y->length;
  bool fold = op != cmp::case_sort;
  for (int32_t i = 0; i < n; ++i) {
    uint32_t c = char_at(*x, i), d = char_at(*y, i);
    if (c == d) continue;
    if (fold) {
      c = folded(c);
      d = folded(d);
      if (c == d) continue;
    }
    return c < d ? -1 : 1;
  }
  return x->length < y->length ? -1 : x->length > y->length ? 1 : 0;
}

}  // namespace

bool sort_strings(const Cell& series, int32_t head, uint32_t n, bool case_sort, bool reverse, bool stable) {
  Cell* cells = block::cells(series) + head;
  for (uint32_t i = 0; i < n; ++i)
    if (!cells[i].is(Type::string)) return false;
  std::vector<TextKey> keys(n);
  for (uint32_t i = 0; i < n; ++i) {
    Cell c = cells[i];
    keys[i].cell = c;
    keys[i].at = string::vs_head(c);
    keys[i].unit = unicode::checked_unit(buffer_of(series_node(c)));
    keys[i].length = string::length(c);
  }
  sort::Records records{0, 0, reinterpret_cast<uint8_t*>(keys.data()), false};
  intptr_t op = case_sort ? cmp::case_sort : cmp::sort;
  if (stable) sort::merge(records, n, sizeof(TextKey), op, reverse, compare_keys);
  else sort::quick(records, n, sizeof(TextKey), op, reverse, compare_keys);
  cells = block::cells(series) + head;
  for (uint32_t i = 0; i < n; ++i) cells[i] = keys[i].cell;
  return true;
}

}  // namespace vyn::block
