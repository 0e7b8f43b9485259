// view/tui/widgets/button_base.cpp: the button (space clicks it) and the base, which can name a
// face that shows the text cursor at the base's place.
#include "values/series/block.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/widgets/widgets.hpp"

namespace vyn::tui {
namespace {

void render_button(int x, int y, Widget* w) {
  render_field(x, y, w, has_focus(w) ? render::escapes | attr::reverse : render::escapes);
}

int32_t button_input(Widget* w, int32_t type, const event::Record& e) {
  if (type != evt::key) return 0;
  mark_dirty(w);
  if (e.special || e.key != ' ') return 0;
  send_event(w, evt::click);  // the actor may destroy the button: nothing touches it after
  return 1;
}

// The caret faces named in the base's options: each gets the caret flag, the base the
// caret-owner flag. Answers the focused one, or null.
Widget* mark_carets(Widget* base) {
  Cell options = facet_of(base->face, facet::options);
  if (!options.is(Type::block) || block::vs_length(options) % 2 != 0) return nullptr;
  Widget* focused = nullptr;
  int32_t n = block::vs_length(options);
  for (int32_t i = 0; i < n; i += 2) {
    Cell key = *block::vs_abs_at(options, series_head(options) + i);
    Cell value = *block::vs_abs_at(options, series_head(options) + i + 1);
    Widget* target = word_spelled(key, "caret") ? face_handle(value) : nullptr;
    if (!target) continue;
    target->flags |= wflag::caret;
    base->flags |= wflag::caret_owner;
    if (has_focus(target)) focused = target;
  }
  return focused;
}

void render_base(int x, int y, Widget* w) {
  if (mark_carets(w)) frame().caret_col = x, frame().caret_row = y;
  if (!(w->flags & wflag::caret_owner)) render_field(x, y, w, render::escapes);
}

}  // namespace

namespace widgets {

void setup_button(Widget* w) {
  w->render = render_button;
  w->input = button_input;
}

void setup_base(Widget* w) {
  mark_carets(w);
  w->render = render_base;
}

}  // namespace widgets
}  // namespace vyn::tui
