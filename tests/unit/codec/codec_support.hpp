// Helpers for the DEFLATE codec tests: sample inputs and a bit writer for hand-built streams.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/codecs/deflate.hpp"

namespace vyn::test {

using Bytes = std::vector<uint8_t>;
using Codec = int (*)(uint8_t*, size_t&, const uint8_t*, size_t);

inline Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes random_bytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  for (auto& x : b) x = uint8_t(gen());
  return b;
}

// Words drawn from a small vocabulary, with numbers: compresses like ordinary text.
inline Bytes text_bytes(size_t n, uint32_t seed) {
  static const char* words[] = {"the ", "value ", "block ", "of ", "series ", "word ", "context ",
                                "and ", "binds ", "to ", "\n", "evaluates ", "a ", "[", "] "};
  std::mt19937 gen(seed);
  std::string s;
  while (s.size() < n) {
    s += words[gen() % 15];
    if (gen() % 7 == 0) s += std::to_string(gen() % 1000) + " ";
  }
  s.resize(n);
  return bytes_of(s);
}

// Calls a codec the way the natives do: measure or guess, then once more with the size asked for.
inline int run(Codec codec, const Bytes& in, Bytes& out, size_t first = 0) {
  size_t size = first;
  out.assign(size, 0);
  int r = codec(size ? out.data() : nullptr, size, in.data(), in.size());
  if (r == compress::too_small || (r == compress::corrupt && size > out.size())) {
    out.assign(size, 0);
    r = codec(out.data(), size, in.data(), in.size());
  }
  if (r == compress::done) out.resize(size);
  return r;
}

// Writes a stream bit by bit: plain fields least significant bit first, Huffman codes most
// significant bit first.
class BitPut {
 public:
  BitPut& bits(uint32_t value, int n) {
    for (int k = 0; k < n; ++k) bit((value >> k) & 1);
    return *this;
  }
  BitPut& code(uint32_t value, int n) {
    for (int k = n - 1; k >= 0; --k) bit((value >> k) & 1);
    return *this;
  }
  BitPut& align() {
    while (used_ % 8) bit(0);
    return *this;
  }
  BitPut& byte(uint8_t b) { return bits(b, 8); }
  Bytes take() {
    align();
    return out_;
  }

 private:
  void bit(uint32_t b) {
    if (used_ % 8 == 0) out_.push_back(0);
    out_.back() |= uint8_t(b << (used_ % 8));
    ++used_;
  }
  Bytes out_;
  size_t used_ = 0;
};

}  // namespace vyn::test
