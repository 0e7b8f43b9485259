// values/numbers/number_text.cpp: integer and float text scanners for make and to.
#include "values/numbers/number_text.hpp"

#include <cmath>
#include <limits>

#include "core/text/float_text.hpp"
#include "values/lexer/tables.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::number_text {

int32_t scan_integer(const uint8_t* start, int32_t length, uint32_t unit, int& error) {
  int32_t i = 0;
  bool negative = false;
  if (length > 0) {
    uint32_t c = string::get_char(start, unit);
    if (c == '+' || c == '-') {
      negative = c == '-';
      i = 1;
    }
  }
  // An empty text or a lone sign has no number in it.
  if (i == length) {
    error = bad_syntax;
    return 0;
  }
  // The magnitude is gathered in 64 bits against the limit of its sign, so that -2147483648 is
  // read whatever separators surround its digits.
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t magnitude = 0;
  for (; i < length; ++i) {
    uint32_t c = string::get_char(start + static_cast<size_t>(i) * unit, unit);
    if (c == '\'') continue;
    if (c < '0' || c > '9') {
      error = bad_syntax;
      return 0;
    }
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) {
      error = too_big;
      return 0;
    }
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

namespace {

constexpr int32_t longest_float = 312;
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double scan_float(const uint8_t* start, int32_t length, uint32_t unit, int& error) {
  if (length > longest_float) {
    error = bad_syntax;
    return not_a_number;
  }
  uint8_t copy[longest_float + 4];
  for (int32_t i = 0; i < length; ++i) {
    uint32_t c = string::get_char(start + static_cast<size_t>(i) * unit, unit);
    // Only ASCII belongs to a number: a wider character cut to its low byte could pass for a
    // digit ("ı", U+0131, would read as "1").
    if (c > 0x7F) {
      error = bad_syntax;
      return not_a_number;
    }
    copy[i] = c == ',' ? '.' : static_cast<uint8_t>(c);
  }
  if (!lexer::check_dfa(copy, copy + length)) {
    error = bad_syntax;
    return not_a_number;
  }
  int32_t kept = 0;
  for (int32_t i = 0; i < length; ++i)
    if (copy[i] != '\'') copy[kept++] = copy[i];
  const char* text = reinterpret_cast<const char*>(copy);
  int unread = 0;
  double d = float_text::text_to_float(text, text + kept, 0, unread);
  error = unread;
  return d;
}

}  // namespace vyn::number_text
