// view/tui/widget_facets.cpp: reading a face's facets as the back end needs them: the widget
// behind a face, flag words, alignment, colours, sizes and positions. Nothing here allocates
// except to raise an error.
#include <cctype>
#include <string_view>

#include "core/error.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/ports/handle.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/tuple.hpp"
#include "values/words/word.hpp"
#include "view/tui/widget.hpp"

namespace vyn::tui {
namespace {

struct FlagWord {
  const char* spelling;
  uint32_t bit;
};
constexpr FlagWord flag_words[] = {
    {"all-over", fflag::all_over},     {"focusable", fflag::focusable},
    {"tri-state", fflag::tri_state},   {"scrollable", fflag::scrollable},
    {"password", fflag::password},     {"no-sync", fflag::no_sync},
    {"fullscreen", fflag::fullscreen}, {"popup", fflag::popup},
    {"modal", fflag::modal},           {"resize", fflag::resize},
    {"no-buttons", fflag::no_buttons}, {"no-max", fflag::no_max},
    {"no-min", fflag::no_min},         {"no-title", fflag::no_title},
    {"no-border", fflag::no_border},
};

bool same_spelling(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

uint32_t flag_of_word(const Cell& word) {
  std::string_view s = symbol::spelling(symbol::resolve(word::symbol(word)));
  for (const FlagWord& f : flag_words)
    if (same_spelling(s, f.spelling)) return f.bit;
  fire(Err::script_invalid_arg, {word});
}

Cell* slot_of(const Cell& obj, int index) {
  if (!obj.is(Type::object) || index < 0) return nullptr;
  NodeId ctx = context::of(obj);
  if (index >= context::slot_count(ctx)) return nullptr;
  Cell* values = context::values(ctx);
  return values ? values + index : nullptr;
}

}  // namespace

bool word_spelled(const Cell& word, const char* spelling) {
  return word::any_word_q(word.type()) && symbol_spelled(word::symbol(word), spelling);
}

bool symbol_spelled(uint32_t symbol, const char* spelling) {
  return same_spelling(symbol::spelling(symbol::resolve(symbol)), spelling);
}

Cell* facet_slot(const Cell& face, int index) { return slot_of(face, index); }

Cell facet_of(const Cell& face, int index) {
  Cell* slot = slot_of(face, index);
  return slot ? *slot : make_none();
}

Cell field_of(const Cell& obj, int index) { return facet_of(obj, index); }

Widget* face_handle(const Cell& face) {
  Cell state = facet_of(face, facet::state);
  if (!state.is(Type::block) || block::vs_length(state) < 1) return nullptr;
  Cell first = *block::vs_abs_at(state, series_head(state));
  return first.is(Type::handle) ? widget_of_id(handle::value_of(first)) : nullptr;
}

uint32_t get_flags(const Cell& flags) {
  if (word::any_word_q(flags.type())) return flag_of_word(flags);
  if (!flags.is(Type::block)) return 0;
  uint32_t bits = 0;
  int32_t n = block::vs_length(flags);
  for (int32_t i = 0; i < n; ++i) {
    Cell item = *block::vs_abs_at(flags, series_head(flags) + i);
    if (word::any_word_q(item.type())) bits |= flag_of_word(item);
  }
  return bits;
}

uint32_t para_align(const Cell& face) {
  Cell para = facet_of(face, facet::para);
  if (!para.is(Type::object)) return 0;
  uint32_t bits = 0;
  Cell h = field_of(para, para_field::align), v = field_of(para, para_field::v_align);
  if (word_spelled(h, "center")) bits |= align::center;
  if (word_spelled(h, "right")) bits |= align::right;
  if (word_spelled(v, "middle")) bits |= align::middle;
  if (word_spelled(v, "bottom")) bits |= align::bottom;
  Cell wrap = field_of(para, para_field::wrap);
  if (wrap.is(Type::logic) && logic_of(wrap)) bits |= align::wrap;
  return bits;
}

uint32_t tuple_color(const Cell& t) {
  tuple::Bytes b = tuple::bytes_of(t);
  uint32_t c = b.b[0] | uint32_t(b.b[1]) << 8 | uint32_t(b.b[2]) << 16;
  if (b.size >= 4) c |= uint32_t(b.b[3]) << 24;
  return c;
}

uint32_t face_color(const Cell& face) {
  Cell c = facet_of(face, facet::color);
  return c.is(Type::tuple) ? tuple_color(c) : 0;
}

uint32_t font_handle(const Cell& font) {
  Cell state = field_of(font, font_field::state);
  return state.is(Type::handle) ? handle::value_of(state) : 0;
}

void pair_to_point(Cell& cell) {
  if (cell.is(Type::pair)) cell = point::make2(float(pair::x_of(cell)), float(pair::y_of(cell)));
}

bool type_is(const Widget* w, const char* spelling) { return w && symbol_spelled(w->type, spelling); }

void widget_size(const Widget* w, int& width, int& height) {
  width = static_cast<int>(w->x2 - w->x1);
  height = static_cast<int>(w->y2 - w->y1);
}

void absolute_position(const Widget* w, int& x, int& y) {
  float fx = 0, fy = 0;
  for (; w && w->parent; w = w->parent) fx += w->x1, fy += w->y1;
  x = static_cast<int>(fx), y = static_cast<int>(fy);
}

int32_t str_utf16_index(const Cell& str, int32_t index, int32_t length, int32_t step) {
  if (!str.is(Type::string) || buffer_of(series_node(str))->unit() != 4) return length;
  int32_t total = string::length_total(str);
  int32_t span = length;
  for (int32_t i = series_head(str) + index; i < series_head(str) + index + span && i < total; ++i) {
    if (string::char_at(series_node(str), static_cast<uint32_t>(i)) <= 0xFFFF) continue;
    length += step;
    if (step < 0) --span;
  }
  return length;
}

}  // namespace vyn::tui
