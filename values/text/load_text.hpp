// values/text/load_text.hpp: turning text into a value through the lexer.
#pragma once

#include "core/cell.hpp"

namespace vyn {
// Scans the string into a block and pushes its first value: none! when the scan stops before the
// end of the text, unset! for an empty block.
Cell* load_text(const Cell& text);
}  // namespace vyn
