// core/text/float_text_exact.hpp: the exact arithmetic behind the float text conversions.
//
// A table of 128-bit powers of ten for the fast paths, and a fixed-capacity big integer for the
// rare cases where only exact arithmetic decides. Nothing here allocates.
#pragma once

#include <cstdint>

namespace vyn::float_text::exact {

using u128 = unsigned __int128;

struct Pow10 {
  uint64_t hi, lo;
};
#include "core/text/float_text.inc"

// floor(10^j * 2^(127 - floor_log2_pow10(j))), for j from pow10_first to pow10_last.
inline const Pow10& pow10(int j) { return pow10_table[j - pow10_first]; }
inline bool pow10_exact(int j) { return j >= 0 && j <= pow10_exact_last; }

// floor(log2 10^j), floor(log10 2^q) and floor(log10 (3/4 * 2^q)), exact for |j| < 1,600 and
// |q| < 5,000.
inline int floor_log2_pow10(int j) { return static_cast<int>((j * 913124641741LL) >> 38); }
inline int floor_log10_pow2(int q) { return static_cast<int>((q * 661971961083LL) >> 41); }
inline int floor_log10_three_quarters_pow2(int q) {
  return static_cast<int>((q * 661971961083LL - 274743187321LL) >> 41);
}

inline uint64_t mul_high(uint64_t a, uint64_t b) { return static_cast<uint64_t>((u128)a * b >> 64); }

// A non-negative integer of up to 3,584 bits in 32-bit words, least significant first. The
// callers' numbers stay far below the capacity (the largest, comparing a long decimal text with a
// midpoint between doubles, needs about 2,720 bits); going past it is a fault that ends the
// process.
class BigInt {
 public:
  static constexpr int capacity = 112;

  BigInt() = default;
  explicit BigInt(uint64_t v) { set(v); }
  void set(uint64_t v);

  void mul_small(uint32_t m);
  void add_small(uint32_t a);
  void mul_pow5(int n);
  void mul_pow10(int n) {
    mul_pow5(n);
    shift_left(n);
  }
  void shift_left(int bits);
  void subtract(const BigInt& b);  // *this must not be below b
  bool is_zero() const { return size_ == 0; }

  friend int compare(const BigInt& a, const BigInt& b);  // -1, 0 or 1

 private:
  void trim();
  void need(int words);

  uint32_t words_[capacity];
  int size_ = 0;
};

}  // namespace vyn::float_text::exact
