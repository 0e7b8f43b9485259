// core/text/float_text.cpp: laying decimal digits out as float text, the form kinds and their flags.
#include "core/text/float_text.hpp"

#include <cmath>
#include <cstdlib>


namespace vyn::float_text {
namespace {

bool pretty_print_on = true;
bool full_support_on = false;

// d1 "." d2 ... dn "e" exponent; a single digit takes ".0" only with point_zero.
void lay_scientific(Text& t, std::string_view digits, int exponent, bool point_zero) {
  t.put(digits[0]);
  if (digits.size() > 1) {
    t.put('.');
    t.put(digits.substr(1));
  } else if (point_zero) {
    t.put(".0");
  }
  t.put('e');
  if (exponent < 0) t.put('-');
  char tmp[8];
  int n = 0;
  for (unsigned e = static_cast<unsigned>(std::abs(exponent)); e != 0 || n == 0; e /= 10) {
    tmp[n++] = static_cast<char>('0' + e % 10);
  }
  while (n > 0) t.put(tmp[--n]);
}

// The digits with the point after the first decpt of them (decpt > 0), zeros filling in when
// they are fewer; a point at the end becomes ".0" with point_zero, else goes.
void lay_positional(Text& t, std::string_view digits, int decpt, bool point_zero) {
  if (decpt <= 0) {
    t.put("0.");
    for (int i = 0; i < -decpt; ++i) t.put('0');
    t.put(digits);
    return;
  }
  int whole = static_cast<int>(digits.size());
  for (int i = 0; i < decpt; ++i) t.put(i < whole ? digits[i] : '0');
  if (whole > decpt) {
    t.put('.');
    t.put(digits.substr(decpt));
  } else if (point_zero) {
    t.put(".0");
  }
}

// A text that ends in a binary rounding artefact ("...01", "...99") when it is that long.
bool rounding_artefact(std::string_view s) {
  size_t e = s.find('e');
  std::string_view last;
  if (e == std::string_view::npos) {
    size_t first = s[0] == '-' ? 1 : 0;
    if (s.size() <= 16 || (s[first] == '0' && s.size() <= 17)) return false;
    last = s.substr(s.size() - 2);
  } else {
    if (e <= 16) return false;
    last = s.substr(e - 2, 2);
  }
  return last == "01" || last == "99";
}

int precision_of(Kind kind) {
  switch (kind) {
    case Kind::float64: return 16;
    case Kind::percent64: return 13;
    default: return 7;
  }
}

// The finished text of a kind: "%" after percentages, ".0" added to other numbers without a
// point (before the exponent), but for seconds and point coordinates.
void finish(Text& t, Kind kind) {
  if (kind == Kind::percent32 || kind == Kind::percent64) {
    t.put('%');
    return;
  }
  std::string_view s = t.view();
  if (s.find('.') != std::string_view::npos || kind == Kind::seconds || kind == Kind::point) return;
  size_t e = s.find('e');
  if (e == std::string_view::npos) {
    t.put(".0");
    return;
  }
  Text out;
  out.put(s.substr(0, e));
  out.put(".0");
  out.put(s.substr(e));
  t = out;
}

// The digits as text: those of zero, infinity or NaN as they stand, else the sign and the digits
// laid out with an exponent or without.
Text lay_out(const Digits& d, bool scientific, bool point_zero) {
  Text t;
  if (d.decpt >= decpt_zero) {
    t.put(d.text());
    return t;
  }
  if (d.negative) t.put('-');
  if (scientific) lay_scientific(t, d.text(), d.decpt - 1, point_zero);
  else lay_positional(t, d.text(), d.decpt, point_zero);
  return t;
}

}  // namespace

void Text::put(std::string_view s) {
  for (char c : s) put(c);
}

Text form_float(double x, int ndigits, bool point_zero) {
  Digits d = float_to_digits(x, ndigits, point_zero);
  return lay_out(d, d.decpt > 17 || d.decpt < -6, point_zero);
}

Text format_g(double x, int precision) {
  int p = precision < 1 ? 1 : precision > max_digits ? max_digits : precision;
  Digits d = float_to_digits(x, p, false);
  int exponent = d.decpt - 1;
  return lay_out(d, exponent < -4 || exponent >= p, false);
}

Text form(double x, Kind kind) {
  Text t;
  bool percent = kind == Kind::percent32 || kind == Kind::percent64;
  if (!std::isfinite(x)) {
    t.put(float_to_digits(x, 0, true).text());
    if (percent) t.put('%');  // "1.#INF%" reads back as a percent
    return t;
  }
  if (pretty_print_on && std::fabs(x) < 2.220446049250313e-16) {
    t.put(percent ? "0%" : kind == Kind::point ? "0" : "0.0");
    return t;
  }
  t = kind == Kind::seconds ? form_float(x, 6, false) : format_g(x, precision_of(kind));
  if (pretty_print_on && rounding_artefact(t.view())) {
    bool short_kind = kind == Kind::float32 || kind == Kind::seconds || kind == Kind::point;
    t = format_g(x, short_kind ? 5 : 14);
  }
  finish(t, kind);
  return t;
}

Text form_percent(double fraction) {
  double shown = fraction * 100.0;
  if (std::isfinite(shown) || !std::isfinite(fraction)) return form(shown, Kind::percent64);
  // past the largest double once multiplied: the fraction's digits, two places further left
  Digits d = float_to_digits(fraction, precision_of(Kind::percent64), false);
  Text t;
  if (d.negative) t.put('-');
  lay_scientific(t, d.text(), d.decpt + 1, false);
  finish(t, Kind::percent64);
  return t;
}

bool pretty_print() { return pretty_print_on; }
void set_pretty_print(bool on) { pretty_print_on = on; }
bool full_support() { return full_support_on; }
void set_full_support(bool on) { full_support_on = on; }

}  // namespace vyn::float_text
