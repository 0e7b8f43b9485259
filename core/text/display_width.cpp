// core/text/display_width.cpp: column widths from sorted range tables (core/text/display_width.inc, written
// by tools/gen-width-tables.py).
#include "core/text/display_width.hpp"

#include <algorithm>
#include <iterator>


namespace vyn::width {
namespace {

struct Range {
  uint32_t first, last;
};

#include "core/text/display_width.inc"

// Bounds first, so ASCII and Latin-1 leave at once (every table starts above U+02FF), then a
// binary search for the first range that ends at or after cp.
template <size_t N>
bool in_ranges(uint32_t cp, const Range (&table)[N]) {
  if (cp < table[0].first || cp > table[N - 1].last) return false;
  const Range* r = std::lower_bound(std::begin(table), std::end(table), cp,
                                    [](const Range& r, uint32_t c) { return r.last < c; });
  return r != std::end(table) && r->first <= cp;
}

}  // namespace

int of(uint32_t cp) {
  if (cp == 0) return 0;
  if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return 1;
  if (in_ranges(cp, zero_width)) return 0;
  if (in_ranges(cp, wide)) return 2;
  return 1;
}

int of_ambiguous_wide(uint32_t cp) { return in_ranges(cp, ambiguous) ? 2 : of(cp); }

const char* unicode_version() { return width_tables_unicode_version; }

}  // namespace vyn::width
