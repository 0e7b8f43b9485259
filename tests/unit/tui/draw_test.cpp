// tests/unit/tui/draw_test.cpp: the draw dialect: each primitive's cells in a small buffer,
// clipping at the edges, the origin, and the errors of malformed draw blocks.
#include <string>
#include <vector>

#include "tests/unit/support/script.hpp"
#include "values/cycles.hpp"
#include "view/tui/draw/draw.hpp"

namespace vyn::test {
namespace {

class DrawTest : public RuntimeTest {};

// One character per cell: '.' untouched, '#' a pen stroke, '+' '|' '-' the box lines, '~' a
// filled space, other characters as they are.
char glyph(const tui::ScreenCell& c) {
  switch (c.cp) {
    case 0: return '.';
    case 0x2588: return '#';
    case 0x250C: case 0x2510: case 0x2514: case 0x2518: return '+';
    case 0x2502: return '|';
    case 0x2500: return '-';
    case ' ': return c.bg ? '~' : ' ';
    default: return c.cp < 128 ? static_cast<char>(c.cp) : '?';
  }
}

std::vector<std::string> rows_of(const tui::CellBuffer& b) {
  std::vector<std::string> rows;
  for (int y = 0; y < b.height(); ++y) {
    std::string row;
    for (int x = 0; x < b.width(); ++x) row += glyph(b.at(x, y));
    rows.push_back(row);
  }
  return rows;
}

struct Canvas {
  tui::CellBuffer buffer;
  draw::Target target;
  Canvas(int w, int h) {
    buffer.resize(w, h);
    target.buffer = &buffer;
    target.clip = {0, 0, w, h};
  }
};

std::vector<std::string> drawn(int w, int h, const char* code) {
  Canvas c(w, h);
  draw::run(&c.target, make_none(), *load(code), false);
  return rows_of(c.buffer);
}

using Rows = std::vector<std::string>;

struct Case {
  const char* code;
  int w, h;
  Rows rows;
};

TEST_F(DrawTest, PrimitivesWriteTheirCells) {
  const Case cases[] = {
      {"box 1x1 4x3", 6, 4, {"......", ".+--+.", ".|..|.", ".+--+."}},
      {"box 4x3 1x1", 6, 4, {"......", ".+--+.", ".|..|.", ".+--+."}},
      {"box 0x0 2x1 5", 3, 2, {"+-+", "+-+"}},  // the corner radius is read and ignored
      {"fill-pen 255.0.0 pen off box 1x0 3x1", 5, 2, {".~~~.", ".~~~."}},
      {"fill-pen 0.0.255 box 0x0 3x2", 4, 3, {"+--+", "|~~|", "+--+"}},
      {"line 0x0 4x2", 5, 3, {"#....", ".##..", "...##"}},
      {"line 0x0 2x0 2x2", 3, 3, {"###", "..#", "..#"}},
      {"pen off line 0x0 2x0", 3, 1, {"..."}},
      {"circle 3x1 0", 7, 3, {".......", ".......", "......."}},
      {"circle 3x1 1", 7, 3, {"..###..", ".#...#.", "..###.."}},
      {"circle 3x1 5 1", 7, 3, {"..###..", ".#...#.", "..###.."}},  // the last radius counts
      {"fill-pen 1.2.3 circle 3x1 1", 7, 3, {"..###..", ".#~~~#.", "..###.."}},
      {"circle 4x2 2", 9, 5, {"..#####..", ".#.....#.", "#.......#", ".#.....#.", "..#####.."}},
      {"ellipse 0x0 0x5", 4, 4, {"....", "....", "....", "...."}},
      {"ellipse 0x0 4x2", 5, 3, {".###.", "#...#", ".###."}},
      {"triangle 0x0 4x0 0x2", 5, 3, {"#####", "#.##.", "##..."}},
      {"fill-pen 9.9.9 pen off triangle 0x0 4x0 0x2", 5, 3, {"~~~~~", "~~~..", "~...."}},
      {"text 1x0 \"hi\"", 4, 1, {".hi."}},
      {"text 0x0 \"ab^/cd\"", 3, 2, {"ab.", "cd."}},
  };
  for (const Case& c : cases) EXPECT_EQ(drawn(c.w, c.h, c.code), c.rows) << c.code;
}

TEST_F(DrawTest, PointsAreTruncatedAndNestedBlocksShareTheState) {
  const Case cases[] = {
      {"line (0.9, 0.2) (2.7, 0)", 3, 1, {"###"}},
      {"pen off [line 0x0 2x0] push [box 0x0 1x1]", 3, 2, {"...", "..."}},
      {"translate 1x1 [box 0x0 2x1] rotate 'pen 45 [line 0x0 0x0]", 4, 3, {"#-+.", "+-+.", "...."}},
      // clip by two corners has no path block to check: only its body is drawn
      {"clip [move 0x0] clip 0x0 9x9 [box 0x0 1x1]", 3, 2, {"++.", "++."}},
  };
  for (const Case& c : cases) EXPECT_EQ(drawn(c.w, c.h, c.code), c.rows) << c.code;
}

TEST_F(DrawTest, ClipsAtTheBufferEdgesAndTheClipRectangle) {
  EXPECT_EQ(drawn(4, 3, "box -2x-1 1x1"), (Rows{".|..", "-+..", "...."}));
  EXPECT_EQ(drawn(4, 2, "line 2x0 9x0 line 0x1 0x9"), (Rows{"..##", "#..."}));
  EXPECT_EQ(drawn(3, 2, "text 1x0 \"long text\""), (Rows{".lo", "..."}));
  EXPECT_EQ(drawn(5, 3, "circle 2x1 4"), (Rows{".....", ".....", "....."}));

  Canvas c(6, 4);
  c.target.origin_x = 1;
  c.target.origin_y = 1;
  c.target.clip = {1, 1, 4, 3};
  draw::run(&c.target, make_none(), *load("box 0x0 4x4"), false);
  EXPECT_EQ(rows_of(c.buffer), (Rows{"......", ".+--..", ".|....", "......"}));
}

TEST_F(DrawTest, HugeCoordinatesDrawOnlyWhatCanBeSeen) {
  const Case cases[] = {
      {"line -2000000000x1 2000000000x1", 4, 3, {"....", "####", "...."}},
      {"line 2000000002x-2000000000 -1999999998x2000000000", 3, 3, {"..#", ".#.", "#.."}},
      {"box -2147483648x-2147483648 2147483647x2147483647", 3, 2, {"...", "..."}},
      {"fill-pen 1.1.1 box -2147483648x-2147483648 2147483647x2147483647", 3, 2, {"~~~", "~~~"}},
      {"fill-pen 1.1.1 triangle -2000000000x0 2000000000x0 0x2000000000", 3, 2, {"###", "~~~"}},
      {"circle 0x0 2000000000 circle 2147483647x0 3 ellipse 0x0 2147483647x2147483647", 3, 2, {"...", "..."}},
      {"circle 1x1 1e300 circle 1x1 -1e300 circle 1x1 -3", 3, 2, {"...", "..."}},
      {"line (1e30, 1) (-1e30, 1) box (0, 0) (1e30, -1e30)", 3, 2, {"+--", "###"}},
      {"text 2147483647x0 \"far\" text -2147483648x0 \"far\"", 3, 1, {"..."}},
  };
  for (const Case& c : cases) EXPECT_EQ(drawn(c.w, c.h, c.code), c.rows) << c.code;
}

TEST_F(DrawTest, PenColoursAreMappedToThePalette) {
  Canvas c(2, 1);
  draw::run(&c.target, make_none(), *load("pen 255.0.0 line 0x0 0x0 pen 255.255.255.255 line 1x0 1x0"), false);
  EXPECT_EQ(c.buffer.at(0, 0).fg, tui::color::palette(196));
  EXPECT_EQ(c.buffer.at(1, 0).fg, 0u);  // fully transparent: the default colour
}

TEST_F(DrawTest, SetWordsKeepTheirPosition) {
  Cell* code = load("p: box 0x0 1x1 q: [line 0x0 1x1]");
  Canvas c(2, 2);
  draw::run(&c.target, make_none(), *code, false);
  EXPECT_EQ(mold(run("reduce [p q]")), "[[box 0x0 1x1 q: [line 0x0 1x1]] [[line 0x0 1x1]]]");
}

struct ErrorCase {
  const char* code;
  Err id;
  int32_t at;  // index of the offending cell in the commands block
};

TEST_F(DrawTest, MalformedBlocksRaiseAtTheOffendingCell) {
  const ErrorCase cases[] = {
      {"box 1x1", Err::script_draw_invalid, 2},
      {"triangle 0x0 1x1 red", Err::script_draw_invalid, 3},
      {"line 0x0", Err::script_draw_invalid, 1},
      {"line", Err::script_draw_invalid, 1},
      {"polygon 0x0 1x1 box", Err::script_draw_invalid, 2},
      {"matrix [1 0 0 1 0]", Err::script_draw_invalid, 1},
      {"matrix 'pen [1 0 0 1 0 x]", Err::script_draw_invalid, 2},
      {"box 0x0 1x1 nonsense 1x1", Err::script_draw_invalid, 3},
      {"pen 255.0.0 12", Err::script_draw_invalid, 2},
      {"pen", Err::script_draw_invalid, 1},
      {"fill-pen linear 255.0.0", Err::script_draw_invalid, 3},
      {"fill-pen radial 0x0 1 2 255.0.0", Err::script_draw_invalid, 6},
      {"circle 1x1 \"r\"", Err::script_draw_invalid, 2},
      {"text 0x0 12", Err::script_draw_invalid, 2},
      {"scale 2 box", Err::script_draw_invalid, 2},
      {"font none", Err::script_draw_invalid, 1},
  };
  for (const ErrorCase& c : cases) {
    Cell* code = load(c.code);
    Err id = raised([&] { draw::run(nullptr, make_none(), *code, false); });
    EXPECT_EQ(id, c.id) << c.code;
    EXPECT_EQ(series_head(pending_error().args[0]), c.at) << c.code;
    EXPECT_EQ(cycles::depth(), 0) << c.code;
  }
}

TEST_F(DrawTest, NestedAndShapeErrorsPointIntoTheirBlock) {
  Cell* code = load("push [box 0x0] shape [move 0x0 'line 1x1 bogus]");
  EXPECT_EQ(raised([&] { draw::run(nullptr, make_none(), *code, false); }), Err::script_draw_invalid);
  EXPECT_EQ(mold(pending_error().args[0]), "[]");  // the tail of [box 0x0]
  Cell* shape = load("shape [move 0x0 'line 1x1 [hline 3] bogus]");
  EXPECT_EQ(raised([&] { draw::run(nullptr, make_none(), *shape, false); }), Err::script_draw_invalid);
  EXPECT_EQ(mold(pending_error().args[0]), "[bogus]");
}

TEST_F(DrawTest, ABlockThatHoldsItselfRaisesInfiniteRecursion) {
  Cell b = run("b: [box 0x0 1x1 push [line 0x0 1x1]] append/only b/push b b");
  EXPECT_EQ(raised([&] { draw::run(nullptr, make_none(), b, false); }), Err::script_draw_infinite);
  EXPECT_EQ(cycles::depth(), 0);
  Cell shape = run("s: [move 0x0 [line 1x1]] append/only s/3 s reduce ['shape s]");
  EXPECT_EQ(raised([&] { draw::run(nullptr, make_none(), shape, false); }), Err::script_draw_infinite);
  EXPECT_EQ(cycles::depth(), 0);
}

// The styles of a rich text failing quietly inside a run leave the run's blocks on the cycle
// stack: a block that holds itself is still found, and a caller's entries stay.
TEST_F(DrawTest, BadRichTextStylesKeepTheCycleStack) {
  Canvas c(4, 1);
  Cell b = run("rt: make object! [type: 'rich-text text: \"ab\" data: [1x1 bogus]]"
               " b: reduce ['text 0x0 rt 'push] append/only b b b");
  EXPECT_EQ(raised([&] { draw::run(&c.target, make_none(), b, false); }), Err::script_draw_infinite);
  EXPECT_EQ(cycles::depth(), 0);
  EXPECT_EQ(rows_of(c.buffer), (Rows{"ab.."}));
  cycles::push(series_node(b));
  draw::run(&c.target, make_none(), *load("line 3x0 3x0 bogus"), true);
  EXPECT_EQ(cycles::depth(), 1);
  cycles::pop();
}

TEST_F(DrawTest, ACatchingRunStopsQuietlyKeepingWhatWasDrawn) {
  Canvas c(3, 1);
  draw::run(&c.target, make_none(), *load("line 0x0 0x0 bogus line 2x0 2x0"), true);
  EXPECT_EQ(rows_of(c.buffer), (Rows{"#.."}));
  EXPECT_EQ(cycles::depth(), 0);
}

TEST_F(DrawTest, WholeDialectIsAcceptedWithoutDrawing) {
  const char* code =
      "line-width 2 line-join round line-cap flat line-pattern 1 2 3 anti-alias off "
      "arc 5x5 3x3 0 90 closed curve 0x0 1x1 2x2 3x3 spline 0x0 5x5 closed polygon 0x0 1x1 2x0 "
      "shadow 2x2 3 1 0.0.0 inset shadow off "
      "fill-pen linear 255.0.0 0.0.255 0.5 0x0 10x0 reflect "
      "pen radial 255.0.0 0.0.255 5x5 3 2x2 "
      "pen diamond 0x0 1 10 0.5 1.0 255.0.0 0.0.255 "
      "pen pattern 4x4 0x0 4x4 tile [box 0x0 1x1] "
      "clip 0x0 5x5 intersect [box 0x0 1x1] clip [move 0x0 line 1x1] replace "
      "shape [move 0x0 'line 1x1 2x2 hline 3 'vline 2 arc 5x5 2 2 0 sweep large "
      "curve 0x0 1x1 2x2 curv 1x1 2x2 qcurve 1x1 2x2 qcurv 3x3 close] "
      "rotate 30 5x5 scale 2 50% skew 10 20 transform 5x5 30 1 1 2x2 [box 0x0 1x1] "
      "matrix [1 0 0 1 0 0] reset-matrix invert-matrix 'fill-pen";
  Canvas c(4, 4);
  draw::run(&c.target, make_none(), *load(code), false);
  EXPECT_EQ(rows_of(c.buffer), (Rows{"++..", "++..", "....", "...."}));
}

TEST_F(DrawTest, TextStylesChangeTheCellsOfTheirRange) {
  draw::TextLayout cells(8, tui::ScreenCell{'x', 0, 0, 0});
  draw::parse_text_styles(cells, *load("1x5 bold 3x2 255.0.0 7x9 italic underline 0.0.0 'wave backdrop 0.0.255 \"Mono\" 12"), false);
  std::string attrs, fgs, bgs;
  for (const auto& c : cells) {
    attrs += c.attrs == tui::attr::bold ? 'b' : c.attrs == (tui::attr::italic | tui::attr::underline) ? 'u' : '.';
    fgs += c.fg ? 'r' : '.';
    bgs += c.bg ? 'k' : '.';
  }
  EXPECT_EQ(attrs, "bbbbb.uu");
  EXPECT_EQ(fgs, "..rr....");
  EXPECT_EQ(bgs, "......kk");
  draw::TextLayout short_text(3, tui::ScreenCell{'x', 0, 0, 0});
  draw::parse_text_styles(short_text, *load("-2x4 bold 0x2 italic 3x-5 underline 99x1 strike 2147483647x2147483647 strike -2147483648x-2147483648 strike"), false);
  EXPECT_EQ(short_text[0].attrs, tui::attr::bold | tui::attr::italic);  // ranges before the text are cut
  EXPECT_EQ(short_text[1].attrs, 0u);
  EXPECT_EQ(short_text[2].attrs, 0u);
  for (const char* bad : {"1x1 backdrop", "1x1 backdrop \"x\"", "1x1 blink", "1x1 [bold]"}) {
    Cell* styles = load(bad);
    EXPECT_EQ(raised([&] { draw::parse_text_styles(cells, *styles, false); }), Err::script_draw_invalid) << bad;
  }
}

TEST_F(DrawTest, RichTextFacesAreMeasuredInCells) {
  Cell face = run("make object! [type: 'rich-text text: \"ab^/cdé\" size: 10x5 data: none]");
  Cell* f = stack::push(face);
  auto metric = [&](const char* arg, int kind) {
    return mold(*draw::text_box_metrics(*f, run(arg), kind));
  };
  EXPECT_EQ(metric("0", 3), "(3, 2)");
  EXPECT_EQ(metric("0", 4), "2");
  EXPECT_EQ(metric("0", 2), "1.0");
  EXPECT_EQ(metric("5", 0), "(1, 1)");
  EXPECT_EQ(metric("5", 6), "(1, 2)");
  EXPECT_EQ(metric("99", 0), "(3, 1)");
  EXPECT_EQ(metric("1x1", 1), "5");
  EXPECT_EQ(metric("9x0", 5), "3");
  Cell narrow = run("make object! [type: 'rich-text text: \"abcde\" size: 2x5]");
  EXPECT_EQ(mold(*draw::text_box_metrics(narrow, make_integer(0), 4)), "3");
  Cell no_text = run("make object! [type: 'rich-text text: none]");
  EXPECT_EQ(mold(*draw::text_box_metrics(no_text, make_integer(0), 4)), "none");
}

}  // namespace
}  // namespace vyn::test
