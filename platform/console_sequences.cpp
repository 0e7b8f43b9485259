// platform/console_sequences.cpp: the console's escape-sequence grammar and attribute arithmetic.
// Sequences are ESC "[" then up to two numbers and a final character; the numbers are taken two
// at a time, so "1;33;44m" applies 1 and 33 at the second ";" and 44 with the "m".
#include "platform/console_sequences.hpp"

#include <cstring>

namespace vyn::console_seq {
namespace {

constexpr uint32_t esc = 27;

// Colour numbers 0-7 in the order red, green, yellow, blue, magenta, cyan, white as the attribute
// word's bits say them (blue 1, green 2, red 4).
constexpr uint16_t colour_bits[8] = {0, 4, 2, 6, 1, 5, 3, 7};

Attribute inverse(Attribute a) {
  a.word = static_cast<uint16_t>(((a.word & 0xF0) >> 4) | ((a.word & 0x0F) << 4));
  bool fg = a.default_fg;
  a.default_fg = a.default_bg;
  a.default_bg = fg;
  a.reversed = !a.reversed;
  return a;
}

bool digit_q(uint32_t c) { return c >= '0' && c <= '9'; }

uint32_t accumulate(uint32_t p, uint32_t c) { return (p * 10 + (c - '0')) % 65535; }

// ESC [ ? then digits (or ";") and a final character from "@" to "~": a private mode the terminal
// understands itself. Answers its length from `at` (the ESC), 0 when it is not one, and the rest
// of the text when it is cut short.
size_t private_mode_length(const uint8_t* text, size_t count, uint32_t unit, size_t at) {
  size_t i = at + 3;
  while (i < count && (digit_q(unit_at(text, unit, i)) || unit_at(text, unit, i) == ';')) ++i;
  if (i == at + 3) return 0;
  if (i == count) return count - at;
  uint32_t c = unit_at(text, unit, i);
  return c >= '@' && c <= '~' ? i + 1 - at : 0;
}

enum class State { start, first, between, second };

// What the final character of a sequence does, by the state it ends in.
Parsed finish(State s, uint32_t c, Parsed p, Attribute working) {
  if (s == State::start) {
    if (c == 's') p.op = Op::save;
    else if (c == 'u') p.op = Op::restore;
    else if (c == 'K') p.op = Op::erase, p.erase = Erase::to_line_end;
    else if (c == 'J') p.op = Op::erase, p.erase = Erase::below;
    else if (c == 'H' || c == 'f') p.op = Op::position, p.p1 = p.p2 = 0;
    else if (c == '?') p.op = Op::dump;
    return p;
  }
  if (s == State::first) {
    if (c == 'm') p.op = Op::attribute, p.attribute = sgr(working, p.p1);
    else if (c == 'A') p.op = Op::up;
    else if (c == 'B') p.op = Op::down;
    else if (c == 'C') p.op = Op::right;
    else if (c == 'D') p.op = Op::left;
    else if (c == 'J' && p.p1 == 1) p.op = Op::erase, p.erase = Erase::rows_above;
    else if (c == 'J' && p.p1 == 2) p.op = Op::erase, p.erase = Erase::all;
    else if (c == 'K' && p.p1 == 1) p.op = Op::erase, p.erase = Erase::line_start;
    else if (c == 'K' && p.p1 == 2) p.op = Op::erase, p.erase = Erase::line;
    return p;
  }
  if (s == State::second) {
    if (c == 'm') p.op = Op::attribute, p.attribute = sgr(sgr(working, p.p1), p.p2);
    else if (c == 'H' || c == 'f') p.op = Op::position;
  }
  return p;
}

}  // namespace

uint32_t unit_at(const uint8_t* text, uint32_t unit, size_t i) {
  if (unit == 1) return text[i];
  if (unit == 2) {
    uint16_t v;
    std::memcpy(&v, text + i * 2, 2);
    return v;
  }
  uint32_t v;
  std::memcpy(&v, text + i * 4, 4);
  return v;
}

Attribute sgr(Attribute a, uint32_t code) {
  if (code == 0) return default_attribute;
  if (code == 1) a.word |= 0x08;
  else if (code == 4) a.word |= 0x8000;
  else if (code == 7) a = inverse(a);
  else if (code >= 30 && code <= 37) {
    a.word = static_cast<uint16_t>((a.word & 0xF8) | colour_bits[code - 30]);
    a.default_fg = false;
  } else if (code == 39) {
    a.word = static_cast<uint16_t>((a.word & ~0x07) | (default_attribute.word & 0x07));
    a.default_fg = true;
  } else if (code >= 40 && code <= 47) {
    a.word = static_cast<uint16_t>((a.word & 0x8F) | (colour_bits[code - 40] << 4));
    a.default_bg = false;
  } else if (code == 49) {
    a.word = static_cast<uint16_t>((a.word & ~0x70) | (default_attribute.word & 0x70));
    a.default_bg = true;
  }
  return a;
}

Parsed parse(const uint8_t* text, size_t count, uint32_t unit, size_t at, Attribute current) {
  Parsed p;
  if (at + 1 >= count || unit_at(text, unit, at + 1) != '[') return p;
  if (at + 2 < count && unit_at(text, unit, at + 2) == '?') {
    if (size_t n = private_mode_length(text, count, unit, at)) {
      p.used = n;
      uint32_t last = unit_at(text, unit, at + n - 1);
      p.op = last >= '@' && last <= '~' ? Op::private_mode : Op::none;  // else cut short
      return p;
    }
  }
  Attribute working = current;
  State s = State::start;
  for (size_t i = at + 2; i < count; ++i) {
    uint32_t c = unit_at(text, unit, i);
    p.used = i + 1 - at;
    if (c == ';' && s != State::first && s != State::second) continue;
    if (c == ';' && s == State::first) {
      s = State::between;
      continue;
    }
    if (c == ';') {  // second: the pair applies now, the console sees it with the final "m"
      working = sgr(sgr(working, p.p1), p.p2);
      p.p1 = p.p2 = 0;
      s = State::start;
      continue;
    }
    if (digit_q(c) && (s == State::start || s == State::first)) {
      p.p1 = s == State::start ? c - '0' : accumulate(p.p1, c);
      s = State::first;
      continue;
    }
    if (digit_q(c)) {
      p.p2 = s == State::between ? c - '0' : accumulate(p.p2, c);
      s = State::second;
      continue;
    }
    return finish(s, c, p, working);
  }
  p.used = count - at;  // cut short: dropped
  p.op = Op::none;
  return p;
}

}  // namespace vyn::console_seq
