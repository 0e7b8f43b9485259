// view/tui/widget.cpp: the widget table (ids for the handles faces hold, marking for the
// collector), the interface's window and focus state, and focus and redraw requests.
#include "view/tui/widget.hpp"

#include <algorithm>

#include "core/gc.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/console_mode.hpp"

namespace vyn::tui {
namespace {

// Never destroyed: widgets still shown when the process ends stay reachable, not leaked.
std::vector<Widget*>& table = *new std::vector<Widget*>;  // slot i: the widget of id i + 1
std::vector<uint32_t>& free_ids = *new std::vector<uint32_t>;
uint64_t next_serial = 0;

void mark_widgets(void*) {
  for (Widget* w : table) {
    if (!w) continue;
    gc::mark_cell(w->face);
    gc::mark_cell(w->ui);
  }
}

template <typename T>
void erase_value(std::vector<T>& v, T value) {
  v.erase(std::remove(v.begin(), v.end(), value), v.end());
}

// Nothing the interface keeps may point at a freed widget.
void forget(Widget* w) {
  UiState& u = ui();
  if (u.focused == w) u.focused = nullptr;
  if (u.hover == w) u.hover = nullptr;
  if (u.pressed == w) u.pressed = nullptr;
  if (u.last_window == w) u.last_window = nullptr;
  erase_value(u.pressed_chain, w);
  for (WindowState* s : u.windows) {
    if (s->focused == w) s->focused = nullptr;
    if (s->widget == w) s->widget = nullptr;
  }
  for (Widget* other : table)
    if (other && other->parent == w) other->parent = nullptr;
  remove_all_timers(w);
}

void close_window(Widget* w) {
  WindowState* s = w->window;
  if (!s) return;
  UiState& u = ui();
  erase_value(u.windows, s);
  if (u.current == s) u.current = nullptr;
  delete s;
  w->window = nullptr;
  if (!u.windows.empty()) activate_window(u.windows.back());
}

}  // namespace

EventSender event_sender = nullptr;

UiState& ui() {
  static UiState& state = *new UiState;  // never destroyed, as the table
  return state;
}

Widget* new_widget(const Cell& face, Widget* parent) {
  gc::add_mark_callback(mark_widgets);  // kept once however often it is added
  Widget* w = new Widget;
  w->face = face;
  w->parent = parent;
  w->serial = ++next_serial;
  if (free_ids.empty()) {
    table.push_back(w);
    w->id = static_cast<uint32_t>(table.size());
  } else {
    w->id = free_ids.back();
    free_ids.pop_back();
    table[w->id - 1] = w;
  }
  return w;
}

void free_widget(Widget* w) {
  if (!w || widget_of_id(w->id) != w) return;
  forget(w);
  close_window(w);
  table[w->id - 1] = nullptr;
  free_ids.push_back(w->id);
  delete w;
}

void free_all_widgets() {
  for (Widget* w : table)
    if (w) free_widget(w);
  table.clear();
  free_ids.clear();
  UiState& u = ui();
  for (WindowState* s : u.windows) delete s;
  u = UiState{};
}

bool WidgetRef::alive() const {
  Widget* now = widget_of_id(id);
  return now && now == widget && now->serial == serial;
}

Widget* widget_of_id(uint32_t id) {
  return id >= 1 && id <= table.size() ? table[id - 1] : nullptr;
}

bool has_focus(const Widget* w) { return w && (w->flags & wflag::focused); }

int32_t widget_data(const Widget* w) { return w ? w->top_row : 0; }

void set_widget_ui(Widget* w, const Cell& str) {
  if (w) w->ui = str;
}

void set_focus(Widget* w) {
  UiState& u = ui();
  if (u.focused) u.focused->flags &= ~wflag::focused;
  u.focused = w;
  if (!w) return;
  w->flags |= wflag::focused;
  for (Widget* top = w; top; top = top->parent)
    if (top->window) top->window->focused = w == top ? nullptr : w;
}

void activate_window(WindowState* s) {
  UiState& u = ui();
  u.current = s;
  if (!s) return;
  Widget* target = s->focused ? s->focused : s->widget;
  set_focus(target);
  if (s->carets == 0 && console().terminal_mode) set_cursor_visible(false);
  u.hover = u.pressed = nullptr;
  u.pressed_chain.clear();
}

void mark_dirty(Widget* w) {
  Widget* top = w ? w : ui().focused;
  if (!top) return;
  while (top->parent) top = top->parent;
  if (top->window && top->window == ui().current) frame().redraw_needed = true;
}

int32_t send_event(Widget* w, int32_t type, int32_t picked) {
  if (!event_sender || !w) return 0;
  event::Record r;
  r.type = type;
  r.face = w->face;
  r.picked = picked;
  return event_sender(w, r);
}

}  // namespace vyn::tui
