// view/tui/input/event_dispatch.cpp: events to faces: system/view/awake behind a barrier that stops every
// error and exit, the widget senders, key events and focus changes, and decoding the input buffer.
#include "core/error.hpp"
#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "core/stack.hpp"
#include "eval/trace.hpp"
#include "values/words/word.hpp"
#include "view/tui/backend.hpp"
#include "view/tui/input/event_loop.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/console_mode.hpp"
#include "values/predefined.hpp"

namespace vyn::tui {
namespace {

bool answered_done(const Cell& v) { return v.is(Type::word) && event::word_is(v, "done"); }

bool can_receive(const Widget* w) {
  return w && !(w->flags & wflag::disabled) && w->face.is(Type::object);
}

// A cursor-position report: where the inline interface now begins (the next frame moves it up
// when the terminal scrolled to show it).
void cursor_report(int32_t row, int32_t column) {
  position_answered();
  frame().scroll_y = row > 0 ? row - 1 : 0;
  frame().scroll_x = column > 0 ? column - 1 : 0;
}

}  // namespace

FaceDispatch face_dispatch = dispatch_to_awake;

int32_t dispatch_to_awake(const event::Record& r) {
  Cell* top = stack::top();
  int depth = stack::frame_depth();
  bool tracing = trace::active;
  trace::active = false;
  int32_t done = 0;
  try {
    Cell name = predefined::word(predefined::W::awake);
    stack::mark_try_all(&name);
    Cell* ev = event::push(r);
    Cell awake = view_field("awake");
    if (awake.is(Type::function)) {
      Flow f = interp::call_with(awake, ev, 1, name);
      if (f == Flow::normal && answered_done(*stack::last_value())) done = 1;
    }
  } catch (const Raised&) {
  } catch (const Exit&) {
  }
  stack::catch_error_at(depth, top);
  trace::active = tracing;
  return done;
}

int32_t send_widget_event(Widget* w, const event::Record& r) {
  if (!can_receive(w)) return 0;
  event::Record e = r;
  e.face = w->face;
  WidgetRef ref(w);
  int32_t handled = w->input ? w->input(w, e.type, e) : 0;
  if (!ref.alive() || !can_receive(w)) return handled;  // the input function's events may close it
  return face_dispatch(e) | handled;
}

int32_t send_mouse_event(Widget* w, int32_t type, float x, float y, uint32_t flags) {
  event::Record e;
  e.type = type;
  e.x = x;
  e.y = y;
  e.flags = flags;
  return send_widget_event(w, e);
}

void send_key_event(int32_t key, bool special, uint32_t flags) {
  Widget* w = ui().focused;
  if (!can_receive(w) || key == 0) return;
  WidgetRef ref(w);  // actors may close the view while the key is served
  auto still_focused = [ref] {
    return ref.alive() && can_receive(ref.widget) && ui().focused == ref.widget ? ref.widget : nullptr;
  };
  event::Record e;
  e.face = w->face;
  e.key = key;
  e.special = special;
  e.flags = flags;
  e.type = evt_loop::key_down;
  if (face_dispatch(e) || !still_focused()) return;
  e.type = evt_loop::key;
  if (face_dispatch(e)) return;
  if ((w = still_focused()) && w->input) w->input(w, evt_loop::key, e);
}

void focus_widget(Widget* w) {
  Widget* old = ui().focused;
  if (old == w) return;
  set_focus(w);
  WidgetRef ref(w);
  if (old) send_mouse_event(old, evt::unfocus, 0, 0, 0);
  if (w && ref.alive() && ui().focused == w) send_mouse_event(w, evt::focus, 0, 0, 0);
}

void handle_item(const input::Item& item) {
  switch (item.kind) {
    case input::Kind::cursor: cursor_report(item.row, item.column); break;
    case input::Kind::mouse: handle_mouse(item.button, item.column, item.row, item.release); break;
    case input::Kind::key: send_key_event(item.key, item.special, item.mods); break;
  }
}

// One item at a time, its bytes taken out of the buffer before it is sent: an actor may run a
// nested loop, which goes on with the bytes that follow.
void read_input(bool final) {
  LoopState& L = loop();
  int32_t level = L.level;
  L.incomplete = false;
  while (!L.bytes.empty() && L.level >= level) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(L.bytes.data());
    input::Decoded d = input::decode(bytes, L.bytes.size(), final, 1);
    L.incomplete = d.incomplete;
    L.bytes.erase(0, d.used);
    if (d.items.empty()) break;
    handle_item(d.items.front());
  }
}

}  // namespace vyn::tui
