// tests/unit/tui/cells_test.cpp: text placement into the cell buffer, escapes inside text, colour
// and attribute sequences, the palette mapping and frame bytes.
#include <gtest/gtest.h>

#include <string>

#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/text_layout.hpp"

namespace vyn::tui {
namespace {

// The buffer's characters, one line per row; a continuation cell shows as "+".
std::string rows_of(const CellBuffer& b) {
  std::string out;
  for (int y = 0; y < b.height(); ++y) {
    for (int x = 0; x < b.width(); ++x) {
      const ScreenCell& c = b.at(x, y);
      if (c.attrs & attr::continuation) out += '+';
      else if (c.cp == 0) out += '.';
      else if (c.cp < 0x80) out += static_cast<char>(c.cp);
      else out += '#';  // any wide or non-ASCII character
    }
    out += '\n';
  }
  return out;
}

std::string draw(std::u32string_view text, int w, int h, int x, int y, Rect clip, uint32_t align = 0,
                 uint32_t flags = 0) {
  CellBuffer b;
  b.resize(w, h);
  Style s;
  s.align = align;
  draw_text(b, text, x, y, clip, s, flags);
  return rows_of(b);
}

TEST(TuiCells, TextPlacement) {
  struct Case {
    const char* name;
    std::u32string text;
    int x, y;
    Rect clip;
    uint32_t align;
    std::string out;
  };
  const Case cases[] = {
      {"plain", U"abc", 1, 0, {0, 0, 5, 2}, 0, ".abc.\n.....\n"},
      {"newline returns to x", U"ab\ncd", 1, 0, {0, 0, 5, 2}, 0, ".ab..\n.cd..\n"},
      {"cut at right edge", U"abcdef\nxy", 0, 0, {0, 0, 4, 2}, 0, "abcd.\nxy...\n"},
      {"wraps at right edge", U"abcdef", 0, 0, {0, 0, 4, 2}, align::wrap, "abcd.\nef...\n"},
      {"rows above clip skipped", U"a\nb\nc", 0, -1, {0, 0, 5, 2}, 0, "b....\nc....\n"},
      {"left of clip skipped", U"abcd", -2, 0, {0, 0, 5, 1}, 0, "cd...\n"},
      {"wide char marks continuation", U"a\u4E2Db", 0, 0, {0, 0, 5, 1}, 0, "a#+b.\n"},
      {"wide char in last column not drawn", U"abc\u4E2D", 0, 0, {0, 0, 4, 1}, 0, "abc..\n"},
      {"wide char wraps to next row", U"abc\u4E2D", 0, 0, {0, 0, 4, 2}, align::wrap, "abc..\n#+...\n"},
      {"wide char cut at left edge", U"\u4E2Dx", -1, 0, {0, 0, 5, 1}, 0, ".x...\n"},
      {"stops at clip bottom", U"a\nb\nc", 0, 0, {0, 0, 5, 1}, 0, "a....\n.....\n"},
      {"control characters shown as spaces", U"a\tb\x1b", 0, 0, {0, 0, 5, 1}, 0, "a b .\n"},
  };
  for (const Case& c : cases) {
    int h = c.name == std::string("stops at clip bottom") ? 2 : c.clip.y2;
    EXPECT_EQ(draw(c.text, 5, h, c.x, c.y, c.clip, c.align), c.out) << c.name;
  }
}

// The style of the cell where each character lands, after the escapes in the text.
ScreenCell styled(std::u32string_view text, int at = 0) {
  CellBuffer b;
  b.resize(10, 1);
  draw_text(b, text, 0, 0, {0, 0, 10, 1}, Style{}, render::escapes);
  return b.at(at, 0);
}

TEST(TuiCells, EscapesInText) {
  struct Case {
    const char* name;
    std::u32string text;
    uint32_t fg, bg, attrs;
  };
  const Case cases[] = {
      {"no parameter changes nothing", U"\x1b[1m\x1b[mx", 0, 0, attr::bold},
      {"0 resets", U"\x1b[1;31m\x1b[0mx", 0, 0, 0},
      {"bold, underline, reverse", U"\x1b[1;4;7mx", 0, 0, attr::bold | attr::underline | attr::reverse},
      {"22 clears dim (21 + n clears what n sets)", U"\x1b[1;2m\x1b[22mx", 0, 0, attr::bold},
      {"basic colours", U"\x1b[31;42mx", color::basic(1), color::basic(2), 0},
      {"default colours", U"\x1b[31m\x1b[39;49mx", color::basic(9), color::basic(9), 0},
      {"bright colours", U"\x1b[91;103mx", color::basic(11), color::basic(13), 0},
      {"palette foreground", U"\x1b[38;5;196mx", color::palette(196), 0, 0},
      {"palette background", U"\x1b[48;5;21mx", 0, color::palette(21), 0},
      {"38;2 is not true colour", U"\x1b[38;2;10;20;30mx", 0, 0, 0},
      {"cursor moves have no effect", U"\x1b[2A\x1b[5Cx", 0, 0, 0},
      {"private modes consumed", U"\x1b[?25lx", 0, 0, 0},
  };
  for (const Case& c : cases) {
    ScreenCell cell = styled(c.text);
    EXPECT_EQ(cell.cp, U'x') << c.name;
    EXPECT_EQ(cell.fg, c.fg) << c.name;
    EXPECT_EQ(cell.bg, c.bg) << c.name;
    EXPECT_EQ(cell.attrs, c.attrs) << c.name;
  }
  // Without the escape flag the sequence is text (its ESC shown as a space), never sent raw.
  CellBuffer b;
  b.resize(6, 1);
  draw_text(b, U"\x1b[1mx", 0, 0, {0, 0, 6, 1}, Style{}, 0);
  EXPECT_EQ(rows_of(b), " [1mx.\n");
}

TEST(TuiCells, Measuring) {
  EXPECT_EQ(text_size(U"ab\n\u4E2D\u4E2Dx").width, 5);
  EXPECT_EQ(text_size(U"ab\n\u4E2D\u4E2Dx").lines, 2);
  TextSize m = measure_text(U"ab\u4E2Dcd", 3);
  EXPECT_EQ(m.width, 2);
  EXPECT_EQ(m.chars, 2);
  TextSize wrapped = measure_wrapped(U"abcdefg", 3);
  EXPECT_EQ(wrapped.width, 3);
  EXPECT_EQ(wrapped.lines, 3);
  EXPECT_EQ(measure_wrapped(U"\u4E2D", 1).lines, 1);  // nothing fits: measurement ends
  EXPECT_EQ(measure_wrapped(U"\u4E2D", 1).width, 0);
}

TEST(TuiCells, ColourSequences) {
  struct Case {
    uint32_t color;
    bool fg;
    const char* out;
  };
  const Case cases[] = {
      {0, true, "\x1b[39m"},           {0, false, "\x1b[49m"},
      {color::basic(3), true, "\x1b[33m"}, {color::basic(3), false, "\x1b[43m"},
      {color::basic(8), true, "\x1b[0m"},  {color::basic(9), false, "\x1b[49m"},
      {color::basic(12), true, "\x1b[92m"}, {color::basic(15), false, "\x1b[105m"},
      {color::palette(196), true, "\x1b[38;5;196m"},
      {color::rgb(0x102030), false, "\x1b[48;2;16;32;48m"},
  };
  for (const Case& c : cases) {
    std::string out;
    emit_color(out, c.color, c.fg);
    EXPECT_EQ(out, c.out) << std::hex << c.color;
  }
}

TEST(TuiCells, AttributeChanges) {
  auto changes = [](uint32_t from, uint32_t to) {
    std::string out;
    emit_attributes(out, ScreenCell{0, 0, 0, from}, ScreenCell{0, 0, 0, to});
    return out;
  };
  EXPECT_EQ(changes(0, 0), "");
  EXPECT_EQ(changes(0, attr::dim | attr::underline), "\x1b[2m\x1b[4m");
  EXPECT_EQ(changes(attr::reverse, 0), "\x1b[27m");
  // 22 ends bold and dim alike: the one that stays is switched on again.
  EXPECT_EQ(changes(attr::bold | attr::dim, attr::bold), "\x1b[22m\x1b[1m");
  EXPECT_EQ(changes(attr::blink | attr::hidden, 0), "");  // never written
}

TEST(TuiCells, PaletteMapping) {
  struct Case {
    uint32_t rgb;  // r in the low byte, as tuples give it
    int index;
  };
  const Case cases[] = {
      {0x0000FF, 196},  // 255.0.0
      {0xFFFFFF, 231},  // white: cube corner
      {0x000000, 16},
      {0x808080, 244},  // grey 128 is nearer the grey ramp
      {0x00FF00, 46},
  };
  for (const Case& c : cases) EXPECT_EQ(rgb_to_256(c.rgb), color::palette(c.index)) << std::hex << c.rgb;
  EXPECT_EQ(rgb_to_256(0xFF0000FF), 0u);  // fully transparent: default colour
}

class TuiFrame : public ::testing::Test {
 protected:
  void SetUp() override { frame() = FrameState{}; }
  void TearDown() override { frame() = FrameState{}; }
};

TEST_F(TuiFrame, InlineFrameBytes) {
  CellBuffer b;
  b.resize(3, 2);
  b.at(0, 0) = {'a', 0, 0, 0};
  b.at(1, 0) = {'b', 0, 0, 0};  // same style: nothing between a and b
  b.at(2, 0) = {'c', color::basic(1), 0, 0};
  b.at(0, 1) = {'d', 0, 0, attr::masked};
  frame().ui_rows = 1;
  ASSERT_TRUE(build_frame(b, false));
  EXPECT_EQ(frame().bytes,
            "\r\x1b[1A\x1b[0J"
            "ab\x1b[41mc\x1b[49m\r\n"  // the row's background does not bleed past it
            "*  ");
  EXPECT_EQ(frame().ui_rows, 1);
}

TEST_F(TuiFrame, CaretAndFullScreen) {
  CellBuffer b;
  b.resize(4, 3);
  frame().caret_col = 2;
  frame().caret_row = 0;
  ASSERT_TRUE(build_frame(b, true));
  EXPECT_EQ(frame().bytes.substr(0, 4), "\r\x1b[0");
  EXPECT_EQ(frame().bytes.substr(frame().bytes.size() - 9), "\r\x1b[2A\x1b[2C");
  EXPECT_EQ(frame().ui_rows, 0);
  // A caret below the rows the console shows is no caret: the next frame must not start above
  // the interface.
  frame().caret_row = 5;
  ASSERT_TRUE(build_frame(b, true));
  EXPECT_EQ(frame().bytes.substr(frame().bytes.size() - 3), "   ");
  EXPECT_EQ(frame().ui_rows, 2);
  frame().fullscreen = true;
  ASSERT_TRUE(build_frame(b, false));
  EXPECT_EQ(frame().bytes.substr(0, 3), "\x1b[H");
  EXPECT_EQ(frame().ui_rows, 2);
  b.resize(0, 0);
  EXPECT_FALSE(build_frame(b, false));
}

TEST_F(TuiFrame, WideCharacterWrittenOnce) {
  CellBuffer b;
  b.resize(3, 1);
  draw_text(b, U"\u4E2Dx", 0, 0, {0, 0, 3, 1}, Style{}, 0);
  ASSERT_TRUE(build_frame(b, false));
  EXPECT_EQ(frame().bytes, "\r\x1b[0J\xE4\xB8\xADx");
  // Either half drawn over by something else: the other half is written as a space.
  b.resize(4, 1);
  draw_text(b, U"\u4E2D\u4E2D", 0, 0, {0, 0, 4, 1}, Style{}, 0);
  b.at(1, 0) = {'a', 0, 0, 0};
  b.at(2, 0) = {'b', 0, 0, 0};
  ASSERT_TRUE(build_frame(b, false));
  EXPECT_EQ(frame().bytes, "\r\x1b[0J ab ");
}

}  // namespace
}  // namespace vyn::tui
