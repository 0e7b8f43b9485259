// values/images/image_access.cpp: image! pixel access: offsets from indexes and coordinate pairs, pick
// and poke, path access, and the colour and transparency planes.
#include <algorithm>
#include <cctype>
#include <string>
#include <cstring>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/binary.hpp"
#include "values/images/image.hpp"
#include "values/objects/ownership.hpp"
#include "values/numbers/pair.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn::image {

int32_t pixel_offset(const Cell& img, const Cell& index, int base, bool* out_of_range) {
  int32_t w = width(img), h = height(img), n = count(img);
  int64_t i = 0;
  bool out = false;
  if (index.is(Type::pair)) {
    int64_t x = pair::x_of(index), y = pair::y_of(index);
    if (out_of_range) out = base == 1 ? x < 1 || x > w || y < 1 || y > h : x < 0 || x >= w || y < 0 || y >= h;
    if (base == 1 && y > 0) --y;
    i = y * w + x;
  } else if (index.is(Type::integer)) {
    i = index.int_value();
  } else {
    fire(Err::script_invalid_arg, {index});
  }
  if (base == 1 && i <= 0) base = 0;
  int64_t offset = series_head(img) + i - base;
  if (offset < 0 || offset >= n || i == 0) out = true;
  offset = std::clamp<int64_t>(offset, 0, n);
  if (out_of_range) *out_of_range = out;
  return static_cast<int32_t>(offset);
}

Cell* pick(Cell* series, int32_t index, Cell* boxed) {
  Cell at = boxed->is(Type::pair) || boxed->is(Type::integer) ? *boxed : make_integer(index);
  bool out = false;
  int32_t offset = pixel_offset(*series, at, 1, &out);
  if (out) return stack::push(make_none());
  return stack::push(pixel_tuple(pixels(*series)[offset]));
}

Cell* poke(Cell* series, int32_t index, Cell* boxed, Cell* value) {
  Cell at = boxed->is(Type::pair) || boxed->is(Type::integer) ? *boxed : make_integer(index);
  bool out = false;
  int32_t offset = pixel_offset(*series, at, 1, &out);
  if (out) fire(Err::script_out_of_range, {at});
  if (!value->is(Type::tuple)) fire(Err::script_invalid_arg, {*value});
  pixels(*series)[offset] = tuple_pixel(*value);
  if (ownership::before(*series, Action::poke, offset, 1, value)) ownership::after(*series, Action::poke, offset, 1, value);
  return value;
}

Cell* extract_data(const Cell& img, int kind) {
  int32_t n = count(img);
  int per = kind == 0 ? 1 : kind == 1 ? 3 : 4;
  Cell* out = binary::push_bytes(nullptr, 0);
  if (!n) return out;
  NodeId node = alloc::new_bytes(static_cast<uint32_t>(n * per));
  SeriesBuffer* b = buffer_of(node);
  const uint32_t* px = pixels(img);
  uint8_t* o = b->data();
  for (int32_t i = 0; i < n; ++i) {
    uint32_t p = px[i];
    if (kind == 2) std::memcpy(o + i * 4, &p, 4);
    else if (kind == 0) o[i] = uint8_t(255 - (p >> 24));
    else o[i * 3] = uint8_t(p >> 16), o[i * 3 + 1] = uint8_t(p >> 8), o[i * 3 + 2] = uint8_t(p);
  }
  b->tail = static_cast<uint32_t>(n * per);
  *out = make_series(Type::binary, node);
  return out;
}

namespace {

void set_from_binary(const Cell& img, const Cell& bin, int kind) {
  int32_t n = count(img), len = binary::length(bin);
  uint32_t* px = pixels(img);
  const uint8_t* in = binary::head_bytes(bin);
  if (kind == 2) {
    std::memcpy(px, in, size_t(std::min<int64_t>(len, int64_t(n) * 4)));
    return;
  }
  int32_t m = std::min(kind == 1 ? len / 3 : len, n);
  for (int32_t i = 0; i < m; ++i) {
    if (kind == 0) px[i] = (px[i] & 0xFFFFFF) | uint32_t(255 - in[i]) << 24;
    else px[i] = (px[i] & 0xFF000000u) | uint32_t(in[i * 3]) << 16 | uint32_t(in[i * 3 + 1]) << 8 | in[i * 3 + 2];
  }
}

void set_from_colour(const Cell& img, uint32_t colour, int kind) {
  int32_t n = count(img);
  uint32_t* px = pixels(img);
  for (int32_t i = 0; i < n; ++i) {
    if (kind == 2) px[i] = colour;
    else if (kind == 1) px[i] = (px[i] & 0xFF000000u) | (colour & 0xFFFFFF);
    else px[i] = (px[i] & 0xFFFFFF) | (255u - (colour >> 16 & 255)) << 24;
  }
}

// A plane written: the owner hears of a poke of the whole image.
void notify_all(const Cell& img, const Cell* value) {
  if (ownership::before(img, Action::poke, series_head(img), count(img), value))
    ownership::after(img, Action::poke, series_head(img), count(img), value);
}

}  // namespace

Cell* set_data(Cell* img, Cell* value, int kind) {
  if (value->is(Type::binary)) {
    if (count(*img)) set_from_binary(*img, *value, kind);
    notify_all(*img, value);
    return value;
  }
  uint32_t colour;
  if (value->is(Type::tuple)) {
    colour = tuple_pixel(*value);
  } else if (value->is(Type::integer)) {
    uint32_t v = static_cast<uint32_t>(value->int_value());
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    colour = tuple_pixel(tuple::make(b, 4));
  } else {
    fire(Err::script_invalid_arg, {*value});
  }
  // The transparency plane takes the first byte of the value as transparency.
  if (kind == 0) colour = (colour & 0xFF000000u) | (colour >> 16 & 0xFF) << 16;
  set_from_colour(*img, colour, kind);
  notify_all(*img, value);
  return value;
}

namespace {

// Words are matched without regard to letter case.
std::string lower_spelling(const Cell& word) {
  std::string s(symbol::spelling(word::symbol(word)));
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

int plane_kind(const Cell& word) {
  std::string s = lower_spelling(word);
  return s == "alpha" ? 0 : s == "rgb" ? 1 : s == "argb" ? 2 : -1;
}

[[noreturn]] void bad_path(const PathStep& step, const Cell& element) {
  fire(Err::script_invalid_path, {step.path ? *step.path : make_none(), element});
}

}  // namespace

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  if (element->is(Type::integer) || element->is(Type::pair)) {
    if (!value) return pick(parent, 0, element);
    return poke(parent, 0, element, value);
  }
  if (!element->is(Type::word)) bad_path(step, *element);
  if (lower_spelling(*element) == "size") {
    if (value) bad_path(step, *element);
    return stack::push(pair::make(width(*parent), height(*parent)));
  }
  int kind = plane_kind(*element);
  if (kind < 0) bad_path(step, *element);
  if (!value) return extract_data(*parent, kind);
  return set_data(parent, value, kind);
}

}  // namespace vyn::image
