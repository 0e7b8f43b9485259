// values/numbers/float.cpp: float!, the 64-bit double, and the number tower that percent! and time! share.
#include <bit>
#include <cmath>
#include <cstring>

#include "core/error.hpp"
#include "core/text/float_text.hpp"
#include "values/text/float_append.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"
#include "values/arith_rows.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/error_args.hpp"
#include "values/numbers/money.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/point.hpp"
#include "values/series/vector.hpp"
#include "values/numbers/random.hpp"
#include "values/numbers/time.hpp"
#include "values/registry.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn::float_ {
namespace {

uint64_t bits_of(double d) { return std::bit_cast<uint64_t>(d); }
double from_bits(uint64_t u) { return std::bit_cast<double>(u); }

constexpr uint64_t sign_bit = 0x8000000000000000ull;
constexpr uint64_t exponent_bits = 0x7FF0000000000000ull;
constexpr double quiet_nan = std::bit_cast<double>(0x7FF8000000000000ull);

}  // namespace

Cell* set_result(double d) { return make_at(stack::arguments(), d); }
Cell* make_at(Cell* cell, double d) { return &(*cell = make_float(d)); }
Cell* make_in(Cell block, uint32_t hi, uint32_t lo) {
  return make_at(block::alloc_tail(block), from_bits(uint64_t{hi} << 32 | lo));
}
Cell* push64(uint32_t hi, uint32_t lo) { return stack::push(make_float(from_bits(uint64_t{hi} << 32 | lo))); }
Cell* push(double d) { return stack::push(make_float(d)); }

double abs(double d) { return from_bits(bits_of(d) & ~sign_bit); }
bool nan_q(double d) {
  uint64_t u = bits_of(d);
  return (u & exponent_bits) == exponent_bits && (u & ~(exponent_bits | sign_bit)) != 0;
}
bool not_finite_q(double d) { return (bits_of(d) & exponent_bits) == exponent_bits; }
bool f32_nan_q(float f) {
  uint32_t u = std::bit_cast<uint32_t>(f);
  return (u & 0x7F800000u) == 0x7F800000u && (u & 0x007FFFFFu) != 0;
}

bool almost_equal_q(double a, double b) {
  if (nan_q(a) || nan_q(b)) return false;
  if (a == b) return true;
  // An infinity is next to the largest finite double in the ordering below, yet never equal to it.
  if (not_finite_q(a) || not_finite_q(b)) return false;
  if (abs(a - b) < 2.220446049250313e-16) return true;
  // Keys that order like the numbers: negatives by two's complement negation, positives above them.
  auto key = [](double d) {
    uint64_t u = bits_of(d);
    return (u & sign_bit) ? 0 - u : u | sign_bit;
  };
  uint64_t ka = key(a), kb = key(b);
  return (ka > kb ? ka - kb : kb - ka) <= 10;
}

bool f32_equal_q(float a, float b) {
  if (f32_nan_q(a) || f32_nan_q(b)) return false;
  if (a == b) return true;
  uint32_t ua = std::bit_cast<uint32_t>(a), ub = std::bit_cast<uint32_t>(b);
  uint32_t ma = ua & 0x7FFFFFFFu, mb = ub & 0x7FFFFFFFu;
  if (ma >= 0x7F7FFFFFu || mb >= 0x7F7FFFFFu) {
    int64_t gap = static_cast<int64_t>(ma) - static_cast<int64_t>(mb);
    return (ua >> 31) == (ub >> 31) && gap < 0x100000 && gap > -0x100000;
  }
  if (ma == 0 && mb == 0) return true;
  auto key = [](uint32_t u) {
    return (u & 0x80000000u) ? -static_cast<int64_t>(u & 0x7FFFFFFFu) : static_cast<int64_t>(u);
  };
  int64_t gap = key(ua) - key(ub);
  return gap <= 10 && gap >= -10;
}

double do_math_op(double l, double r, Arith op) {
  switch (op) {
    case Arith::add: return l + r;
    case Arith::subtract: return l - r;
    case Arith::multiply: return l * r;
    case Arith::divide: return l / r;
    case Arith::remainder:
      if (std::isfinite(r)) return std::fmod(l, r);
      if (nan_q(r)) return quiet_nan;
      return std::isfinite(l) ? l : quiet_nan;
    default: fire(Err::script_cannot_use, {stack::get_call(), make_datatype(Type::float_)});
  }
}

