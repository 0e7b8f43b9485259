// values/images/image.cpp: image! entries: make and to, form and mold, comparison, and registration.
// Pixel access lives in values/images/image_access.cpp, copy and change in values/images/image_copy.cpp.
#include "values/images/image.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/binary.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/installers.hpp"
#include "values/numbers/pair.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn::image {

Cell* push_new(int32_t w, int32_t h) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  if (w > 0xFFFF || h > 0xFFFF) fire(Err::script_out_of_range, {pair::make(w, h)});
  uint64_t n = uint64_t(w) * uint64_t(h);
  if (n * 4 > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  NodeId node = alloc::new_series(static_cast<uint32_t>(std::max<uint64_t>(n, 1)), 4, 0);
  SeriesBuffer* b = buffer_of(node);
  b->head = 0;
  b->tail = static_cast<uint32_t>(n * 4);
  std::memset(b->data(), 0xFF, n * 4);
  uint32_t size = static_cast<uint32_t>(w) | static_cast<uint32_t>(h) << 16;
  return stack::push(make_series(Type::image, node, 0, size));
}

Cell* push_pixels(const uint32_t* px, int32_t w, int32_t h) {
  Cell* img = push_new(w, h);
  if (count(*img)) std::memcpy(pixels(*img), px, size_t(count(*img)) * 4);
  return img;
}

Cell pixel_tuple(uint32_t px) {
  uint8_t b[4] = {uint8_t(px >> 16), uint8_t(px >> 8), uint8_t(px), uint8_t(255 - (px >> 24))};
  return tuple::make(b, 4);
}

uint32_t tuple_pixel(const Cell& t) {
  tuple::Bytes b = tuple::bytes_of(t);
  uint32_t alpha = b.size > 3 ? 255u - b.b[3] : 255u;
  return alpha << 24 | uint32_t(b.b[0]) << 16 | uint32_t(b.b[1]) << 8 | b.b[2];
}

