// view/tui/draw/draw_primitives.hpp: what the draw primitives do in the terminal: boxes, lines,
// triangles, ellipses and text written into cells. Pens, clipping, transforms, shapes, images and
// gradients have no terminal rendering; the interpreter checks their arguments and goes on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "view/tui/draw/draw.hpp"

namespace vyn::tui_draw {

using draw::Target;
using draw::TextLayout;

// Cell coordinates, relative to the target's origin.
struct Point {
  int x;
  int y;
};

// The state of one drawing run; nested blocks and push share it.
struct State {
  const Target* target = nullptr;  // none: arguments are checked, nothing is drawn
  bool pen_on = true;
  uint32_t pen = 0;
  bool fill_on = false;
  uint32_t fill = 0;
  uint32_t text_colour = 0;
  bool font_colour = false;
};

inline constexpr char32_t full_block = 0x2588;

void begin(State& s, const Target* target);
// colour: a tuple's 32 bits (draw::color_of); off turns the pen off.
void pen(State& s, bool on, uint32_t colour);
void fill_pen(State& s, bool on, uint32_t colour);
// A font whose colour is a tuple sets the text colour; any other font clears the font colour.
void font(State& s, bool has_colour, uint32_t colour);

void box(State& s, Point a, Point b);
void line(State& s, const std::vector<Point>& points);
void triangle(State& s, Point a, Point b, Point c);
void circle(State& s, Point centre, int radius);
void ellipse(State& s, Point top_left, Point size);
// Draws text in the font colour when one is set, else the pen colour when the pen is on, else the
// default colour.
void text(State& s, Point at, const std::u32string& text);
// Draws prepared cells (a rich text) with alignment bits (right, centre) in the room from the
// point to the clip's right edge; cells without a background take the target's.
void text_cells(State& s, Point at, TextLayout cells, uint32_t align);

}  // namespace vyn::tui_draw
