// view/tui/hooks.cpp: the text UI's output and wait hooks, which act only while the interface
// owns the terminal (an outermost event loop runs, or terminal mode is on), and the console's
// print hook.
#include "view/tui/hooks.hpp"

#include <cstdio>

#include "core/series.hpp"
#include "platform/console_out.hpp"
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

// The text from its head, to the console, with the interface out of the way while it is written.
void print_string(const Cell& str, bool line_end) {
  before_print();
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t unit = b->unit();
  uint64_t start = uint64_t{static_cast<uint32_t>(series_head(str) < 0 ? 0 : series_head(str))} * unit;
  size_t units = start < b->tail ? (b->tail - start) / (unit ? unit : 1) : 0;
  if (unit == 1 || unit == 2 || unit == 4) {
    os::print_units(b->data() + start, units, unit, line_end);
  } else {
    char line[80];
    std::snprintf(line, sizeof line, "Error: unknown string encoding: %u\n", unit);
    os::diagnostic(line);
  }
  os::flush_printed();
  after_print();
}

}  // namespace vyn::tui