namespace {

// The pixels of a new image from the optional planes or fill colour of make's block.
void fill(Cell* img, const Cell* rgb, const Cell* alpha, const Cell* colour) {
  int32_t n = count(*img);
  if (!n) return;
  uint32_t* px = pixels(*img);
  if (colour) {
    std::fill(px, px + n, tuple_pixel(*colour));
    return;
  }
  int32_t triples = rgb ? binary::length(*rgb) / 3 : 0, alphas = alpha ? binary::length(*alpha) : 0;
  const uint8_t* c = rgb ? binary::head_bytes(*rgb) : nullptr;
  const uint8_t* a = alpha ? binary::head_bytes(*alpha) : nullptr;
  for (int32_t i = 0; i < n; ++i) {
    uint32_t A = i < alphas ? 255u - a[i] : 255u;
    uint32_t rgb_word = i < triples ? uint32_t(c[i * 3]) << 16 | uint32_t(c[i * 3 + 1]) << 8 | c[i * 3 + 2] : 0xFFFFFF;
    px[i] = A << 24 | rgb_word;
  }
}

Cell* make_from_block(Cell* spec) {
  Cell b = *spec;
  int32_t len = block::vs_length(b);
  const Cell* v = block::vs_head(b);
  if (!v[0].is(Type::pair)) fire(Err::script_invalid_arg, {v[0]});
  Cell size = v[0];
  Cell second = len > 1 ? v[1] : make_none(), third = len > 2 ? v[2] : make_none();
  if (len > 1 && !second.is(Type::binary) && !second.is(Type::tuple)) fire(Err::script_invalid_arg, {second});
  if (len > 2 && !third.is(Type::binary)) fire(Err::script_invalid_arg, {third});
  Cell* planes = stack::push(second);
  stack::push(third);
  Cell* img = push_new(pair::x_of(size), pair::y_of(size));
  fill(img, planes->is(Type::binary) ? planes : nullptr, planes[1].is(Type::binary) ? planes + 1 : nullptr,
       planes->is(Type::tuple) ? planes : nullptr);
  return img;
}

Cell* to(Cell* proto, Cell* spec, Type) {
  (void)proto;
  if (spec->is(Type::image)) return copy(spec, stack::push_unset(), nullptr, false, nullptr);
  fire(Err::script_bad_to_arg, {make_datatype(Type::image), *spec});
}

Cell* make_(Cell* proto, Cell* spec, Type type) {
  if (spec->is(Type::block) && block::vs_length(*spec) <= 0) {  // past its tail a block is empty too
    if (proto->is(Type::image)) return copy(proto, stack::push_unset(), nullptr, false, nullptr);
    fire(Err::script_invalid_arg, {*spec});
  }
  if (spec->is(Type::pair)) return push_new(pair::x_of(*spec), pair::y_of(*spec));
  if (spec->is(Type::block)) return make_from_block(spec);
  return to(proto, spec, type);
}

void hex(std::string& out, uint32_t byte) {
  static const char digits[] = "0123456789ABCDEF";
  out += digits[byte >> 4 & 15];
  out += digits[byte & 15];
}

void line(std::string& out, int level) {
  out += '\n';
  out.append(size_t(std::max(level, 0)) * 4, ' ');
}

// The text of an image: size, colour bytes, and transparency bytes when some pixel is not opaque.
// Both sections cover the pixels from the head to the tail.
std::string serialize(const Cell& img, bool only, bool flat, int level) {
  std::string out;
  if (!only) out += "make image! [";
  out += std::to_string(width(img)) + "x" + std::to_string(height(img));
  int32_t n = count(img), head = std::clamp(series_head(img), 0, n);
  const uint32_t* px = n ? pixels(img) : nullptr;
  bool wide = !flat && (n - head) * 4 > 30;
  out += " #{";
  if (wide) line(out, level);
  bool translucent = false;
  for (int32_t i = head; i < n; ++i) {
    hex(out, px[i] >> 16), hex(out, px[i] >> 8), hex(out, px[i]);
    translucent |= (px[i] >> 24) != 255;
    if (!flat && (i - head + 1) % 10 == 0 && i + 1 < n) line(out, level);
  }
  if (wide) line(out, level - 1);
  out += "}";
  if (translucent) {
    out += " #{";
    line(out, level);
    for (int32_t i = head; i < n; ++i) {
      hex(out, 255 - (px[i] >> 24));
      if (!flat && (i - head + 1) % 10 == 0 && i + 1 < n) line(out, level);
    }
    line(out, level - 1);
    out += "}";
  }
  if (!only) out += "]";
  return out;
}

int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::image)) return -2;
  bool shared = series_node(*a) == series_node(*b) && series_head(*a) == series_head(*b);
  if (op == cmp::same) return shared ? 0 : -1;
  bool equality = op == cmp::equal || op == cmp::not_equal || op == cmp::strict_equal;
  if (shared && equality) return 0;
  if (!equality && op != cmp::sort && op != cmp::case_sort && op != cmp::find) return -2;
  int32_t na = count(*a), nb = count(*b);
  if (na != nb) return na < nb ? -1 : 1;
  if (!na) return 0;
  int r = std::memcmp(pixels(*a), pixels(*b), size_t(na) * 4);
  return (r > 0) - (r < 0);
}

// Series actions that move the head.
void at(Cell* args) { args[0].w1 = static_cast<uint32_t>(pixel_offset(args[0], args[1], 1, nullptr)); }
void skip(Cell* args) { args[0].w1 = static_cast<uint32_t>(pixel_offset(args[0], args[1], 0, nullptr)); }
void next(Cell* args) {
  if (series_head(args[0]) < count(args[0])) args[0].w1++;
}
void tail(Cell* args) { args[0].w1 = static_cast<uint32_t>(count(args[0])); }
void tail_q(Cell* args) { args[0] = make_logic(series_head(args[0]) >= count(args[0])); }
int32_t length_q(Cell* s) { return count(*s); }

}  // namespace

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  std::string text = serialize(*value, false, false, 0);
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(text.size());
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  std::string text = serialize(*value, o.only, o.flat, o.indent + 1);
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(text.size());
}

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step);

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::image, {
      def<Action::make>(make_), def<Action::to>(to), def<Action::form>(form), def<Action::mold>(mold),
      def<Action::eval_path>(eval_path), def<Action::compare>(compare), def<Action::at>(at),
      def<Action::change>(change), def<Action::copy>(copy), def<Action::length_q>(length_q),
      def<Action::next>(next), def<Action::pick>(pick), def<Action::poke>(poke), def<Action::skip>(skip),
      def<Action::tail>(tail), def<Action::tail_q>(tail_q), inherit(Action::back), inherit(Action::head),
      inherit(Action::head_q), inherit(Action::index_q), inherit(Action::modify),
  });
}

}  // namespace vyn::image
