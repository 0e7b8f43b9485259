// view/tui/screen/ansi_out.hpp: turning the cell buffer into one frame of text and ANSI escape sequences,
// and the frame state the render pass and the event loop share.
#pragma once

#include <cstdint>
#include <string>

#include "view/tui/screen/cell_buffer.hpp"

namespace vyn::tui {

// What is on the screen and what the next frame must do.
struct FrameState {
  std::string bytes;          // the frame being built
  bool fullscreen = false;    // a fullscreen window was made: absolute frames on the alternate screen
  bool inline_drawn = false;  // an inline frame is on the screen
  bool redraw_needed = false;
  int ui_rows = 0;            // rows above the cursor where the inline interface begins
  int caret_col = -1, caret_row = -1;
  int scroll_x = 0, scroll_y = 0;  // terminal column and row (0-based) where the interface begins
  int color_depth = 4;        // 4: 24-bit colour; 2: 256-colour palette
};
FrameState& frame();

// Appends ESC "[" ... "m" for the colour as foreground or background.
void emit_color(std::string& out, uint32_t color, bool foreground);
// Appends the attribute and colour changes from previous to next, in the fixed order.
void emit_attributes(std::string& out, const ScreenCell& previous, const ScreenCell& next);
// A tuple colour (r in the low byte, alpha in the top byte) as a palette colour (kind 2), or 0
// for a fully transparent one.
uint32_t rgb_to_256(uint32_t rgb);
// The 24-bit value of palette entry index (0xRRGGBB).
uint32_t palette_rgb(int index);

// Builds the frame for buf into frame().bytes (cleared first). caret: the focused widget shows
// the text cursor. Answers false for an empty buffer.
bool build_frame(const CellBuffer& buf, bool caret);
// Builds and writes the frame in one write; clears redraw_needed, sets inline_drawn.
void write_frame(bool caret);
// Erases the inline interface (before ordinary output).
void erase_inline_ui();
// Renders the current window's widget tree into the buffer (sized to the window, at most the
// console).
void render_current();
// Renders and writes a frame when something asked for a redraw (once per event-loop pass).
void present();
// When the loop ends with the interface on screen: moves below it so later output starts there.
void leave_inline_ui();

}  // namespace vyn::tui
