// view/tui/widgets/text_list.cpp: the text list: a selection moved by Up, Down and clicks, a top
// row that keeps it visible, and the select and change events.
#include <algorithm>

#include "values/series/block.hpp"
#include "values/maps/map.hpp"
#include "view/tui/widgets/widgets.hpp"

namespace vyn::tui {
namespace {

constexpr int32_t key_up = -20, key_down = -21;

int32_t item_count(const Cell& data) {
  if (data.is(Type::block) || data.is(Type::hash)) return std::max(block::vs_length(data), 0);
  if (data.is(Type::map)) return map::count(data);
  return 0;
}

int32_t update(Widget* w) {
  widgets::call_helper("make-text-list-ui", w->face);
  return 0;
}

// The new selection, sent as select and, unless a handler answered done, as change.
void select(Widget* w, int32_t old_index, int32_t index) {
  if (index == old_index) return;
  WidgetRef ref(w);
  int32_t done = send_event(w, evt::select, index);
  if (!ref.alive()) return;  // an actor closed the list
  Cell* selected = facet_slot(w->face, facet::selected);
  if (selected && (selected->is(Type::integer) ? selected->int_value() == old_index : old_index == 0))
    *selected = make_integer(index);
  run_update(w);
  mark_dirty(w);
  if (!done) send_event(w, evt::change, index);
}

int32_t key(Widget* w, const event::Record& e, int32_t sel, int32_t& index) {
  if (!e.special || (e.key != key_up && e.key != key_down)) return 0;
  int width, height;
  widget_size(w, width, height);
  int32_t n = item_count(facet_of(w->face, facet::data));
  if (e.key == key_up) {
    if (sel > 1) --index;
    if (index - 1 < w->top_row && w->top_row > 0) --w->top_row;
  } else {
    if (sel < n) ++index;
    if (w->top_row < index - height) ++w->top_row;
  }
  return 1;
}

int32_t input(Widget* w, int32_t type, const event::Record& e) {
  if (type == evt::focus || type == evt::unfocus) {  // the selection shows only while focused
    run_update(w);
    mark_dirty(w);
    return 0;
  }
  Cell selected = facet_of(w->face, facet::selected);
  int32_t sel = selected.is(Type::integer) ? selected.int_value() : 0;
  int32_t index = sel;
  int32_t handled = 0;
  if (type == evt::key) {
    handled = key(w, e, sel, index);
  } else if (type == evt::click) {
    index = w->top_row + static_cast<int32_t>(e.y) + 1;
    if (!selected.is(Type::integer))
      if (Cell* slot = facet_slot(w->face, facet::selected)) *slot = make_integer(0);
    handled = 1;
  }
  if (handled) select(w, sel, index);
  return handled;
}

}  // namespace

namespace widgets {

void setup_text_list(Widget* w) {
  w->top_row = 0;
  w->update = update;
  w->input = input;
  run_update(w);
}

}  // namespace widgets
}  // namespace vyn::tui
