// values/numbers/float_round.cpp: round and power of float!, also used by integer!, percent! and time!.
#include <cfloat>
#include <cmath>

#include "core/error.hpp"
#include "values/frames.hpp"
#include "values/objects/error_args.hpp"
#include "values/numbers/number.hpp"

namespace vyn::float_ {
namespace {

struct Modes {
  bool even, down, half_down, floor, ceiling, half_ceiling;
};

// v rounded to an integral double by the first mode that applies.
double round_unit(double v, const Modes& m) {
  double av = std::fabs(v);
  double f = std::floor(av);
  double toward = std::copysign(f, v);
  double away = std::copysign(std::ceil(av), v);
  if (m.down) return toward;
  if (m.floor) return std::floor(v);
  if (m.ceiling) return std::ceil(v);
  if (av < f + 0.5) return toward;
  if (av > f + 0.5) return away;
  if (m.even) return std::fmod(av, 2.0) >= 1.0 ? away : toward;  // the even neighbour
  if (m.half_down) return toward;
  if (m.half_ceiling) return std::ceil(v);
  return away;
}

// The unit to round to: the /to scale's magnitude, else 1; a percent! counts in hundredths.
double unit_of(const Cell& value, const Cell* scale) {
  bool percent = value.is(Type::percent);
  if (!scale) return percent ? 0.01 : 1.0;
  double sc;
  switch (scale->type()) {
    case Type::integer: sc = std::fabs(static_cast<double>(scale->int_value())); break;
    case Type::float_:
    case Type::percent:
    case Type::time: sc = std::fabs(scale->float_value()); break;
    default:
      fire(Err::script_expect_arg, {stack::get_call(), make_datatype(scale->type()), word_arg("scale")});
  }
  return percent ? sc / 100.0 : sc;
}

}  // namespace

Cell* round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
            bool ceiling, bool half_ceiling) {
  if (scale && scale->is(Type::money))
    fire(Err::script_not_related, {stack::get_call(), make_datatype(Type::money)});
  double x = value->float_value();
  double sc = unit_of(*value, scale);
  // A zero unit, or one below the value's resolution, leaves the value as it is.
  if (sc == 0.0 || sc < std::fabs(x) * 0x1p-53) return value;
  int e = 0;
  double v;
  if (sc >= 1.0) {
    v = x / sc;
  } else {
    // a subnormal unit has no usable reciprocal: round x / 2^e to its mantissa instead
    double m = std::frexp(sc, &e);
    if (e <= -1022) {
      sc = m;
      x = std::ldexp(x, -e);
    } else {
      e = 0;
    }
    v = x * (1.0 / sc);
  }
  double r = round_unit(v, Modes{even, down, half_down, floor, ceiling, half_ceiling});
  double result;
  if (sc >= 1.0) {
    result = r * sc;
    // x was finite here, so an infinite result overflowed too
    if (std::fabs(result) >= DBL_MAX) fire(Err::math_overflow);
  } else {
    result = std::ldexp(r / (1.0 / sc), e);
  }
  set(*value, result);
  if (scale && scale->is(Type::integer)) {
    *value = make_integer(integer::from_double_checked(result));
  } else if (scale) {
    value->set_type(scale->type());
  }
  return value;
}

void power(Cell* args) {
  Cell* exponent = args + 1;
  if (!exponent->is(Type::integer) && !exponent->is(Type::float_))
    fire(Err::script_expect_arg, {stack::get_call(), make_datatype(exponent->type()), word_arg("exponent")});
  double y = exponent->is(Type::integer) ? exponent->int_value() : exponent->float_value();
  set(*args, std::pow(args->float_value(), y));
}

}  // namespace vyn::float_
