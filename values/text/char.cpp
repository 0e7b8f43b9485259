// values/text/char.cpp: char!, one Unicode code point; its arithmetic keeps it inside the code range.
#include <algorithm>
#include <cmath>

#include "core/error.hpp"
#include "core/text/unicode.hpp"
#include "core/stack.hpp"
#include "core/compare_ops.hpp"
#include "values/installers.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"
#include "values/series/vector.hpp"

namespace vyn::char_ {
namespace {

constexpr int64_t last_code_point = 0x10FFFF;

enum Op { add = 0, subtract = 1, multiply = 2, divide = 3, remainder = 4, or_ = 5, and_ = 6, xor_ = 7 };

// Truncation toward zero as the processor does it: a value it cannot hold gives the lowest int32.
int32_t truncated(double d) {
  if (!(d > -2147483649.0 && d < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(d);
}

int32_t number_of(const Cell& right) {
  switch (right.type()) {
    case Type::char_: case Type::integer: return right.int_value();
    case Type::float_: return truncated(right.float_value());
    default: fire(Err::script_invalid_type, {make_datatype(right.type())});
  }
}

// The 32-bit operation; an add, subtract or multiply that overflows 32 bits, like any result past
// the code range, is an overflow for a char!.
int64_t combine(int32_t x, int32_t y, int op) {
  switch (op) {
    case add: return int64_t{x} + y;
    case subtract: return int64_t{x} - y;
    case multiply: return int64_t{x} * y;
    case divide:
    case remainder:
      if (y == 0) fire(Err::math_zero_divide);
      if (x == INT32_MIN && y == -1) fire(Err::math_overflow);
      return op == divide ? x / y : x % y;
    case or_: return x | y;
    case and_: return x & y;
    default: return x ^ y;
  }
}

// The left char! in args[0] combined with args[1]; the result stays a char!.
// A vector! on the right gets the whole operation: the code point stands as an integer on the
// left of every element, and the result is a new vector.
template <int op>
void math(Cell* args) {
  if (args[1].is(Type::vector)) {
    args[0] = make_integer(args[0].int_value());
    vector::number_left(args, static_cast<Arith>(op));
    return;
  }
  int64_t r = combine(args[0].int_value(), number_of(args[1]), op);
  if (r < 0 || r > last_code_point) fire(Err::math_overflow);
  set_char(args[0], static_cast<uint32_t>(r));
}

uint32_t checked_code(Cell* spec, double value) {
  if (!(value >= 0 && value < last_code_point + 1)) fire(Err::script_out_of_range, {*spec});
  return static_cast<uint32_t>(value);
}

uint32_t first_of_binary(Cell* spec) {
  int32_t count = series::units_left(*spec, false);
  if (count <= 0) fire(Err::script_bad_to_arg, {make_datatype(Type::char_), *spec});
  const uint8_t* at = buffer_of(series_node(*spec))->data() + std::max(series_head(*spec), 0);
  int32_t cp = unicode::decode_utf8_seq(at, count);
  if (cp < 0) fire(Err::script_bad_to_arg, {make_datatype(Type::char_), *spec});
  return static_cast<uint32_t>(cp);
}

Cell* make(Cell*, Cell* spec, Type) {
  uint32_t cp;
  switch (spec->type()) {
    case Type::char_: case Type::integer: cp = checked_code(spec, spec->int_value()); break;
    case Type::float_: case Type::percent: cp = checked_code(spec, std::trunc(spec->float_value())); break;
    case Type::binary: cp = first_of_binary(spec); break;
    case Type::string: case Type::file: case Type::url: case Type::tag: case Type::email: case Type::ref:
      if (string::at_tail_q(*spec)) fire(Err::script_bad_to_arg, {make_datatype(Type::char_), *spec});
      cp = string::get_char(string::vs_head(*spec), buffer_of(series_node(*spec))->unit());
      break;
    default: fire(Err::script_bad_to_arg, {make_datatype(Type::char_), *spec});
  }
  return stack::push(make_char(cp));
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  string::append_char(series_node(*buffer), char_of(*value));
  return limit - 1;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  string::append_latin1(*buffer, "#\"");
  string::mold_char(buffer, char_of(*value), true, o.all);
  string::append_latin1(*buffer, "\"");
  return limit - 4;
}

int compare(Cell* a, Cell* b, int op) {
  if ((op == cmp::strict_equal || op == cmp::find) && !b->is(Type::char_)) return 1;
  if (!b->is(Type::char_) && !b->is(Type::integer)) return -2;
  int32_t x = a->int_value(), y = b->int_value();
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::char_, {
      def<Action::make>(make), inherit(Action::random), def<Action::to>(make),
      def<Action::form>(form), def<Action::mold>(mold), def<Action::compare>(compare),
      inherit(Action::absolute), def<Action::add>(math<add>), def<Action::divide>(math<divide>),
      def<Action::multiply>(math<multiply>), def<Action::remainder>(math<remainder>),
      def<Action::subtract>(math<subtract>), inherit(Action::even_q), inherit(Action::odd_q),
      def<Action::and_t>(math<and_>), def<Action::or_t>(math<or_>), def<Action::xor_t>(math<xor_>),
  });
}

}  // namespace vyn::char_
