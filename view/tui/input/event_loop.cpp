// view/tui/input/event_loop.cpp: gui/do-events: passes of reading input, ticking timers, presenting a
// frame and decoding, about thirty a second, until the loop level drops below its start.
#include "view/tui/input/event_loop.hpp"

#include <unistd.h>

#include <algorithm>

#include "core/error.hpp"
#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/numbers/pair.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/backend.hpp"
#include "view/tui/screen/console_mode.hpp"

namespace vyn::tui {
namespace {

constexpr int pass_ms = 33;

bool input_is_terminal() { return isatty(STDIN_FILENO) == 1; }

// Reads what is waiting; answers whether anything came. The end of a redirected input is noted so
// that a loop with nothing left to wait for can end.
bool read_pending() {
  int n = read_console_input(loop().bytes);
  if (n < 0) loop().input_ended = true;
  return n > 0;
}

// The outermost loop takes the terminal: raw input, its size, where the interface begins, the
// alternate screen for a fullscreen window, mouse reporting as the platform object asks.
void begin_session(bool mouse_wanted) {
  LoopState& L = loop();
  L.session = true;
  L.input_ended = false;
  if (!console().terminal_mode && input_is_terminal()) enter_terminal_mode();
  query_screen_size();
  if (console().terminal_mode && !frame().fullscreen) request_cursor_position();
  if (frame().fullscreen) set_alternate_screen(true);
  if (mouse_wanted != console().mouse_on) set_mouse_reporting(mouse_wanted);
}

void discard_pending() {
  if (!input_is_terminal()) return;  // redirected input is the script's to read later
  std::string dropped;
  read_console_input(dropped);
}

void give_terminal_back() {
  leave_inline_ui();
  if (console().mouse_on) set_mouse_reporting(false);
  if (console().alternate_screen) set_alternate_screen(false);
  set_cursor_visible(true);
  if (console().terminal_mode) leave_terminal_mode();
}

void end_session() {
  give_terminal_back();
  discard_pending();
  reset_session();
}

// The console's new size goes to the screen face and, as a resize event, to every window.
void check_resize() {
  int width = console().width, height = console().height;
  query_screen_size();
  if (console().width == width && console().height == height) return;
  Cell screens = view_field("screens");
  if (screens.is(Type::block) && block::vs_length(screens) > 0) {
    Cell screen = block::vs_head(screens)[0];
    if (Cell* size = facet_slot(screen, facet::size)) *size = pair::make(console().width, console().height);
  }
  if (!console().terminal_mode) return;
  std::vector<WidgetRef> windows;  // a resize actor may close windows
  for (WindowState* s : ui().windows)
    if (s->widget) windows.emplace_back(s->widget);
  for (const WidgetRef& r : windows)
    if (r.alive()) send_mouse_event(r.widget, evt_loop::resize, float(console().width), float(console().height), 0);
  if (console().alternate_screen) {
    frame().redraw_needed = true;
    present();
  }
}

// Whether the loop can still receive anything: input, or a timer that may end it.
bool nothing_to_wait_for() {
  const LoopState& L = loop();
  return L.input_ended && L.bytes.empty() && timer_count() == 0;
}

// The time of one loop's passes: how long the last pass worked, and when it began.
struct PassClock {
  double duration = 0;
  double last_start = -1;
};

// One pass; an error or exit that escapes it ends the pass and lowers the loop level. Timers and
// the double-click timer advance by the real time since the previous pass began (a pass period
// for the first), so a stream of input that ends each wait early does not make them run fast.
bool pass(int no_wait, PassClock& clock, bool& leave) {
  LoopState& L = loop();
  Cell* top = stack::top();
  int depth = stack::frame_depth();
  Cell* args = stack::arguments();
  bool got = false;
  try {
    got = read_pending();
    check_resize();
    if (no_wait && !got && L.bytes.empty()) {
      leave = true;
      return false;
    }
    if (clock.duration <= pass_ms) {
      int rest = pass_ms - static_cast<int>(clock.duration);
      if (L.input_ended) usleep(static_cast<useconds_t>(rest) * 1000);  // no input can end it early
      else if (!got) wait_input(rest);
    }
    double start = now_ms();
    double since = clock.last_start < 0 ? pass_ms : start - clock.last_start;
    int32_t elapsed = static_cast<int32_t>(std::min(since, 3600000.0));  // an hour at most
    clock.last_start = start;
    tick_timers(elapsed);
    update_after_cuts();
    present();
    read_input(!got);
    if (L.click_state == 2 && L.click_timer < 800) L.click_timer = std::min(800, L.click_timer + elapsed);
    clock.duration = elapsed_ms(start);
  } catch (const Raised&) {
    stack::catch_error_at(depth, top);
    --L.level;
  } catch (const Exit&) {
    stack::catch_error_at(depth, top);
    --L.level;
  }
  stack::set_arguments(args);
  stack::set_top(top);
  return got;
}

}  // namespace

void reset_session() {
  std::vector<Cell> faces;  // reachable from their screens' panes while they are destroyed
  for (WindowState* s : ui().windows)
    if (s->widget) faces.push_back(s->widget->face);
  for (const Cell& face : faces) destroy_tree(face);
  free_all_widgets();
  FrameState& f = frame();
  f.bytes.clear();
  f.redraw_needed = f.inline_drawn = f.fullscreen = false;
  f.ui_rows = f.scroll_x = f.scroll_y = 0;
  buffer().resize(0, 0);
  LoopState& L = loop();
  L.session = L.button_down = false;
  L.click_state = L.click_timer = 0;
}

LoopState& loop() {
  static LoopState state;
  return state;
}

// Outside any loop there is nothing to end: a level below 0 would make the next loop ignore the
// first request to end it.
void post_quit_msg() {
  if (loop().level > 0) --loop().level;
}

void end_session_for_exit() {
  if (loop().session) give_terminal_back();
}

bool do_events(int no_wait, bool from_wait_hook) {
  LoopState& L = loop();
  // A loop inside a running one is nested; the first loop takes the terminal however many
  // windows are open (view/no-wait may have opened several before it).
  bool nested = no_wait || L.session;
  int32_t start_level = L.level;
  if (no_wait != 1) ++L.level;
  if (!nested) begin_session(platform_mouse_wanted());
  else if (!from_wait_hook && !L.incomplete && input_is_terminal()) L.bytes.clear();
  PassClock clock;
  clock.duration = pass_ms + 1;
  bool got = false;
  for (;;) {
    bool leave = false;
    got = pass(no_wait, clock, leave);
    if (leave || no_wait) break;
    if (L.level <= start_level) break;
    if (nothing_to_wait_for() || ui().windows.empty()) {
      L.level = start_level;  // nothing can end such a loop: no input can come, or no window shows
      break;
    }
  }
  if (nested) {
    if (!from_wait_hook && input_is_terminal()) {
      discard_pending();
      if (!L.incomplete) L.bytes.clear();
    }
  } else {
    end_session();
  }
  return got;
}

}  // namespace vyn::tui
