// view/tui/draw/draw_args.cpp: reading the arguments of draw commands, and the dialect's errors.
#include <cctype>
#include <cmath>

#include "core/error.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/tuple.hpp"
#include "values/words/word.hpp"
#include "view/tui/draw/draw_internal.hpp"

namespace vyn::draw {

void raise_invalid(const Cell& block, int32_t index) {
  Cell at = block;
  at.w1 = static_cast<uint32_t>(index);
  fire(Err::script_draw_invalid, {at});
}

void raise_infinite(const Cell& block) { fire(Err::script_draw_infinite, {block}); }

uint32_t color_of(const Cell& t, bool* alpha) {
  tuple::Bytes b = tuple::bytes_of(t);
  uint32_t rgb = b.b[0] | b.b[1] << 8 | b.b[2] << 16;
  bool has_alpha = b.size > 3;
  if (alpha) *alpha = has_alpha;
  return has_alpha ? rgb | static_cast<uint32_t>(b.b[3]) << 24 : rgb;
}

double to_float(const Cell& n) { return n.is(Type::integer) ? n.int_value() : n.float_value(); }

bool word_is(const Cell& w, const char* name) {
  std::string_view s = symbol::spelling(word::symbol(w));
  size_t i = 0;
  for (; i < s.size() && name[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != name[i]) return false;
  return i == s.size() && !name[i];
}

Cell field(const Cell& obj, const char* name) {
  Cell* v = context::value_cell_of(object::context(obj), symbol::make(name));
  return v ? *v : make_none();
}

namespace {
// A point2D! coordinate as a cell: truncated toward zero, held to the int range (NaN is 0).
int cell_of(float f) {
  if (!(f == f)) return 0;
  if (f >= 2147483647.0f) return 2147483647;
  if (f <= -2147483648.0f) return -2147483647 - 1;
  return static_cast<int>(std::trunc(f));
}
}  // namespace

Point point_of(const Cell& p) {
  if (p.is(Type::pair)) return {pair::x_of(p), pair::y_of(p)};
  return {cell_of(point::get(p, 0)), cell_of(point::get(p, 1))};
}

namespace {
bool is_point(const Cell& c) { return c.is(Type::pair) || c.is(Type::point2D); }
bool is_number(const Cell& c) { return c.is(Type::integer) || c.is(Type::float_); }
}  // namespace

bool Args::more() const { return index_ < block::length_total(block_); }

Cell Args::peek() const { return more() ? block::cells(block_)[index_] : make_none(); }

Cell Args::take() {
  if (!more()) fail();
  return block::cells(block_)[index_++];
}

bool Args::peek_point() const { return more() && is_point(peek()); }
bool Args::peek_number() const { return more() && is_number(peek()); }

Point Args::point() {
  if (!peek_point()) fail();
  return point_of(take());
}

bool Args::opt_point(Point& out) {
  if (!peek_point()) return false;
  out = point_of(take());
  return true;
}

double Args::number() {
  if (!peek_number()) fail();
  return to_float(take());
}

bool Args::opt_number(double& out) {
  if (!peek_number()) return false;
  out = to_float(take());
  return true;
}

bool Args::opt_integer(int32_t& out) {
  if (!more() || !peek().is(Type::integer)) return false;
  out = take().int_value();
  return true;
}

Cell Args::word_value(const Cell& w) const {
  if (word::context(w) == 0) return make_unset();
  return *word::value_cell(w);
}

Cell Args::value_of(Type t) {
  Cell v = peek();
  if (v.is(Type::word)) v = word_value(v);
  if (!more() || !v.is(t)) fail();
  ++index_;
  return v;
}

uint32_t Args::colour() { return color_of(value_of(Type::tuple), nullptr); }

bool Args::opt_colour(uint32_t& out) {
  Cell v = peek();
  if (v.is(Type::word)) v = word_value(v);
  if (!more() || !v.is(Type::tuple)) return false;
  ++index_;
  out = color_of(v, nullptr);
  return true;
}

bool Args::opt_word(const char* name, bool lit) {
  Cell v = peek();
  if (!more() || !v.is(lit ? Type::lit_word : Type::word) || !word_is(v, name)) return false;
  ++index_;
  return true;
}

Cell Args::word() {
  if (!more() || !peek().is(Type::word)) fail();
  return take();
}

Cell Args::block_arg() {
  if (!more() || !peek().is(Type::block)) fail();
  return take();
}

bool Args::opt_block(Cell& out) {
  if (!more() || !peek().is(Type::block)) return false;
  out = take();
  return true;
}

std::vector<Point> Args::points(size_t min) {
  std::vector<Point> out;
  while (peek_point()) out.push_back(point_of(take()));
  if (out.size() < min) {
    if (out.empty()) fail();
    fail_at(index_ - 1);
  }
  return out;
}

}  // namespace vyn::draw
