// platform/key_decode.cpp: ANSI key sequences and UTF-8 characters to key codes.
#include "platform/key_decode.hpp"

namespace vyn::keys {
namespace {

constexpr uint32_t replacement = 0xFFFD;

// The final letter of CSI or SS3 sequences: arrows, Home and End.
int letter_key(uint8_t c) {
  switch (c) {
    case 'A': return up;
    case 'B': return down;
    case 'C': return right;
    case 'D': return left;
    case 'H': return home;
    case 'F': return end;
    default: return other;
  }
}

// The number of "ESC [ n ~" sequences.
int tilde_key(int n) {
  switch (n) {
    case 1: case 7: return home;
    case 4: case 8: return end;
    case 2: return insert;
    case 3: return del;
    case 5: return page_up;
    case 6: return page_down;
    default: return other;
  }
}

// ESC [ then parameter bytes (digits, ";" and the private markers "<=>?"), intermediate bytes and
// one final byte. Only the first number counts: modifiers (";5") are ignored, and a report the
// editor did not ask for (a mouse report, a device answer) is taken whole as no key. A control
// or non-ASCII byte cuts the sequence: what came before it is dropped, the byte is read next.
Decoded csi(const uint8_t* b, size_t n, bool complete) {
  size_t i = 2;
  int first = -1;
  bool in_first = true;
  while (i < n && b[i] >= 0x20 && b[i] <= 0x3F) {
    if (b[i] < '0' || b[i] > '9') in_first = false;
    else if (in_first) first = (first < 0 ? 0 : first * 10) + (b[i] - '0');
    if (first > 1000) first = 1000;
    ++i;
  }
  if (i >= n) return complete ? Decoded{other, n} : Decoded{other, 0};
  if (b[i] < 0x40 || b[i] > 0x7E) return {other, i};
  if (b[i] == '~') return {tilde_key(first), i + 1};
  return {letter_key(b[i]), i + 1};
}

Decoded utf8(const uint8_t* b, size_t n, bool complete);
Decoded escape(const uint8_t* b, size_t n, bool complete);

// Esc that arrives with a key after it is that key with Alt (a terminal sends Alt+x as Esc, x):
// one key the editor has no use for, taken whole, so that the x does not reach the line.
Decoded alt_key(const uint8_t* b, size_t n, bool complete) {
  Decoded rest = b[1] == 27 ? escape(b + 1, n - 1, complete)
               : b[1] < 0x80 ? Decoded{other, 1}
                             : utf8(b + 1, n - 1, complete);
  if (rest.used == 0) return {other, 0};
  return {other, rest.used + 1};
}

Decoded escape(const uint8_t* b, size_t n, bool complete) {
  if (n == 1) return complete ? Decoded{27, 1} : Decoded{other, 0};
  if (b[1] == '[') return csi(b, n, complete);
  if (b[1] == 'O') {
    if (n == 2) return complete ? Decoded{other, 2} : Decoded{other, 0};
    return {letter_key(b[2]), 3};
  }
  return alt_key(b, n, complete);
}

int sequence_length(uint8_t lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return lead >= 0xC2 ? 2 : 0;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return lead <= 0xF4 ? 4 : 0;
  return 0;
}

Decoded utf8(const uint8_t* b, size_t n, bool complete) {
  int len = sequence_length(b[0]);
  if (len == 0) return {static_cast<int>(replacement), 1};
  uint32_t cp = b[0] & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    if (static_cast<size_t>(k) >= n) return complete ? Decoded{static_cast<int>(replacement), n} : Decoded{other, 0};
    if ((b[k] & 0xC0) != 0x80) return {static_cast<int>(replacement), 1};
    cp = (cp << 6) | (b[k] & 0x3F);
  }
  bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = replacement;
  return {static_cast<int>(cp), static_cast<size_t>(len)};
}

}  // namespace

Decoded decode(const uint8_t* bytes, size_t n, bool complete) {
  if (n == 0) return {other, 0};
  uint8_t c = bytes[0];
  if (c == 27) return escape(bytes, n, complete);
  if (c == '\r' || c == '\n') return {enter, 1};
  if (c < 0x80) return {c, 1};
  return utf8(bytes, n, complete);
}

}  // namespace vyn::keys
