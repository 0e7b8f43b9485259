// view/tui/widgets/setup.cpp: giving a widget the behaviour of its face's type, and calling the
// text-UI helper functions written in the language.
#include "view/tui/widgets/widgets.hpp"

#include <algorithm>
#include <vector>

#include "eval/interp.hpp"
#include "core/stack.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::tui {
namespace {

struct Setup {
  const char* type;
  void (*setup)(Widget*);
};
constexpr Setup setups[] = {
    {"window", widgets::setup_window}, {"field", widgets::setup_field},
    {"button", widgets::setup_button}, {"base", widgets::setup_base},
    {"progress", widgets::setup_progress}, {"group-box", widgets::setup_group_box},
    {"check", widgets::setup_check}, {"radio", widgets::setup_radio},
    {"text-list", widgets::setup_text_list}, {"rich-text", widgets::setup_rich_text},
};

}  // namespace

void setup_widget(Widget* w) {
  for (const Setup& s : setups)
    if (type_is(w, s.type)) return s.setup(w);
}

// An update may change facets whose handlers update the view again: that inner update is
// skipped rather than recursing.
int32_t run_update(Widget* w) {
  static std::vector<Widget*> running;
  if (!w || !w->update || std::find(running.begin(), running.end(), w) != running.end()) return 0;
  running.push_back(w);
  struct Pop {
    ~Pop() { running.pop_back(); }
  } pop;
  return w->update(w);
}

namespace widgets {

Cell call_helper(const char* name, const Cell& face) {
  Cell helpers = *word::value_cell(predefined::word(predefined::W::tui_helpers));
  if (!helpers.is(Type::object)) return make_none();
  stack::Mark mark;
  Cell* held = stack::push(face);
  Cell fn = *object::select_word(helpers, word::load(name));
  if (!fn.is(Type::function)) return make_none();
  Cell* callable = stack::push(fn);
  if (interp::call_with(*callable, held, 1, word::load(name)) != Flow::normal) return make_none();
  return *stack::last_value();
}

}  // namespace widgets
}  // namespace vyn::tui
