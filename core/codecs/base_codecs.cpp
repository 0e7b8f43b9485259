// core/codecs/base_codecs.cpp: bytes to text and back in bases 2, 16, 58 and 64.
#include "core/codecs/base_codecs.hpp"

#include <cstring>

namespace vyn::base_codecs {
namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";
constexpr char alphabet58[] = "123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz";
constexpr char alphabet64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int64_t largest = 0x7FFFFFF0;

// The value of an ASCII character in an alphabet, or -1.
int value_in(const char* alphabet, uint32_t c) {
  if (c == 0 || c > 127) return -1;
  const char* hit = std::strchr(alphabet, static_cast<int>(c));
  return hit ? static_cast<int>(hit - alphabet) : -1;
}

int hex_value(uint32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  return -1;
}

// Blanks between the digits of bases 58 and 64.
bool wide_blank(uint32_t c) {
  return c == 8 || c == '\t' || c == '\n' || c == 12 || c == '\r' || c == ' ' || c == '\'';
}

// Walks the text, skipping comments and the blanks of the base, and hands each other character
// to digit until it answers false. Answers false when digit did.
template <class Digit>
bool each_digit(const Text& text, bool narrow_blanks, Digit digit) {
  for (uint32_t i = 0; i < text.count; ++i) {
    uint32_t c = text.at(i);
    if (c == ';') {
      while (i < text.count && text.at(i) != '\n') ++i;
      continue;
    }
    if (narrow_blanks ? c <= 0x20 : wide_blank(c)) continue;
    if (!digit(c)) return false;
  }
  return true;
}

// Base 2 and 16: bits digits of a fixed width shift into bytes.
bool decode_bits(const Text& text, int bits, std::vector<uint8_t>& out) {
  uint32_t acc = 0;
  int held = 0;
  bool ok = each_digit(text, true, [&](uint32_t c) {
    int d = bits == 1 ? (c == '0' ? 0 : c == '1' ? 1 : -1) : hex_value(c);
    if (d < 0) return false;
    acc = acc << bits | static_cast<uint32_t>(d);
    held += bits;
    if (held == 8) {
      out.push_back(static_cast<uint8_t>(acc));
      acc = 0;
      held = 0;
    }
    return true;
  });
  return ok && held == 0;
}

// Four values make three bytes; "=" after two or three values ends the text. A last group of two
// or three values without "=" is taken as if padded; a single value cannot make a byte.
bool decode64(const Text& text, std::vector<uint8_t>& out) {
  uint32_t acc = 0;
  int held = 0;
  bool padded = false, bad = false;
  auto flush = [&] {
    if (held == 1) return false;
    if (held == 2) out.push_back(static_cast<uint8_t>(acc >> 4));
    if (held == 3) {
      out.push_back(static_cast<uint8_t>(acc >> 10));
      out.push_back(static_cast<uint8_t>(acc >> 2));
    }
    return true;
  };
  each_digit(text, false, [&](uint32_t c) {
    if (c == '=') {
      padded = true;
      bad = held < 2;
      return false;
    }
    int d = value_in(alphabet64, c);
    if (d < 0) return !(bad = true);
    acc = acc << 6 | static_cast<uint32_t>(d);
    if (++held == 4) {
      out.push_back(static_cast<uint8_t>(acc >> 16));
      out.push_back(static_cast<uint8_t>(acc >> 8));
      out.push_back(static_cast<uint8_t>(acc));
      acc = 0;
      held = 0;
    }
    return true;
  });
  (void)padded;
  return !bad && flush();
}

// Leading "1" digits are leading zero bytes; the rest is a number in base 58.
bool decode58(const Text& text, std::vector<uint8_t>& out) {
  std::vector<uint8_t> number;  // little-endian base 256
  size_t zeros = 0;
  bool leading = true;
  bool ok = each_digit(text, false, [&](uint32_t c) {
    int d = value_in(alphabet58, c);
    if (d < 0) return false;
    if (leading && d == 0) {
      ++zeros;
      return true;
    }
    leading = false;
    uint32_t carry = static_cast<uint32_t>(d);
    for (uint8_t& b : number) {
      carry += b * 58u;
      b = static_cast<uint8_t>(carry);
      carry >>= 8;
    }
    for (; carry; carry >>= 8) number.push_back(static_cast<uint8_t>(carry));
    return true;
  });
  if (!ok) return false;
  out.assign(zeros, 0);
  out.insert(out.end(), number.rbegin(), number.rend());
  return true;
}

void encode58(const uint8_t* bytes, size_t n, std::string& out) {
  size_t zeros = 0;
  while (zeros < n && bytes[zeros] == 0) ++zeros;
  std::vector<uint8_t> digits;  // little-endian base 58
  for (size_t i = zeros; i < n; ++i) {
    uint32_t carry = bytes[i];
    for (uint8_t& d : digits) {
      carry += static_cast<uint32_t>(d) << 8;
      d = static_cast<uint8_t>(carry % 58);
      carry /= 58;
    }
    for (; carry; carry /= 58) digits.push_back(static_cast<uint8_t>(carry % 58));
  }
  out.assign(zeros, '1');
  for (auto d = digits.rbegin(); d != digits.rend(); ++d) out.push_back(alphabet58[*d]);
}

void encode64(const uint8_t* bytes, size_t n, std::string& out) {
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    uint32_t v = static_cast<uint32_t>(bytes[i]) << 16 | bytes[i + 1] << 8 | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) out.push_back(alphabet64[(v >> shift) & 63]);
  }
  if (i == n) return;
  uint32_t v = static_cast<uint32_t>(bytes[i]) << 16 | (i + 1 < n ? bytes[i + 1] << 8 : 0);
  out.push_back(alphabet64[v >> 18]);
  out.push_back(alphabet64[(v >> 12) & 63]);
  out.push_back(i + 1 < n ? alphabet64[(v >> 6) & 63] : '=');
  out.push_back('=');
}

}  // namespace

uint32_t Text::at(uint32_t i) const {
  const uint8_t* p = data + static_cast<size_t>(i) * unit;
  if (unit == 1) return *p;
  if (unit == 2) return static_cast<uint32_t>(p[0] | p[1] << 8);
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

bool supported(int base) { return base == 2 || base == 16 || base == 58 || base == 64; }

int64_t encoded_size(int base, size_t n) {
  int64_t size = base == 2 ? 8 * static_cast<int64_t>(n)
               : base == 64 ? (static_cast<int64_t>(n) + 2) / 3 * 4
                            : 2 * static_cast<int64_t>(n);
  return size > largest ? -1 : size;
}

std::string encode(int base, const uint8_t* bytes, size_t n) {
  std::string out;
  if (base == 58) {
    encode58(bytes, n, out);
    return out;
  }
  if (base == 64) {
    encode64(bytes, n, out);
    return out;
  }
  out.reserve(static_cast<size_t>(encoded_size(base, n)));
  for (size_t i = 0; i < n; ++i) {
    if (base == 16) {
      out.push_back(hex_digits[bytes[i] >> 4]);
      out.push_back(hex_digits[bytes[i] & 15]);
    } else {
      for (int bit = 7; bit >= 0; --bit) out.push_back((bytes[i] >> bit) & 1 ? '1' : '0');
    }
  }
  return out;
}

bool decode(int base, const Text& text, std::vector<uint8_t>& out) {
  out.clear();
  switch (base) {
    case 2: return decode_bits(text, 1, out);
    case 16: return decode_bits(text, 4, out);
    case 58: return decode58(text, out);
    case 64: return decode64(text, out);
    default: return false;
  }
}

}  // namespace vyn::base_codecs
