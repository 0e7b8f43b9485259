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

double radians_of(const Call& c, Fold mode) {
  double a = as_double(c.args[0]);
  return c.has(0) ? a : normalize_angle(a, mode);
}

// Sine and cosine values that are rounding noise around 0 are 0.
double snap(double d) { return std::fabs(d) < epsilon ? 0.0 : d; }

Flow sine(const Call& c) { return answer(c, snap(std::sin(radians_of(c, Fold::sine)))); }
Flow cosine(const Call& c) { return answer(c, snap(std::cos(radians_of(c, Fold::cosine)))); }

Flow tangent(const Call& c) {
  double r = radians_of(c, Fold::tangent);
  if (r == pi / 2) return answer(c, INFINITY);
  if (r == pi / -2) return answer(c, -INFINITY);
  return answer(c, std::tan(r));
}

// Inverse functions answer degrees unless /radians.
template <double (*F)(double)>
Flow inverse(const Call& c) {
  double r = F(as_double(c.args[0]));
  return answer(c, c.has(0) ? r : r * 180.0 / pi);
}

Flow arctangent2(const Call& c) {
  double r = std::atan2(as_double(c.args[0]), as_double(c.args[1]));
  return answer(c, c.has(0) ? r : r * 180.0 / pi);
}

double asin_(double d) { return std::asin(d); }
double acos_(double d) { return std::acos(d); }
double atan_(double d) { return std::atan(d); }

// A NaN percent! is as much not a number as a NaN float!.
Flow nan_q(const Call& c) {
  const Cell& v = c.args[0];
  bool floating = v.is(Type::float_) || v.is(Type::percent);
  c.args[0] = make_logic(floating && std::isnan(v.float_value()));
  return Flow::normal;
}

template <double (*F)(double)>
Flow unary(const Call& c) {
  return answer(c, F(as_double(c.args[0])));
}

double log_2(double d) { return std::log(d) / ln2; }
double log_10(double d) { return std::log10(d); }
double log_e(double d) { return std::log(d); }
double exp_(double d) { return std::pow(e, d); }
double square_root(double d) { return std::sqrt(d); }

}  // namespace

void install_math() {
  define(Native::sine, sine);
  define(Native::cosine, cosine);
  define(Native::tangent, tangent);
  define(Native::arcsine, inverse<asin_>);
  define(Native::arccosine, inverse<acos_>);
  define(Native::arctangent, inverse<atan_>);
  define(Native::arctangent2, arctangent2);
  define(Native::nan_q, nan_q);
  define(Native::log_2, unary<log_2>);
  define(Native::log_10, unary<log_10>);
  define(Native::log_e, unary<log_e>);
  define(Native::exp, unary<exp_>);
  define(Native::square_root, unary<square_root>);
}

}  // namespace vyn::natives
