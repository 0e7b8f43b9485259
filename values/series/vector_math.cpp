// values/series/vector_math.cpp: vector! arithmetic and bitwise operations, element by element with
// another vector, or with one number. Integer elements wrap around at 32 bits rather than turn
// into floats; the result keeps the low bytes of the element size.
#include <cstdint>
#include <cstring>

#include "core/error.hpp"
#include "core/series.hpp"
#include "core/stack.hpp"
#include "values/series/vector.hpp"

namespace vyn::vector {
namespace {

int32_t int_op(int32_t l, int32_t r, Arith op) {
  uint32_t a = static_cast<uint32_t>(l), b = static_cast<uint32_t>(r);
  switch (op) {
    case Arith::add: return static_cast<int32_t>(a + b);
    case Arith::subtract: return static_cast<int32_t>(a - b);
    case Arith::multiply: return static_cast<int32_t>(a * b);
    case Arith::divide:
    case Arith::remainder:
      if (r == 0) fire(Err::math_zero_divide);
      if (r == -1) return op == Arith::divide ? static_cast<int32_t>(0u - a) : 0;
      return op == Arith::divide ? l / r : l % r;
    case Arith::or_: return l | r;
    case Arith::and_: return l & r;
    case Arith::xor_: return l ^ r;
  }
  return 0;
}

// Element i of v combined with a number given both ways; number_first puts the number left.
void combine_at(const Cell& v, int32_t i, int32_t n, double d, Arith op, bool number_first) {
  if (is_float_elem(elem_type(v))) {
    double e = get_float(v, i);
    put_float(v, i, number_first ? float_::do_math_op(d, e, op) : float_::do_math_op(e, d, op));
  } else {
    int32_t e = get_int(v, i);
    put_int(v, i, number_first ? int_op(n, e, op) : int_op(e, n, op));
  }
}

// The number operand as an integer and as a double; another type raises script/invalid-type.
void scalar_of(const Cell& v, const Cell& number, int32_t* n, double* d) {
  bool fl = number.is(Type::float_) || number.is(Type::percent);
  if (!number.is(Type::integer) && !fl) fire(Err::script_invalid_type, {make_datatype(number.type())});
  *d = fl ? number.float_value() : number.int_value();
  *n = fl && !is_float_elem(elem_type(v)) ? integer::from_double_checked(*d) : fl ? 0 : number.int_value();
}

void scalar(Cell* args, Arith op) {
  int32_t n;
  double d;
  scalar_of(args[0], args[1], &n, &d);
  bool identity = ((op == Arith::add || op == Arith::subtract) && d == 0) ||
                  ((op == Arith::multiply || op == Arith::divide) && d == 1);
  if (identity) return;
  int32_t head = series_head(args[0]), count = length(args[0]);
  for (int32_t i = 0; i < count; ++i) combine_at(args[0], head + i, n, d, op, false);
}

void with_vector(Cell* args, Arith op) {
  if (elem_type(args[0]) != elem_type(args[1])) fire(Err::script_not_same_type);
  Type t = elem_type(args[0]);
  uint32_t size = unit_of(args[0]) > unit_of(args[1]) ? unit_of(args[0]) : unit_of(args[1]);
  int32_t count = length(args[0]) < length(args[1]) ? length(args[0]) : length(args[1]);
  Cell* r = push_new(t, size, count);
  buffer_of(series_node(*r))->tail = static_cast<uint32_t>(count) * size;
  int32_t ha = series_head(args[0]), hb = series_head(args[1]);
  for (int32_t i = 0; i < count; ++i) {
    if (is_float_elem(t))
      put_float(*r, i, float_::do_math_op(get_float(args[0], ha + i), get_float(args[1], hb + i), op));
    else
      put_int(*r, i, int_op(get_int(args[0], ha + i), get_int(args[1], hb + i), op));
  }
  args[0] = *r;
}

}  // namespace

void do_math(Cell* args, Arith op) {
  if (args[1].is(Type::vector)) with_vector(args, op);
  else scalar(args, op);
}

void number_left(Cell* args, Arith op) {
  int32_t n;
  double d;
  scalar_of(args[1], args[0], &n, &d);
  Cell v = args[1];
  int32_t count = length(v);
  Cell* r = push_new(elem_type(v), unit_of(v), count);
  v = args[1];
  std::memcpy(buffer_of(series_node(*r))->data(),
              buffer_of(series_node(v))->data() + static_cast<size_t>(series_head(v)) * unit_of(v),
              static_cast<size_t>(count) * unit_of(v));
  buffer_of(series_node(*r))->tail = static_cast<uint32_t>(count) * unit_of(v);
  for (int32_t i = 0; i < count; ++i) combine_at(*r, i, n, d, op, true);
  args[0] = *r;
}

}  // namespace vyn::vector
