// values/numbers/money_amount.cpp: money!'s cell layout and the exact arithmetic on its 22 digits.
//
// The digits are read into one 128-bit integer counting hundred-thousandths (22 digits stay below
// 2^74), so sums, products of at most 28 significant digits and quotients are exact; every result
// goes back into the 22 digits or raises script/type-limit with money!.

#include "core/error.hpp"
#include "values/numbers/money.hpp"

namespace vyn::money {
namespace {

using Wide = unsigned __int128;

constexpr Wide pow10(int n) {
  Wide p = 1;
  while (n-- > 0) p *= 10;
  return p;
}
constexpr Wide limit = pow10(digit_count);  // one past the largest magnitude
constexpr Wide scale = pow10(fraction_digits);

[[noreturn]] void type_limit() { fire(Err::script_type_limit, {make_datatype(Type::money)}); }

Wide magnitude(const Amount& a) {
  Wide m = 0;
  for (uint8_t d : a.d) m = m * 10 + d;
  return m;
}

Amount from_magnitude(Wide m, bool negative, int currency) {
  if (m >= limit) type_limit();
  Amount a;
  for (int i = digit_count - 1; i >= 0; --i, m /= 10) a.d[i] = static_cast<uint8_t>(m % 10);
  a.negative = negative && !amount_zero(a);
  a.currency = currency;
  return a;
}

// Digits from the first non-zero one to the last; at least 1.
int significant(const Amount& a) {
  int i = 0;
  while (i < digit_count - 1 && a.d[i] == 0) ++i;
  return digit_count - i;
}

int compare_magnitudes(const Amount& a, const Amount& b) {
  int c = std::memcmp(a.d, b.d, digit_count);
  return (c > 0) - (c < 0);
}

}  // namespace

Amount unpack(const Cell& c) {
  const Payload p = payload(c);
  const uint8_t* bytes = p.b;
  Amount a;
  for (int i = 0; i < digit_count; ++i) {
    uint8_t b = bytes[1 + i / 2];
    a.d[i] = i % 2 == 0 ? b >> 4 : b & 0x0F;
  }
  a.currency = bytes[0];
  a.negative = (c.header & sign_bit) != 0;
  return a;
}

Cell pack(const Amount& a) {
  uint8_t bytes[payload_size] = {};
  bytes[0] = static_cast<uint8_t>(a.currency);
  for (int i = 0; i < digit_count; ++i) bytes[1 + i / 2] |= i % 2 == 0 ? a.d[i] << 4 : a.d[i];
  return from_payload(bytes, a.negative);
}

bool amount_zero(const Amount& a) {
  for (uint8_t d : a.d)
    if (d) return false;
  return true;
}

int sign_q(const Cell& c) { return zero_q(c) ? 0 : (c.header & sign_bit) ? -1 : 1; }
bool negative_q(const Cell& c) { return sign_q(c) < 0; }
bool positive_q(const Cell& c) { return sign_q(c) > 0; }

Amount add(const Amount& a, const Amount& b) {
  if (amount_zero(a)) return b;
  if (amount_zero(b)) return a;
  Wide x = magnitude(a), y = magnitude(b);
  if (a.negative == b.negative) return from_magnitude(x + y, a.negative, a.currency);
  // opposite signs: the larger magnitude keeps its sign
  if (x >= y) return from_magnitude(x - y, a.negative, a.currency);
  return from_magnitude(y - x, b.negative, a.currency);
}

Amount subtract(const Amount& a, const Amount& b) {
  Amount negated = b;
  negated.negative = !b.negative && !amount_zero(b);
  return add(a, negated);
}

Amount multiply(const Amount& a, const Amount& b) {
  bool negative = a.negative != b.negative;
  if (amount_zero(a) || amount_zero(b)) return from_magnitude(0, false, a.currency);
  if (significant(a) + significant(b) > 28) type_limit();
  Wide product = magnitude(a) * magnitude(b) / scale;  // the extra decimals are dropped
  if (product == 0) type_limit();                        // underflow
  return from_magnitude(product, negative, a.currency);
}

// A remainder keeps the dividend's sign and can never overflow, so it needs no digit limit.
Amount divide(const Amount& a, const Amount& b, bool remainder) {
  if (amount_zero(b)) fire(Err::math_zero_divide);
  if (amount_zero(a)) return from_magnitude(0, false, a.currency);
  Wide x = magnitude(a), y = magnitude(b);
  if (remainder) return from_magnitude(x % y, a.negative, a.currency);
  if (significant(a) + 6 - significant(b) > digit_count) type_limit();
  Wide quotient = x * scale / y;
  if (quotient == 0) type_limit();
  return from_magnitude(quotient, a.negative != b.negative, a.currency);
}

int compare_amounts(const Amount& a, const Amount& b) {
  int sa = amount_zero(a) ? 0 : a.negative ? -1 : 1;
  int sb = amount_zero(b) ? 0 : b.negative ? -1 : 1;
  if (sa != sb) return sa < sb ? -1 : 1;
  int c = compare_magnitudes(a, b);
  return sa < 0 ? -c : c;
}

}  // namespace vyn::money

namespace vyn::money {

// Rounding a magnitude to a multiple of a positive step; the sign is the caller's.
Amount round_magnitude(const Amount& v, const Amount& step, Rounding mode, bool negative) {
  Wide x = magnitude(v), s = magnitude(step);
  Wide r = x % s, d = s - r;
  bool tie = r == d;  // exactly half a step, whatever the step
  Wide down = x - r, up = x + d;
  Wide nearest = r < d ? down : up;
  Wide chosen;
  switch (mode) {
    case Rounding::down: chosen = down; break;
    case Rounding::floor: chosen = negative ? up : down; break;
    case Rounding::ceiling: chosen = negative ? down : up; break;
    case Rounding::even: chosen = tie && (x / s) % 2 == 0 ? down : nearest; break;
    case Rounding::half_down: chosen = tie ? down : nearest; break;
    case Rounding::half_ceiling: chosen = tie ? (negative ? down : up) : nearest; break;
    default: chosen = nearest; break;
  }
  return from_magnitude(chosen, negative, v.currency);
}

}  // namespace vyn::money
