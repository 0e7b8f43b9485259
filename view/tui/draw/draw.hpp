// view/tui/draw/draw.hpp: the draw dialect: the interpreter that walks draw blocks, the rich-text style
// parser and the text metrics of rich-text faces, as the rest of the back end calls them.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include <vector>

#include "view/tui/screen/cell_buffer.hpp"

namespace vyn::draw {

// Where one drawing run writes: the buffer, the drawn widget's origin on it, the clip rectangle
// (cut to the buffer when drawing) and the background that text is drawn on.
struct Target {
  tui::CellBuffer* buffer = nullptr;
  int origin_x = 0;
  int origin_y = 0;
  tui::Rect clip;
  uint32_t bg = 0;
};

// The prepared cells of a laid-out rich text, one per character.
using TextLayout = std::vector<tui::ScreenCell>;

// Runs a draw block. With no target the block is only checked: the terminal has no cells to draw
// an image's pixels into. With catch_errors a bad block stops the drawing quietly; without it the
// dialect's error reaches the caller. face is the face drawn on, or none.
void run(const Target* target, const Cell& face, const Cell& commands, bool catch_errors);

// The draw dialect run on an image (the platform's draw-image): nothing for an empty image.
void run_on_image(const Cell& image, const Cell& commands);

// Applies a rich-text style block (ranges and attributes) to the prepared cells of a text, one
// cell per character of text.
void parse_text_styles(TextLayout& layout, const Cell& styles, bool catch_errors);

// The prepared cells of a rich-text face: its text with the styles of its data facet applied.
TextLayout layout_rich_text(const Cell& face);

// The metrics of a rich-text face laid out in cells (the platform's text-box-metrics once the face
// was checked): kind 0 and 6 the position of a character index, 1 and 5 the index at a point, 2
// the line height, 3 the size of the text, 4 its line count. Pushes the answer.
Cell* text_box_metrics(const Cell& face, const Cell& arg, int32_t kind);

}  // namespace vyn::draw
