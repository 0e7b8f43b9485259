// view/tui/widgets/toggles.cpp: check boxes, radio buttons and progress bars, whose text the
// text-UI helpers build.
#include "view/tui/widgets/widgets.hpp"

namespace vyn::tui {
namespace {

constexpr int32_t key_space = 32;

int32_t progress_update(Widget* w) {
  widgets::call_helper("make-progress-ui", w->face);
  return 0;
}

void render_progress(int x, int y, Widget* w) { render_field(x, y, w, 0); }

int32_t check_update(Widget* w) {
  Cell ui = widgets::call_helper("make-checkbox-ui", w->face);
  if (ui.is(Type::string)) set_widget_ui(w, ui);
  return 0;
}

int32_t radio_update(Widget* w) {
  Cell ui = widgets::call_helper("make-radio-ui", w->face);
  if (ui.is(Type::string)) set_widget_ui(w, ui);
  return 0;
}

void render_toggle(int x, int y, Widget* w) {
  uint32_t flags = render::escapes | render::ui_only;
  render_field(x, y, w, has_focus(w) ? flags | attr::reverse : flags);
}

// Space or a click: a check box toggles (none counts as off), a radio button is set.
int32_t toggle_input(Widget* w, int32_t type, const event::Record& e, bool radio) {
  if (type == evt::focus) {
    mark_dirty(w);
    return 0;
  }
  bool space = type == evt::key && !e.special && e.key == key_space;
  if (!space && type != evt::click) return 0;
  if (Cell* data = facet_slot(w->face, facet::data)) {
    bool on = radio || data->is(Type::none_) || (data->is(Type::logic) && !logic_of(*data));
    *data = make_logic(on);
  }
  run_update(w);
  mark_dirty(w);
  send_event(w, evt::change);
  return 1;
}

int32_t check_input(Widget* w, int32_t type, const event::Record& e) {
  return toggle_input(w, type, e, false);
}
int32_t radio_input(Widget* w, int32_t type, const event::Record& e) {
  return toggle_input(w, type, e, true);
}

}  // namespace

namespace widgets {

void setup_progress(Widget* w) {
  w->update = progress_update;
  w->render = render_progress;
  run_update(w);
}

void setup_check(Widget* w) {
  w->top_row = 0;
  w->update = check_update;
  w->render = render_toggle;
  w->input = check_input;
  run_update(w);
}

void setup_radio(Widget* w) {
  w->top_row = 0;
  w->update = radio_update;
  w->render = render_toggle;
  w->input = radio_input;
  run_update(w);
}

}  // namespace widgets
}  // namespace vyn::tui
