// view/tui/hooks.cpp: the text UI's output and wait hooks; they act only while the interface owns
// the terminal (an outermost event loop runs, or terminal mode is on).
#include "view/tui/hooks.hpp"

#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/console_mode.hpp"
#include "view/tui/input/event_loop.hpp"

namespace vyn::tui {

bool active() { return loop().session || console().terminal_mode; }

// The interface is erased before ordinary output, so no stale rows are left above the text. A
// full-screen interface gives the screen back instead: text printed on the alternate screen would
// be gone once the interface ends.
void before_print() {
  if (!active()) return;
  if (console().alternate_screen) {
    set_alternate_screen(false);
    frame().inline_drawn = false;
  } else {
    erase_inline_ui();
  }
  restore_output_mode();
}

// ...and drawn again below it (or on the alternate screen again) on the next pass; the terminal
// says where the cursor now is.
void after_print() {
  if (!active()) return;
  set_vt_output_mode();
  frame().redraw_needed = true;
  if (console().terminal_mode && !frame().fullscreen) request_cursor_position();
}

void wait_hook() {
  if (active()) do_events(1, true);
}

}  // namespace vyn::tui
