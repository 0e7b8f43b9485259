// The event loop's input side: which face receives each event for mouse reports and keys (hit
// testing, bubbling, the pressed chain, clicks and double clicks, away moves, focus, the wheel).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/unit/values/eval_text.hpp"
#include "view/tui/input/event_loop.hpp"
#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/console_mode.hpp"
#include "view/tui/screen/text_layout.hpp"

namespace vyn::test {
namespace {

namespace tui = vyn::tui;

// A window with a button, a panel holding a button, and two fields.
constexpr const char* fixture = R"(
  p: system/view/platform
  mk: func [type name off sz parent /local f][
    f: make face! [] f/type: type f/text: copy name f/extra: name f/offset: off f/size: sz f/pane: copy []
    if find [field] type [f/flags: [focusable]]
    f/state: reduce [p/make-view f either parent [parent/state/1][p/make-null-handle] 0 none none]
    if parent [append parent/pane f]
    f
  ]
  win: mk 'window "win" 0x0 40x10 none
  btn: mk 'button "btn" 2x1 6x1 win
  grp: mk 'panel "grp" 10x1 10x4 win
  inner: mk 'button "inner" 1x1 4x1 grp
  fld: mk 'field "fld" 2x5 8x1 win
  fld2: mk 'field "fld2" 2x7 8x1 win
  p/show-window win/state/1
)";

std::vector<std::string> events;
std::set<std::string> passing;  // faces whose handlers do not answer done

const char* type_name(int32_t t) {
  switch (t) {
    case 1: return "down"; case 2: return "up"; case 9: return "click"; case 10: return "dbl";
    case 11: return "wheel"; case 12: return "over"; case 13: return "key"; case 14: return "key-down";
    case 17: return "focus"; case 18: return "unfocus"; default: return "?";
  }
}

int32_t record(const event::Record& r) {
  std::u32string t = tui::text_of(tui::facet_of(r.face, tui::facet::extra));
  std::string name(t.begin(), t.end());
  std::string line = std::string(type_name(r.type)) + " " + name;
  if (r.type <= 12 && r.type != 9 && r.type != 10)
    line += " " + std::to_string(int(r.x)) + "," + std::to_string(int(r.y));
  if (r.flags & event::flag::away) line += " away";
  if (r.flags & event::flag::down) line += " down";
  if (r.wheel) line += r.wheel_amount > 0 ? " +1" : " -1";
  if (r.type == 13 || r.type == 14) line += " " + std::to_string(r.key);
  events.push_back(line);
  return passing.count(name) ? 0 : 1;
}

// Mouse report helpers: cells are 0-based here, 1-based on the wire.
std::string press(int x, int y) { return "\x1b[<0;" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + "M"; }
std::string release(int x, int y) { return "\x1b[<0;" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + "m"; }
std::string move(int x, int y) { return "\x1b[<35;" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + "M"; }
std::string drag(int x, int y) { return "\x1b[<32;" + std::to_string(x + 1) + ";" + std::to_string(y + 1) + "M"; }

struct Case {
  const char* name;
  std::string input;
  std::set<std::string> passing;
  std::vector<std::string> expected;
};

class TuiEventLoop : public RuntimeTest {
 protected:
  void run(const Case& c) {
    tui::free_all_widgets();
    tui::loop() = tui::LoopState{};
    tui::frame().scroll_y = 0;
    eval_text(fixture);
    events.clear();
    passing = c.passing;
    tui::face_dispatch = record;
    tui::loop().bytes = c.input;
    tui::read_input(true);
    tui::face_dispatch = tui::dispatch_to_awake;
    EXPECT_EQ(events, c.expected) << c.name;
    tui::free_all_widgets();
  }
};

TEST_F(TuiEventLoop, SendsMouseEventsToTheRightFaces) {
  const Case cases[] = {
      {"click", press(3, 1) + release(3, 1), {}, {"down btn 1,0 down", "up btn 1,0", "click btn"}},
      {"double click", press(3, 1) + release(3, 1) + press(3, 1) + release(3, 1), {},
       {"down btn 1,0 down", "up btn 1,0", "click btn", "down btn 1,0 down", "up btn 1,0",
        "click btn", "dbl btn"}},
      {"press then release outside: away, no click", press(3, 1) + drag(30, 8) + release(30, 8), {},
       {"down btn 1,0 down", "over btn 1,0 away down", "over btn 28,7 away down", "up win 30,8",
        "up btn 28,7"}},
      {"deepest first, handled there", press(12, 2) + release(12, 2), {},
       {"down inner 1,0 down", "up inner 1,0", "click inner"}},
      {"unhandled bubbles to the parent", press(12, 2) + release(12, 2), {"inner"},
       {"down inner 1,0 down", "down grp 2,1 down", "up inner 1,0", "up grp 2,1", "click inner",
        "click grp"}},
      {"click takes the focus", press(3, 7) + release(3, 7), {},
       {"down fld2 1,0 down", "up fld2 1,0", "unfocus fld", "focus fld2", "click fld2"}},
      {"empty space goes to the window", press(35, 9) + release(35, 9), {},
       {"down win 35,9 down", "up win 35,9", "click win"}},
  };
  for (const Case& c : cases) run(c);
}

TEST_F(TuiEventLoop, SendsMovesAndWheelToTheFacesUnderThePointer) {
  const Case cases[] = {
      {"hover in, out to a sibling", move(3, 1) + move(12, 1), {},
       {"over btn 1,0", "over btn 1,0 away", "over grp 2,0"}},
      {"into a child and back out", move(11, 1) + move(12, 2) + move(11, 1), {},
       {"over grp 1,0", "over inner 1,0", "over inner 1,0 away"}},
      {"wheel", "\x1b[<64;4;2M\x1b[<65;4;2M", {}, {"wheel btn 1,0 +1", "wheel btn 1,0 -1"}},
  };
  for (const Case& c : cases) run(c);
}

TEST_F(TuiEventLoop, SendsKeysToTheFocusedField) {
  run({"typed keys, unhandled, reach the field's editing", "ab\x1b[D", {"fld"},
       {"key-down fld 97", "key fld 97", "key-down fld 98", "key fld 98", "key-down fld -23",
        "key fld -23"}});
  eval_text(fixture);
  tui::face_dispatch = [](const event::Record&) { return int32_t{0}; };
  tui::loop().bytes = "xy\x7f" "z";
  tui::read_input(true);
  tui::face_dispatch = tui::dispatch_to_awake;
  EXPECT_EQ(mold(*eval_text("fld/text")), "\"fldxz\"");
  run({"a key the face handles is not edited", "q", {}, {"key-down fld 113"}});
}

TEST_F(TuiEventLoop, DisabledAndHiddenWidgetsAreSkipped) {
  eval_text(fixture);
  eval_text("btn/enabled?: false  p/update-view btn  inner/visible?: false  p/update-view inner");
  events.clear();
  passing.clear();
  tui::face_dispatch = record;
  tui::loop().bytes = press(3, 1) + release(3, 1) + press(12, 2) + release(12, 2);
  tui::read_input(true);
  tui::face_dispatch = tui::dispatch_to_awake;
  std::vector<std::string> expected = {"down win 3,1 down", "up win 3,1", "click win",
                                       "down grp 2,1 down", "up grp 2,1", "click grp"};
  EXPECT_EQ(events, expected);
  tui::free_all_widgets();
}

// Mouse rows count from the terminal row where the inline interface begins: the row a
// cursor-position report gives, moved up when the interface did not fit below it and the terminal
// scrolled to show it.
TEST_F(TuiEventLoop, MouseRowsCountFromWhereTheInterfaceBegins) {
  auto click_at_terminal_row = [](int row, const std::string& before) {
    std::string at = std::to_string(row + 1);
    return before + "\x1b[<0;4;" + at + "M\x1b[<0;4;" + at + "m";
  };
  run({"report of row 4", click_at_terminal_row(4, "\x1b[4;1R"), {},
       {"down btn 1,0 down", "up btn 1,0", "click btn"}});

  eval_text(fixture);
  tui::ConsoleState saved = tui::console();
  tui::console().height = 10;
  tui::loop().bytes = "\x1b[10;1R";  // the cursor was on the last row: 8 interface rows scroll it
  tui::read_input(true);
  tui::frame().redraw_needed = false;
  tui::present();
  tui::console() = saved;
  EXPECT_EQ(tui::frame().scroll_y, 2);
  events.clear();
  passing.clear();
  tui::face_dispatch = record;
  tui::loop().bytes = click_at_terminal_row(3, "");
  tui::read_input(true);
  tui::face_dispatch = tui::dispatch_to_awake;
  std::vector<std::string> expected = {"down btn 1,0 down", "up btn 1,0", "click btn"};
  EXPECT_EQ(events, expected);
  tui::frame().scroll_y = 0;
  tui::free_all_widgets();
}

}  // namespace
}  // namespace vyn::test
