// eval/fast_ops.hpp: the integer and float work of the common operators, done without a call.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"
#include "values/callables/callable.hpp"

namespace vyn::interp {

// Operators whose integer work is done here, without a call: the actions add, subtract, multiply
// and remainder, and the comparison natives. Any other operand falls back to the call.
enum class Fast { none, add, subtract, multiply, remainder, equal, not_equal, strict_equal, lesser,
                  greater, lesser_or_equal, greater_or_equal };

inline Fast fast_kind(const Cell& op) {
  Type t = op::underlying(op);
  int32_t index = native::index(op);
  if (t == Type::action) {
    switch (static_cast<Action>(index)) {
      case Action::add: return Fast::add;
      case Action::subtract: return Fast::subtract;
      case Action::multiply: return Fast::multiply;
      case Action::remainder: return Fast::remainder;
      default: return Fast::none;
    }
  }
  if (t == Type::native && index >= 25 && index <= 31)  // equal? .. greater-or-equal?
    return static_cast<Fast>(static_cast<int>(Fast::equal) + index - 25);
  return Fast::none;
}

// The integer result of a fast operator, or false when the call must do it (overflow, a zero or
// overflowing divisor).
inline bool integer_op(Fast kind, int32_t x, int32_t y, Cell* out) {
  int32_t r;
  switch (kind) {
    case Fast::add: if (__builtin_add_overflow(x, y, &r)) return false; break;
    case Fast::subtract: if (__builtin_sub_overflow(x, y, &r)) return false; break;
    case Fast::multiply: if (__builtin_mul_overflow(x, y, &r)) return false; break;
    case Fast::remainder:
      if (y == 0 || (x == INT32_MIN && y == -1)) return false;
      r = x % y;
      break;
    case Fast::equal: case Fast::strict_equal: *out = make_logic(x == y); return true;
    case Fast::not_equal: *out = make_logic(x != y); return true;
    case Fast::lesser: *out = make_logic(x < y); return true;
    case Fast::greater: *out = make_logic(x > y); return true;
    case Fast::lesser_or_equal: *out = make_logic(x <= y); return true;
    case Fast::greater_or_equal: *out = make_logic(x >= y); return true;
    default: return false;
  }
  *out = make_integer(r);
  return true;
}

inline double number_of(const Cell& c) {
  return c.is(Type::integer) ? static_cast<double>(c.int_value()) : c.float_value();
}

// Addition, subtraction and multiplication with a float operand (the other an integer or a float)
// give the float the actions give; false for every other operator.
inline bool float_op(Fast kind, double x, double y, Cell* out) {
  switch (kind) {
    case Fast::add: *out = make_float(x + y); return true;
    case Fast::subtract: *out = make_float(x - y); return true;
    case Fast::multiply: *out = make_float(x * y); return true;
    default: return false;
  }
}

}  // namespace vyn::interp
