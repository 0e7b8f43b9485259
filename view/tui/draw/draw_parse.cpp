// view/tui/draw/draw_parse.cpp: the draw dialect's interpreter.
#include "view/tui/draw/draw_parse.hpp"

#include "values/series/block.hpp"
#include "values/cycles.hpp"
#include "values/words/word.hpp"
#include "view/tui/draw/draw_internal.hpp"

namespace vyn::draw {
namespace {

enum class Cmd {
  none, pen, fill_pen, box, line, line_width, line_join, line_cap, line_pattern, triangle, polygon,
  circle, ellipse, anti_alias, font, text, arc, curve, spline, image, shadow, clip, shape, rotate,
  scale, translate, skew, transform, push, matrix, reset_matrix, invert_matrix
};

struct Name {
  const char* name;
  Cmd cmd;
};
const Name names[] = {
    {"pen", Cmd::pen}, {"fill-pen", Cmd::fill_pen}, {"box", Cmd::box}, {"line", Cmd::line},
    {"line-width", Cmd::line_width}, {"line-join", Cmd::line_join}, {"line-cap", Cmd::line_cap},
    {"line-pattern", Cmd::line_pattern}, {"triangle", Cmd::triangle}, {"polygon", Cmd::polygon},
    {"circle", Cmd::circle}, {"ellipse", Cmd::ellipse}, {"anti-alias", Cmd::anti_alias},
    {"font", Cmd::font}, {"text", Cmd::text}, {"arc", Cmd::arc}, {"curve", Cmd::curve},
    {"spline", Cmd::spline}, {"image", Cmd::image}, {"shadow", Cmd::shadow}, {"clip", Cmd::clip},
    {"shape", Cmd::shape}, {"rotate", Cmd::rotate}, {"scale", Cmd::scale},
    {"translate", Cmd::translate}, {"skew", Cmd::skew}, {"transform", Cmd::transform},
    {"push", Cmd::push}, {"matrix", Cmd::matrix}, {"reset-matrix", Cmd::reset_matrix},
    {"invert-matrix", Cmd::invert_matrix},
};

Cmd command_of(const Cell& word) {
  for (const Name& n : names)
    if (word_is(word, n.name)) return n.cmd;
  return Cmd::none;
}

}  // namespace

void Parser::commands(const Cell& block) {
  if (cycles::find(series_node(block))) raise_infinite(block);
  cycles::push(series_node(block));  // an error leaves it to the run to reset the stack
  Args a(block, series_head(block) < 0 ? 0 : series_head(block));
  while (a.more()) {
    Cell v = a.take();
    switch (v.type()) {
      case Type::word: command(a, v); break;
      case Type::set_word: set_word(a, v); break;
      case Type::block: commands(v); break;
      default: a.fail_at(a.index() - 1);
    }
  }
  cycles::pop();
}

void Parser::set_word(Args& a, const Cell& word) {
  if (word::context(word) == 0 && catch_) a.fail_at(a.index() - 1);
  Cell here = a.block();
  here.w1 = static_cast<uint32_t>(a.index());
  Cell w = word;
  word::set(w, here);
}

void Parser::nested(const Cell& block) { commands(block); }

void Parser::command(Args& a, const Cell& word) {
  switch (command_of(word)) {
    case Cmd::pen: return pen_form(a, false);
    case Cmd::fill_pen: return pen_form(a, true);
    case Cmd::box: {
      Point p = a.point(), q = a.point();
      double radius;
      (void)a.opt_number(radius);  // the terminal has no round corners
      return tui_draw::box(state_, p, q);
    }
    case Cmd::line: return tui_draw::line(state_, a.points(2));
    case Cmd::line_width: (void)a.number(); return;
    case Cmd::line_join:
    case Cmd::line_cap:
    case Cmd::anti_alias: (void)a.word(); return;
    case Cmd::line_pattern: {
      int32_t n;
      while (a.opt_integer(n)) {
      }
      return;
    }
    case Cmd::triangle: {
      Point p = a.point(), q = a.point(), r = a.point();
      return tui_draw::triangle(state_, p, q, r);
    }
    case Cmd::polygon: (void)a.points(3); return;
    case Cmd::circle: {
      Point centre = a.point();
      double r = a.number(), r2;
      if (a.opt_number(r2)) r = r2;
      int radius = !(r > 0) ? 0 : r >= 2147483647.0 ? 2147483647 : static_cast<int>(r);  // NaN: 0
      return tui_draw::circle(state_, centre, radius);
    }
    case Cmd::ellipse: {
      Point p = a.point(), size = a.point();
      return tui_draw::ellipse(state_, p, size);
    }
    case Cmd::font: return font(a);
    case Cmd::text: return text(a);
    case Cmd::arc:
      (void)a.point(), (void)a.point(), (void)a.number(), (void)a.number();
      (void)a.opt_word("closed");
      return;
    case Cmd::curve: {
      (void)a.point(), (void)a.point(), (void)a.point();
      Point p;
      (void)a.opt_point(p);
      return;
    }
    case Cmd::spline: (void)a.points(2), (void)a.opt_word("closed"); return;
    case Cmd::image: return image(a);
    case Cmd::shadow: return shadow(a);
    case Cmd::clip: return clip(a);
    case Cmd::shape: return shape(a.block_arg());
    case Cmd::rotate: return transform(a, 0);
    case Cmd::scale: return transform(a, 1);
    case Cmd::translate: return transform(a, 2);
    case Cmd::skew: return transform(a, 3);
    case Cmd::transform: return transform(a, 4);
    case Cmd::push: return nested(a.block_arg());
    case Cmd::matrix: return matrix(a);
    case Cmd::reset_matrix:
    case Cmd::invert_matrix:
      (void)(a.opt_word("pen", true) || a.opt_word("fill-pen", true));
      return;
    case Cmd::none: a.fail_at(a.index() - 1);
  }
}

}  // namespace vyn::draw
