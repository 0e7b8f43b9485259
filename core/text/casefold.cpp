// core/text/casefold.cpp: the case tables and the case mappings of characters.
//
// The pair lists come from core/text/casefold.inc, written by tools/gen-case-tables.py. The code points
// below 0x10000 get one direct table per direction, built at compile time (256 KB each, one read per
// mapping); the few above are found by binary search in their sorted pair list.
#include "core/text/casefold.hpp"

#include <algorithm>
#include <array>

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

}  // namespace vyn::casefold
