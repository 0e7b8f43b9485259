// core/text/float_text_read.cpp: decimal text to doubles, correctly rounded (ties to even).
//
// The first 19 significant digits go into a 64-bit integer w, so the value is w * 10^e (plus a
// remainder when digits were dropped). When w and 10^e are both exact doubles one multiplication
// or division rounds correctly. Otherwise w times the 128-bit power of ten brackets the value
// between two 256-bit integers; when both ends round alike that is the answer, and only when a
// point halfway between two doubles lies in between is the whole text compared with it exactly.
#include <algorithm>
#include <cstring>
#include <limits>

#include "core/text/float_text.hpp"
#include "core/text/float_text_exact.hpp"

namespace vyn::float_text {
namespace {

using namespace exact;

constexpr int64_t exponent_cap = 1'000'000;  // a longer exponent saturates here
constexpr int w_digits = 19;                 // digits that always fit in 64 bits
constexpr int exact_digits = 800;            // more than any halfway point between doubles has
constexpr uint64_t hidden_bit = uint64_t{1} << 52;
constexpr double infinity = std::numeric_limits<double>::infinity();

// What the syntax pass found in the significand.
struct Number {
  const char* first = nullptr;  // the first significant digit
  const char* end = nullptr;    // just past the significand
  uint64_t w = 0;               // the first significant digits, at most 19 of them
  int64_t count = 0;            // significant digits, from the first non-zero one
  int64_t exp10 = 0;            // w * 10^exp10 is the significand to 19 digits
  bool dropped_nonzero = false; // a digit that w left out is not zero
  bool negative = false;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

const char* read_digits(const char* p, const char* end, Number& n, bool fraction) {
  for (; p < end && is_digit(*p); ++p) {
    int d = *p - '0';
    if (n.count == 0 && d == 0) {  // a zero before the first significant digit
      n.exp10 -= fraction;
      continue;
    }
    if (n.count == 0) n.first = p;
    if (n.count < w_digits) {
      n.w = n.w * 10 + d;
      n.exp10 -= fraction;
    } else {
      n.exp10 += !fraction;
      n.dropped_nonzero |= d != 0;
    }
    ++n.count;
  }
  return p;
}

// The exponent after "e", or 0 with p unchanged when no digit follows the "e" and its sign.
int64_t read_exponent(const char*& p, const char* end) {
  if (end - p < 2 || (*p != 'e' && *p != 'E')) return 0;
  const char* q = p + 1;
  bool negative = *q == '-';
  if (*q == '+' || *q == '-') ++q;
  if (q == end || !is_digit(*q)) return 0;
  int64_t e = 0;
  for (; q < end && is_digit(*q); ++q) e = std::min(e * 10 + (*q - '0'), exponent_cap);
  p = q;
  return negative ? -e : e;
}

double from_bits(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

// w * 10^j when both are exact doubles, so that one rounding gives the answer.
bool exact_product(uint64_t w, int64_t j, double& out) {
  static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr uint64_t limit = uint64_t{1} << 53;
  if (w > limit || j < -22 || j > 22 + 15) return false;
  if (j > 22) {  // move the excess of ten into w while it stays exact
    for (; j > 22; --j) {
      if (w > limit / 10) return false;
      w *= 10;
    }
  }
  double m = static_cast<double>(w);
  out = j < 0 ? m / powers[-j] : m * powers[j];
  return true;
}

// A 256-bit unsigned integer, least significant word first.
struct U256 {
  uint64_t v[4] = {0, 0, 0, 0};

  void add(u128 a, int at = 0) {
    for (int i = at; i < 4 && a != 0; ++i) {
      u128 s = static_cast<u128>(v[i]) + static_cast<uint64_t>(a);
      v[i] = static_cast<uint64_t>(s);
      a = (a >> 64) + (s >> 64);
    }
  }
  void subtract_one() {
    for (int i = 0; i < 4 && v[i]-- == 0; ++i) {
    }
  }
  int bit_length() const {
    for (int i = 3; i >= 0; --i) {
      if (v[i] != 0) return 64 * i + 64 - __builtin_clzll(v[i]);
    }
    return 0;
  }
  // The bits from position at upward; the caller knows they fit in 64 bits.
  uint64_t bits_from(int at) const {
    if (at >= 256) return 0;
    int word = at / 64, shift = at % 64;
    uint64_t low = v[word] >> shift;
    if (shift != 0 && word < 3) low |= v[word + 1] << (64 - shift);
    return low;
  }
  bool zero_below(int at) const {
    for (int i = 0; i < 4 && at > 0; ++i, at -= 64) {
      uint64_t mask = at >= 64 ? ~uint64_t{0} : (uint64_t{1} << at) - 1;
      if (v[i] & mask) return false;
    }
    return true;
  }
};

U256 multiply(uint64_t w, const Pow10& t) {
  U256 r;
  r.add(static_cast<u128>(w) * t.lo);
  r.add(static_cast<u128>(w) * t.hi, 1);
  return r;
}

// The double m * 2^(e - 52) for a normal exponent e (m may have carried to 2^53), or the
// subnormal m * 2^-1074 when e is below -1022 (m may have carried to 2^52).
double assemble(uint64_t m, int e) {
  if (e < -1022) return from_bits(m);
  if (m == hidden_bit << 1) {
    m >>= 1;
    ++e;
  }
  if (e > 1023) return infinity;
  return from_bits(static_cast<uint64_t>(e + 1023) << 52 | (m & (hidden_bit - 1)));
}

// Reads the first 800 significant digits into a; answers whether a digit after them is non-zero.
bool read_significand(const Number& n, BigInt& a) {
  static constexpr uint32_t powers[] = {1,      10,      100,      1000,      10000,
                                        100000, 1000000, 10000000, 100000000, 1000000000};
  uint32_t chunk = 0;
  int in_chunk = 0, kept = 0;
  bool rest = false;
  for (const char* p = n.first; p < n.end; ++p) {
    if (*p == '.') continue;
    if (kept == exact_digits) {
      rest |= *p != '0';
      continue;
    }
    chunk = chunk * 10 + (*p - '0');
    ++kept;
    if (++in_chunk == 9) {
      a.mul_small(powers[9]);
      a.add_small(chunk);
      chunk = 0;
      in_chunk = 0;
    }
  }
  a.mul_small(powers[in_chunk]);
  a.add_small(chunk);
  return rest;
}

// The text's value, w * 10^j and the digits after w, against (2m + 1) * 2^e2: -1, 0 or 1.
int compare_with_midpoint(const Number& n, int j, uint64_t m, int e2) {
  BigInt a, b(2 * m + 1);
  bool rest = read_significand(n, a);
  int64_t kept = std::min<int64_t>(n.count, exact_digits);
  int e10 = static_cast<int>(j - (kept - std::min<int64_t>(n.count, w_digits)));
  if (e10 >= 0) a.mul_pow5(e10);
  else b.mul_pow5(-e10);
  int shift = e2 - e10;  // the factors of two of 10^e10 and 2^e2
  if (shift >= 0) b.shift_left(shift);
  else a.shift_left(-shift);
  int c = compare(a, b);
  return c == 0 && rest ? 1 : c;
}

// The double nearest w * 10^j (and the dropped digits), j within the table.
double scaled(const Number& n, int j) {
  const Pow10& t = pow10(j);
  bool table_exact = pow10_exact(j);
  // The scaled value lies in [low, high): high is w * t + 1 when both are exact, w * (t + 1)
  // past an inexact table entry, (w + 1) * t or (w + 1) * (t + 1) after dropped digits.
  U256 low = multiply(n.w, t), high = low;
  if (!table_exact) high.add(n.w);
  if (n.dropped_nonzero) high.add(static_cast<u128>(t.hi) << 64 | t.lo);
  if (table_exact != n.dropped_nonzero) high.add(1);
  high.subtract_one();
  int bits = low.bit_length();
  int e = bits - 1 + floor_log2_pow10(j) - 127;  // the binary exponent of low
  if (e > 1023) return infinity;
  int drop = e >= -1022 ? bits - 53 : -947 - floor_log2_pow10(j);  // bits below the last kept
  uint64_t prefix = low.bits_from(drop - 1);  // the kept bits and the rounding bit
  uint64_t m = prefix >> 1;
  if (prefix & 1) {
    bool tie = table_exact && !n.dropped_nonzero && low.zero_below(drop - 1);
    return assemble(m + (tie ? m & 1 : 1), e);
  }
  if (high.bits_from(drop - 1) == prefix) return assemble(m, e);
  int c = compare_with_midpoint(n, j, m, (e >= -1022 ? e - 52 : -1074) - 1);
  return assemble(m + (c > 0 || (c == 0 && (m & 1))), e);
}

double magnitude(const Number& n, int64_t e10) {
  int64_t top = e10 + std::min<int64_t>(n.count, w_digits);  // the value is below 10^top
  if (top > 310) return infinity;
  if (top <= -324) return 0.0;
  double r;
  if (!n.dropped_nonzero && exact_product(n.w, e10, r)) return r;
  return scaled(n, static_cast<int>(e10));
}

// "1.#INF", "1.#NaN" and their letter cases, after one significant digit and the point.
bool read_special(const char* p, const char* end, bool negative, double& out, int& unread) {
  if (end - p < 3 || p[1] != '#') return false;
  char c = p[2] | 0x20;
  if (c != 'i' && c != 'n') return false;
  const char* q = p + 3;
  while (q < end && is_letter(*q)) ++q;
  unread = static_cast<int>(end - q);
  out = c == 'n' ? from_bits(0x7FF8000000000000) : negative ? -infinity : infinity;
  return true;
}

}  // namespace

double text_to_float(const char* start, const char* end, int extra_exponent, int& unread) {
  unread = 0;
  const char* p = start;
  Number n;
  if (p < end && (*p == '+' || *p == '-')) n.negative = *p++ == '-';
  while (p < end && *p == '0') ++p;
  if (p == end) return 0.0;
  p = read_digits(p, end, n, false);
  if (p < end && *p == '.') {
    double special;
    if (n.count == 1 && read_special(p, end, n.negative, special, unread)) return special;
    p = read_digits(p + 1, end, n, true);
  }
  n.end = p;
  int64_t written = read_exponent(p, end);
  unread = static_cast<int>(end - p);
  if (n.count == 0) return n.negative ? -0.0 : 0.0;
  double r = magnitude(n, n.exp10 + written + extra_exponent);
  return n.negative ? -r : r;
}

}  // namespace vyn::float_text
