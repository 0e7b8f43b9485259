// view/tui/draw/draw_shape.cpp: the shape sub-dialect (shape, and clip with a block). Paths have no
// terminal rendering: the commands are checked and nothing is drawn.
#include "values/series/block.hpp"
#include "values/cycles.hpp"
#include "view/tui/draw/draw_internal.hpp"
#include "view/tui/draw/draw_parse.hpp"

namespace vyn::draw {

void Parser::shape(const Cell& block) {
  if (cycles::find(series_node(block))) raise_infinite(block);
  cycles::push(series_node(block));
  Args a(block, series_head(block) < 0 ? 0 : series_head(block));
  while (a.more()) {
    Cell v = a.take();
    switch (v.type()) {
      case Type::word:
      case Type::lit_word: shape_command(a, v); break;  // a lit-word: relative coordinates
      case Type::set_word: set_word(a, v); break;
      case Type::block: shape(v); break;
      default: a.fail_at(a.index() - 1);
    }
  }
  cycles::pop();
}

void Parser::shape_command(Args& a, const Cell& word) {
  if (word_is(word, "move")) return (void)a.point();
  if (word_is(word, "line")) return (void)a.points(1);
  if (word_is(word, "hline") || word_is(word, "vline")) return (void)a.number();
  if (word_is(word, "arc")) {
    (void)a.point(), (void)a.number(), (void)a.number(), (void)a.number();
    for (int i = 0; i < 2; ++i)
      if (!a.opt_word("sweep") && !a.opt_word("large")) break;
    return;
  }
  if (word_is(word, "curve")) return (void)a.points(3);
  if (word_is(word, "curv") || word_is(word, "qcurve")) return (void)a.points(2);
  if (word_is(word, "qcurv")) return (void)a.points(1);
  if (word_is(word, "close")) return;
  a.fail_at(a.index() - 1);
}

}  // namespace vyn::draw
