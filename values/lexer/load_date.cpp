// values/lexer/load_date.cpp: date literals: day-month-year in either order with "-" or "/",
// month names, the compact, week and ordinal forms, and an optional time and zone.
#include <cstring>
#include <string>

#include "core/text/float_text.hpp"
#include "values/lexer/foreign.hpp"
#include "values/lexer/state.hpp"

namespace vyn::lexer {
namespace {

struct Failed {};  // any malformed field; turned into the date! syntax error

struct Reader {
  const uint8_t* p;
  const uint8_t* end;

  bool at_end() const { return p >= end; }
  uint8_t peek() const { return p < end ? *p : 0; }
  bool digit_next() const { return p < end && *p >= '0' && *p <= '9'; }
  // At most max digits, at least min; a failure when none or fewer.
  int32_t digits(int min, int max, int* count = nullptr) {
    int n = 0;
    int32_t value = 0;
    while (n < max && digit_next()) value = value * 10 + (*p++ - '0'), ++n;
    if (n == 0 || n < min) throw Failed{};
    if (count) *count = n;
    return value;
  }
  void expect(uint8_t c) {
    if (peek() != c) throw Failed{};
    ++p;
  }
  void more() const {
    if (at_end()) throw Failed{};
  }
  // Seconds: a run of digits and "." read as a float.
  double seconds() {
    const uint8_t* from = p;
    while (p < end && ((*p >= '0' && *p <= '9') || *p == '.')) ++p;
    if (p == from) throw Failed{};
    int unread = 0;
    double v = float_text::text_to_float(reinterpret_cast<const char*>(from),
                                         reinterpret_cast<const char*>(p), 0, unread);
    if (unread) throw Failed{};
    return v;
  }
};

bool leap_year(int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int month_length(int32_t month, int32_t year) {
  static constexpr int lengths[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && !leap_year(year)) return 28;
  return lengths[month - 1];
}

// "Z", or "+"/"-" zone hours (1 or 2 digits) and optional ":" and up to 2 digits of minutes.
void zone(Reader& r, foreign::Date& d, bool compact) {
  d.has_zone = true;
  uint8_t c = r.peek();
  if (c == 'Z') {
    ++r.p;
    return;
  }
  if (c != '+' && c != '-') throw Failed{};
  ++r.p;
  d.zone_hours = r.digits(compact ? 2 : 1, 2);
  if (c == '-') d.zone_hours = -d.zone_hours;
  if (compact) {
    d.zone_minutes = r.digits(2, 2);
    return;
  }
  if (r.at_end()) return;
  if (r.peek() == ':') ++r.p;
  if (r.digit_next()) d.zone_minutes = r.digits(1, 2);
}

// The time part after its separator: hours ":" minutes [":" seconds] [zone].
void time_part(Reader& r, foreign::Date& d) {
  int32_t h = r.digits(1, 2);
  r.expect(':');
  int32_t m = r.digits(1, 2);
  double sec = 0;
  if (!r.at_end() && r.peek() == ':') {
    ++r.p;
    sec = r.seconds();
  }
  if (!r.at_end()) zone(r, d, false);
  d.has_time = true;
  d.time = h * 3600.0 + m * 60.0 + sec;
  if (h > 23 || m > 59 || sec >= 60) throw Failed{};
}

// yyyymmddThhmm[ss][Z|+hhmm]
void compact_form(Reader& r, foreign::Date& d) {
  d.month = r.digits(2, 2);
  r.more();
  d.day = r.digits(2, 2);
  r.more();
  r.expect('T');
  int32_t h = r.digits(2, 2);
  r.more();
  int32_t m = r.digits(2, 2);
  r.more();
  double sec = 0;
  if (r.peek() != 'Z') {
    sec = r.seconds();
    if (!r.at_end()) zone(r, d, true);
  } else {
    zone(r, d, true);
  }
  d.has_time = true;
  d.time = h * 3600.0 + m * 60.0 + sec;
  if (h > 23 || m > 59 || sec >= 60) throw Failed{};
}

int32_t month_name(Reader& r, uint8_t sep) {
  const uint8_t* from = r.p;
  while (r.p < r.end && *r.p != sep) ++r.p;
  size_t n = static_cast<size_t>(r.p - from);
  if (n < 3 || n > 9) throw Failed{};
  static constexpr const char* names[12] = {"january", "february", "march",     "april",
                                            "may",     "june",     "july",      "august",
                                            "september", "october", "november", "december"};
  for (int m = 0; m < 12; ++m) {
    if (std::strlen(names[m]) < n) continue;
    size_t i = 0;
    while (i < n && (from[i] | 0x20) == names[m][i]) ++i;
    if (i == n) return m + 1;
  }
  throw Failed{};
}

// A first or third field: optional "-" and 1 to 4 digits.
int32_t year_field(Reader& r, int& count) {
  bool negative = r.peek() == '-';
  if (negative) ++r.p;
  int32_t v = r.digits(1, 4, &count);
  return negative ? -v : v;
}

void check_ranges(const foreign::Date& d) {
  if (d.month < 1 || d.month > 12 || d.year < -9999 || d.year > 9999) throw Failed{};
  if (d.day < 1 || d.day > month_length(d.month, d.year)) throw Failed{};
  if (d.zone_hours < -15 || d.zone_hours > 15) throw Failed{};
}

// The week ("yyyy-Www[-d]") and ordinal ("yyyy-ddd") forms; range checks do not apply.
bool week_or_ordinal(Reader& r, foreign::Date& d, int first_digits) {
  if (r.p + 1 < r.end && r.p[1] == 'W' && first_digits == 4) {
    r.p += 2;
    d.week = r.digits(2, 2);
    if (r.peek() == '-') {
      ++r.p;
      d.weekday = r.digits(1, 1);
      if (d.weekday < 1 || d.weekday > 7) throw Failed{};
    }
  } else {
    const uint8_t* q = r.p + 1;
    int n = 0;
    while (q + n < r.end && q[n] >= '0' && q[n] <= '9') ++n;
    if (n != 3 || (q + n < r.end && q[n] != 'T')) return false;
    ++r.p;
    d.yearday = r.digits(3, 3);
    if (d.yearday == 0) throw Failed{};
  }
  if (r.peek() == 'T') {
    ++r.p;
    time_part(r, d);
  }
  return true;
}

foreign::Date read_date(Reader& r) {
  foreign::Date d;
  int first_digits = 0;
  int32_t first = year_field(r, first_digits);
  uint8_t sep = r.peek();
  if (sep >= '0' && sep <= '9') {
    d.year = first;
    compact_form(r, d);
    check_ranges(d);
    return d;
  }
  if (sep == '-' && first >= 0) {
    d.year = first;
    if (week_or_ordinal(r, d, first_digits)) return d;
  }
  if (sep != '-' && sep != '/') throw Failed{};
  ++r.p;
  d.month = r.digit_next() ? r.digits(1, 2) : month_name(r, sep);
  r.expect(sep);
  int third_digits = 0;
  int32_t third = year_field(r, third_digits);
  bool day_first = third < 0 || third > 31 || first < 100;
  d.year = day_first ? third : first;
  d.day = day_first ? first : third;
  int year_digits = day_first ? third_digits : first_digits;
  if (d.year >= 0 && d.year <= 99 && year_digits <= 2) d.year += d.year < 50 ? 2000 : 1900;
  if (r.peek() == '/' || r.peek() == 'T') {
    ++r.p;
    time_part(r, d);
  }
  check_ranges(d);
  return d;
}

}  // namespace

void load_date(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  Reader r{start, end};
  foreign::Date d;
  try {
    d = read_date(r);
    if (!r.at_end()) throw Failed{};
  } catch (const Failed&) {
    throw_error(s, start, end, Type::date);
  }
  if (load) store(s, foreign::make_date(d));
}

}  // namespace vyn::lexer
