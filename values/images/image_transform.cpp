// values/images/image_transform.cpp: the pixel geometry that places an image into a quad.
#include "values/images/image_transform.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/stack.hpp"
#include "platform/image_codec.hpp"
#include "values/images/image.hpp"
#include "values/numbers/pair.hpp"

namespace vyn::image_transform {

double length(Vec2 v) { return std::sqrt(v.x * v.x + v.y * v.y); }
Vec2 normalize(Vec2 v) {
  double l = length(v);
  return l == 0 ? v : Vec2{v.x / l, v.y / l};
}
Vec2 between(float ax, float ay, float bx, float by) { return {double(bx) - ax, double(by) - ay}; }
double cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
double dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
Vec2 rotate(Vec2 v, int degrees) {
  double a = degrees * 3.14159265359 / 180.0;
  return {v.x * std::cos(a) - v.y * std::sin(a), v.x * std::sin(a) + v.y * std::cos(a)};
}
bool side_negative(float px, float py, float ax, float ay, float bx, float by) {
  return cross(between(ax, ay, px, py), between(ax, ay, bx, by)) < 0;
}
bool side_positive(float px, float py, float ax, float ay, float bx, float by) {
  return cross(between(ax, ay, px, py), between(ax, ay, bx, by)) > 0;
}
double line_distance(float px, float py, float ax, float ay, float bx, float by) {
  return std::fabs(cross(between(ax, ay, px, py), normalize(between(ax, ay, bx, by))));
}

bool point_in_quad(const Quad& q, float x, float y) {
  for (int i = 0; i < 4; ++i) {
    int j = (i + 1) % 4;
    if (side_positive(x, y, q.x[i], q.y[i], q.x[j], q.y[j])) return false;
  }
  return true;
}

void flip_x(Quad& q, float c) {
  for (float& x : q.x) x = 2.0f * c - x;
}
void flip_y(Quad& q, float c) {
  for (float& y : q.y) y = 2.0f * c - y;
}

bool copy_rectangle(const uint32_t* src, int32_t sw, int32_t sh, int32_t x, int32_t y, int32_t w, int32_t h,
                    std::vector<uint32_t>& dst) {
  if (x < 0 || y < 0 || x >= sw || y >= sh || w <= 0 || h <= 0) return false;
  int32_t cw = std::min(w, sw - x), ch = std::min(h, sh - y);
  dst.resize(size_t(cw) * ch);
  for (int32_t r = 0; r < ch; ++r) std::memcpy(&dst[size_t(r) * cw], src + int64_t(y + r) * sw + x, size_t(cw) * 4);
  return true;
}

namespace {

// Bilinear sample of the source at (u, v), byte by byte.
uint32_t sample(const uint32_t* src, int32_t sw, int32_t sh, float u, float v) {
  int32_t iu = int32_t(u), iv = int32_t(v);
  int32_t iu1 = iu + 1 < sw ? iu + 1 : iu, iv1 = iv + 1 < sh ? iv + 1 : iv;
  float fu = std::max(u - float(iu), 0.0f), fv = std::max(v - float(iv), 0.0f);
  const uint32_t p[4] = {src[int64_t(iv) * sw + iu], src[int64_t(iv) * sw + iu1], src[int64_t(iv1) * sw + iu],
                         src[int64_t(iv1) * sw + iu1]};
  const float wt[4] = {(1 - fu) * (1 - fv), fu * (1 - fv), (1 - fu) * fv, fu * fv};
  uint32_t out = 0;
  for (int byte = 0; byte < 4; ++byte) {
    float sum = 0;
    for (int k = 0; k < 4; ++k) sum += wt[k] * float(p[k] >> (8 * byte) & 0xFF);
    out |= uint32_t(std::clamp(int32_t(sum), 0, 255)) << (8 * byte);
  }
  return out;
}

Box bounding_box(const Quad& q) {
  float min_x = 3.4028235e38f, min_y = 3.4028235e38f, max_x = -3.4028235e38f, max_y = -3.4028235e38f;
  for (int i = 0; i < 4; ++i) {
    min_x = std::min(min_x, q.x[i]), max_x = std::max(max_x, q.x[i]);
    min_y = std::min(min_y, q.y[i]), max_y = std::max(max_y, q.y[i]);
  }
  auto clamp_int = [](double d) { return int32_t(std::clamp(d, -2147483648.0, 2147483647.0)); };
  return Box{clamp_int(min_x), clamp_int(min_y), clamp_int(double(max_x) - min_x), clamp_int(double(max_y) - min_y)};
}

}  // namespace

std::vector<uint32_t> quad_warp(const uint32_t* src, int32_t sw, int32_t sh, const Quad& q, Box& box) {
  box = bounding_box(q);
  if (sw < 1 || sh < 1 || box.w <= 0 || box.h <= 0 || uint64_t(box.w) * uint64_t(box.h) > imaging::max_pixels) return {};
  Vec2 e[4];
  for (int i = 0; i < 4; ++i) {
    int j = (i + 1) % 4;
    e[i] = normalize(between(q.x[i], q.y[i], q.x[j], q.y[j]));
    if (length(e[i]) == 0 || !std::isfinite(e[i].x) || !std::isfinite(e[i].y)) return {};
  }
  std::vector<uint32_t> out(size_t(box.w) * box.h, 0);
  for (int32_t j = 0; j < box.h; ++j) {
    for (int32_t i = 0; i < box.w; ++i) {
      float px = float(i + box.x), py = float(j + box.y);
      if (!point_in_quad(q, px, py)) continue;
      double d[4];
      for (int k = 0; k < 4; ++k) d[k] = std::fabs(cross(between(q.x[k], q.y[k], px, py), e[k]));
      float u = float(d[3] / (d[3] + d[1]) * sw), v = float(d[0] / (d[0] + d[2]) * sh);
      // a pixel where opposite edges meet has no defined position in the source
      if (!std::isfinite(u) || !std::isfinite(v) || u < 0 || v < 0 || u >= float(sw) || v >= float(sh)) continue;
      out[size_t(j) * box.w + i] = sample(src, sw, sh, u, v);
    }
  }
  return out;
}

std::vector<uint32_t> resize_buffer(const uint32_t* src, int32_t sw, int32_t sh, int32_t nw, int32_t nh) {
  Quad q;
  float w = float(nw), h = float(nh);
  q.x[0] = 0, q.y[0] = 0, q.x[1] = w, q.y[1] = 0, q.x[2] = w, q.y[2] = h, q.x[3] = 0, q.y[3] = h;
  Box box;
  std::vector<uint32_t> out = quad_warp(src, sw, sh, q, box);
  if (box.w != nw || box.h != nh) out.clear();
  return out;
}

void yuyv_to_rgba(int32_t w, int32_t h, const uint8_t* src, uint32_t* dst) {
  auto clamp = [](int32_t c) { return uint32_t(std::clamp(c, 0, 255)); };
  auto pixel = [&](int32_t y, int32_t cb, int32_t cr) {
    uint32_t r = clamp(y + (cr * 91881 >> 16)), g = clamp(y - (cr * 46792 >> 16) - (cb * 21889 >> 16));
    uint32_t b = clamp(y + (cb * 116129 >> 16));
    return 0xFF000000u | b << 16 | g << 8 | r;
  };
  for (int32_t row = 0; row < h; ++row) {
    for (int32_t x = 0; x < w; x += 2) {
      int32_t y0 = src[0], cb = src[1] - 128, y1 = src[2], cr = src[3] - 128;
      src += 4;
      *dst++ = pixel(y0, cb, cr);
      *dst++ = pixel(y1, cb, cr);
    }
  }
}

namespace {

void corner_of(const Cell& c, float& x, float& y) {
  if (c.is(Type::pair)) x = float(pair::x_of(c)), y = float(pair::y_of(c));
  else x = pair::point_x(c), y = pair::point_y(c);
}

// The quad the corner values name: top-left, then top-right, bottom-left, bottom-right.
Quad quad_of(const Cell* corners, int count, int32_t w, int32_t h) {
  float x[4] = {}, y[4] = {};
  for (int i = 0; i < count; ++i) corner_of(corners[i], x[i], y[i]);
  Quad q;
  auto set = [&](int k, float cx, float cy) { q.x[k] = cx, q.y[k] = cy; };
  set(0, x[0], y[0]);
  if (count == 1) set(1, x[0] + w, y[0]), set(2, x[0] + w, y[0] + h), set(3, x[0], y[0] + h);
  if (count == 2) set(1, x[1], y[0]), set(2, x[1], y[1]), set(3, x[0], y[1]);
  if (count == 3) set(1, x[1], y[1]), set(2, x[1] + x[2] - x[0], y[1] + y[2] - y[0]), set(3, x[2], y[2]);
  if (count == 4) set(1, x[1], y[1]), set(2, x[3], y[3]), set(3, x[2], y[2]);
  return q;
}

}  // namespace

Cell* transform(Cell* img, const Cell* crop, const Cell* corners, int count, Box& box) {
  if (count < 1 || count > 4) return stack::push(make_none());
  int32_t w = image::width(*img), h = image::height(*img), cx = 0, cy = 0;
  if (crop) {
    cx = pair::x_of(crop[0]), cy = pair::y_of(crop[0]);
    w = std::min(pair::x_of(crop[1]), w - cx), h = std::min(pair::y_of(crop[1]), h - cy);
  }
  Quad q = quad_of(corners, count, w, h);
  bool mirror_x = q.x[0] > q.x[1], mirror_y = q.y[1] > q.y[2];
  if (mirror_x) flip_x(q, q.x[0]);
  if (mirror_y) flip_y(q, q.y[0]);
  std::vector<uint32_t> src, warped;
  int32_t n = image::count(*img);
  if (crop) {
    if (n && copy_rectangle(image::pixels(*img), image::width(*img), image::height(*img), cx, cy, w, h, src))
      warped = quad_warp(src.data(), w, h, q, box);
  } else if (n) {
    src.assign(image::pixels(*img), image::pixels(*img) + n);
    warped = quad_warp(src.data(), w, h, q, box);
  }
  if (warped.empty()) return stack::push(make_none());
  if (mirror_x) box.w = -box.w;
  if (mirror_y) box.h = -box.h;
  return image::push_pixels(warped.data(), std::abs(box.w), std::abs(box.h));
}

}  // namespace vyn::image_transform
