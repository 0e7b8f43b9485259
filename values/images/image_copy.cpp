// values/images/image_copy.cpp: copying an image or a rectangle of it, and change, which writes a pixel
// or draws another image at the head.
#include <algorithm>
#include <cstring>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/objects/error_args.hpp"
#include "values/images/image.hpp"
#include "values/objects/ownership.hpp"
#include "values/numbers/pair.hpp"

namespace vyn::image {

namespace {

struct Rect {
  int32_t x = 0, y = 0, w = 0, h = 0;
};

// A new image holding the rectangle of src (clipped to it), stored in result.
Cell* copy_rect(Cell* src, Cell* result, Rect r) {
  if (r.w <= 0 || r.h <= 0) {
    *result = *push_new(0, 0);
    return result;
  }
  Cell* out = push_new(r.w, r.h);
  int32_t sw = width(*src);
  const uint32_t* from = pixels(*src);
  uint32_t* to = pixels(*out);
  for (int32_t row = 0; row < r.h; ++row)
    std::memcpy(to + int64_t(row) * r.w, from + int64_t(r.y + row) * sw + r.x, size_t(r.w) * 4);
  *result = *out;
  return result;
}

// The rectangle that ends at the head, for a negative /part pair.
Rect before_head(int32_t x0, int32_t y0, int32_t a, int32_t b, int32_t w, int32_t h) {
  Rect r{x0, y0, -a, -b};
  if (r.x == 0) r.x = w;
  if (r.w > r.x) r.w = r.x, r.x = 0;
  else r.x -= r.w;
  if (r.y < h) ++r.y;
  if (r.h > r.y) r.h = r.y, r.y = 0;
  else r.y -= r.h;
  return r;
}

// The rectangle between two positions of one image, corners included.
Rect between(int32_t p, int32_t q, int32_t w) {
  int32_t a = std::min(p, q), b = std::max(p, q);
  int32_t x0 = std::min(a % w, b % w), x1 = std::max(a % w, b % w);
  return Rect{x0, a / w, x1 - x0 + 1, b / w - a / w + 1};
}

}  // namespace

Cell* copy(Cell* value, Cell* result, Cell* part, bool, Cell*) {
  int32_t w = width(*value), h = height(*value), n = count(*value);
  if (w <= 0 || h <= 0) return copy_rect(value, result, Rect{});
  int32_t head = std::clamp(series_head(*value), 0, n);
  int32_t x0 = head % w, y0 = head / w;
  if (head == n) x0 = 0, y0 = h;
  if (!part) return copy_rect(value, result, Rect{x0, y0, w - x0, h - y0});
  // A pixel count names no rectangle of a grid: an integer part is left not done, by design.
  if (part->is(Type::integer)) fire(Err::internal_not_done);
  if (part->is(Type::pair)) {
    int32_t a = pair::x_of(*part), b = pair::y_of(*part);
    if (a > 0 && b > 0 && head < n) return copy_rect(value, result, Rect{x0, y0, std::min(a, w - x0), std::min(b, h - y0)});
    if (a < 0 && b < 0 && head > 0) return copy_rect(value, result, before_head(x0, y0, a, b, w, h));
    return copy_rect(value, result, Rect{});
  }
  if (part->is(Type::image) && series_node(*part) == series_node(*value)) {
    int32_t other = std::clamp(series_head(*part), 0, n - 1);
    return copy_rect(value, result, between(std::min(head, n - 1), other, w));
  }
  fire(Err::script_invalid_refine_arg, {word_arg("part"), *part});
}

Cell* change(Cell* series, Cell* value, int32_t part, bool, int32_t dup) {
  // Drawing writes a rectangle; a linear /part or a repeat count has no meaning there and is left
  // not done, by design.
  if (part != -1 || dup != 1) fire(Err::internal_not_done);
  int32_t w = width(*series), h = height(*series), n = count(*series), head = series_head(*series);
  if (value->is(Type::tuple)) {
    if (head < 0 || head >= n) fire(Err::script_out_of_range, {make_integer(head + 1)});
    bool owned = ownership::before(*series, Action::change, head, 1, value);
    pixels(*series)[head] = tuple_pixel(*value);
    if (owned) ownership::after(*series, Action::change, head, 1, value);
    set_series_head(*series, series_head(*series) + 1);
    return series;
  }
  if (!value->is(Type::image)) fire(Err::script_invalid_arg, {make_datatype(value->type())});
  if (head < 0 || head >= n) return series;
  int32_t x0 = head % w, y0 = head / w, sw = width(*value);
  int32_t cw = std::min(sw, w - x0), ch = std::min(height(*value), h - y0);
  if (cw <= 0 || ch <= 0) return series;
  bool owned = ownership::before(*series, Action::change, head, cw * ch, value);
  // the owner's handler may have allocated: take the pixel addresses only now
  const uint32_t* from = pixels(*value);
  uint32_t* to = pixels(*series);
  for (int32_t row = 0; row < ch; ++row)
    std::memmove(to + int64_t(y0 + row) * w + x0, from + int64_t(row) * sw, size_t(cw) * 4);
  if (owned) ownership::after(*series, Action::change, head, cw * ch, value);
  set_series_head(*series, (y0 + ch - 1) * w + x0 + cw);
  return series;
}

}  // namespace vyn::image
