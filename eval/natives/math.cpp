// eval/natives/math.cpp: trigonometry, logarithms, exp, square-root and NaN?.
//
// The floating-point unit never traps: the logarithm of 0 is -infinity, that of a negative number
// or the square root of one is NaN, as the platform functions answer.
#include <cmath>

#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "values/numbers/number.hpp"

namespace vyn::natives {
namespace {

constexpr double pi = 3.141592653589793;
constexpr double epsilon = 2.220446049250313e-16;
constexpr double ln2 = 0.6931471805599453;
constexpr double e = 2.718281828459045;

// An integer! converted; float!, percent! and time! by their value.
double as_double(const Cell& v) { return v.is(Type::integer) ? v.int_value() : v.float_value(); }

Flow answer(const Call& c, double d) {
  c.args[0] = make_float(d);
  return Flow::normal;
}

enum class Fold { tangent = 0, cosine = 1, sine = 2 };

// Degrees brought near 0 in a way that keeps the function's value, then turned to radians.
double normalize_angle(double a, Fold mode) {
  a = std::fmod(a, 360.0);
  if (a > 180.0 || a < -180.0) a += a < 0 ? 360.0 : -360.0;
  if (a > 90.0 || a < -90.0) {
    if (mode == Fold::tangent) a += a < 0 ? 180.0 : -180.0;
    if (mode == Fold::sine) a = (a < 0 ? -180.0 : 180.0) - a;
  }
  return a * pi / 180.0;
}

// Every angle native takes /radians at the same place; the compiled bodies of cos .. atan2 rely on
// it too.
constexpr int radians = Refs<Native::sine>::radians;
static_assert(radians == Refs<Native::cosine>::radians && radians == Refs<Native::tangent>::radians);
static_assert(radians == Refs<Native::arcsine>::radians && radians == Refs<Native::arccosine>::radians);
static_assert(radians == Refs<Native::arctangent>::radians && radians == Refs<Native::arctangent2>::radians);

double radians_of(const Call& c, Fold mode) {
  double a = as_double(c.args[0]);
  return c.has(radians) ? a : normalize_angle(a, mode);
}

// Sine and cosine values that are rounding noise around 0 are 0.
double snap(double d) { return std::fabs(d) < epsilon ? 0.0 : d; }

// Inverse functions answer degrees unless /radians.
Flow in_degrees(const Call& c, double r) { return answer(c, c.has(radians) ? r : r * 180.0 / pi); }

double argument(const Call& c) { return as_double(c.args[0]); }

}  // namespace

Flow sine(const Call& c) { return answer(c, snap(std::sin(radians_of(c, Fold::sine)))); }
Flow cosine(const Call& c) { return answer(c, snap(std::cos(radians_of(c, Fold::cosine)))); }

Flow tangent(const Call& c) {
  double r = radians_of(c, Fold::tangent);
  if (r == pi / 2) return answer(c, INFINITY);
  if (r == pi / -2) return answer(c, -INFINITY);
  return answer(c, std::tan(r));
}

Flow arcsine(const Call& c) { return in_degrees(c, std::asin(argument(c))); }
Flow arccosine(const Call& c) { return in_degrees(c, std::acos(argument(c))); }
Flow arctangent(const Call& c) { return in_degrees(c, std::atan(argument(c))); }
Flow arctangent2(const Call& c) { return in_degrees(c, std::atan2(argument(c), as_double(c.args[1]))); }

// A NaN percent! is as much not a number as a NaN float!.
Flow nan_q(const Call& c) {
  const Cell& v = c.args[0];
  bool floating = v.is(Type::float_) || v.is(Type::percent);
  c.args[0] = make_logic(floating && std::isnan(v.float_value()));
  return Flow::normal;
}

Flow log_2(const Call& c) { return answer(c, std::log(argument(c)) / ln2); }
Flow log_10(const Call& c) { return answer(c, std::log10(argument(c))); }
Flow log_e(const Call& c) { return answer(c, std::log(argument(c))); }
Flow exp_(const Call& c) { return answer(c, std::pow(e, argument(c))); }
Flow square_root(const Call& c) { return answer(c, std::sqrt(argument(c))); }

}  // namespace vyn::natives
