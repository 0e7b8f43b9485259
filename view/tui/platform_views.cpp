// view/tui/platform_views.cpp: the per-face view operations: making a face's widget, applying its
// change flags, series changes of its facets, and destroying its views.
#include <cstring>
#include <vector>

#include "values/series/block.hpp"
#include "values/words/word.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/backend.hpp"
#include "view/tui/input/event_loop.hpp"

namespace vyn::tui {
namespace {

constexpr int max_depth = 64;  // pane nesting this deep (or a pane holding its own face) stops here

// Change flags of a face's state (one bit per facet).
namespace changed {
inline constexpr uint32_t offset = 0x2, size = 0x4, image = 0x10, enabled = 0x100,
                          visible = 0x200, data = 0x400, flags = 0x800, rate = 0x10000;
}

bool is_true(const Cell& v) { return v.is(Type::logic) && logic_of(v) != 0; }

// The state block's second value, where the change flags are kept; null without one.
Cell* change_slot(const Cell& face) {
  Cell state = facet_of(face, facet::state);
  if (!state.is(Type::block) || block::vs_length(state) < 2) return nullptr;
  return block::vs_head(state) + 1;
}

void set_bit(Widget* w, uint32_t bit, bool on) { w->flags = on ? w->flags | bit : w->flags & ~bit; }

// Widgets told of a series cut: the change is told before the values leave, so what their update
// built then still shows them; it runs again before the next frame.
std::vector<WidgetRef>& cut_pending() {
  static std::vector<WidgetRef>& pending = *new std::vector<WidgetRef>;
  return pending;
}

// A window's data change: the focus goes to the face in selected, or to the window itself.
void window_selection(Widget* w) {
  Cell selected = facet_of(w->face, facet::selected);
  if (selected.is(Type::object)) {
    if (Widget* target = face_handle(selected)) focus_widget(target);
  } else if (selected.is(Type::none_)) {
    focus_widget(w);
  }
}

// Takes the face out of a font's or para's parent block (no change events); answers whether
// the block is empty afterwards.
bool leave_parent(const Cell& owner, const Cell& face, int parent_index) {
  Cell parent = field_of(owner, parent_index);
  if (!parent.is(Type::block)) return false;
  SeriesBuffer* b = block::buffer(parent);
  Cell* cells = block::cells(parent);
  int32_t n = block::length_total(parent);
  for (int32_t i = 0; i < n; ++i) {
    if (cells[i].is(Type::object) && context::of(cells[i]) == context::of(face)) {
      std::memmove(cells + i, cells + i + 1, sizeof(Cell) * static_cast<size_t>(n - i - 1));
      b->tail -= sizeof(Cell);
      break;
    }
  }
  return block::vs_length(parent) <= 0;
}

void destroy_in(const Cell& face, int depth) {
  Widget* w = face_handle(face);
  if (!w || depth > max_depth) return;
  WidgetRef ref(w);
  if (!facet_of(face, facet::rate).is(Type::none_)) remove_timer(w);
  Cell font = facet_of(face, facet::font);
  if (font.is(Type::object) && leave_parent(font, face, font_field::parent)) {
    if (Cell* state = facet_slot(font, font_field::state)) *state = make_none();
  }
  Cell para = facet_of(face, facet::para);
  if (para.is(Type::object)) leave_parent(para, face, para_field::parent);
  Cell pane = facet_of(face, facet::pane);
  if (pane.is(Type::block)) {
    for (int32_t i = 0; i < block::vs_length(pane); ++i) {
      Cell child = block::vs_head(pane)[i];  // a copy: the pane's buffer is not to be held
      destroy_in(child, depth + 1);
    }
  }
  if (ref.alive()) free_widget(w);
  if (Cell* state = facet_slot(face, facet::state)) *state = make_none();
}

}  // namespace

Widget* make_view(const Cell& face, Widget* parent) { return make_widget(face, parent); }

void update_view(const Cell& face) {
  Cell* slot = change_slot(face);
  Widget* w = face_handle(face);
  if (!slot || !w) return;
  uint32_t flags = slot->is(Type::integer) ? static_cast<uint32_t>(slot->int_value()) : 0;
  WidgetRef ref(w);
  if (flags & changed::rate) {
    remove_timer(w);
    Cell rate = facet_of(face, facet::rate);
    if (!rate.is(Type::none_)) start_rate_timer(w, rate);
  }
  if (flags & changed::offset) read_offset(w);
  if (flags & changed::size) read_size(w);
  if ((flags & changed::data) && type_is(w, "window")) window_selection(w);
  if (!ref.alive()) return;  // focus events run actors
  if (flags & changed::enabled) set_bit(w, wflag::disabled, !is_true(facet_of(face, facet::enabled)));
  if (flags & changed::visible) set_bit(w, wflag::hidden, !is_true(facet_of(face, facet::visible)));
  if (flags & changed::flags) {
    uint32_t bits = get_flags(facet_of(face, facet::flags));
    set_bit(w, wflag::all_over, bits & fflag::all_over);
    set_bit(w, wflag::password, bits & fflag::password);
  }
  if (flags & changed::image) image_to_cells(w);
  run_update(w);
  if (!ref.alive()) return;
  mark_dirty(w);
  if ((slot = change_slot(face))) *slot = make_integer(0);
}

void update_facet(const Cell& owner, const Cell& word, const Cell& value, const Cell& action,
                  int32_t index, int32_t part) {
  Widget* w = face_handle(owner);
  bool series_cut = word_spelled(action, "remove") || word_spelled(action, "clear") ||
                    word_spelled(action, "move") || word_spelled(action, "take");
  if (w && word_spelled(word, "data") && type_is(w, "text-list") && series_cut) {
    if (!value.is(Type::block)) return;
    // The change comes before the items leave, and value is positioned where they start: the
    // list's length is the whole block's.
    int32_t n = block::length_total(value);
    if (word_spelled(action, "clear") && part < n - index) part = n - index;  // told as 0 items
    if (index < w->top_row) w->top_row = index;
    if (index == 0 && part >= n) w->top_row = 0;
    int32_t limit = n - part > 0 ? n - part : 0;  // the items left
    if (w->top_row >= limit) w->top_row = limit > 0 ? limit - 1 : 0;  // some item stays in view
    if (Cell* selected = facet_slot(owner, facet::selected)) {
      if (selected->is(Type::integer) && selected->int_value() > limit)
        *selected = make_integer(limit);
    }
  } else if (w && part == 0 && (type_is(w, "drop-list") || type_is(w, "drop-down"))) {
    return;
  }
  update_view(owner);
  if (w && series_cut) cut_pending().emplace_back(w);
}

void update_after_cuts() {
  std::vector<WidgetRef> due;
  due.swap(cut_pending());  // an update may cut a series again: that waits for the next frame
  for (const WidgetRef& r : due) {
    if (!r.alive()) continue;
    run_update(r.widget);
    if (r.alive()) mark_dirty(r.widget);
  }
}

void destroy_tree(const Cell& face) { destroy_in(face, 0); }

// Closing a window ends the innermost loop; removing any other face from a pane leaves the
// loop that shows its window running.
void destroy_view(const Cell& face) {
  Widget* w = face_handle(face);
  bool window = w && type_is(w, "window");
  destroy_tree(face);
  if (window) post_quit_msg();
  if (!ui().windows.empty()) frame().redraw_needed = true;
}

}  // namespace vyn::tui
