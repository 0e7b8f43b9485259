// values/lexer/load_binary.cpp: binary literals in base 2, 16 (the default) and 64.
#include "core/series.hpp"
#include "values/lexer/state.hpp"
#include "core/stack.hpp"

namespace vyn::lexer {
namespace {

int digit_value(uint8_t b, int base) {
  if (base == 2) return b == '0' ? 0 : b == '1' ? 1 : -1;
  if (base == 16) {
    if (b >= '0' && b <= '9') return b - '0';
    if (b >= 'A' && b <= 'F') return b - 'A' + 10;
    if (b >= 'a' && b <= 'f') return b - 'a' + 10;
    return -1;
  }
  if (b >= 'A' && b <= 'Z') return b - 'A';
  if (b >= 'a' && b <= 'z') return b - 'a' + 26;
  if (b >= '0' && b <= '9') return b - '0' + 52;
  if (b == '+') return 62;
  if (b == '/') return 63;
  return -1;
}

// Decodes the digits between the braces into out (nullptr: only check). Blanks and line feeds
// between digits are skipped and ";" starts a comment to the end of the line. Answers the byte
// count, or sets bad to the offending position.
uint32_t decode(const uint8_t* p, const uint8_t* end, int base, uint8_t* out, const uint8_t*& bad) {
  int bits_per_digit = base == 2 ? 1 : base == 16 ? 4 : 6;
  uint32_t acc = 0, count = 0;
  int bits = 0, padding = 0;
  const uint8_t* group = p;
  for (; p < end; ++p) {
    uint8_t b = *p;
    if (b == ' ' || b == '\t' || b == '\n' || b == '\r') continue;
    if (b == ';') {
      while (p < end && *p != '\n') ++p;
      if (p == end) break;
      continue;
    }
    if (base == 64 && b == '=') {
      ++padding;
      continue;
    }
    int d = digit_value(b, base);
    if (d < 0 || padding) {
      bad = p;
      return 0;
    }
    if (bits == 0) group = p;
    acc = acc << bits_per_digit | static_cast<uint32_t>(d);
    bits += bits_per_digit;
    if (bits >= 8) {
      bits -= 8;
      if (out) out[count] = static_cast<uint8_t>(acc >> bits);
      ++count;
      acc &= (1u << bits) - 1;
    }
  }
  // a group cut short: base 2 and 16 must end on a whole byte; base 64 may leave up to 4 bits
  if (base == 64 ? bits >= 6 || padding > 2 : bits != 0) bad = group;
  return count;
}

}  // namespace

void load_binary(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end + 1;
  int base = 0;
  const uint8_t* p = start;
  while (p < end && *p >= '0' && *p <= '9' && base < 100) base = base * 10 + (*p++ - '0');
  if (p == start) base = 16;
  if ((base != 2 && base != 16 && base != 64) || p + 2 > end || p[0] != '#' || p[1] != '{')
    throw_error(s, start, s.end, Type::binary);
  p += 2;
  const uint8_t* bad = nullptr;
  uint32_t n = decode(p, end, base, nullptr, bad);
  if (bad) throw_error(s, bad, s.end, Type::binary);
  if (!load) return;
  stack::Mark mark;
  Cell* out = stack::push_unset();
  *out = make_series(Type::binary, alloc::new_bytes(n));
  SeriesBuffer* b = buffer_of(series_node(*out));
  decode(p, end, base, b->data(), bad);
  b->tail = n;
  store(s, *out);
}

}  // namespace vyn::lexer
