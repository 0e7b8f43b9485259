// view/tui/backend.cpp: gui/init, the collector's callback, and reading system/view.
#include "view/tui/backend.hpp"

#include "eval/interp.hpp"
#include "core/stack.hpp"
#include "values/objects/context.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/tuple.hpp"
#include "values/words/word.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/input/event_loop.hpp"
#include "values/predefined.hpp"

namespace vyn::tui {
namespace {

Cell field(const Cell& object, const char* name) {
  if (!object.is(Type::object)) return make_none();
  Cell* v = context::value_cell_of(context::of(object), symbol::make(name));
  return v ? *v : make_none();
}

void set_field(const Cell& object, const char* name, const Cell& value) {
  if (!object.is(Type::object)) return;
  if (Cell* v = context::value_cell_of(context::of(object), symbol::make(name))) *v = value;
}

// TUI-helpers/check-color-support: 4 (true colour) or 2 (256 colours); 4 when it cannot be asked.
int32_t color_depth() {
  Cell helpers = *word::value_cell(predefined::word(predefined::W::tui_helpers));
  Cell check = field(helpers, "check-color-support");
  if (!check.is(Type::function)) return 4;
  stack::Mark mark;
  Cell name = predefined::word(predefined::W::check_color_support);
  Flow f = interp::call_with(check, nullptr, 0, name);
  if (f != Flow::normal) return 4;
  Cell answer = *stack::last_value();
  return answer.is(Type::integer) && answer.int_value() == 2 ? 2 : 4;
}

}  // namespace

Cell view_field(const char* name) {
  Cell system = *word::value_cell(predefined::word(predefined::W::system));
  return field(field(system, "view"), name);
}

bool platform_mouse_wanted() {
  Cell v = field(view_field("platform"), "mouse-event?");
  return v.is(Type::logic) && logic_of(v) != 0;
}

void shutdown() {
  free_all_widgets();
  loop() = LoopState{};
}

void gui_init(const Cell& platform) {
  const uint8_t version[3] = {10, 10, 10};
  set_field(platform, "version", tuple::make(version, 3));
  set_field(platform, "build", make_integer(1000));
  set_field(platform, "product", make_integer(0));
  frame().color_depth = color_depth();
  event_sender = send_widget_event;
}

}  // namespace vyn::tui
