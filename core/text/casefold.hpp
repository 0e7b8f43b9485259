// core/text/casefold.hpp: upper and lower case of code points over the whole code range.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::casefold {

// One code point maps to one: where Unicode's full mapping gives several code points the first of
// them stands for it (U+00DF upper-cases to U+0053, U+0130 lower-cases to U+0069). A code point
// without a mapping, and any value past U+10FFFF, maps to itself. Never allocates.
uint32_t to_upper(uint32_t cp);
uint32_t to_lower(uint32_t cp);
inline uint32_t map(uint32_t cp, bool upper) { return upper ? to_upper(cp) : to_lower(cp); }
// The name the interpreter's tables know the upper-case mapping by; the same function.
inline uint32_t to_upper_bmp(uint32_t cp) { return to_upper(cp); }

// Case-insensitive equality of two characters: both folded to upper case.
inline bool same_folded(uint32_t a, uint32_t b) { return a == b || to_upper(a) == to_upper(b); }

// The Unicode version the tables were made from.
const char* unicode_version();

}  // namespace vyn::casefold
