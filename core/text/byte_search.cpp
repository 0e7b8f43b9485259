// core/text/byte_search.cpp: a search over sixteen positions at a time: each place whose first,
// middle and last bytes all agree with the pattern's is then compared in full.
#include "core/text/byte_search.hpp"

#include <emmintrin.h>

#include <cstring>

namespace vyn::byte_search {
namespace {

inline uint8_t lower(uint8_t c) { return static_cast<uint8_t>(c - 'A') < 26 ? c + 32 : c; }

inline uint8_t other_case(uint8_t c, bool fold) {
  if (!fold) return c;
  if (static_cast<uint8_t>(c - 'a') < 26) return c - 32;
  return lower(c);
}

// Whether the n bytes at a and b agree.
bool same(const uint8_t* a, const uint8_t* b, size_t n, bool fold) {
  if (!fold) return std::memcmp(a, b, n) == 0;
  for (size_t i = 0; i < n; ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

inline __m128i either(__m128i v, __m128i x, __m128i y) {
  return _mm_or_si128(_mm_cmpeq_epi8(v, x), _mm_cmpeq_epi8(v, y));
}

}  // namespace

int64_t find(const uint8_t* text, size_t length, const uint8_t* pattern, size_t n, bool fold) {
  if (n == 0 || n > length) return -1;
  uint8_t first = pattern[0], last = pattern[n - 1];
  const __m128i f1 = _mm_set1_epi8(static_cast<char>(first));
  const __m128i f2 = _mm_set1_epi8(static_cast<char>(other_case(first, fold)));
  const __m128i l1 = _mm_set1_epi8(static_cast<char>(last));
  const __m128i l2 = _mm_set1_epi8(static_cast<char>(other_case(last, fold)));
  size_t mid = n / 2;  // a third byte: text of repeated shapes agrees at both ends of many places
  const __m128i m1 = _mm_set1_epi8(static_cast<char>(pattern[mid]));
  const __m128i m2 = _mm_set1_epi8(static_cast<char>(other_case(pattern[mid], fold)));
  size_t i = 0;
  for (; i + n - 1 + 16 <= length; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + n - 1));
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + mid));
    __m128i ends = _mm_and_si128(either(a, f1, f2), either(b, l1, l2));
    auto hits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_and_si128(ends, either(c, m1, m2))));
    for (; hits; hits &= hits - 1) {
      size_t at = i + static_cast<size_t>(__builtin_ctz(hits));
      if (n < 3 || same(text + at + 1, pattern + 1, n - 2, fold)) return static_cast<int64_t>(at);
    }
  }
  for (; i + n <= length; ++i)
    if (same(text + i, pattern, n, fold)) return static_cast<int64_t>(i);
  return -1;
}

}  // namespace vyn::byte_search
