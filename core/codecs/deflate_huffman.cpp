// core/codecs/deflate_huffman.cpp: Huffman code lengths by in-place minimum redundancy, then a length
// limit, then canonical codes.
#include "core/codecs/deflate_huffman.hpp"

#include <algorithm>
#include <cstring>

#include "core/codecs/deflate_tables.hpp"

namespace vyn::compress {
namespace {

// Turns the ascending weights a[0..n) into code lengths in place (a[0] gets the longest):
// combine the two lightest items, then parent links into depths, then depths into leaf lengths.
void minimum_redundancy(uint32_t* a, int n) {
  int root = 0, leaf = 0;
  for (int next = 0; next < n - 1; ++next) {
    for (int child = 0; child < 2; ++child) {
      uint32_t w;
      if (leaf >= n || (root < next && a[root] < a[leaf])) {
        w = a[root];
        a[root++] = static_cast<uint32_t>(next);
      } else {
        w = a[leaf++];
      }
      a[next] = child == 0 ? w : a[next] + w;
    }
  }
  a[n - 2] = 0;
  for (int next = n - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
  int avail = 1, used = 0, depth = 0, next = n - 1;
  root = n - 2;
  while (avail > 0) {
    while (root >= 0 && a[root] == static_cast<uint32_t>(depth)) ++used, --root;
    while (avail > used) a[next--] = static_cast<uint32_t>(depth), --avail;
    avail = 2 * used;
    ++depth;
    used = 0;
  }
}

// Moves codes from lengths past the limit until the Kraft sum fits.
void limit_counts(int* count, int limit) {
  auto kraft = [&] {
    uint64_t sum = 0;
    for (int j = 1; j <= limit; ++j) sum += uint64_t(count[j]) << (limit - j);
    return sum;
  };
  while (kraft() > (uint64_t{1} << limit)) {
    --count[limit];
    int j = limit - 1;
    while (j > 0 && count[j] == 0) --j;
    if (j == 0) break;
    --count[j];
    count[j + 1] += 2;
  }
}

}  // namespace

void build_lengths(const uint32_t* freq, int m, int limit, uint8_t* lengths) {
  std::memset(lengths, 0, size_t(m));
  int symbols[320];
  int n = 0;
  for (int s = 0; s < m; ++s)
    if (freq[s]) symbols[n++] = s;
  if (n < 2) {
    lengths[0] = 1;
    lengths[n == 1 && symbols[0] >= 2 ? symbols[0] : 1] = 1;
    return;
  }
  std::stable_sort(symbols, symbols + n, [&](int a, int b) { return freq[a] < freq[b]; });
  uint32_t work[320];
  for (int k = 0; k < n; ++k) work[k] = freq[symbols[k]];
  minimum_redundancy(work, n);
  int count[max_bits + 2] = {};
  for (int k = 0; k < n; ++k) ++count[std::min<int>(int(work[k]), limit)];
  limit_counts(count, limit);
  int k = n - 1;
  for (int len = 1; len <= limit; ++len)
    for (int c = 0; c < count[len]; ++c) lengths[symbols[k--]] = static_cast<uint8_t>(len);
}

void build_codes(const uint8_t* lengths, int m, uint16_t* codes) {
  int count[max_bits + 1] = {};
  for (int s = 0; s < m; ++s) ++count[lengths[s]];
  count[0] = 0;
  uint32_t next[max_bits + 2] = {};
  uint32_t code = 0;
  for (int len = 1; len <= max_bits; ++len) {
    code = (code + uint32_t(count[len - 1])) << 1;
    next[len] = code;
  }
  for (int s = 0; s < m; ++s) {
    int len = lengths[s];
    if (len == 0) {
      codes[s] = 0;
      continue;
    }
    uint32_t c = next[len]++, r = 0;
    for (int b = 0; b < len; ++b) r |= ((c >> b) & 1u) << (len - 1 - b);
    codes[s] = static_cast<uint16_t>(r);
  }
}

}  // namespace vyn::compress
