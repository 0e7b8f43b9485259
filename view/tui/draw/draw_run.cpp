// view/tui/draw/draw_run.cpp: a drawing run: the state set up, the block interpreted, errors either
// passed on or, for a catching run, ending the drawing quietly.
#include "core/error.hpp"
#include "values/series/block.hpp"
#include "values/cycles.hpp"
#include "values/images/image.hpp"
#include "view/tui/draw/draw.hpp"
#include "view/tui/draw/draw_parse.hpp"

namespace vyn::draw {

void run(const Target* target, const Cell& face, const Cell& commands, bool catch_errors) {
  if (!target && !(commands.is(Type::block) && block::vs_length(commands) > 0)) return;
  if (!commands.is(Type::block)) return;
  tui_draw::State state;
  tui_draw::begin(state, target);
  Parser parser(state, catch_errors);
  int depth = cycles::depth();  // what callers keep on the cycle stack stays there
  try {
    parser.commands(commands);
  } catch (const Raised&) {
    if (cycles::depth() > depth) cycles::pop_n(cycles::depth() - depth);
    if (!catch_errors) throw;
  }
}

void run_on_image(const Cell& img, const Cell& commands) {
  if (image::width(img) == 0 || image::height(img) == 0) return;
  run(nullptr, img, commands, false);
}

}  // namespace vyn::draw