namespace {

// Right operands of compound types, which take the whole operation over: true when done.
bool compound_right(Cell* args, Arith op) {
  Type rt = args[1].type();
  switch (rt) {
    case Type::tuple: tuple::do_math(args, op); return true;
    case Type::money: money::do_math(args, op); return true;
    case Type::pair:
    case Type::point2D:
    case Type::point3D:
      if (args[0].is(Type::time)) return false;  // refused below with the other types
      if (op == Arith::subtract || op == Arith::divide)
        fire(Err::script_not_related,
             {word_arg(op == Arith::subtract ? "subtract" : "divide"), make_datatype(rt)});
      point::number_left(args, op);
      return true;
    case Type::vector: vector::number_left(args, op); return true;
    default: return false;
  }
}

double number_of(const Cell& c) {
  return c.is(Type::integer) || c.is(Type::char_) ? static_cast<double>(c.int_value()) : c.float_value();
}

}  // namespace

void do_math(Cell* args, Arith op) {
  if (compound_right(args, op)) return;
  Type lt = args[0].type(), rt = args[1].type();
  bool number = rt == Type::integer || rt == Type::char_ || rt == Type::float_ ||
                rt == Type::percent || rt == Type::time;
  if (!number || (rt == Type::char_ && (lt == Type::time || lt == Type::percent)))
    fire(Err::script_invalid_type, {make_datatype(rt)});
  Type result = lt == Type::time || rt == Type::time ? Type::time
                : lt == Type::percent                ? Type::percent
                                                     : Type::float_;
  double v = do_math_op(number_of(args[0]), number_of(args[1]), op);
  if (result == Type::time) v = time_::checked(v);
  args[0] = make_cell(result);
  set(args[0], v);
}

int compare(Cell* a, Cell* b, int op) {
  bool identity = op == cmp::strict_equal || op == cmp::same || op == cmp::find;
  if (identity && a->type() != b->type()) return 1;
  double x = a->float_value(), y;
  switch (b->type()) {
    case Type::integer: y = b->int_value(); break;
    case Type::float_:
    case Type::percent:
    case Type::time: y = b->float_value(); break;
    case Type::money: {
      int r = money::compare(b, a, op);  // the money side orders amounts it cannot hold too
      return r == -2 ? -2 : -r;
    }
    default: return -2;
  }
  switch (op) {
    case cmp::equal:
    case cmp::not_equal: return almost_equal_q(x, y) ? 0 : 1;
    case cmp::strict_equal: return x == y ? 0 : 1;
    case cmp::same: return bits_of(x) == bits_of(y) ? 0 : 1;
    default: break;
  }
  if (nan_q(x) || nan_q(y)) {
    switch (op) {
      case cmp::lesser:
      case cmp::lesser_or_equal: return 1;
      case cmp::greater:
      case cmp::greater_or_equal: return -1;
      // find and select: a NaN matches another NaN only, never an ordinary number
      case cmp::find: return nan_q(x) && nan_q(y) ? 0 : 1;
      default: return 0;
    }
  }
  return (x > y) - (x < y);
}

namespace {

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  return limit - float_text::append_form(*buffer, value->float_value(), float_text::Kind::float64);
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell*, int32_t limit) {
  return limit - float_text::append_mold(*buffer, value->float_value());
}

void absolute(Cell* args) { set(*args, abs(args->float_value())); }

// 0.0 minus the value, so that neither zero negates to -0.0.
Cell* negate(Cell* value) {
  set(*value, 0.0 - value->float_value());
  return value;
}

bool even_q(Cell* value) { return (integer::from_double_checked(value->float_value()) & 1) == 0; }
bool odd_q(Cell* value) { return !even_q(value); }

}  // namespace

double random_scaled(double x, bool secure) { return random::scaled(x, secure); }

// Defined in float_convert.cpp.
Cell* make(Cell* proto, Cell* spec, Type t);

void install() {
  using registry::def;
  registry::define(Type::float_, registry::arith_rows<do_math>(), {
      def<Action::make>(make),
      def<Action::random>(random::of_float),
      def<Action::to>(make),
      def<Action::form>(form),
      def<Action::mold>(mold),
      def<Action::compare>(compare),
      def<Action::absolute>(absolute),
      def<Action::negate>(negate),
      def<Action::power>(power),
      def<Action::round>(round),
      def<Action::even_q>(even_q),
      def<Action::odd_q>(odd_q),
  });
}

}  // namespace vyn::float_
