// values/series/block_sort_text.cpp: the sort of a block of strings by their own order, on keys made once.
//
// Comparing two strings through the general comparison finds both buffers anew every time; here
// each string gets a small key once (length, unit, place in the block, and its first eight
// characters folded when they are all ASCII), then the same sort runs over the keys with the same
// comparisons, inlined, so the order is the one the general road gives. Most comparisons end at
// the prefixes, without reading the strings themselves.
//
// When the cells differ in nothing but their series (one header word, one head: a block of lines
// read, or a copy of one), the cells themselves are the keys: their first two words hold the
// prefix while the sort runs and get the common header and head back after it, so the sort takes
// no memory beside the block (keys for 200,000 strings would take 3.2 MB).
#include "values/series/block_sort_text.hpp"

#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "core/sort.hpp"
#include "core/sort_quick.hpp"
#include "core/text/casefold.hpp"
#include "core/text/unicode.hpp"
#include "values/series/block.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::block {
namespace {

// Key::tag: the string's place in the block (a block holds fewer than 2^28 cells), its unit's shift
// (0, 1 or 2) above it, and the top bit once the string is back in the block.
constexpr uint32_t index_mask = (1u << 28) - 1;
constexpr uint32_t shift_at = 28;
constexpr uint32_t placed = 1u << 31;

struct Key {
  // The first eight characters (fewer for a shorter string, then zero bytes), folded unless the
  // case counts, first character in the highest byte; 0 when one of them is not ASCII.
  uint64_t prefix;
  uint32_t length;
  uint32_t tag;
  uint32_t shift() const { return (tag >> shift_at) & 3; }
  uint32_t index() const { return tag & index_mask; }
};
static_assert(sizeof(Key) == 16);

// The strings as the block holds them: nothing allocates while the sort runs, so the cells and
// their buffers stay where they are. A string's characters are read only when the prefixes leave
// the order open.
struct Strings {
  const Cell* cells;
  const uint8_t* at(const Key& k) const {
    const Cell& c = cells[k.index()];
    int32_t head = series_head(c) < 0 ? 0 : series_head(c);  // within the text: its length is not 0
    return buffer_of(series_node(c))->data() + (static_cast<uint32_t>(head) << k.shift());
  }
};

inline uint32_t char_at(const uint8_t* at, uint32_t shift, uint32_t i) {
  switch (shift) {
    case 0: return at[i];
    case 1: return reinterpret_cast<const uint16_t*>(at)[i];
    default: return reinterpret_cast<const uint32_t*>(at)[i];
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

int compare_chars(const uint8_t* a, uint32_t a_shift, const uint8_t* b, uint32_t b_shift, uint32_t n, bool fold) {
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t c = char_at(a, a_shift, i), d = char_at(b, b_shift, i);
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
// The characters of two keys from a and b on, once their prefixes decided nothing.
inline int compare_texts(const Key& x, const uint8_t* a, const Key& y, const uint8_t* b, bool fold) {
  if (x.length == 0) return y.length == 0 ? 0 : -1;
  if (y.length == 0) return 1;
  uint32_t n = x.length < y.length ? x.length : y.length;
  int c = x.shift() + y.shift() == 0 ? compare_bytes(a, b, n, fold) : compare_chars(a, x.shift(), b, y.shift(), n, fold);
  if (c) return c;
  return x.length < y.length ? -1 : x.length > y.length ? 1 : 0;
}

inline int compare_keys(const Strings& s, const Key& x, const Key& y, bool fold) {
  if (x.prefix != y.prefix && x.prefix && y.prefix) return x.prefix < y.prefix ? -1 : 1;
  if (x.length == 0 || y.length == 0) return compare_texts(x, nullptr, y, nullptr, fold);
  return compare_texts(x, s.at(x), y, s.at(y), fold);
}

struct Order {
  Strings strings;
  bool fold;
};

// The stable sort's callback: w1 is the Order, w2 reverses.
int compare_records(const uint8_t* a, const uint8_t* b, intptr_t order, intptr_t reverse) {
  const Key* x = reinterpret_cast<const Key*>(a);
  const Key* y = reinterpret_cast<const Key*>(b);
  if (reverse) std::swap(x, y);
  const Order& o = *reinterpret_cast<const Order*>(order);
  return compare_keys(o.strings, *x, *y, o.fold);
}

// The default sort's view of the keys: they never move, and the comparison is inlined.
struct KeyView {
  Key* keys;
  Strings strings;
  bool fold;
  bool reversed;
  int compare(uint32_t i, uint32_t j) const {
    return reversed ? compare_keys(strings, keys[j], keys[i], fold) : compare_keys(strings, keys[i], keys[j], fold);
  }
  void swap(uint32_t i, uint32_t j) { std::swap(keys[i], keys[j]); }
  void reverse(uint32_t lo, uint32_t hi) {  // [lo, hi)
    while (hi > lo + 1) swap(lo++, --hi);
  }
};

uint32_t shift_of(uint32_t unit) { return unit == 1 ? 0 : unit == 2 ? 1 : 2; }

uint64_t prefix_of(const uint8_t* at, uint32_t shift, uint32_t length, bool fold) {
  uint32_t n = length < 8 ? length : 8;
  uint64_t p = 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t c = char_at(at, shift, i);
    if (c >= 0x80) return 0;
    p |= uint64_t{fold ? folded(c) : c} << (56 - 8 * i);
  }
  return p;
}

// Puts the strings into the order of the keys: each cycle of the permutation is walked once, and
// every key that has had its string placed is marked.
void place(Cell* cells, Key* keys, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) {
    if (keys[i].tag & placed) continue;
    Cell first = cells[i];
    for (uint32_t j = i;;) {
      keys[j].tag |= placed;
      uint32_t k = keys[j].index();
      if (k == i) {
        cells[j] = first;
        break;
      }
      cells[j] = cells[k];
      j = k;
    }
  }
}

// The block's own cells as keys: words 0-1 hold the prefix (header above head) while the sort runs,
// words 2-3 stay the string's node and conversion buffer. The strings' common head is `head`.
struct InPlace {
  Cell* cells;
  int32_t head;  // clamped to 0 as the strings read it
  static uint64_t prefix(const Cell& c) {
    return uint64_t{c.header} << 32 | static_cast<uint32_t>(series_head(c));
  }
  static void set_prefix(Cell& c, uint64_t p) {
    c.header = static_cast<uint32_t>(p >> 32);
    set_series_head(c, static_cast<int32_t>(static_cast<uint32_t>(p)));
  }
  // The string's key, read from its buffer (the cell keeps only the prefix).
  Key key(const Cell& c) const {
    SeriesBuffer* b = buffer_of(series_node(c));
    uint32_t shift = shift_of(unicode::checked_unit(b));
    int32_t length = static_cast<int32_t>(b->tail >> shift) - head;
    return {prefix(c), length < 0 ? 0u : static_cast<uint32_t>(length), shift << shift_at};
  }
  const uint8_t* at(const Cell& c, uint32_t shift) const {
    return buffer_of(series_node(c))->data() + (static_cast<uint32_t>(head) << shift);
  }
  int compare(const Cell& a, const Cell& b, bool fold) const;
};

// compare_keys over two cells of the block.
int InPlace::compare(const Cell& a, const Cell& b, bool fold) const {
  uint64_t p = prefix(a), q = prefix(b);
  if (p != q && p && q) return p < q ? -1 : 1;
  Key x = key(a), y = key(b);
  if (x.length == 0 || y.length == 0) return compare_texts(x, nullptr, y, nullptr, fold);
  return compare_texts(x, at(a, x.shift()), y, at(b, y.shift()), fold);
}

struct InPlaceOrder {
  InPlace cells;
  bool fold;
};

// The stable sort's callback over the block's cells: w1 is the InPlaceOrder, w2 reverses.
int compare_cells(const uint8_t* a, const uint8_t* b, intptr_t order, intptr_t reverse) {
  const Cell* x = reinterpret_cast<const Cell*>(a);
  const Cell* y = reinterpret_cast<const Cell*>(b);
  if (reverse) std::swap(x, y);
  const InPlaceOrder& o = *reinterpret_cast<const InPlaceOrder*>(order);
  return o.cells.compare(*x, *y, o.fold);
}

// The default sort's view of the block's cells.
struct CellView {
  InPlace cells;
  bool fold;
  bool reversed;
  int compare(uint32_t i, uint32_t j) const {
    const Cell* c = cells.cells;
    return reversed ? cells.compare(c[j], c[i], fold) : cells.compare(c[i], c[j], fold);
  }
  void swap(uint32_t i, uint32_t j) { std::swap(cells.cells[i], cells.cells[j]); }
  void reverse(uint32_t lo, uint32_t hi) {  // [lo, hi)
    while (hi > lo + 1) swap(lo++, --hi);
  }
};

// Whether every cell has the first one's header word and head.
bool alike(const Cell* cells, uint32_t n) {
  for (uint32_t i = 1; i < n; ++i)
    if (cells[i].header != cells[0].header || series_head(cells[i]) != series_head(cells[0])) return false;
  return true;
}

// Gives the cells their common header and head back, also when the stable sort's scratch area
// cannot be had: no cell may leave holding a prefix.
struct Restore {
  Cell* cells;
  uint32_t n;
  Cell common;
  ~Restore() {
    for (uint32_t i = 0; i < n; ++i) {
      cells[i].header = common.header;
      set_series_head(cells[i], series_head(common));
    }
  }
};

void sort_in_place(Cell* cells, uint32_t n, bool fold, bool reverse, bool stable) {
  Cell common = cells[0];
  InPlace in_place{cells, series_head(common) < 0 ? 0 : series_head(common)};
  Restore restore{cells, n, common};
  for (uint32_t i = 0; i < n; ++i) {
    Key k = in_place.key(cells[i]);
    uint64_t p = k.length ? prefix_of(in_place.at(cells[i], k.shift()), k.shift(), k.length, fold) : 0;
    InPlace::set_prefix(cells[i], p);
  }
  if (stable) {
    InPlaceOrder order{in_place, fold};
    sort::Records records{0, 0, reinterpret_cast<uint8_t*>(cells), false};
    sort::merge(records, n, sizeof(Cell), reinterpret_cast<intptr_t>(&order), reverse, compare_cells);
  } else {
    CellView view{in_place, fold, reverse};
    sort::quick_view(view, n);
  }
}

}  // namespace

bool sort_strings(const Cell& series, int32_t head, uint32_t n, bool case_sort, bool reverse, bool stable) {
  if (n > index_mask) return false;
  Cell* cells = block::cells(series) + head;
  for (uint32_t i = 0; i < n; ++i)
    if (!cells[i].is(Type::string)) return false;
  if (n <= 1) return true;
  if (alike(cells, n)) {
    sort_in_place(cells, n, !case_sort, reverse, stable);
    return true;
  }
  std::vector<Key> keys(n);
  Strings strings{cells};
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t shift = shift_of(unicode::checked_unit(buffer_of(series_node(cells[i]))));
    uint32_t length = static_cast<uint32_t>(string::length(cells[i]));
    keys[i] = {0, length, i | shift << shift_at};
    if (length) keys[i].prefix = prefix_of(strings.at(keys[i]), shift, length, !case_sort);
  }
  if (stable) {
    Order order{strings, !case_sort};
    sort::Records records{0, 0, reinterpret_cast<uint8_t*>(keys.data()), false};
    sort::merge(records, n, sizeof(Key), reinterpret_cast<intptr_t>(&order), reverse, compare_records);
  } else {
    KeyView view{keys.data(), strings, !case_sort, reverse};
    sort::quick_view(view, n);
  }
  place(cells, keys.data(), n);
  return true;
}

}  // namespace vyn::block
