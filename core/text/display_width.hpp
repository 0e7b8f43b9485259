// core/text/display_width.hpp: how many terminal columns a code point takes, for the console's line
// editor and the text UI.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::width {

// 0 for NUL, combining marks (Mn, Me), the prefixed format characters and the conjoining Hangul
// vowels and final consonants; 2 for East Asian wide and fullwidth characters (wide emoji
// included); 1 for everything else, the other C0 and C1 controls included. Never allocates.
int of(uint32_t cp);

// As of, but 2 for the East Asian ambiguous characters: the width on terminals that show them
// wide. Never allocates.
int of_ambiguous_wide(uint32_t cp);

// The Unicode version the tables were made from.
const char* unicode_version();

}  // namespace vyn::width
