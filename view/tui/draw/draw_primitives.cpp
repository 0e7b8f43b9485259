// view/tui/draw/draw_primitives.cpp: the draw primitives rasterised into screen cells.
//
// Coordinates come from any pair, so they are widened to 64 bits and every loop runs only over
// the cells that can be seen: a shape far larger than the screen costs no more than one that
// fits it.
#include "view/tui/draw/draw_primitives.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "view/tui/screen/ansi_out.hpp"
#include "view/tui/screen/text_layout.hpp"

namespace vyn::tui_draw {
namespace {

using tui::ScreenCell;
using Long = int64_t;

struct LPoint {
  Long x, y;
};

// Inclusive bounds of the visible cells, relative to the origin.
struct Bounds {
  Long x1, y1, x2, y2;
  bool empty() const { return x2 < x1 || y2 < y1; }
};

// The target's clip cut to its buffer.
tui::Rect clip_of(const Target& t) {
  tui::Rect r = t.clip;
  r.x1 = std::max(r.x1, 0);
  r.y1 = std::max(r.y1, 0);
  r.x2 = std::min(r.x2, t.buffer->width());
  r.y2 = std::min(r.y2, t.buffer->height());
  return r;
}

Bounds visible(const State& s) {
  if (!s.target) return {0, 0, -1, -1};
  tui::Rect r = clip_of(*s.target);
  Long ox = s.target->origin_x, oy = s.target->origin_y;
  return {r.x1 - ox, r.y1 - oy, r.x2 - 1 - ox, r.y2 - 1 - oy};
}

// The cell at (x, y) relative to the origin, or null when it cannot be seen.
ScreenCell* cell_at(const State& s, Long x, Long y) {
  Bounds v = visible(s);
  if (x < v.x1 || x > v.x2 || y < v.y1 || y > v.y2) return nullptr;
  return &s.target->buffer->at(static_cast<int>(x + s.target->origin_x), static_cast<int>(y + s.target->origin_y));
}

void stroke(const State& s, Long x, Long y, char32_t ch) {
  if (ScreenCell* c = cell_at(s, x, y)) {
    c->cp = static_cast<int32_t>(ch);
    c->fg = s.pen;
    c->attrs &= ~tui::attr::continuation;
  }
}

void fill_row(const State& s, Long y, Long from, Long to) {
  Bounds v = visible(s);
  if (from > to) std::swap(from, to);
  if (y < v.y1 || y > v.y2) return;
  for (Long x = std::max(from, v.x1); x <= std::min(to, v.x2); ++x) {
    ScreenCell* c = cell_at(s, x, y);
    c->cp = ' ';
    c->bg = s.fill;
    c->attrs &= ~tui::attr::continuation;
  }
}

// Cuts a long segment to the visible cells (with a margin of one) so that walking it stays
// cheap; answers false when none of it can be seen. Short segments are left exact.
bool clip_segment(const Bounds& v, LPoint& a, LPoint& b) {
  if (std::llabs(b.x - a.x) + std::llabs(b.y - a.y) < 65536) return true;
  double t0 = 0, t1 = 1, dx = double(b.x - a.x), dy = double(b.y - a.y);
  auto cut = [&](double p, double q) {  // Liang-Barsky: p t <= q
    if (p == 0) return q >= 0;
    double r = q / p;
    if (p < 0) t0 = std::max(t0, r);
    else t1 = std::min(t1, r);
    return t0 <= t1;
  };
  if (!cut(-dx, double(a.x - (v.x1 - 1))) || !cut(dx, double(v.x2 + 1 - a.x)) ||
      !cut(-dy, double(a.y - (v.y1 - 1))) || !cut(dy, double(v.y2 + 1 - a.y)))
    return false;
  LPoint from{a.x + std::llround(t0 * dx), a.y + std::llround(t0 * dy)};
  b = {a.x + std::llround(t1 * dx), a.y + std::llround(t1 * dy)};
  a = from;
  return true;
}

// Bresenham's segment, both ends included.
void segment(const State& s, LPoint a, LPoint b) {
  if (!clip_segment(visible(s), a, b)) return;
  Long dx = std::llabs(b.x - a.x), sx = a.x < b.x ? 1 : -1;
  Long dy = -std::llabs(b.y - a.y), sy = a.y < b.y ? 1 : -1;
  Long err = dx + dy;
  for (;;) {
    stroke(s, a.x, a.y, full_block);
    if (a.x == b.x && a.y == b.y) return;
    Long e2 = 2 * err;
    if (e2 >= dy) { err += dy; a.x += sx; }
    if (e2 <= dx) { err += dx; a.y += sy; }
  }
}

LPoint wide(Point p) { return {p.x, p.y}; }

// The x where the edge from a to b crosses row y (a.y != b.y).
Long edge_x(LPoint a, LPoint b, Long y) {
  return a.x + static_cast<Long>(std::trunc(double(b.x - a.x) * double(y - a.y) / double(b.y - a.y)));
}

// The cells of one step of the midpoint ellipse, on rows cy - dy and cy + dy: the outline points
// at cx - dx and cx + dx, or in the filling pass the cells between them.
void ellipse_rows(const State& s, Long cx, Long cy, Long dx, Long dy, bool filling) {
  for (Long y : {cy - dy, cy + dy}) {
    if (filling) {
      if (dx > 0) fill_row(s, y, cx - dx + 1, cx + dx - 1);
    } else {
      stroke(s, cx - dx, y, full_block);
      stroke(s, cx + dx, y, full_block);
    }
  }
}

// The midpoint ellipse algorithm, in integers (scaled by 4 to keep the half-steps exact).
void midpoint_pass(const State& s, Long cx, Long cy, Long rx, Long ry, bool filling) {
  if (ry == 0) {  // a flat ellipse is one row
    for (Long x = 0; x <= rx; ++x) ellipse_rows(s, cx, cy, x, 0, filling);
    return;
  }
  Long rx2 = rx * rx, ry2 = ry * ry;
  Long x = 0, y = ry;
  Long px = 0, py = 2 * rx2 * y;
  Long p = 4 * ry2 - 4 * rx2 * ry + rx2;
  while (px < py) {
    ellipse_rows(s, cx, cy, x, y, filling);
    ++x;
    px += 2 * ry2;
    if (p < 0) {
      p += 4 * (px + ry2);
    } else {
      --y;
      py -= 2 * rx2;
      p += 4 * (px - py + ry2);
    }
  }
  p = ry2 * (2 * x + 1) * (2 * x + 1) + 4 * rx2 * (y - 1) * (y - 1) - 4 * rx2 * ry2;
  while (y >= 0) {
    ellipse_rows(s, cx, cy, x, y, filling);
    --y;
    py -= 2 * rx2;
    if (p > 0) {
      p += 4 * (rx2 - py);
    } else {
      ++x;
      px += 2 * ry2;
      p += 4 * (px - py + rx2);
    }
  }
}

// Radii above this draw nothing: the 64-bit decision values of the algorithm would overflow, and
// no terminal shows a curve of that size.
constexpr Long max_radius = 32767;

// A wide ellipse has several outline points per row, so the filling pass runs first and never
// covers the outline.
void midpoint_ellipse(const State& s, Long cx, Long cy, Long rx, Long ry) {
  Bounds v = visible(s);
  if (rx > max_radius || ry > max_radius || v.empty()) return;
  if (cx + rx < v.x1 || cx - rx > v.x2 || cy + ry < v.y1 || cy - ry > v.y2) return;
  if (s.fill_on) midpoint_pass(s, cx, cy, rx, ry, true);
  if (s.pen_on) midpoint_pass(s, cx, cy, rx, ry, false);
}

}  // namespace

void begin(State& s, const Target* target) { s = State{target}; }

void pen(State& s, bool on, uint32_t colour) {
  s.pen_on = on;
  if (!on) return;
  s.pen = tui::rgb_to_256(colour);
  if (!s.font_colour) s.text_colour = s.pen;
}

void fill_pen(State& s, bool on, uint32_t colour) {
  s.fill_on = on;
  if (on) s.fill = tui::rgb_to_256(colour);
}

void font(State& s, bool has_colour, uint32_t colour) {
  s.font_colour = has_colour;
  if (has_colour) s.text_colour = tui::rgb_to_256(colour);
}

void box(State& s, Point a, Point b) {
  Bounds v = visible(s);
  Long x1 = std::min(a.x, b.x), x2 = std::max(a.x, b.x);
  Long y1 = std::min(a.y, b.y), y2 = std::max(a.y, b.y);
  if (v.empty() || x2 < v.x1 || x1 > v.x2 || y2 < v.y1 || y1 > v.y2) return;
  if (s.fill_on)
    for (Long y = std::max(y1, v.y1); y <= std::min(y2, v.y2); ++y) fill_row(s, y, x1, x2);
  if (!s.pen_on) return;
  for (Long x = std::max(x1 + 1, v.x1); x <= std::min(x2 - 1, v.x2); ++x) {
    stroke(s, x, y1, 0x2500);
    stroke(s, x, y2, 0x2500);
  }
  for (Long y = std::max(y1 + 1, v.y1); y <= std::min(y2 - 1, v.y2); ++y) {
    stroke(s, x1, y, 0x2502);
    stroke(s, x2, y, 0x2502);
  }
  stroke(s, x1, y1, 0x250C);
  stroke(s, x2, y1, 0x2510);
  stroke(s, x1, y2, 0x2514);
  stroke(s, x2, y2, 0x2518);
}

void line(State& s, const std::vector<Point>& points) {
  if (!s.pen_on) return;
  for (size_t i = 1; i < points.size(); ++i) segment(s, wide(points[i - 1]), wide(points[i]));
}

void triangle(State& s, Point a, Point b, Point c) {
  LPoint v[3] = {wide(a), wide(b), wide(c)};
  std::sort(v, v + 3, [](LPoint p, LPoint q) { return p.y < q.y; });
  Bounds vis = visible(s);
  if (s.fill_on) {
    for (Long y = std::max(v[0].y, vis.y1); y <= std::min(v[2].y, vis.y2); ++y) {
      Long long_x = v[2].y == v[0].y ? v[0].x : edge_x(v[0], v[2], y);
      bool upper = y < v[1].y || (y == v[1].y && v[1].y != v[2].y);
      LPoint p = upper ? v[0] : v[1], q = upper ? v[1] : v[2];
      Long short_x = p.y == q.y ? q.x : edge_x(p, q, y);
      fill_row(s, y, long_x, short_x);
    }
  }
  if (!s.pen_on) return;
  segment(s, v[0], v[1]);
  segment(s, v[1], v[2]);
  segment(s, v[2], v[0]);
}

void circle(State& s, Point centre, int radius) {
  if (radius > 0) midpoint_ellipse(s, centre.x, centre.y, 2 * Long{radius}, radius);
}

void ellipse(State& s, Point top_left, Point size) {
  if (size.x < 1 || size.y < 1) return;
  Long rx = static_cast<Long>((size.x + 0.5) / 2), ry = static_cast<Long>((size.y + 0.5) / 2);
  midpoint_ellipse(s, top_left.x + rx, top_left.y + ry, rx, ry);
}

namespace {

// The absolute cell of a point, or false when it lies beyond any buffer.
bool absolute(const State& s, Point at, int& x, int& y) {
  Long ax = Long{at.x} + s.target->origin_x, ay = Long{at.y} + s.target->origin_y;
  if (std::llabs(ax) > 0x3FFFFFFF || std::llabs(ay) > 0x3FFFFFFF) return false;
  x = static_cast<int>(ax), y = static_cast<int>(ay);
  return true;
}

}  // namespace

void text(State& s, Point at, const std::u32string& chars) {
  int x, y;
  if (!s.target || !absolute(s, at, x, y)) return;
  tui::Style style;
  style.fg = s.font_colour ? s.text_colour : s.pen_on ? s.pen : tui::color::kind_default;
  style.bg = s.target->bg;
  tui::draw_text(*s.target->buffer, chars, x, y, clip_of(*s.target), style, 0);
}

void text_cells(State& s, Point at, TextLayout cells, uint32_t align) {
  int x, y;
  if (!s.target || !absolute(s, at, x, y)) return;
  tui::Rect clip = clip_of(*s.target);
  if (align & (tui::align::right | tui::align::center)) {
    std::u32string chars;
    for (const auto& c : cells) chars.push_back(static_cast<char32_t>(c.cp));
    int room = clip.x2 - x - tui::text_size(chars).width;
    x += align & tui::align::center ? room / 2 : room;
  }
  for (auto& c : cells)
    if (c.bg == 0) c.bg = s.target->bg;
  tui::draw_cells(*s.target->buffer, cells, x, y, clip, 0);
}

}  // namespace vyn::tui_draw
