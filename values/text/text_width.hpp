// values/text/text_width.hpp: the columns a text value takes on a terminal.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::width {

// The columns of a character series from its head to its tail. Never allocates.
int64_t of_text(const Cell& text);

}  // namespace vyn::width
