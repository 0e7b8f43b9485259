// values/numbers/pair_math.cpp: pair! arithmetic, which turns into point2D! arithmetic when a result is
// fractional or does not fit 32 bits.
#include <cmath>

#include "core/error.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"

namespace vyn::pair {

Cell make_point2D(float x, float y) { return point::make2(x, y); }
float point_x(const Cell& p) { return point::get(p, 0); }
float point_y(const Cell& p) { return point::get(p, 1); }

namespace {

[[noreturn]] void invalid_arg(const Cell& operand) { fire(Err::script_invalid_arg, {operand}); }

// Both components in doubles, each result rounded to single precision.
Cell point_math(double x, double y, double rx, double ry, Arith op) {
  switch (op) {
    case Arith::add: case Arith::subtract: case Arith::multiply: case Arith::divide: case Arith::remainder:
      break;
    default: fire(Err::script_invalid_type, {make_datatype(Type::point2D)});
  }
  return make_point2D(static_cast<float>(float_::do_math_op(x, rx, op)),
                      static_cast<float>(float_::do_math_op(y, ry, op)));
}

// Component by component in 32 bits; false (nothing changed) when either result would be a float.
bool integer_math(Cell* args, int32_t rx, int32_t ry, Arith op) {
  Cell tx = make_integer(0), ty = make_integer(0);
  int32_t x = integer::do_math(x_of(args[0]), rx, op, &tx);
  if (tx.is(Type::float_)) return false;
  int32_t y = integer::do_math(y_of(args[0]), ry, op, &ty);
  if (ty.is(Type::float_)) return false;
  args[0] = make(x, y);
  return true;
}

void combine(Cell* args, int32_t rx, int32_t ry, Arith op) {
  if (integer_math(args, rx, ry, op)) return;
  args[0] = point_math(x_of(args[0]), y_of(args[0]), rx, ry, op);
}

void by_float(Cell* args, double f, Arith op) {
  const Cell& operand = args[1];
  if (op == Arith::multiply || op == Arith::divide) {
    if (op == Arith::multiply ? !std::isfinite(f) : std::isnan(f)) invalid_arg(operand);
    float v = static_cast<float>(f);
    float x = static_cast<float>(x_of(args[0])), y = static_cast<float>(y_of(args[0]));
    args[0] = op == Arith::multiply ? make_point2D(x * v, y * v) : make_point2D(x / v, y / v);
    return;
  }
  if (!std::isfinite(f)) invalid_arg(operand);
  int32_t n = integer::from_double_checked(std::trunc(f));
  combine(args, n, n, op);
}

}  // namespace

void do_math(Cell* args, Arith op) {
  Cell right = args[1];
  switch (right.type()) {
    case Type::integer: combine(args, right.int_value(), right.int_value(), op); return;
    case Type::float_: case Type::percent: by_float(args, right.float_value(), op); return;
    case Type::pair: combine(args, x_of(right), y_of(right), op); return;
    case Type::point2D:
      args[0] = point_math(x_of(args[0]), y_of(args[0]), point_x(right), point_y(right), op);
      return;
    default: fire(Err::script_invalid_type, {make_datatype(right.type())});
  }
}

}  // namespace vyn::pair
