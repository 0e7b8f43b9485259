// core/text/float_text_exact.cpp: the fixed-capacity big integer of the float text conversions.
#include "core/text/float_text_exact.hpp"

#include <cstdio>
#include <cstdlib>

namespace vyn::float_text::exact {

void BigInt::need(int words) {
  if (words <= capacity) return;
  std::fputs("float text: big integer capacity exceeded\n", stderr);
  std::abort();
}

void BigInt::trim() {
  while (size_ > 0 && words_[size_ - 1] == 0) --size_;
}

void BigInt::set(uint64_t v) {
  words_[0] = static_cast<uint32_t>(v);
  words_[1] = static_cast<uint32_t>(v >> 32);
  size_ = 2;
  trim();
}

void BigInt::mul_small(uint32_t m) {
  uint64_t carry = 0;
  for (int i = 0; i < size_; ++i) {
    uint64_t p = static_cast<uint64_t>(words_[i]) * m + carry;
    words_[i] = static_cast<uint32_t>(p);
    carry = p >> 32;
  }
  if (carry != 0) {
    need(size_ + 1);
    words_[size_++] = static_cast<uint32_t>(carry);
  }
}

void BigInt::add_small(uint32_t a) {
  uint64_t carry = a;
  for (int i = 0; i < size_ && carry != 0; ++i) {
    uint64_t s = words_[i] + carry;
    words_[i] = static_cast<uint32_t>(s);
    carry = s >> 32;
  }
  if (carry != 0) {
    need(size_ + 1);
    words_[size_++] = static_cast<uint32_t>(carry);
  }
}

void BigInt::mul_pow5(int n) {
  constexpr uint32_t pow5_13 = 1220703125;  // the largest power of five below 2^32
  for (; n >= 13; n -= 13) mul_small(pow5_13);
  uint32_t rest = 1;
  while (n-- > 0) rest *= 5;
  if (rest != 1) mul_small(rest);
}

void BigInt::shift_left(int bits) {
  if (size_ == 0 || bits == 0) return;
  int words = bits / 32, rest = bits % 32;
  need(size_ + words + 1);
  words_[size_ + words] = 0;
  for (int i = size_ - 1; i >= 0; --i) {
    uint64_t v = static_cast<uint64_t>(words_[i]) << rest;
    words_[i + words + 1] |= static_cast<uint32_t>(v >> 32);
    words_[i + words] = static_cast<uint32_t>(v);
  }
  for (int i = 0; i < words; ++i) words_[i] = 0;
  size_ += words + 1;
  trim();
}

void BigInt::subtract(const BigInt& b) {
  int64_t borrow = 0;
  for (int i = 0; i < size_; ++i) {
    int64_t d = static_cast<int64_t>(words_[i]) - (i < b.size_ ? b.words_[i] : 0) - borrow;
    borrow = d < 0;
    words_[i] = static_cast<uint32_t>(d + (borrow << 32));
  }
  trim();
}

int compare(const BigInt& a, const BigInt& b) {
  if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
  for (int i = a.size_ - 1; i >= 0; --i) {
    if (a.words_[i] != b.words_[i]) return a.words_[i] < b.words_[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace vyn::float_text::exact
