// view/tui/draw/draw_metrics.cpp: rich-text faces laid out in cells: their prepared cells and their
// metrics (character positions, the index at a point, size and line count).
#include <algorithm>

#include "core/stack.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/draw/draw.hpp"
#include "view/tui/draw/draw_internal.hpp"
#include "view/tui/screen/text_layout.hpp"

namespace vyn::draw {
namespace {

// Where each character of a text lands: column and row, lines broken at a newline or where the
// next character would pass the width (none: no limit).
struct Placement {
  std::vector<Point> at;  // one per character, then the position after the last
  int widest = 0;
  int lines = 1;
};

Placement place(const std::u32string& text, int limit) {
  Placement p;
  int col = 0, row = 0;
  for (char32_t c : text) {
    if (c == '\n') {
      p.at.push_back({col, row});
      col = 0, ++row;
      continue;
    }
    int w = tui::char_width(c);
    if (limit > 0 && col > 0 && col + w > limit) col = 0, ++row;
    p.at.push_back({col, row});
    col += w;
    p.widest = std::max(p.widest, col);
  }
  p.at.push_back({col, row});
  p.lines = row + 1;
  return p;
}

int width_limit(const Cell& face) {
  Cell size = field(face, "size");
  if (size.is(Type::pair) || size.is(Type::point2D)) return point_of(size).x;
  return 0;
}

// The 1-based index of the character at a cell: the first one on the row at or right of the
// column, else the end of the row: its newline, or the position after its last character (after
// the text for a row past it).
int32_t index_at(const Placement& p, Point pt, const std::u32string& text) {
  int32_t last_on_row = -1;
  for (size_t i = 0; i + 1 < p.at.size(); ++i) {
    if (p.at[i].y != pt.y) continue;
    if (p.at[i].x >= pt.x) return static_cast<int32_t>(i) + 1;
    last_on_row = static_cast<int32_t>(i);
  }
  if (last_on_row < 0) return static_cast<int32_t>(p.at.size());
  return text[static_cast<size_t>(last_on_row)] == U'\n' ? last_on_row + 1 : last_on_row + 2;
}

}  // namespace

TextLayout layout_rich_text(const Cell& face) {
  Cell text = field(face, "text");
  if (!text.is(Type::string)) return {};
  // The face's colour is the background of every character (a fully transparent one maps to 0).
  Cell face_colour = field(face, "color");
  uint32_t bg = face_colour.is(Type::tuple) ? tui::rgb_to_256(color_of(face_colour, nullptr)) : 0;
  uint32_t fg = 0;
  Cell font = field(face, "font");
  if (font.is(Type::object)) {
    Cell colour = field(font, "color");
    if (colour.is(Type::tuple)) fg = tui::rgb_to_256(color_of(colour, nullptr));
  }
  TextLayout layout;
  for (char32_t c : tui::text_of(text)) layout.push_back({static_cast<int32_t>(c), bg, fg, 0});
  parse_text_styles(layout, field(face, "data"), true);
  return layout;
}

Cell* text_box_metrics(const Cell& face, const Cell& arg, int32_t kind) {
  Cell text = field(face, "text");
  if (!text.is(Type::string)) return stack::push(make_none());
  std::u32string chars = tui::text_of(text);
  Placement p = place(chars, width_limit(face));
  switch (kind) {
    case 0:
    case 6: {
      int32_t i = arg.is(Type::integer) ? arg.int_value() : 1;
      i = std::clamp<int32_t>(i, 1, static_cast<int32_t>(p.at.size()));
      Point at = p.at[static_cast<size_t>(i - 1)];
      return point::push2(static_cast<float>(at.x), static_cast<float>(at.y + (kind == 6 ? 1 : 0)));
    }
    case 1:
    case 5: {
      Point pt = arg.is(Type::pair) || arg.is(Type::point2D) ? point_of(arg) : Point{0, 0};
      return stack::push(make_integer(index_at(p, pt, chars)));
    }
    case 2: return stack::push(make_float(1.0));
    case 3: return point::push2(static_cast<float>(p.widest), static_cast<float>(p.lines));
    case 4: return stack::push(make_integer(p.lines));
    default: return stack::push(make_none());
  }
}

}  // namespace vyn::draw
