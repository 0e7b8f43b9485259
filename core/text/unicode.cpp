// core/text/unicode.cpp: UTF-8 and UTF-16 of single characters, and the faults that end the process.
#include "core/text/unicode.hpp"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/error.hpp"
#include "core/fault.hpp"

namespace vyn::unicode {
namespace {

// The table-driven UTF-8 decoder: 256 byte classes, then the transitions indexed by state + class.
// States are multiples of 12: 0 accepts, 12 rejects; 24 and 36 wait for one or two more continuation
// bytes; 48 (after E0), 60 (ED), 72 (F0), 84 (F1-F3) and 96 (F4) restrict the next byte so that
// overlong forms, surrogates and code points past U+10FFFF reject.
constexpr uint8_t accept = 0, reject = 12;

constexpr std::array<uint8_t, 364> build_dfa() {
  std::array<uint8_t, 364> t{};
  auto classes = [&](int lo, int hi, uint8_t c) {
    for (int b = lo; b <= hi; ++b) t[b] = c;
  };
  classes(0x00, 0x7F, 0), classes(0x80, 0x8F, 1), classes(0x90, 0x9F, 9);
  classes(0xA0, 0xBF, 7), classes(0xC0, 0xC1, 8), classes(0xC2, 0xDF, 2);
  classes(0xE0, 0xE0, 10), classes(0xE1, 0xEC, 3), classes(0xED, 0xED, 4);
  classes(0xEE, 0xEF, 3), classes(0xF0, 0xF0, 11), classes(0xF1, 0xF3, 6);
  classes(0xF4, 0xF4, 5), classes(0xF5, 0xFF, 8);
  for (int i = 256; i < 364; ++i) t[i] = reject;
  auto go = [&](int state, std::initializer_list<int> on, uint8_t to) {
    for (int c : on) t[256 + state + c] = to;
  };
  go(0, {0}, accept), go(0, {2}, 24), go(0, {3}, 36), go(0, {4}, 60), go(0, {5}, 96);
  go(0, {6}, 84), go(0, {10}, 48), go(0, {11}, 72);
  go(24, {1, 7, 9}, accept), go(36, {1, 7, 9}, 24), go(48, {7}, 24), go(60, {1, 9}, 24);
  go(72, {7, 9}, 36), go(84, {1, 7, 9}, 36), go(96, {1}, 36);
  return t;
}

constexpr std::array<uint8_t, 364> dfa = build_dfa();
static_assert(dfa[256 + 0 + 2] == 24 && dfa[256 + 48 + 7] == 24 && dfa[256 + 96 + 9] == reject);

bool continuation(uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

void invalid_char(uint32_t cp) { fire(Err::script_invalid_char, {make_integer(static_cast<int32_t>(cp))}); }

const uint8_t* fast_decode_utf8_char(const uint8_t* p, const uint8_t* end, int32_t& cp) {
  uint8_t b = *p++;
  uint8_t cls = dfa[b];
  uint32_t code = (0xFFu >> cls) & b;
  uint32_t state = dfa[256 + cls];
  while (state != accept) {
    if (state == reject) {
      cp = -1;
      return p;
    }
    if (p == end) {
      cp = -1;
      return end;
    }
    b = *p++;
    code = (code << 6) | (b & 0x3Fu);
    state = dfa[256 + state + dfa[b]];
  }
  cp = static_cast<int32_t>(code);
  return p;
}

int32_t count_utf8(const uint8_t* from, const uint8_t* to) {
  int32_t n = 0;
  int32_t cp;
  while (from < to) {
    from = fast_decode_utf8_char(from, to, cp);
    ++n;
  }
  return n;
}

const uint8_t* skip_utf8(const uint8_t* p, const uint8_t* end, int32_t n) {
  int32_t cp;
  while (n-- > 0 && p < end) p = fast_decode_utf8_char(p, end, cp);
  return p;
}

int utf8_lead_length(uint8_t byte) {
  if ((byte & 0xF0) == 0xF0) return 4;
  if ((byte & 0xE0) == 0xE0) return 3;
  if ((byte & 0xC0) == 0xC0) return 2;
  return 0;
}

namespace {

[[noreturn]] void invalid_utf8(const uint8_t* p, int32_t available) {
  uint8_t bytes[4];
  uint32_t n = static_cast<uint32_t>(available < 4 ? available : 4);
  std::memcpy(bytes, p, n);  // before the allocation: p may lie in a series
  NodeId node = alloc::new_bytes(4);
  SeriesBuffer* b = buffer_of(node);
  std::memcpy(b->data(), bytes, n);
  b->tail = n;
  fire(Err::access_invalid_utf8, {make_series(Type::binary, node)});
}

}  // namespace

int32_t decode_utf8_seq(const uint8_t* p, int32_t& count) {
  uint8_t b0 = p[0];
  if (b0 < 0x80) {
    count = 1;
    return b0;
  }
  int len = b0 < 0xC0 ? 0 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : b0 < 0xF8 ? 4 : 0;
  if (len == 0) invalid_utf8(p, count);
  if (count < len) return -1;
  uint32_t cp = b0 & (0x7Fu >> len);
  for (int i = 1; i < len; ++i) {
    if (!continuation(p[i])) invalid_utf8(p, count);
    cp = (cp << 6) | (p[i] & 0x3Fu);
  }
  if ((len == 3 && cp >= 0xDC00 && cp <= 0xDCFF) || cp >= 0x110000 || cp == 0xFFFE)
    invalid_utf8(p, count);
  count = len;
  return static_cast<int32_t>(cp);
}

int utf8_length(uint32_t cp) {
  if (cp < 0x80) return 1;
  if (cp < 0x800) return 2;
  if (cp < 0x10000) return 3;
  if (cp < 0x110000) return 4;
  invalid_char(cp);
}

int64_t utf8_size(const uint8_t* from, const uint8_t* to, uint32_t unit) {
  int64_t n = 0;
  for (; from < to; from += unit) {
    uint32_t cp = unit == 1 ? *from : 0;
    if (unit != 1) std::memcpy(&cp, from, unit);
    n += utf8_length(cp);
  }
  return n;
}

int encode_utf8_bounded(uint32_t cp, uint8_t* dest, int32_t room) {
  uint8_t bytes[4];
  int n = encode_utf8(cp, bytes);
  if (room < n) n = room < 0 ? 0 : room;
  std::memcpy(dest, bytes, static_cast<size_t>(n));
  return n;
}

int encode_utf16(uint32_t cp, uint16_t* dest) {
  if (cp < 0x10000) {
    dest[0] = static_cast<uint16_t>(cp);
    return 1;
  }
  if (cp >= 0x110000) return 0;
  cp -= 0x10000;
  dest[0] = static_cast<uint16_t>(0xD800 | (cp >> 10));
  dest[1] = static_cast<uint16_t>(0xDC00 | (cp & 0x3FF));
  return 2;
}

void fail_input(const char* line) {
  std::fflush(stdout);
  std::printf("%s\n", line);
  std::fflush(stdout);
  std::exit(1);
}

// The address reported is the code that met the bad unit.
void fail_unit(int code, uint32_t unit) {
  char message[48];
  std::snprintf(message, sizeof message, "invalid character unit %u", unit);
  fault::report(code, message, __builtin_return_address(0));
}

}  // namespace vyn::unicode
