// values/lexer/tables.hpp: the lexer's byte classes and state machine, as compile-time tables.
//
// Every input byte has a class (0 to 39) and flag bits; the scanner moves from state to state by
// (state, class) and ORs the flags of a token's bytes into one word its loader reads. States 0 to
// 64 scan; 66 to 101 are final, one per token kind (final state - 66). Column 39 is also the end
// of the input: a state's entry there says how a token cut off by the end finishes.
#pragma once

#include <array>
#include <cstdint>

#include "core/cell.hpp"

namespace vyn::lexer {

// ---- token flag bits (the OR of the flags of a token's bytes)
namespace flag {
inline constexpr uint32_t greater = 0x80000;      // ">"
inline constexpr uint32_t percent = 0x40000;      // "%"
inline constexpr uint32_t less = 0x100000;        // "<"
inline constexpr uint32_t sign = 0x200000;        // "+" or "-"
inline constexpr uint32_t nul = 0x400000;         // NUL
inline constexpr uint32_t hash = 0x800000;        // "#"
inline constexpr uint32_t exp = 0x1000000;        // "e" or "E"
inline constexpr uint32_t quote = 0x2000000;      // "'"
inline constexpr uint32_t colon = 0x4000000;      // ":"
inline constexpr uint32_t comma = 0x8000000;      // ","
inline constexpr uint32_t dot = 0x10000000;       // "."
inline constexpr uint32_t caret = 0x20000000;     // "^"
inline constexpr uint32_t utf8_2_3 = 0x40000000;  // lead byte of a 2- or 3-byte sequence
inline constexpr uint32_t utf8_4 = 0x80000000;    // lead byte of a 4-byte sequence
inline constexpr uint32_t non_ascii = utf8_2_3 | utf8_4;
}  // namespace flag

// ---- byte classes
namespace cls {
inline constexpr uint8_t blank = 0, line_feed = 1, digit = 2, zero = 3, block_open = 4,
                         block_close = 5, paren_open = 6, paren_close = 7, brace_open = 8,
                         brace_close = 9, dquote = 10, hash = 11, quote = 12, colon = 13, x = 14,
                         t = 15, h = 16, e_lower = 17, e_upper = 18, hex_lower = 19,
                         hex_upper = 20, slash = 21, backslash = 22, less = 23, greater = 24,
                         equal = 25, percent = 26, comma = 27, semicolon = 28, at = 29, dot = 30,
                         dollar = 31, plus = 32, minus = 33, caret = 34, control = 35,
                         continuation = 36, other = 37, never = 38, end = 39;
inline constexpr int count = 40;
}  // namespace cls

namespace detail {
constexpr std::array<uint32_t, 256> make_classes() {
  std::array<uint32_t, 256> t{};
  auto set = [&](int b, uint32_t c, uint32_t f = 0) { t[b] = c | f; };
  for (int b = 0x21; b < 0x7F; ++b) set(b, cls::other);
  for (int b = 1; b < 0x20; ++b) set(b, cls::control);
  set(0, cls::end, flag::nul);
  set('\t', cls::blank), set('\r', cls::blank), set(' ', cls::blank), set('\n', cls::line_feed);
  for (int b = '1'; b <= '9'; ++b) set(b, cls::digit);
  set('0', cls::zero), set('[', cls::block_open), set(']', cls::block_close);
  set('(', cls::paren_open), set(')', cls::paren_close), set('{', cls::brace_open);
  set('}', cls::brace_close), set('"', cls::dquote), set('#', cls::hash, flag::hash);
  set('\'', cls::quote, flag::quote), set(':', cls::colon, flag::colon);
  set('x', cls::x), set('X', cls::x), set('T', cls::t), set('h', cls::h);
  set('e', cls::e_lower, flag::exp), set('E', cls::e_upper, flag::exp);
  for (int b : {'a', 'b', 'c', 'd', 'f'}) set(b, cls::hex_lower);
  for (int b : {'A', 'B', 'C', 'D', 'F'}) set(b, cls::hex_upper);
  set('/', cls::slash), set('\\', cls::backslash), set('<', cls::less, flag::less);
  set('>', cls::greater, flag::greater), set('=', cls::equal), set('%', cls::percent, flag::percent);
  set(',', cls::comma, flag::comma), set(';', cls::semicolon), set('@', cls::at);
  set('.', cls::dot, flag::dot), set('$', cls::dollar), set('+', cls::plus, flag::sign);
  set('-', cls::minus, flag::sign), set('^', cls::caret, flag::caret);
  for (int b = 0x7F; b <= 0xBF; ++b) set(b, cls::continuation);
  for (int b = 0xC2; b <= 0xEF; ++b) set(b, cls::other, flag::utf8_2_3);
  for (int b = 0xF0; b <= 0xF7; ++b) set(b, cls::other, flag::utf8_4);
  for (int b : {0xC0, 0xC1}) set(b, cls::never);
  for (int b = 0xF8; b <= 0xFF; ++b) set(b, cls::never);
  return t;
}
}  // namespace detail

// Low byte: the class; upper bits: the flags.
inline constexpr std::array<uint32_t, 256> classes = detail::make_classes();
inline constexpr uint8_t class_of(uint8_t b) { return static_cast<uint8_t>(classes[b]); }
inline constexpr uint32_t flags_of(uint8_t b) { return classes[b] & 0xFFFFFF00u; }

// ---- states
inline constexpr int state_count = 65;   // scanning states 0..64
inline constexpr uint8_t first_final = 66;
inline constexpr uint8_t final_invalid = 67;
inline constexpr uint8_t last_final = 101;

// Start states a handler may set for the next token.
inline constexpr uint8_t start_normal = 0, start_brace = 4, start_point = 35, start_path = 59;

// Token kinds: final state - 66.
enum class Kind : uint8_t {
  eof, invalid, block_open, block_close, paren_open, paren_close, brace_open, brace_close,
  map_open, path_open, construct, comment, comma, string, word, issue, integer, refinement, char_,
  file, binary, percent, float_, float_special, tuple, date, pair, point, time, money, tag, url,
  email, hex, raw_string, ref,
};
inline constexpr int kind_count = 36;

const std::array<std::array<uint8_t, cls::count>, state_count>& transitions();

// Whether a handler for the kind acts on structure only (no value of its own).
inline constexpr bool structural(Kind k) { return k <= Kind::comma; }

// The datatype a state stands for, used as the token type of events and errors (nothing for the
// structural final states and the states without a type).
Type state_type(uint8_t state);

// The small automaton that checks float, percent and point-coordinate texts (at most 312 bytes).
bool check_dfa(const uint8_t* start, const uint8_t* end);

}  // namespace vyn::lexer
