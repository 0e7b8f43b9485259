// view/tui/input/input_mouse.cpp: mouse reports to events: hit testing through the widget tree, button
// presses and releases with clicks and double clicks, moves with hover and away, the wheel.
#include <algorithm>

#include "values/series/block.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/input/event_loop.hpp"

namespace vyn::tui {
namespace {

constexpr uint32_t button_flags[3] = {event::flag::down, event::flag::mid_down, event::flag::alt_down};
constexpr int max_depth = 64;  // a face tree deeper than this (or a pane that holds its own face) stops there

// One widget on the way from the window to the deepest widget, with the point in its cells.
// Kept by id: an actor may destroy views while the path is being served.
struct Hit {
  WidgetRef ref;
  float x, y;
  Widget* w() const { return ref.alive() ? ref.widget : nullptr; }
};
using Path = std::vector<Hit>;

bool inside(const Widget* c, float x, float y) {
  return x >= c->x1 && x < c->x2 && y >= c->y1 && y < c->y2;
}

void path_at(Widget* w, float x, float y, Path& path) {
  path.push_back({WidgetRef(w), x, y});
  if (path.size() >= max_depth) return;
  std::vector<Widget*> kids;
  children_of(w, kids);
  for (size_t i = kids.size(); i-- > 0;) {
    Widget* c = kids[i];
    if (!c || (c->flags & wflag::hidden) || !inside(c, x, y)) continue;
    bool seen = std::any_of(path.begin(), path.end(), [c](const Hit& h) { return h.ref.widget == c; });
    if (!seen) path_at(c, x - c->x1, y - c->y1, path);
    return;
  }
}

Widget* window_widget() { return ui().current ? ui().current->widget : nullptr; }

bool is_ancestor(const Widget* a, const Widget* w) {
  for (const Widget* p = w ? w->parent : nullptr; p; p = p->parent)
    if (p == a) return true;
  return false;
}

bool in_chain(const Widget* w) {
  const auto& chain = ui().pressed_chain;
  return std::find(chain.begin(), chain.end(), w) != chain.end();
}

// The point in a widget's own cells, from window cells.
void local(const Widget* w, float x, float y, float& lx, float& ly) {
  int ax = 0, ay = 0;
  absolute_position(w, ax, ay);
  lx = x - static_cast<float>(ax);
  ly = y - static_cast<float>(ay);
}

// From the deepest widget up, until one handles it.
int32_t bubble(const Path& path, int32_t type, uint32_t flags) {
  for (size_t i = path.size(); i-- > 0;)
    if (send_mouse_event(path[i].w(), type, path[i].x, path[i].y, flags)) return 1;
  return 0;
}

void press(int d, float x, float y, uint32_t mods) {
  Path path;
  path_at(window_widget(), x, y, path);
  UiState& s = ui();
  s.pressed = s.hover = path.back().w();
  s.pressed_chain.clear();
  loop().last_x = x;
  loop().last_y = y;
  uint32_t flags = mods | button_flags[d];
  for (size_t i = path.size(); i-- > 0;) {
    Widget* w = path[i].w();
    if (!w || (w->flags & wflag::disabled)) continue;
    s.pressed_chain.push_back(w);
    if (send_mouse_event(w, 2 * d + 1, path[i].x, path[i].y, flags)) break;
  }
}

// Clicks from the deepest widget up, for widgets that took the press; answers whether the
// clicks were double clicks.
bool clicks(const Path& path, uint32_t mods) {
  LoopState& L = loop();
  bool dbl = L.click_state == 2 && L.click_timer < 500 && L.clicked == path.back().ref.serial;
  L.clicked = path.back().ref.serial;
  for (size_t i = path.size(); i-- > 0;) {
    Widget* w = path[i].w();
    if (!w || !in_chain(w)) continue;
    if (i + 1 == path.size() && (w->flags & wflag::focusable) && !(w->flags & wflag::focused))
      focus_widget(w);
    int32_t handled = send_mouse_event(path[i].w(), evt::click, path[i].x, path[i].y, mods);
    if (dbl && (w = path[i].w())) handled |= send_mouse_event(w, evt_loop::dbl_click, path[i].x, path[i].y, mods);
    if (handled) break;
  }
  return dbl;
}

void release(int d, float x, float y, uint32_t mods) {
  Path path;
  path_at(window_widget(), x, y, path);
  UiState& s = ui();
  bubble(path, 2 * d + 2, mods);
  bool dbl = d == 0 && !s.pressed_chain.empty() && clicks(path, mods);
  Widget* pressed = s.pressed;
  bool on_path = std::any_of(path.begin(), path.end(), [pressed](const Hit& h) { return pressed && h.w() == pressed; });
  if (pressed && !on_path) {
    float lx, ly;
    local(pressed, x, y, lx, ly);
    send_mouse_event(pressed, 2 * d + 2, lx, ly, mods);
  }
  if (s.pressed) s.pressed->flags &= ~wflag::away;
  s.pressed = nullptr;
  s.pressed_chain.clear();
  LoopState& L = loop();
  L.click_state = dbl ? 0 : 2;
  L.click_timer = 0;
}

void hover_change(Widget* now, float x, float y, uint32_t flags) {
  UiState& s = ui();
  LoopState& L = loop();
  Widget* old = s.hover;
  WidgetRef ref(now);
  bool enters = !old || !is_ancestor(now, old);
  if (old && !is_ancestor(old, now)) {
    float lx, ly;
    local(old, L.last_x, L.last_y, lx, ly);
    if (old == s.pressed) old->flags |= wflag::away;
    send_mouse_event(old, evt_loop::over, lx, ly, flags | event::flag::away);
  }
  if (!ref.alive()) return;  // the away event's actors may have closed it
  if (enters) {
    now->flags &= ~wflag::away;
    send_mouse_event(now, evt_loop::over, x, y, flags);
  }
  if (ref.alive()) s.hover = now;
}

void move(float x, float y, uint32_t flags) {
  UiState& s = ui();
  Path path;
  path_at(window_widget(), x, y, path);
  const Hit& deepest = path.back();
  if (!s.hover) s.hover = path.front().w();
  Widget* now = deepest.w();
  if (now && now != s.hover) hover_change(now, deepest.x, deepest.y, flags);
  for (size_t i = path.size(); i-- > 0;) {
    Widget* w = path[i].w();
    if (w && (w->flags & wflag::all_over) && send_mouse_event(w, evt_loop::over, path[i].x, path[i].y, flags)) break;
  }
  if (s.pressed && (s.pressed->flags & wflag::away)) {
    float lx, ly;
    local(s.pressed, x, y, lx, ly);
    send_mouse_event(s.pressed, evt_loop::over, lx, ly, flags | event::flag::away);
  }
  loop().last_x = x;
  loop().last_y = y;
}

void wheel(float amount, float x, float y, uint32_t mods) {
  Path path;
  path_at(window_widget(), x, y, path);
  for (size_t i = path.size(); i-- > 0;) {
    event::Record e;
    e.type = evt_loop::wheel;
    e.x = path[i].x;
    e.y = path[i].y;
    e.flags = mods;
    e.wheel = true;
    e.wheel_amount = amount;
    if (send_widget_event(path[i].w(), e)) break;
  }
}

}  // namespace

void children_of(const Widget* w, std::vector<Widget*>& out) {
  out.clear();
  Cell pane = facet_of(w->face, facet::pane);
  if (!pane.is(Type::block)) return;
  int32_t n = block::vs_length(pane);
  for (int32_t i = 0; i < n; ++i) {
    Cell face = block::vs_head(pane)[i];
    if (face.is(Type::object)) out.push_back(face_handle(face));
  }
}

void handle_mouse(int32_t b, int32_t column, int32_t row, bool released) {
  if (!window_widget()) return;
  LoopState& L = loop();
  float x = static_cast<float>(column - 1);
  float y = static_cast<float>(row - (frame().fullscreen ? 0 : frame().scroll_y) - 1);
  uint32_t mods = (b & 4 ? event::flag::shift : 0) | (b & 8 ? event::flag::alt : 0) |
                  (b & 16 ? event::flag::control : 0);
  int d = (b & 3) | ((b & 0x40) >> 4);
  if (d <= 2) {
    bool pressing = !released;
    if (pressing != L.button_down) {
      L.button_down = pressing;
      if (pressing) press(d, x, y, mods);
      else release(d, x, y, mods);
    } else if (pressing) {
      move(x, y, mods | button_flags[d]);  // a drag
    }
  } else if (d == 3) {
    move(x, y, mods);
  } else if (d <= 5) {
    wheel(d == 4 ? 1.0f : -1.0f, x, y, mods);
  }
}

}  // namespace vyn::tui
