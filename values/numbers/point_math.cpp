// values/numbers/point_math.cpp: point arithmetic, each coordinate done in doubles and stored back as a
// 32-bit float; also the number tower's way in when a number meets a pair! or a point.
#include <cstdint>

#include "core/error.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"

namespace vyn::point {
namespace {

// The right operand as one value per coordinate; false when the type does not combine.
bool operand(const Cell& r, Type t, float out[3]) {
  switch (r.type()) {
    case Type::integer: out[0] = out[1] = out[2] = static_cast<float>(r.int_value()); return true;
    case Type::float_: case Type::percent: out[0] = out[1] = out[2] = static_cast<float>(r.float_value()); return true;
    case Type::pair:
      if (t != Type::point2D) return false;
      out[0] = static_cast<float>(pair::x_of(r));
      out[1] = static_cast<float>(pair::y_of(r));
      return true;
    default:
      if (r.type() != t) return false;
      for (int i = 0; i < dims(t); ++i) out[i] = get(r, i);
      return true;
  }
}

}  // namespace

void do_math(Cell* args, Arith op) {
  Type t = args[0].type();
  Cell right = args[1];
  float r[3] = {0, 0, 0};
  if (!operand(right, t, r)) fire(Err::script_invalid_type, {make_datatype(right.type())});
  bool scale = (op == Arith::multiply || op == Arith::divide) &&
               (right.is(Type::float_) || right.is(Type::percent));
  for (int i = 0; i < dims(t); ++i) {
    float x = get(args[0], i);
    float v = scale ? (op == Arith::multiply ? x * r[i] : x / r[i])
                    : static_cast<float>(float_::do_math_op(x, r[i], op));
    set(args[0], i, v);
  }
}

void number_left(Cell* args, Arith op) {
  Cell number = args[0];
  args[0] = args[1];
  args[1] = number;
  bool is_pair = args[0].is(Type::pair);
  if (op == Arith::subtract) {
    if (is_pair)
      args[0] = pair::make(integer::negate_wrapping(pair::x_of(args[0])), integer::negate_wrapping(pair::y_of(args[0])));
    else
      for (int i = 0; i < dims(args[0].type()); ++i) set(args[0], i, 0.0f - get(args[0], i));
    op = Arith::add;
  }
  if (is_pair) pair::do_math(args, op);
  else do_math(args, op);
}

}  // namespace vyn::point
