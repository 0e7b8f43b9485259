// tests/fuzz/draw_fuzz.cpp: libFuzzer target: random draw blocks run into a cell buffer and,
// through the language, on an image.
//
// The input is read as a list of tokens (commands, coordinates near zero and at the limits of the
// int range, sizes, colours, nested blocks and values of every other kind); the first byte picks
// the buffer's size, the origin and the clip. A run may raise the dialect's errors and nothing
// else may go wrong: no crash, no read or write outside the buffer, no hang on huge coordinates.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/fuzz_support.hpp"
#include "boot/runtime.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "values/cycles.hpp"
#include "values/words/word.hpp"
#include "view/tui/draw/draw.hpp"

namespace {

using namespace vyn;
using fuzz::evaluate;

const char* const tokens[] = {
    "pen", "fill-pen", "box", "line", "line-width", "line-join", "line-cap", "line-pattern",
    "triangle", "polygon", "circle", "ellipse", "anti-alias", "font", "text", "arc", "curve",
    "spline", "image", "shadow", "clip", "shape", "rotate", "scale", "translate", "skew",
    "transform", "push", "matrix", "reset-matrix", "invert-matrix", "move", "hline", "vline",
    "qcurve", "close", "off", "linear", "radial", "diamond", "pattern", "bitmap", "closed",
    "border", "crop", "inset", "tile", "pad", "'pen", "'fill-pen", "here:", "fz-font", "fz-img",
    "fz-col", "fz-rich", "fz-none", "0x0", "1x1", "3x2", "-1x-1", "2147483647x2147483647",
    "-2147483648x-2147483648", "2147483647x0", "0x-2147483648", "(1.5, 2.5)", "(1e30, -1e30)",
    "-0.0", "0", "1", "-1", "2", "5", "32767", "32768", "2147483647", "-2147483648",
    "1e300", "-1e300", "1.#NaN", "1.#INF", "0.5", "50%", "255.0.0", "1.2.3.4", "0.0.0.0.0",
    "(fz-rich)", "(fz-bad-rich)", "(fz-font)", "(fz-img)", "(fz-col)", "\"x\"", "\"\"", "\"ab\\tc\u4E2D\"", "[", "]", "[]", "none", "#{00}", "%f", "a/b", "@x",
    "#issue", "1:2", "$1", "<t>", "'x", "x:", ":x", "/r", "(1.#NaN, 1.#INF)", "fz-code",
};

// The draw block's text: tokens, with brackets balanced at the end; parens put objects in.
// The block may be made to hold itself at its end.
std::string code_of(const uint8_t* data, size_t size, bool holds_itself) {
  std::string text = "fz-code: compose/deep " + fuzz::token_block(tokens, data, size);
  return holds_itself ? text + " append/only fz-code fz-code" : text;
}


void draw_into_buffer(uint8_t shape) {
  tui::CellBuffer buffer;
  int w = shape & 7, h = (shape >> 3) & 3;
  buffer.resize(w, h);
  draw::Target target;
  target.buffer = &buffer;
  target.origin_x = (shape & 0x20) ? -3 : 1;
  target.origin_y = (shape & 0x40) ? 2 : 0;
  target.clip = (shape & 0x80) ? tui::Rect{1, 1, w - 1, h + 5} : tui::Rect{-5, -5, 100, 100};
  stack::Mark mark;
  Cell* code = stack::push(*word::value_cell(word::load("fz-code")));
  try {
    draw::run(&target, make_none(), *code, false);
  } catch (const Raised&) {
  }
  draw::run(&target, make_none(), *code, true);  // a catching run ends quietly
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    fuzz::start_runtime();
    return evaluate(
        "fz-font: make object! [color: 10.20.30 name: \"x\" size: 12]\n"
        "fz-img: make image! 3x2  fz-col: 1.2.3  fz-none: none\n"
        "fz-rich: make object! [type: 'rich-text text: \"ab\" data: [1x1 bold 2x5 255.0.0 italic]"
        " size: 10x2 para: none font: none]\n"
        "fz-bad-rich: make object! [type: 'rich-text text: \"a\tb\" data: [-5x9 backdrop 1.2.3"
        " 2147483647x2147483647 underline 9.9.9 'x -2147483648x-1 bogus] size: 1x1]");
  }();
  if (!ready) __builtin_trap();
  if (size < 1 || size > 512) return 0;
  if (!evaluate(code_of(data + 1, size - 1, data[0] & 0x10))) return 0;
  draw_into_buffer(data[0]);
  (void)evaluate("draw 6x4 fz-code");
  (void)evaluate("draw 0x0 fz-code");
  if (cycles::depth() != 0) __builtin_trap();  // every run leaves the cycle stack as it found it
  fuzz::collect_every(256);
  return 0;
}
