// values/series/block_sort_text.cpp: the sort of a block of strings by their own order, on keys made once.
//
// Comparing two strings through the general comparison finds both buffers anew every time; here
// each string's characters are found once, then the same sort runs over the keys with the same
// comparisons, so the order is the one the general road gives. The keys are small (address,
// length, unit and the string's place in the block) and the comparison is inlined into the sort.
// A key also holds its string's first eight characters, folded, when they are all ASCII: most
// comparisons end there, without reading the strings themselves.
#include "values/series/block_sort_text.hpp"

#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "core/compare_ops.hpp"
#include "core/sort.hpp"
#include "core/sort_quick.hpp"
#include "core/text/casefold.hpp"
#include "core/text/unicode.hpp"
#include "values/series/block.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::block {
namespace {

constexpr uint32_t index_bits = 30;  // the rest of Key::tag is the unit's shift (0, 1 or 2)
constexpr uint32_t index_mask = (1u << index_bits) - 1;

struct Key {
  const uint8_t* at;
  uint32_t length;
  uint32_t tag;
  // The first eight characters (fewer for a shorter string, then zero bytes), folded unless the
  // case counts, first character in the highest byte; 0 when one of them is not ASCII.
  uint64_t prefix;
  uint32_t shift() const { return tag >> index_bits; }
  uint32_t index() const { return tag & index_mask; }
};
static_assert(sizeof(Key) == 24);

inline uint32_t char_at(const Key& k, uint32_t i) {
  switch (k.shift()) {
    case 0: return k.at[i];
    case 1: return reinterpret_cast<const uint16_t*>(k.at)[i];
    default: return reinterpret_cast<const uint32_t*>(k.at)[i];
  }
}

inline uint32_t folded(uint32_t c) {
  if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 0x20 : c;
  return casefold::to_upper(c);
}

// folded() of every one-byte character.
const std::array<uint32_t, 256>& byte_folds() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t c = 0; c < 256; ++c) t[c] = folded(c);
    return t;
  }();
  return table;
}

inline uint64_t word_at(const uint8_t* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// The first n characters of two one-byte strings, pairwise: equal runs are skipped eight at a time.
int compare_bytes(const uint8_t* a, const uint8_t* b, uint32_t n, bool fold) {
  const std::array<uint32_t, 256>& folds = byte_folds();
  for (uint32_t i = 0;; ++i) {
    while (i + 8 <= n && word_at(a + i) == word_at(b + i)) i += 8;
    while (i < n && a[i] == b[i]) ++i;
    if (i == n) return 0;
    uint32_t c = a[i], d = b[i];
    if (fold) {
      c = folds[c];
      d = folds[d];
      if (c == d) continue;
    }
    return c < d ? -1 : 1;
  }
}

int compare_chars(const Key& x, const Key& y, uint32_t n, bool fold) {
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t c = char_at(x, i), d = char_at(y, i);
    if (c == d) continue;
    if (fold) {
      c = folded(c);
      d = folded(d);
      if (c == d) continue;
    }
    return c < d ? -1 : 1;
  }
  return 0;
}

// The order of two strings as the general comparison gives it for sorting: characters pairwise
// (folded unless the case counts), then the shorter first. Two prefixes that differ decide it:
// where they first differ either both strings have a character, or the shorter one has ended
// (a zero byte against a character that is not zero); equal prefixes decide nothing, since a zero
// byte may be a character.
inline int compare_keys(const Key& x, const Key& y, bool fold) {
  if (x.prefix != y.prefix && x.prefix && y.prefix) return x.prefix < y.prefix ? -1 : 1;
  if (x.length == 0) return y.length == 0 ? 0 : -1;
  if (y.length == 0) return 1;
  uint32_t n = x.length < y.length ? x.length : y.length;
  int c = (x.tag | y.tag) >> index_bits == 0 ? compare_bytes(x.at, y.at, n, fold) : compare_chars(x, y, n, fold);
  if (c) return c;
  return x.length < y.length ? -1 : x.length > y.length ? 1 : 0;
}

// The stable sort's callback: w1 is the comparison (fold unless cmp::case_sort), w2 reverses.
int compare_records(const uint8_t* a, const uint8_t* b, intptr_t op, intptr_t reverse) {
  const Key* x = reinterpret_cast<const Key*>(a);
  const Key* y = reinterpret_cast<const Key*>(b);
  if (reverse) std::swap(x, y);
  return compare_keys(*x, *y, op != cmp::case_sort);
}

// The default sort's view of the keys: they never move, and the comparison is inlined.
struct KeyView {
  Key* keys;
  bool fold;
  bool reversed;
  int compare(uint32_t i, uint32_t j) const {
    return reversed ? compare_keys(keys[j], keys[i], fold) : compare_keys(keys[i], keys[j], fold);
  }
  void swap(uint32_t i, uint32_t j) { std::swap(keys[i], keys[j]); }
  void reverse(uint32_t lo, uint32_t hi) {  // [lo, hi)
    while (hi > lo + 1) swap(lo++, --hi);
  }
};

uint32_t shift_of(uint32_t unit) { return unit == 1 ? 0 : unit == 2 ? 1 : 2; }

uint64_t prefix_of(const Key& k, bool fold) {
  uint32_t n = k.length < 8 ? k.length : 8;
  uint64_t p = 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t c = char_at(k, i);
    if (c >= 0x80) return 0;
    p |= uint64_t{fold ? folded(c) : c} << (56 - 8 * i);
  }
  return p;
}

}  // namespace

bool sort_strings(const Cell& series, int32_t head, uint32_t n, bool case_sort, bool reverse, bool stable) {
  if (n > index_mask) return false;
  Cell* cells = block::cells(series) + head;
  for (uint32_t i = 0; i < n; ++i)
    if (!cells[i].is(Type::string)) return false;
  if (n <= 1) return true;
  std::vector<Cell> strings(cells, cells + n);
  std::vector<Key> keys(n);
  for (uint32_t i = 0; i < n; ++i) {
    Cell& c = strings[i];
    uint32_t unit = unicode::checked_unit(buffer_of(series_node(c)));
    keys[i] = {string::vs_head(c), static_cast<uint32_t>(string::length(c)), i | shift_of(unit) << index_bits, 0};
    keys[i].prefix = prefix_of(keys[i], !case_sort);
  }
  intptr_t op = case_sort ? cmp::case_sort : cmp::sort;
  if (stable) {
    sort::Records records{0, 0, reinterpret_cast<uint8_t*>(keys.data()), false};
    sort::merge(records, n, sizeof(Key), op, reverse, compare_records);
  } else {
    KeyView view{keys.data(), !case_sort, reverse};
    sort::quick_view(view, n);
  }
  cells = block::cells(series) + head;
  for (uint32_t i = 0; i < n; ++i) cells[i] = strings[keys[i].index()];
  return true;
}

}  // namespace vyn::block
