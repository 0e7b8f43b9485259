// values/numbers/integer_round.cpp: round and power of integer!, which stay integral while they can.
#include <climits>
#include <cstdlib>

#include "core/error.hpp"
#include "values/frames.hpp"
#include "values/objects/error_args.hpp"
#include "values/numbers/number.hpp"

namespace vyn::integer {
namespace {

// Whether rounding |value| = a, with r = a mod scale and d = scale - r, goes away from zero.
bool away_from_zero(bool negative, int64_t a, int64_t scale, int64_t r, int64_t d, bool even,
                    bool down, bool half_down, bool floor, bool ceiling, bool half_ceiling) {
  if (down) return false;
  if (floor) return negative;
  if (ceiling) return !negative;
  if (r != d) return r > d;
  if (even) return (a / scale) % 2 != 0;
  if (half_down) return false;
  if (half_ceiling) return !negative;
  return true;
}

}  // namespace

Cell* round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
            bool ceiling, bool half_ceiling) {
  if (scale && scale->is(Type::money))
    fire(Err::script_not_related, {stack::get_call(), make_datatype(Type::money)});
  int32_t n = value->int_value();
  if (n == INT32_MIN) return value;
  int64_t s = 1;
  if (scale) {
    if (!scale->is(Type::integer)) {
      *value = make_float(n);
      return float_::round(value, scale, even, down, half_down, floor, ceiling, half_ceiling);
    }
    s = abs_checked(scale->int_value());
  }
  if (s == 0) return value;
  // In 64 bits, so that only a result outside 32 bits overflows, whichever way it rounds.
  int64_t a = std::llabs(n);
  int64_t r = a % s;
  if (r == 0) return value;
  int64_t d = s - r;
  bool negative = n < 0;
  bool away = away_from_zero(negative, a, s, r, d, even, down, half_down, floor, ceiling, half_ceiling);
  int64_t m = away ? a + d : a - r;
  int64_t result = negative ? -m : m;
  if (result > INT32_MAX || result < INT32_MIN) fire(Err::math_overflow);
  value->set_int_value(static_cast<int32_t>(result));
  return value;
}

void power(Cell* args) {
  Cell* exponent = args + 1;
  if (!exponent->is(Type::integer) && !exponent->is(Type::float_))
    fire(Err::script_expect_arg, {stack::get_call(), make_datatype(exponent->type()), word_arg("exponent")});
  if (exponent->is(Type::integer) && exponent->int_value() >= 0) {
    int32_t r;
    if (int_power(args->int_value(), exponent->int_value(), &r)) {
      args->set_int_value(r);
      return;
    }
  }
  // a float or negative exponent, or a result beyond 32 bits: computed on the base as a double
  *args = make_float(args->int_value());
  float_::power(args);
}

}  // namespace vyn::integer
