// core/text/file_names.cpp: strict decoding of the system's names, with each undecodable byte kept as
// a code point of its own, and the encoding back.
#include "core/text/file_names.hpp"

#include "core/text/unicode.hpp"

namespace vyn::file_names {
namespace {

// The length of the valid shortest-form sequence at p (avail bytes there, at least 1) with its
// code point in cp, or 0 when the lead byte starts none.
int valid_sequence(const uint8_t* p, size_t avail, uint32_t& cp) {
  uint8_t b0 = p[0];
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  int n = 0;
  uint32_t least = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) n = 2, cp = b0 & 0x1F, least = 0x80;
  else if (b0 >= 0xE0 && b0 <= 0xEF) n = 3, cp = b0 & 0x0F, least = 0x800;
  else if (b0 >= 0xF0 && b0 <= 0xF4) n = 4, cp = b0 & 0x07, least = 0x10000;
  else return 0;
  if (avail < static_cast<size_t>(n)) return 0;
  for (int i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (p[i] & 0x3F);
  }
  bool refused = cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE;
  return refused ? 0 : n;
}

}  // namespace

std::u32string decode(std::string_view bytes) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t size = bytes.size();
  std::u32string text;
  text.reserve(size);
  for (size_t at = 0; at < size;) {
    uint32_t cp = 0;
    int n = valid_sequence(p + at, size - at, cp);
    if (n == 0) cp = escape_base + p[at], n = 1;
    text.push_back(cp);
    at += static_cast<size_t>(n);
  }
  return text;
}

std::optional<std::string> encode(std::u32string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  bool escapes = false;
  for (char32_t c : text) {
    uint32_t cp = c;
    if (escaped_byte_q(cp)) {
      bytes.push_back(static_cast<char>(cp - escape_base));
      escapes = true;
      continue;
    }
    if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp > 0x10FFFF)
      return std::nullopt;
    unicode::append_utf8(bytes, cp);
  }
  // a run of escaped bytes may spell a valid sequence, which would decode to other text
  if (escapes && decode(bytes) != text) return std::nullopt;
  return bytes;
}

}  // namespace vyn::file_names
