// core/text/float_text_digits.cpp: doubles to decimal digits, the shortest round-trip ones or a given
// count of correctly rounded ones.
//
// The fast path scales the double by a 126-bit power of ten and rounds the product to odd; the
// rounded-to-odd product orders exactly like the real one against the even numbers it is compared
// with, which is all that choosing the shortest digits, or rounding to sixteen of them, needs.
// Subnormals and requests for more digits than the product holds take exact long division.
#include <cmath>
#include <cstring>

#include "core/text/float_text.hpp"
#include "core/text/float_text_exact.hpp"

namespace vyn::float_text {
namespace {

using namespace exact;

constexpr uint64_t mask63 = (uint64_t{1} << 63) - 1;
constexpr uint64_t hidden_bit = uint64_t{1} << 52;

struct Binary {  // x = c * 2^q, c > 0
  uint64_t c;
  int q;
};
struct Decimal {  // d * 10^e
  uint64_t d;
  int e;
};

Binary decompose(uint64_t bits) {
  uint64_t fraction = bits & (hidden_bit - 1);
  int biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased == 0) return {fraction, -1074};
  return {fraction | hidden_bit, biased - 1075};
}

// g * cp / 2^127 rounded to odd, g = g1 * 2^63 + g0: the low bit is set when the dropped part is
// not zero.
uint64_t round_to_odd(uint64_t g1, uint64_t g0, uint64_t cp) {
  uint64_t x1 = mul_high(g0, cp);
  uint64_t y0 = g1 * cp;
  uint64_t y1 = mul_high(g1, cp);
  uint64_t z = (y0 >> 1) + x1;
  uint64_t vbp = y1 + (z >> 63);
  return vbp | (((z & mask63) + mask63) >> 63);
}

// 10^-k as the 126-bit g = floor(10^-k * 2^(125 - floor(log2 10^-k))) + 1, and the shift h that
// makes round_to_odd(g, cp << h) four times c * 2^q * 10^-k for cp = 4c.
struct Scale {
  uint64_t g1, g0;
  int h;
};
Scale scale_for(int k, int q) {
  const Pow10& p = pow10(-k);
  u128 g = ((static_cast<u128>(p.hi) << 64 | p.lo) >> 2) + 1;
  return {static_cast<uint64_t>(g >> 63), static_cast<uint64_t>(g) & mask63,
          q + floor_log2_pow10(-k) + 2};
}

// The shortest decimal inside the rounding interval of c * 2^q, the closest one to the value
// when several are as short (ties to the even digit). Interval ends count when c is even.
Decimal shortest(Binary b) {
  if (b.q < 0 && b.q > -53) {  // an integer below 2^53 is its own shortest form
    uint64_t f = b.c >> -b.q;
    if (f << -b.q == b.c) return {f, 0};
  }
  uint64_t out = b.c & 1;
  uint64_t cb = b.c << 2, cbr = cb + 2, cbl;
  int k;
  if (b.c != hidden_bit || b.q == -1074) {
    cbl = cb - 2;
    k = floor_log10_pow2(b.q);
  } else {  // the gap below a power of two is half the gap above it
    cbl = cb - 1;
    k = floor_log10_three_quarters_pow2(b.q);
  }
  Scale sc = scale_for(k, b.q);
  uint64_t vb = round_to_odd(sc.g1, sc.g0, cb << sc.h);
  uint64_t vbl = round_to_odd(sc.g1, sc.g0, cbl << sc.h);
  uint64_t vbr = round_to_odd(sc.g1, sc.g0, cbr << sc.h);
  uint64_t s = vb >> 2;
  if (s >= 10) {  // the interval is narrower than 10 units: one multiple of ten at most
    uint64_t sp10 = s / 10 * 10, tp10 = sp10 + 10;
    bool upin = vbl + out <= sp10 << 2;
    bool wpin = (tp10 << 2) + out <= vbr;
    if (upin != wpin) return {upin ? sp10 : tp10, k};
  }
  uint64_t t = s + 1;
  bool uin = vbl + out <= s << 2;
  bool win = (t << 2) + out <= vbr;
  if (uin != win) return {uin ? s : t, k};
  int64_t cmp = static_cast<int64_t>(vb - ((s + t) << 1));
  return {cmp < 0 || (cmp == 0 && (s & 1) == 0) ? s : t, k};
}

constexpr uint64_t pow10_u64(int n) {
  uint64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

// The correctly rounded first n (1 to 16) digits of a normal double. The scaled value has 16 or
// 17 digits, and its two fraction bits tell below, at or above the half exactly.
Decimal rounded_fast(Binary b, int n) {
  int k = floor_log10_pow2(b.q);
  Scale sc = scale_for(k, b.q);
  uint64_t vb = round_to_odd(sc.g1, sc.g0, (b.c << 2) << sc.h);
  uint64_t s = vb >> 2, frac = vb & 3;  // frac: 0 none, 1 below half, 2 half, 3 above half
  int count = s >= pow10_u64(16) ? 17 : 16;
  Decimal r{s, k};
  if (count == n) {
    if (frac == 3 || (frac == 2 && (s & 1))) ++r.d;
  } else {
    uint64_t p = pow10_u64(count - n), rem = s % p, half = p / 2;
    r = {s / p, k + count - n};
    if (rem > half || (rem == half && (frac != 0 || (r.d & 1)))) ++r.d;
  }
  if (r.d == pow10_u64(n)) r = {r.d / 10, r.e + 1};
  return r;
}

// Rounds the n digits in out up by one unit; answers true when they all carried ("999" -> "100").
bool round_up(char* out, int n) {
  for (int i = n - 1; i >= 0; --i) {
    if (out[i] != '9') {
      ++out[i];
      return false;
    }
    out[i] = '0';
  }
  out[0] = '1';
  return true;
}

// The correctly rounded first n digits of c * 2^q (= x) by exact long division; answers the
// decimal point position.
int exact_digits(Binary b, double x, int n, char* out) {
  BigInt r(b.c), s(1);
  if (b.q >= 0) r.shift_left(b.q);
  else s.shift_left(-b.q);
  int e = static_cast<int>(std::floor(std::log10(x)));  // may be one off either way
  if (e >= 0) s.mul_pow10(e);
  else r.mul_pow10(-e);
  if (compare(r, s) < 0) {
    r.mul_small(10);
    --e;
  }
  BigInt s10 = s;
  s10.mul_small(10);
  if (compare(r, s10) >= 0) {
    s = s10;
    ++e;
  }
  for (int i = 0; i < n; ++i) {  // s <= r < 10 s before each digit
    int d = 0;
    for (; compare(r, s) >= 0; ++d) r.subtract(s);
    out[i] = static_cast<char>('0' + d);
    r.mul_small(10);
  }
  s.mul_small(5);  // 10 * remainder against 5 * s: the remainder against half a unit
  int cmp = compare(r, s);
  if ((cmp > 0 || (cmp == 0 && ((out[n - 1] - '0') & 1))) && round_up(out, n)) ++e;
  return e + 1;
}

int write_u64(uint64_t d, char* out) {
  char tmp[20];
  int n = 0;
  do {
    tmp[n++] = static_cast<char>('0' + d % 10);
    d /= 10;
  } while (d != 0);
  for (int i = 0; i < n; ++i) out[i] = tmp[n - 1 - i];
  return n;
}

void set_text(Digits& r, const char* text, int decpt) {
  size_t n = std::strlen(text);
  std::memcpy(r.buffer + 1, text, n);
  r.length = static_cast<uint8_t>(n);
  r.decpt = decpt;
}

void set_special(Digits& r, uint64_t bits, bool zero_with_point) {
  if ((bits & 0x7FF0000000000000) == 0x7FF0000000000000) {
    bool nan = (bits & (hidden_bit - 1)) != 0;
    set_text(r, nan ? "1.#NaN" : r.negative ? "-1.#INF" : "1.#INF", decpt_special);
  } else {
    const char* zero = zero_with_point ? (r.negative ? "-0.0" : "0.0") : (r.negative ? "-0" : "0");
    set_text(r, zero, decpt_zero);
  }
}

}  // namespace

Digits float_to_digits(double x, int ndigits, bool zero_with_point) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  Digits r;
  r.buffer[0] = '-';
  r.start = 1;
  r.negative = bits >> 63;
  uint64_t magnitude = bits & ~(uint64_t{1} << 63);
  if (magnitude == 0 || magnitude >= 0x7FF0000000000000) {
    set_special(r, bits, zero_with_point);
    return r;
  }
  Binary b = decompose(magnitude);
  char* out = r.buffer + 1;
  int n = ndigits > max_digits ? max_digits : ndigits, length;
  if (n <= 0 || (n <= 16 && b.c >= hidden_bit)) {
    Decimal d = n <= 0 ? shortest(b) : rounded_fast(b, n);
    length = write_u64(d.d, out);
    r.decpt = length + d.e;
  } else {
    length = n;
    r.decpt = exact_digits(b, std::fabs(x), n, out);
  }
  while (length > 1 && out[length - 1] == '0') --length;
  r.length = static_cast<uint8_t>(length);
  return r;
}

}  // namespace vyn::float_text
