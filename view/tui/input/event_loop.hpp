// view/tui/input/event_loop.hpp: the text UI's event loop: reading terminal input, turning it into
// events for the faces (keys, buttons, clicks, moves, wheel), timers and frames between inputs.
#pragma once

#include <cstdint>
#include <string>

#include "values/ports/event.hpp"
#include "view/tui/input/input_decode.hpp"
#include "view/tui/widget.hpp"

namespace vyn::tui {

// Event type codes the loop sends (event! type codes).
namespace evt_loop {
inline constexpr int32_t down = 1, up = 2, wheel = 11, over = 12, key = 13, key_down = 14,
                         dbl_click = 10, resize = 30;
}

struct LoopState {
  int32_t level = 0;             // open do-event-loop calls
  bool session = false;          // an outermost loop runs (the interface owns the terminal)
  std::string bytes;             // input not decoded yet
  bool incomplete = false;       // bytes end inside a sequence
  bool input_ended = false;      // standard input reached its end
  bool button_down = false;      // last button state
  float last_x = 0, last_y = 0;  // last pointer position, window cells
  int32_t click_state = 0;       // 0 idle, 2 after a click, 10 after a double click
  int32_t click_timer = 0;       // milliseconds since the last click (counted per pass)
  uint64_t clicked = 0;          // serial of the widget clicked last: a double click needs the same one
};
LoopState& loop();

// gui/do-events. no_wait 1 runs one pass. from_wait_hook: a pass for wait, which keeps the input
// it has not decoded. Answers whether the last read found input.
bool do_events(int no_wait, bool from_wait_hook = false);
// gui/post-quit-msg: the innermost loop ends at the end of its pass.
void post_quit_msg();
// The process is quitting from inside a loop (quit in an actor): the terminal is given back as
// the outermost loop would give it back (mouse reporting, the alternate screen, the cursor, the
// input mode). Nothing when no loop owns the terminal.
void end_session_for_exit();
// Decodes the buffered bytes and sends their events; final: no more bytes are coming.
void read_input(bool final);
// Sends one decoded item (a key, a mouse report or a cursor report).
void handle_item(const input::Item& item);

// The face's side of a dispatch: calls system/view/awake with the event, every error and exit
// stopped; 1 when it answered the word done. Replaceable (tests record events instead).
using FaceDispatch = int32_t (*)(const event::Record& r);
extern FaceDispatch face_dispatch;
int32_t dispatch_to_awake(const event::Record& r);

// tui/send-event: the widget's input function, then its face; only an enabled widget with a face.
int32_t send_widget_event(Widget* w, const event::Record& r);
// tui/send-mouse-event.
int32_t send_mouse_event(Widget* w, int32_t type, float x, float y, uint32_t flags);
// tui/send-key-event: key-down, key, then the input function, to the focused widget.
void send_key_event(int32_t key, bool special, uint32_t flags);
// tui/set-focus with its unfocus and focus events.
void focus_widget(Widget* w);

// The mouse side: one SGR report in terminal cells.
void handle_mouse(int32_t button, int32_t column, int32_t row, bool release);
// The children of a widget, from the faces of its pane, in pane order.
void children_of(const Widget* w, std::vector<Widget*>& out);

// After the outermost loop: every window destroyed, pointers, buffers and click state cleared.
void reset_session();

}  // namespace vyn::tui
