// values/numbers/tuple_math.cpp: tuple! arithmetic, byte by byte with every result clamped to 0..255; also
// reached from integer! and float! when their right operand is a tuple.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/objects/error_args.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn::tuple {
namespace {

uint8_t clamp_byte(int64_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Truncated toward zero and clamped; NaN has no byte to become.
uint8_t clamp_byte(double v) {
  if (std::isnan(v)) fire(Err::script_type_limit, {make_datatype(Type::tuple)});
  return v <= 0.0 ? 0 : v >= 255.0 ? 255 : static_cast<uint8_t>(v);
}

// One byte with one integer, in 64 bits so that no 32-bit operand can overflow: an answer beyond
// 32 bits clamps exactly as the overflowed float would (to 255 above 0, else to 0).
uint8_t integer_op(int64_t l, int64_t r, Arith op) {
  switch (op) {
    case Arith::add: return clamp_byte(l + r);
    case Arith::subtract: return clamp_byte(l - r);
    case Arith::multiply: return clamp_byte(l * r);
    case Arith::divide:
    case Arith::remainder:
      if (r == 0) fire(Err::math_zero_divide);
      return clamp_byte(op == Arith::divide ? l / r : l % r);
    case Arith::or_: return clamp_byte(static_cast<int64_t>(static_cast<int32_t>(l | r)));
    case Arith::and_: return clamp_byte(static_cast<int64_t>(static_cast<int32_t>(l & r)));
    case Arith::xor_: return clamp_byte(static_cast<int64_t>(static_cast<int32_t>(l ^ r)));
  }
  return 0;
}

void by_float(Cell* args, double f, Arith op) {
  Bytes t = bytes_of(args[0]);
  for (int i = 0; i < t.size; ++i) t.b[i] = clamp_byte(std::trunc(float_::do_math_op(t.b[i], f, op)));
  args[0] = make(t);
}

void by_integer(Cell* args, int32_t n, Arith op) {
  Bytes t = bytes_of(args[0]);
  for (int i = 0; i < t.size; ++i) t.b[i] = integer_op(t.b[i], n, op);
  args[0] = make(t);
}

void by_tuple(Cell* args, const Bytes& r, Arith op) {
  Bytes t = bytes_of(args[0]);
  if (r.size > t.size) t.size = r.size;  // the bytes beyond the old size are 0 already
  for (int i = 0; i < t.size; ++i) t.b[i] = integer_op(t.b[i], r.b[i], op);
  args[0] = make(t);
}

const char* op_word(Arith op) {
  return op == Arith::subtract ? "subtract" : op == Arith::divide ? "divide" : "remainder";
}

}  // namespace

void do_math(Cell* args, Arith op) {
  if (!args[0].is(Type::tuple)) {
    if (op == Arith::subtract || op == Arith::divide || op == Arith::remainder)
      fire(Err::script_not_related, {word_arg(op_word(op)), make_datatype(args[0].type())});
    Cell left = args[0];
    args[0] = args[1];
    args[1] = left;
  }
  const Cell& right = args[1];
  switch (right.type()) {
    case Type::integer: by_integer(args, right.int_value(), op); return;
    case Type::float_:
    case Type::percent: by_float(args, right.float_value(), op); return;
    case Type::tuple: by_tuple(args, bytes_of(right), op); return;
    default: fire(Err::script_invalid_type, {make_datatype(right.type())});
  }
}

namespace {

// A tuple's bytes, or a number in every byte (truncated and clamped) with a size of 0, so that
// the tuple beside it decides the size.
Bytes as_bytes(const Cell& v) {
  if (v.is(Type::tuple)) return bytes_of(v);
  double n;
  switch (v.type()) {
    case Type::integer: n = v.int_value(); break;
    case Type::float_:
    case Type::percent: n = v.float_value(); break;
    default: fire(Err::script_invalid_type, {make_datatype(v.type())});
  }
  Bytes all;
  all.size = 0;
  std::memset(all.b, clamp_byte(std::trunc(n)), max_size);
  return all;
}

}  // namespace

Cell max_min(const Cell& a, const Cell& b, bool max) {
  Bytes x = as_bytes(a), y = as_bytes(b), out;
  out.size = x.size > y.size ? x.size : y.size;
  for (int i = 0; i < out.size; ++i) {
    uint8_t l = x.b[i], r = y.b[i];
    out.b[i] = max ? (l < r ? r : l) : (l < r ? l : r);
  }
  return make(out);
}

}  // namespace vyn::tuple
