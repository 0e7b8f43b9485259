// values/text/url_codec.cpp: percent-encoding and decoding of text over its UTF-8 form.
#include "core/text/unicode.hpp"
#include "values/text/string_storage.hpp"
#include "values/text/url.hpp"

namespace vyn::url {
namespace {

bool url_plain(uint32_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  for (const char* p = "!#$&'()*+,-./:=?@_~"; *p; ++p)
    if (c == static_cast<unsigned char>(*p)) return true;
  return false;
}

bool strict_plain(uint32_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return c == '-' || c == '.' || c == '_' || c == '~';
}

int hex_value(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A "%" and two hex digits at p (before end): their byte.
bool hex_pair(const std::string& s, size_t p, uint8_t& out) {
  if (p + 2 >= s.size() || s[p] != '%') return false;
  int hi = hex_value(static_cast<uint8_t>(s[p + 1])),
      lo = hex_value(static_cast<uint8_t>(s[p + 2]));
  if (hi < 0 || lo < 0) return false;
  out = static_cast<uint8_t>(hi * 16 + lo);
  return true;
}

int lead_length(uint8_t b) {
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

// An escaped multi-byte sequence at p: its code point, p moved past it.
bool escaped_sequence(const std::string& s, size_t& p, uint8_t lead, uint32_t& cp) {
  int n = lead_length(lead);
  if (n == 0) return false;
  uint8_t bytes[4] = {lead};
  for (int i = 1; i < n; ++i) {
    if (!hex_pair(s, p + 3 * i, bytes[i]) || (bytes[i] & 0xC0) != 0x80) return false;
  }
  int32_t value = 0;
  unicode::fast_decode_utf8_char(bytes, bytes + n, value);
  if (value < 0) return false;
  cp = static_cast<uint32_t>(value);
  p += 3 * n;
  return true;
}

// The UTF-8 character at p, p moved past it; a broken byte stands for itself.
uint32_t plain_char(const std::string& s, size_t& p) {
  const auto* at = reinterpret_cast<const uint8_t*>(s.data()) + p;
  const auto* end = reinterpret_cast<const uint8_t*>(s.data()) + s.size();
  int32_t cp = 0;
  const uint8_t* next = unicode::fast_decode_utf8_char(at, end, cp);
  if (cp < 0 || next <= at) {
    ++p;
    return *at;
  }
  p += static_cast<size_t>(next - at);
  return static_cast<uint32_t>(cp);
}

}  // namespace

bool plain_q(uint32_t cp, int mode) {
  return mode == strict_mode ? strict_plain(cp) : url_plain(cp);
}

std::string encode_byte(int mode, uint8_t byte) {
  if (byte < 0x80 && plain_q(byte, mode)) return std::string(1, static_cast<char>(byte));
  return std::string("%") + string::byte_to_hex(byte);
}

std::string utf8_of(const Cell& str, int32_t count) {
  int32_t n = string::length(str);
  if (count >= 0 && count < n) n = count;
  std::string out;
  uint8_t bytes[4];
  for (int32_t i = 0; i < n; ++i) {
    uint32_t cp = string::char_at(series_node(str), static_cast<uint32_t>(series_head(str) + i));
    out.append(reinterpret_cast<char*>(bytes),
               static_cast<size_t>(unicode::encode_utf8(cp, bytes)));
  }
  return out;
}

void decode(Cell* source, Cell* target) {
  std::string s = utf8_of(*source, -1);
  for (size_t p = 0; p < s.size();) {
    uint8_t byte = 0;
    uint32_t cp = 0;
    if (hex_pair(s, p, byte)) {
      if (escaped_sequence(s, p, byte, cp)) {
        string::append_char(series_node(*target), cp);
        continue;
      }
      if (lead_length(byte) == 0) {
        string::append_char(series_node(*target), byte);
        p += 3;
        continue;
      }
    }
    string::append_char(series_node(*target), plain_char(s, p));
  }
}

void encode(Cell* source, Cell* target, int mode) {
  std::string s = utf8_of(*source, -1);
  for (unsigned char b : s) string::append_latin1(*target, encode_byte(mode, b));
}

}  // namespace vyn::url
