// core/text/float_text.hpp: doubles to decimal text and decimal text to doubles, correctly rounded.
//
// Both directions work on plain byte buffers and never allocate: results come back by value in
// small fixed buffers, so the lexer, form and mold can call them on their hot paths. Digits are
// exact: the shortest digit string that reads back to the same double (the closest one when there
// are several), or the correctly rounded first n significant digits; reading rounds half to even.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/cell.hpp"

namespace vyn::float_text {

// decpt codes for the values that have no digits.
inline constexpr int decpt_special = 9999;  // infinity or NaN
inline constexpr int decpt_zero = 9998;
inline constexpr int max_digits = 24;       // larger digit requests are cut to this

// The digits of a double: the value is 0.d1 d2 ... dn times 10^decpt, no trailing zeros. The
// byte before the first digit holds "-", so with_sign() steps back onto it. For infinity, NaN
// and zero the text is the whole special text, sign included: "1.#INF", "-1.#INF", "1.#NaN",
// "0.0", "-0.0", "0", "-0".
struct Digits {
  char buffer[32];
  uint8_t start;   // index of the first character of the text
  uint8_t length;
  int decpt;
  bool negative;  // the sign bit: also set for -0.0 and a negative NaN

  std::string_view text() const { return {buffer + start, length}; }
  std::string_view with_sign() const {
    bool room = negative && decpt < decpt_zero;
    return {buffer + start - room, static_cast<size_t>(length + room)};
  }
};

// ndigits <= 0 asks for the shortest digits that read back as exactly x; ndigits > 0 for the
// correctly rounded first ndigits significant digits (ties to even). zero_with_point picks "0.0"
// over "0" for zeros.
Digits float_to_digits(double x, int ndigits, bool zero_with_point);

// A short text held by value.
struct Text {
  char data[48];
  uint8_t size = 0;

  std::string_view view() const { return {data, size}; }
  void put(char c) {
    if (size < sizeof data) data[size++] = c;
  }
  void put(std::string_view s);
};

// The float syntax of the language: scientific form ("1.5e-8", "1.0e100") when the decimal
// point would stand more than 17 places right or 6 places left of the first digit, positional
// form otherwise ("0.0000001", "10000000000000000.0"); with point_zero a value without
// fraction digits ends in ".0", else in its last digit. Infinity, NaN and zeros as in Digits.
Text form_float(double x, int ndigits, bool point_zero);
// The molded text of a float!: shortest round-trip digits, ".0" on integral values.
inline Text mold(double x) { return form_float(x, 0, true); }

// The text of C's "%.<precision>g" with the exponent written without "+" and leading zeros
// ("1e16", "1.5e-7"), independent of the locale.
Text format_g(double x, int precision);

// What form prints a number as: the kind says which datatype the double stands for.
enum class Kind : uint8_t {
  float32 = 0,    // a 32-bit vector element
  float64 = 1,    // a float!
  percent32 = 2,  // a 32-bit percentage, already multiplied by 100
  percent64 = 3,  // a percent! or 64-bit percentage, already multiplied by 100
  seconds = 4,    // the seconds of a time!
  point = 5,      // a point coordinate (32-bit)
};
// The formed text: 7 significant digits for the 32-bit kinds, 13 for 64-bit percentages, 16 for
// float!, 6 for seconds; while pretty printing, tiny magnitudes print as zero and a text whose
// last digits show a binary rounding artefact ("...01", "...99") is printed again shorter.
Text form(double x, Kind kind);
// The text of a percent! holding fraction: form(fraction * 100, percent64), also when that
// product is past the largest double ("1.797693134862e310%").
Text form_percent(double fraction);

// Runtime flags: float/pretty-print? (on at start), and float/full-support? (off at start; kept
// for the options object, nothing reads it yet).
bool pretty_print();
void set_pretty_print(bool on);
bool full_support();
void set_full_support(bool on);

// Reads decimal text from start to end: optional sign, digits, optional "." and digits, optional
// exponent ("e" or "E", optional sign, digits), or the special forms "1.#INF", "-1.#INF",
// "1.#NaN" (any letter case). extra_exponent is added to the decimal exponent (-2 reads a
// percentage). unread receives the number of characters after the place where reading stopped
// (0 when all of it was read). Out of range gives infinity with the sign, or zero; exponents of
// any length saturate. Text without a significant digit gives zero with the sign ("-0.0" is
// -0.0), except that text made only of a sign and zeros gives 0.0 ("-0").
double text_to_float(const char* start, const char* end, int extra_exponent, int& unread);
inline double text_to_float(std::string_view text, int& unread) {
  return text_to_float(text.data(), text.data() + text.size(), 0, unread);
}

}  // namespace vyn::float_text
