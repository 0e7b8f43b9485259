// core/text/casefold.cpp: the case tables and case changes of characters and text.
//
// The pair lists come from core/text/casefold.inc, written by tools/gen-case-tables.py. The code points
// below 0x10000 get one direct table per direction, built at compile time (256 KB each, one read per
// mapping); the few above are found by binary search in their sorted pair list.
#include "core/text/casefold.hpp"

#include <algorithm>
#include <array>

#include "core/error.hpp"
#include "values/objects/ownership.hpp"
#include "values/predefined.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::casefold {
namespace {

struct CasePair {
  uint32_t from, to;
};

#include "core/text/casefold.inc"

// An entry of 0 means the code point maps to itself.
template <size_t N>
constexpr std::array<uint32_t, 0x10000> direct(const CasePair (&pairs)[N]) {
  std::array<uint32_t, 0x10000> table{};
  for (const CasePair& p : pairs) table[p.from] = p.to;
  return table;
}

constexpr std::array<uint32_t, 0x10000> upper_table = direct(upper_bmp);
constexpr std::array<uint32_t, 0x10000> lower_table = direct(lower_bmp);

template <size_t N>
constexpr bool sorted(const CasePair (&pairs)[N]) {
  for (size_t i = 1; i < N; ++i)
    if (pairs[i - 1].from >= pairs[i].from) return false;
  return true;
}
static_assert(sorted(upper_astral) && sorted(lower_astral), "binary search needs sorted keys");

template <size_t N>
uint32_t search(const CasePair (&pairs)[N], uint32_t cp) {
  const CasePair* at = std::lower_bound(std::begin(pairs), std::end(pairs), cp,
                                        [](const CasePair& p, uint32_t key) { return p.from < key; });
  return at != std::end(pairs) && at->from == cp ? at->to : cp;
}

uint32_t lookup(const std::array<uint32_t, 0x10000>& table, uint32_t cp) {
  uint32_t to = table[cp];
  return to ? to : cp;
}

// The characters from the head that part selects; a negative count selects none.
int32_t change_count(Cell& text, const Cell* part) {
  int32_t count = series::units_left(text, false);
  if (!part || part->is(Type::none_)) return count;
  int32_t n = series::part_count(text, *part);
  return n < 0 ? 0 : std::min(n, count);
}

}  // namespace

uint32_t to_upper(uint32_t cp) {
  if (cp < 0x10000) return lookup(upper_table, cp);
  return search(upper_astral, cp);
}

uint32_t to_lower(uint32_t cp) {
  if (cp < 0x10000) return lookup(lower_table, cp);
  return search(lower_astral, cp);
}

const char* unicode_version() { return case_tables_unicode_version; }

// Once the text is changed its owner hears "uppercase" or "lowercase" with the head and the count.
Cell* change(Cell* value, const Cell* part, bool upper) {
  if (value->is(Type::char_)) {
    set_char(*value, map(char_of(*value), upper));
    return value;
  }
  if (!series::is_char_series(value->type())) fire(Err::script_invalid_arg, {*value});
  int32_t count = change_count(*value, part);
  NodeId node = series_node(*value);
  uint32_t head = static_cast<uint32_t>(std::max(series_head(*value), 0));
  for (uint32_t i = head; i < head + static_cast<uint32_t>(count); ++i) {
    uint32_t cp = string::char_at(node, i);
    uint32_t mapped = map(cp, upper);
    if (mapped != cp) string::write_char(node, i, mapped);
  }
  if (buffer_of(node)->flags & SeriesBuffer::owned) {
    Cell word = predefined::word(upper ? predefined::W::uppercase : predefined::W::lowercase);
    ownership::check(*value, word, nullptr, static_cast<int32_t>(head), count);
  }
  return value;
}

}  // namespace vyn::casefold
