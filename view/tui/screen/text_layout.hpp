// view/tui/screen/text_layout.hpp: placing text into the cell buffer (clipping, wrapping, wide characters
// and the escape sequences text may carry) and measuring it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/cell.hpp"
#include "view/tui/screen/cell_buffer.hpp"

namespace vyn::tui {

// The characters of a string value from its head; empty for any other value. Never allocates.
std::u32string text_of(const Cell& str);

// Draws text at x, y (the first row of the text) inside clip. flags: render control bits and
// attribute bits OR-ed into every cell. Starts from style and changes it as escapes say.
void draw_text(CellBuffer& buf, std::u32string_view text, int x, int y, const Rect& clip,
               Style style, uint32_t flags);
// Draws prepared cells the same way: their own colours and attributes, flags OR-ed in.
void draw_cells(CellBuffer& buf, const std::vector<ScreenCell>& cells, int x, int y,
                const Rect& clip, uint32_t flags);

struct TextSize {
  int width = 0;   // widest line in columns
  int lines = 0;
  int chars = 0;   // characters consumed
};
// Widest line and lines of text, no wrapping (size-text).
TextSize text_size(std::u32string_view text);
// Stops at the first character that would make its line wider than max_width.
TextSize measure_text(std::u32string_view text, int max_width);
// Wrapped at width: a character that passes the width starts a new line; a line that cannot
// hold even one character ends the measurement.
TextSize measure_wrapped(std::u32string_view text, int width);

// Display width of a character: 0, 1 or 2 columns.
int char_width(uint32_t cp);

}  // namespace vyn::tui
