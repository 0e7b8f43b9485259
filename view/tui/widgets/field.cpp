// view/tui/widgets/field.cpp: the one-line editable field: caret movement, insertion within the
// field's width, backspace; the face's text string is edited in place.
#include <algorithm>

#include "core/stack.hpp"
#include "values/text/string_storage.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/text_layout.hpp"
#include "view/tui/widgets/widgets.hpp"

namespace vyn::tui {
namespace {

constexpr int32_t key_left = -23, key_right = -22;

int field_width(const Widget* w) {
  int width, height;
  widget_size(w, width, height);
  return width;
}

void render_widget(int x, int y, Widget* w) {
  Rect one_row = widgets::clip_of(x, y, w);
  if (one_row.y2 > one_row.y1 + 1) one_row.y2 = one_row.y1 + 1;
  uint32_t flags = render::escapes;
  if (w->flags & wflag::password) flags |= attr::masked;
  widgets::render_in(x, y, w, flags, one_row);
  if (has_focus(w)) {
    frame().caret_col = x + w->edit.caret_col;
    frame().caret_row = y;
  }
}

void click(Widget* w, const event::Record& e) {
  std::u32string text = text_of(facet_of(w->face, facet::text));
  TextSize s = measure_text(text, static_cast<int>(e.x));
  w->edit.caret_col = s.width;
  w->edit.caret_index = s.chars;
}

void backspace(Widget* w, Cell text) {
  FieldEdit& ed = w->edit;
  if (ed.caret_index <= 0) return;
  uint32_t at = static_cast<uint32_t>(series_head(text) + ed.caret_index - 1);
  int cw = char_width(string::char_at(series_node(text), at));
  string::remove_char(text, at);
  --ed.caret_index;
  ed.caret_col -= cw, ed.text_width -= cw;
}

void insert(Widget* w, Cell text, uint32_t cp) {
  FieldEdit& ed = w->edit;
  int cw = char_width(cp);
  if (field_width(w) - cw < ed.text_width) return;  // would not fit
  uint32_t at = static_cast<uint32_t>(series_head(text) + ed.caret_index);
  if (ed.caret_index >= string::length(text)) string::append_char(series_node(text), cp);
  else string::insert_char(series_node(text), at, cp);
  ++ed.caret_index;
  ed.caret_col += cw, ed.text_width += cw;
}

void move(Widget* w, Cell text, int step) {
  FieldEdit& ed = w->edit;
  if (step < 0 && ed.caret_index > 0) {
    --ed.caret_index;
    ed.caret_col -= char_width(string::char_at(series_node(text), series_head(text) + ed.caret_index));
  } else if (step > 0 && ed.caret_index < string::length(text)) {
    ed.caret_col += char_width(string::char_at(series_node(text), series_head(text) + ed.caret_index));
    ++ed.caret_index;
  }
}

// A script may have changed the text since the caret was placed: the caret is kept inside the
// text and its column and the text's width are measured again.
void sync_edit(Widget* w, const Cell& text) {
  std::u32string chars = text_of(text);
  FieldEdit& ed = w->edit;
  ed.caret_index = std::clamp<int32_t>(ed.caret_index, 0, static_cast<int32_t>(chars.size()));
  ed.caret_col = text_size(std::u32string_view(chars).substr(0, ed.caret_index)).width;
  ed.text_width = text_size(chars).width;
}

// Answers 0 for the keys the view engine acts on (0, tab, enter); 1 for every other key.
int32_t key(Widget* w, const event::Record& e) {
  int32_t k = e.key;
  if (!e.special && (k == 0 || k == 9 || k == 13)) return 0;
  Cell text = widgets::text_string(w);
  sync_edit(w, text);
  if (e.special) {
    if (k == key_left) move(w, text, -1);
    else if (k == key_right) move(w, text, 1);
  } else if (k == 2 || k == 6) {
    move(w, text, k == 2 ? -1 : 1);
  } else if (k == 8 || k == 127) {
    backspace(w, text);
  } else if (k >= 32) {
    insert(w, text, static_cast<uint32_t>(k));
  }
  return 1;
}

int32_t input(Widget* w, int32_t type, const event::Record& e) {
  int32_t handled = 0;
  if (type == evt::click) click(w, e), handled = 1;
  else if (type == evt::key) handled = key(w, e);
  if (handled) mark_dirty(w);
  return handled;
}

}  // namespace

namespace widgets {

Cell text_string(Widget* w) {
  Cell text = facet_of(w->face, facet::text);
  if (text.is(Type::string)) return text;
  stack::Mark mark;
  Cell* fresh = string::make_at(stack::push_unset(), 16);
  if (Cell* slot = facet_slot(w->face, facet::text)) *slot = *fresh;
  return *fresh;  // held by the face from here on
}

void setup_field(Widget* w) {
  w->flags |= wflag::caret;
  w->render = render_widget;
  w->input = input;
  std::u32string text = text_of(facet_of(w->face, facet::text));
  TextSize fit = measure_text(text, field_width(w));
  w->edit.caret_index = fit.chars;
  w->edit.caret_col = fit.width;
  w->edit.text_width = text_size(text).width;
}

}  // namespace widgets
}  // namespace vyn::tui
