// view/tui/widgets/window.cpp: the window widget: its state record, full-screen mode, and
// becoming the window shown.
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/widgets/widgets.hpp"

namespace vyn::tui {
namespace {

void render_nothing(int, int, Widget*) {}  // its children draw

}  // namespace

namespace widgets {

void setup_window(Widget* w) {
  auto* s = new WindowState;
  s->widget = w;
  w->window = s;
  w->render = render_nothing;
  if (w->flags & wflag::fullscreen) frame().fullscreen = true;
  UiState& u = ui();
  u.last_window = w;
  if (!u.focused) set_focus(w);
  u.windows.push_back(s);
}

}  // namespace widgets

// The widget that takes the focus here gets no focus event: its update shows that it has it (a
// text list's selection).
void show_window(Widget* w) {
  if (!w || !w->window) return;
  WidgetRef ref(w);
  activate_window(w->window);
  if (ui().focused && ui().focused != w) run_update(ui().focused);
  if (ref.alive()) mark_dirty(w);
}

}  // namespace vyn::tui
