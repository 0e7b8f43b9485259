// view/tui/draw/draw_parse.hpp: the draw dialect's interpreter: walks a command block, checks every
// command's arguments and calls the primitives.
#pragma once

#include "core/cell.hpp"
#include "view/tui/draw/draw_primitives.hpp"

namespace vyn::draw {

class Args;

class Parser {
 public:
  Parser(tui_draw::State& state, bool catch_errors) : state_(state), catch_(catch_errors) {}

  // Draws a command block (a nested block the same way); a block already being drawn raises
  // draw-infinite.
  void commands(const Cell& block);

 private:
  void set_word(Args& a, const Cell& word);
  void command(Args& a, const Cell& word);
  void pen_form(Args& a, bool fill);
  void gradient(Args& a, const Cell& kind);
  void text(Args& a);
  void font(Args& a);
  void image(Args& a);
  void shadow(Args& a);
  void clip(Args& a);
  void transform(Args& a, int which);
  void matrix(Args& a);
  void shape(const Cell& block);
  void shape_command(Args& a, const Cell& word);
  void nested(const Cell& block);

  tui_draw::State& state_;
  bool catch_;
};

}  // namespace vyn::draw
