// tests/fuzz/tui_events_fuzz.cpp: libFuzzer target: random terminal input through the text UI's
// event loop into a window of every kind of widget, with actors that close views and open more.
//
// The input is read as a list of items: mouse presses, releases, drags, moves and wheel turns
// at cells in and around the window, special keys, characters, cursor reports and raw bytes.
// Every event reaches the faces through the language; nothing may crash, whatever the widgets'
// state, and the window is built again once an actor closed it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/fuzz/fuzz_support.hpp"
#include "boot/runtime.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/text/unicode.hpp"
#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "view/tui/input/event_loop.hpp"

namespace {

using namespace vyn;
using fuzz::evaluate;

constexpr const char* window = R"(
    fz-n: 0
    fz-win: layout [
        f: field "abc" 8x1 a: area "x^/yy" 10x3 on-key [fz-n: fz-n + 1]
        b: button "b" [fz-n: fz-n + 1 unview/only face/parent]
        return tl: text-list data ["a" "b" "c"] 6x3 dd: drop-down data ["x" "y"] dl: drop-list data ["p"]
        c: check "c" r: radio "r" s: slider 10x1 pr: progress 8x1 data 0.3
        return pn: panel [field "in" password button "u" [view/no-wait layout [field "n"]]]
        tp: tab-panel ["t1" [field "q"] "t2" [text "z"]]
        rt: rich-text "rich" 8x2 gb: group-box "g" [check "x"] h: field hidden d: field disabled
    ]
    view/no-wait fz-win
)";


const char* const specials[] = {
    "\x1b[A", "\x1b[B", "\x1b[C", "\x1b[D", "\x1b[H", "\x1b[F", "\x1b[3~", "\x1b[5~", "\x1b[6~",
    "\x1b[1;5C", "\x1b[1;2D", "\x1b[Z", "\t", "\r", "\x7f", "\x08", "\x1b", "\x03", "\x01",
    "\x05", "\x0b", "\x1bOP", "\x1b[15~", "\x1b[24~", " ", "\x1b\x1b", "\x1b[200~", "\x1b[?1;2c",
};

std::string item(const uint8_t*& p, const uint8_t* end) {
  auto next = [&] { return p < end ? *p++ : uint8_t{0}; };
  uint8_t op = next();
  auto cell = [&](int limit) { return std::to_string(1 + next() % limit); };
  switch (op % 9) {
    case 0: case 1: {  // press, release, drag or move on a cell of the window or just past it
      static const int buttons[] = {0, 1, 2, 32, 35, 4, 16, 8, 3};
      std::string b = std::to_string(buttons[next() % 9]);
      std::string xy = cell(40) + ";" + cell(12);
      return "\x1b[<" + b + ";" + xy + (op & 0x10 ? "m" : "M");
    }
    case 2: return "\x1b[<" + std::string(next() & 1 ? "64;" : "65;") + cell(40) + ";" + cell(12) + "M";
    case 3: case 4: return specials[next() % (sizeof specials / sizeof *specials)];
    case 5: {
      std::string s;
      unicode::append_utf8(s, 0x20 + (next() << 8 | next()) % 0x3000);
      return s;
    }
    case 6: return std::string(1, static_cast<char>('a' + next() % 26));
    case 7: return "\x1b[" + cell(50) + ";" + cell(200) + "R";
    default: return std::string(1, static_cast<char>(next()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::start_runtime();
  if (size > 512) return 0;
  if (tui::ui().windows.empty() && !evaluate(window)) __builtin_trap();
  std::string bytes;
  for (const uint8_t *p = data, *end = data + size; p < end;) bytes += item(p, end);
  tui::loop().bytes = bytes;
  tui::read_input(true);
  tui::loop().bytes.clear();
  static uint32_t runs = 0;
  if (++runs % 32 == 0) {
    (void)evaluate("unview/all");
    gc::collect();
  }
  return 0;
}
