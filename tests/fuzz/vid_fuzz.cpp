// tests/fuzz/vid_fuzz.cpp: libFuzzer target: random layout specs through the layout dialect.
//
// The input is read as a list of tokens of the dialect (styles, keywords, facets, sizes at the
// limits, colours, nested blocks and values of every other kind); the spec goes to layout inside
// a try. A bad spec must raise the dialect's errors, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/fuzz_support.hpp"
#include "boot/runtime.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "values/cycles.hpp"

namespace {

using namespace vyn;
using fuzz::evaluate;

const char* const tokens[] = {
    "base", "text", "button", "check", "radio", "field", "area", "text-list", "drop-list",
    "drop-down", "progress", "slider", "scroller", "camera", "panel", "group-box", "tab-panel",
    "image", "box", "rich-text", "calendar", "h1", "h2", "h3", "h4", "h5", "title", "size",
    "backdrop", "across", "below", "return", "space", "origin", "pad", "at", "style", "middle",
    "top", "bottom", "left", "center", "right", "bold", "italic", "underline", "extra", "data",
    "draw", "font", "para", "wrap", "no-wrap", "focus", "font-name", "font-size", "font-color",
    "font-weight", "options", "loose", "all-over", "password", "hidden", "disabled", "select",
    "rate", "default", "hint", "cursor", "init", "with", "tight", "react", "later", "on-click",
    "on-down", "on-change", "now", "st:", "st", "b:", "b", "'x", ":b", "0x0", "1x1", "10x2",
    "-5x-5", "2147483647x2147483647", "-2147483648x1", "0x2147483647", "(1.5, 2.5)", "(1e30, 1)",
    "0", "1", "-1", "3", "100", "2147483647", "-2147483648", "1e300", "1.#NaN", "1.#INF", "0.5",
    "50%", "-50%", "255.0.0", "1.2.3.4", "0.0.0.0.0", "#FF0000", "#xyz", "\"\"", "\"ab\"",
    "\"line1^/line2\"", "[", "]", "[]", "none", "true", "#{00}", "%f", "a/b", "@x", "1:2", "$1",
    "<t>", "/r", "(1.#NaN, 2)", "0:0:1", "fz-img", "fz-font", "fz-obj", "bad-word", "pen", "box 0x0 1x1",
    "[text \"a\"]", "[\"a\" \"b\"]", "[\"a\" [text \"x\"]]", "[pen 1.2.3 line 0x0 9x9]",
};

std::string spec_of(const uint8_t* data, size_t size) {
  return "try [layout " + fuzz::token_block(tokens, data, size) + "]";
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    fuzz::start_runtime();
    return evaluate(
        "fz-img: make image! 3x2  fz-font: make font! [size: 12]  fz-obj: make object! [a: 1]");
  }();
  if (!ready) __builtin_trap();
  if (size > 256) return 0;
  (void)evaluate(spec_of(data, size));
  if (cycles::depth() != 0) __builtin_trap();
  fuzz::collect_every(64);
  return 0;
}
