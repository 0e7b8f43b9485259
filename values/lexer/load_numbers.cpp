// values/lexer/load_numbers.cpp: integers (decimal and hexadecimal), floats and percentages.
#include <string>

#include "core/text/float_text.hpp"
#include "values/lexer/foreign.hpp"
#include "values/lexer/state.hpp"

namespace vyn::lexer {
namespace {

// Copies the text without its "'" separators into buffer (at least as long as the text);
// answers the copy's end.
char* without_quotes(const uint8_t* start, const uint8_t* end, char* buffer) {
  char* out = buffer;
  for (const uint8_t* p = start; p < end; ++p)
    if (*p != '\'') *out++ = static_cast<char>(*p);
  return out;
}

// Float text to a double by the runtime's correctly rounded reader; the text has passed the
// float automaton, so it is at most 312 bytes. Answers false when not all of it was read.
bool read_float(const uint8_t* start, const uint8_t* end, int extra_exponent, double& value) {
  char buffer[320];
  char* text_end = without_quotes(start, end, buffer);
  int unread = 0;
  value = float_text::text_to_float(buffer, text_end, extra_exponent, unread);
  return unread == 0;
}

bool equal_folded(const uint8_t* p, const uint8_t* end, const char* text) {
  for (; *text; ++text, ++p) {
    if (p == end) return false;
    uint8_t c = *p >= 'a' && *p <= 'z' ? static_cast<uint8_t>(*p - 32) : *p;
    if (c != static_cast<uint8_t>(*text)) return false;
  }
  return p == end;
}

int hex_value(uint8_t b) {
  if (b >= '0' && b <= '9') return b - '0';
  if (b >= 'A' && b <= 'F') return b - 'A' + 10;
  if (b >= 'a' && b <= 'f') return b - 'a' + 10;
  return -1;
}

}  // namespace

bool read_integer(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, Type err,
                  int32_t& value, double& overflow) {
  const uint8_t* p = start;
  bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+')) ++p;
  if (p == end) throw_error(s, start, end, Type::pair);
  if (end - p == 1 && *p >= '0' && *p <= '9') {
    value = negative ? -(*p - '0') : *p - '0';
    return true;
  }
  int64_t n = 0;
  int digits = 0;
  bool quoted = flags & flag::quote;
  for (const uint8_t* q = p; q < end; ++q) {
    if (*q == '\'' && quoted) {
      if (q + 1 < end && q[1] == '\'') throw_error(s, start, end, Type::integer);
      continue;
    }
    if (*q < '0' || *q > '9') throw_error(s, start, end, err);
    if (++digits <= 10) n = n * 10 + (*q - '0');
  }
  if (digits <= 10 && (n <= INT32_MAX || (negative && n == int64_t{INT32_MAX} + 1))) {
    value = static_cast<int32_t>(negative ? -n : n);
    return true;
  }
  std::string text(static_cast<size_t>(end - start), '\0');
  char* text_end = without_quotes(start, end, text.data());
  int unread = 0;
  overflow = float_text::text_to_float(text.data(), text_end, 0, unread);
  return false;
}

void load_integer(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  int32_t value = 0;
  double overflow = 0;
  bool fits = read_integer(s, start, end, flags, Type::integer, value, overflow);
  if (load) store(s, fits ? make_integer(value) : make_float(overflow));
}

// Two to eight hexadecimal digits before "h": the 32-bit pattern.
void load_hex(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  const uint8_t* digits_end = end - 1;  // the "h"
  int64_t count = digits_end - start;
  bool letter_first = hex_value(*start) >= 10;
  if (count < 2 && letter_first) throw_error(s, start, end, Type::word);
  if (count < 2 || count > 8) throw_error(s, start, end, Type::integer);
  uint32_t value = 0;
  for (const uint8_t* p = start; p < digits_end; ++p) {
    int d = hex_value(*p);
    if (d < 0 || (*p >= 'a' && *p <= 'f')) throw_error(s, start, end, Type::integer);
    value = value << 4 | static_cast<uint32_t>(d);
  }
  if (load) store(s, make_integer(static_cast<int32_t>(value)));
}

void load_float(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  double value;
  if (!check_dfa(start, end) || !read_float(start, end, 0, value))
    throw_error(s, start, end, Type::float_);
  if (load) store(s, make_float(value));
}

// "1.#INF", "-1.#INF" and "1.#NaN", any letter case; false for any other text.
bool read_float_special(const uint8_t* start, const uint8_t* end, double& value) {
  const uint8_t* p = start;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (end - p < 3 || p[0] != '1' || p[1] != '.' || p[2] != '#') return false;
  if (equal_folded(p + 3, end, "NAN")) {
    value = __builtin_nan("");
    return true;
  }
  if (!equal_folded(p + 3, end, "INF")) return false;
  value = negative ? -__builtin_inf() : __builtin_inf();
  return true;
}

void load_float_special(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags,
                        bool load) {
  s.pos = end;
  double value;
  if (!read_float_special(start, end, value)) throw_error(s, start, end, Type::float_);
  if (load) store(s, make_float(value));
}

// The text before "%" is a float text read as hundredths, or a special form ("1.#INF%").
void load_percent(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end + 1;
  double value;
  bool read = flags & flag::hash ? read_float_special(start, end, value)
                                 : check_dfa(start, end) && read_float(start, end, -2, value);
  if (!read) throw_error(s, start, end + 1, Type::float_);
  if (load) store(s, foreign::make_percent(value));
}

}  // namespace vyn::lexer
