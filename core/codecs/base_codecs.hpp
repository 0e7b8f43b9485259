// core/codecs/base_codecs.hpp: bytes to text and back in bases 2, 16, 58 and 64.
//
// Pure byte work: nothing here allocates a series or raises, so callers may read straight out of a
// series buffer while they decode, and turn a refusal into the answer they need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vyn::base_codecs {

// Fixed-width text as string buffers hold it: count code points of unit 1, 2 or 4 bytes.
struct Text {
  const uint8_t* data;
  uint32_t count;
  uint32_t unit;
  uint32_t at(uint32_t i) const;
};

bool supported(int base);  // 2, 16, 58 or 64

// Characters the encoding of n bytes takes (2n for base 58, an upper bound); -1 when the count
// passes the largest series.
int64_t encoded_size(int base, size_t n);
// Base 2: eight "0"/"1" a byte; 16: upper-case hexadecimal pairs; 58: the Bitcoin alphabet, a
// leading "1" per leading zero byte; 64: the standard alphabet with "=" padding. No separators.
std::string encode(int base, const uint8_t* bytes, size_t n);

// Decodes text into out; false (out unspecified) when the text is invalid. Between digits a ";"
// starts a comment that runs to the next line feed and blanks are skipped (base 2 and 16 skip
// every control character; 58 and 64 skip backspace, tab, line feed, form feed, carriage return,
// space and "'"). A digit group cut short is invalid: base 2 needs whole bytes, base 16 pairs,
// base 64 at least two values in its last group.
bool decode(int base, const Text& text, std::vector<uint8_t>& out);

}  // namespace vyn::base_codecs
