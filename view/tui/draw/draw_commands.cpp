// view/tui/draw/draw_commands.cpp: the draw commands with argument forms of their own: pens and
// gradients, text and fonts, images, shadows, clipping and the transforms.
#include "values/series/block.hpp"
#include "view/tui/draw/draw.hpp"
#include "view/tui/draw/draw_internal.hpp"
#include "view/tui/draw/draw_parse.hpp"
#include "view/tui/screen/text_layout.hpp"
#include "view/tui/widget.hpp"

namespace vyn::draw {
namespace {

bool take_stop(Args& a) {
  uint32_t c;
  if (!a.opt_colour(c)) return false;
  if (a.more() && a.peek().is(Type::float_)) (void)a.take();
  return true;
}

int colour_stops(Args& a) {
  int n = 0;
  while (take_stop(a)) ++n;
  return n;
}

bool opt_tile_mode(Args& a) {
  for (const char* m : {"tile", "flip-x", "flip-y", "flip-xy", "clamp"})
    if (a.opt_word(m)) return true;
  return false;
}

bool opt_percent_or_number(Args& a) {
  double d;
  if (a.opt_number(d)) return true;
  if (a.more() && a.peek().is(Type::percent)) return (void)a.take(), true;
  return false;
}

}  // namespace

void Parser::pen_form(Args& a, bool fill) {
  auto set = fill ? tui_draw::fill_pen : tui_draw::pen;
  uint32_t colour;
  if (a.opt_colour(colour)) return set(state_, true, colour);
  if (a.opt_word("off")) return set(state_, false, 0);
  Cell w = a.peek();
  if (w.is(Type::word) && (word_is(w, "linear") || word_is(w, "radial") || word_is(w, "diamond")))
    return gradient(a, a.take());
  if (a.opt_word("pattern")) {
    Point p;
    (void)a.point();
    if (a.opt_point(p)) (void)a.opt_point(p);
    (void)opt_tile_mode(a);
    (void)a.block_arg();  // patterns have no cells to fill in the terminal
    return;
  }
  if (a.opt_word("bitmap")) {
    (void)a.value_of(Type::image);
    Point p;
    if (a.opt_point(p)) (void)a.opt_point(p);
    (void)opt_tile_mode(a);
    return;
  }
  a.fail();
}

void Parser::gradient(Args& a, const Cell& kind) {
  Point p;
  if (a.opt_point(p)) {  // geometry first
    if (!a.peek().is(Type::integer)) a.fail();
    (void)a.take();
    if (!a.peek().is(Type::integer)) a.fail();
    (void)a.take();
    double d;
    for (int i = 0; i < 3 && a.opt_number(d); ++i) {
    }
    if (colour_stops(a) < 2) a.fail();
    return;
  }
  if (colour_stops(a) < 2) a.fail();
  double d;
  if (word_is(kind, "radial")) {
    if (a.opt_point(p) && a.opt_number(d)) (void)a.opt_point(p);
  } else if (a.opt_point(p) && a.opt_point(p)) {
    if (word_is(kind, "diamond")) (void)a.opt_point(p);
  }
  for (const char* spread : {"pad", "repeat", "reflect"})
    if (a.opt_word(spread)) break;
}

void Parser::font(Args& a) {
  Cell f = a.value_of(Type::object);
  Cell colour = field(f, "color");
  tui_draw::font(state_, colour.is(Type::tuple), colour.is(Type::tuple) ? color_of(colour, nullptr) : 0);
}

void Parser::text(Args& a) {
  Point at = a.point();
  Cell v = a.peek();
  if (v.is(Type::string)) return (void)a.take(), tui_draw::text(state_, at, tui::text_of(v));
  if (!v.is(Type::object)) a.fail();
  (void)a.take();
  if (!state_.target) return;
  tui_draw::text_cells(state_, at, layout_rich_text(v), tui::para_align(v));
}

void Parser::image(Args& a) {
  (void)a.value_of(Type::image);
  Point p;
  while (a.opt_point(p)) {
  }
  uint32_t key;
  (void)a.opt_colour(key);
  if (a.opt_word("border")) return;
  if (a.opt_word("crop")) (void)a.point(), (void)a.point();
}

void Parser::shadow(Args& a) {
  if (a.opt_word("off")) return;
  (void)a.point();
  int32_t n;
  if (a.opt_integer(n)) (void)a.opt_integer(n);
  uint32_t c;
  (void)a.opt_colour(c);
  (void)a.opt_word("inset");
}

void Parser::clip(Args& a) {
  Cell path = make_none();  // a Cell is not initialised: clip with two points has no path
  if (!a.opt_block(path)) (void)a.point(), (void)a.point();
  for (const char* mode : {"replace", "intersect", "union", "xor", "exclude"})
    if (a.opt_word(mode)) break;
  if (path.is(Type::block)) shape(path);
  Cell body;
  if (a.opt_block(body)) nested(body);
}

// which: 0 rotate, 1 scale, 2 translate, 3 skew, 4 transform.
void Parser::transform(Args& a, int which) {
  (void)(a.opt_word("pen", true) || a.opt_word("fill-pen", true));
  Point p;
  double d;
  switch (which) {
    case 0: (void)a.number(), (void)a.opt_point(p); break;
    case 1:
      if (!opt_percent_or_number(a) || !opt_percent_or_number(a)) a.fail();
      (void)a.opt_point(p);
      break;
    case 2: (void)a.point(); break;
    case 3: (void)a.number(), (void)a.opt_number(d), (void)a.opt_point(p); break;
    default:
      (void)a.opt_point(p);
      (void)a.number();
      if (!opt_percent_or_number(a) || !opt_percent_or_number(a)) a.fail();
      (void)a.point();
  }
  Cell body;
  if (a.opt_block(body)) nested(body);  // state pushes and pops are nothing in the terminal
}

void Parser::matrix(Args& a) {
  (void)(a.opt_word("pen", true) || a.opt_word("fill-pen", true));
  int32_t at = a.index();
  Cell m = a.block_arg();
  Args values(m, series_head(m) < 0 ? 0 : series_head(m));
  int n = 0;
  double d;
  while (values.opt_number(d)) ++n;
  if (n != 6 || values.more()) a.fail_at(at);
}

}  // namespace vyn::draw
