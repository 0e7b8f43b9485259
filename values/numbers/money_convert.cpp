// values/numbers/money_convert.cpp: money! to and from integers, floats and digit text, and the
// text form and mold write.
#include <cmath>
#include <string>

#include "core/error.hpp"
#include "core/text/float_text.hpp"
#include "values/numbers/money.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::money {
namespace {

constexpr int max_text = 64;  // longer text cannot be a money amount

[[noreturn]] void bad_float(double x) {
  fire(Err::script_bad_make_arg, {make_datatype(Type::money), make_float(x)});
}

bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }

// The integral digits read backward from stop to digits, "'" skipped; false past 17 digits.
bool put_integral(Amount& a, const uint8_t* digits, const uint8_t* stop) {
  int at = units;
  for (const uint8_t* p = stop; p > digits;) {
    uint8_t c = *--p;
    if (c == '\'') continue;
    if (!is_digit(c)) return false;
    if (at < 0) {
      if (c != '0') return false;
      continue;
    }
    a.d[at--] = static_cast<uint8_t>(c - '0');
  }
  return true;
}

}  // namespace

Cell from_integer(int32_t v) {
  Amount a;
  a.negative = v < 0;
  // the magnitude as unsigned, so -2147483648 needs no case of its own
  uint32_t m = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
  for (int i = units; m != 0; --i, m /= 10) a.d[i] = static_cast<uint8_t>(m % 10);
  return pack(a);
}

Cell from_float(double x, bool strict) {
  if (!std::isfinite(x) || float_underflow_q(x) || float_overflow_q(x)) bad_float(x);
  Amount a;
  if (x == 0.0) return pack(a);
  a.negative = x < 0;
  float_text::Digits d = float_text::float_to_digits(std::fabs(x), 0, false);
  std::string_view text = d.text();
  for (size_t i = 0; i < text.size(); ++i) {
    int exponent = d.decpt - 1 - static_cast<int>(i);  // the power of ten of this digit
    if (exponent < -fraction_digits) {
      if (strict) bad_float(x);
      break;  // further decimals are dropped
    }
    a.d[units - exponent] = static_cast<uint8_t>(text[i] - '0');
  }
  a.negative = a.negative && !amount_zero(a);
  return pack(a);
}

int32_t to_integer(const Cell& c) {
  Amount a = unpack(c);
  int64_t whole = 0;
  for (int i = 0; i <= units; ++i) {
    whole = whole * 10 + a.d[i];
    if (whole > 2147483648LL) break;
  }
  int64_t top = a.negative ? 2147483648LL : 2147483647LL;
  if (whole > top) fire(Err::script_type_limit, {make_datatype(Type::integer)});
  return static_cast<int32_t>(a.negative ? -whole : whole);
}

double to_float(const Cell& c) {
  if (zero_q(c)) return 0.0;
  std::string text = serialize(c, true, false);
  size_t dollar = text.find('$');
  std::string_view digits(text.data() + dollar + 1, text.size() - dollar - 1);
  int unread = 0;
  double d = float_text::text_to_float(digits, unread);
  if (unread) fire(Err::script_bad_make_arg, {make_datatype(Type::money), c});
  return negative_q(c) ? -d : d;
}

bool make_at(Cell* out, bool negative, const uint8_t* currency, const uint8_t* digits,
             const uint8_t* point, const uint8_t* end) {
  Amount a;
  if (!put_integral(a, digits, point ? point : end)) return false;
  if (point) {
    int at = units + 1;
    for (const uint8_t* p = point + 1; p < end && at < digit_count; ++p) {
      if (!is_digit(*p)) return false;
      a.d[at++] = static_cast<uint8_t>(*p - '0');
    }
  }
  a.negative = negative && !amount_zero(a);
  // last: finding the currency may intern its word, which may move the text
  if (currency) {
    uint8_t code[3] = {currency[0], currency[1], currency[2]};
    a.currency = find_currency_text(code);
    if (a.currency < 0) return false;
  }
  *out = pack(a);
  return true;
}

namespace {

// [sign] [three letters "$" | "$"] amount, the amount digits with one "." and "'" separators.
bool scan_bytes(const uint8_t* s, int32_t n, Cell* out) {
  const uint8_t* p = s;
  const uint8_t* end = s + n;
  if (p == end) return false;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  const uint8_t* currency = nullptr;
  if (p < end && std::isalpha(*p)) {
    if (end - p < 5 || !std::isalpha(p[1]) || !std::isalpha(p[2]) || p[3] != '$') return false;
    currency = p;
    p += 3;
  }
  if (p < end && *p == '$') {
    if (++p == end) return false;
  }
  const uint8_t* digits = p;
  const uint8_t* point = nullptr;
  if (p == end) return false;
  for (; p < end; ++p) {
    if (*p == '\'') {
      if (p == digits || p[-1] == '\'' || p + 1 == end || point) return false;
    } else if (*p == '.') {
      if (p == digits || p[-1] == '\'' || p + 1 == end || point) return false;
      point = p;
    } else if (!is_digit(*p)) {
      return false;
    }
  }
  return make_at(out, negative, currency, digits, point, end);
}

}  // namespace

bool scan(const uint8_t* start, int32_t length, uint32_t unit, Cell* out) {
  if (length > max_text) return false;
  uint8_t bytes[max_text];
  for (int32_t i = 0; i < length; ++i) {
    uint32_t ch = string::get_char(start + static_cast<size_t>(i) * unit, unit);
    if (ch > 0x7F) return false;
    bytes[i] = static_cast<uint8_t>(ch);
  }
  return scan_bytes(bytes, length, out);
}

// The text of a money! value, as form and mold write it.
namespace {

// system/options/money-digits when it is an integer!, else 2.
int shown_decimals() {
  Cell system = *word::value_cell(predefined::word(predefined::W::system));
  if (!system.is(Type::object)) return 2;
  Cell* options = context::value_cell_of(object::context(system), predefined::symbol(predefined::S::options));
  if (!options || !options->is(Type::object)) return 2;
  Cell* digits = context::value_cell_of(object::context(*options), predefined::symbol(predefined::S::money_digits));
  return digits && digits->is(Type::integer) ? digits->int_value() : 2;
}

}  // namespace

std::string serialize(const Cell& c, bool all_decimals, bool grouping) {
  Amount a = unpack(c);
  std::string out;
  if (sign_q(c) < 0) out += '-';
  Cell code = currency_word(a.currency);
  if (!code.is(Type::none_)) out += symbol::spelling(word::symbol(code));
  out += '$';
  int first = 0;
  while (first < units && a.d[first] == 0) ++first;
  for (int i = first; i <= units; ++i) {
    out += static_cast<char>('0' + a.d[i]);
    if (grouping && i < units && (units - i) % 3 == 0) out += '\'';
  }
  int decimals = shown_decimals();
  if (all_decimals || decimals >= 6) decimals = fraction_digits;
  if (decimals > 0) {
    out += '.';
    for (int i = 0; i < decimals; ++i) out += static_cast<char>('0' + a.d[units + 1 + i]);
  }
  return out;
}

}  // namespace vyn::money
