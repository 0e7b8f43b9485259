// values/numbers/date_fields.cpp: the fields of a date! (read by path, pick and `now`) and the moves
// that set them.
#include <cmath>

#include "core/error.hpp"
#include "values/numbers/date.hpp"
#include "values/numbers/number.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/time.hpp"

namespace vyn::date {
namespace {

void move_to_days(Cell& c, int64_t days) {
  uint32_t p = packed(c);
  set_packed(c, from_days(days, zone_of(p), has_time(p)));
}

int32_t canonical(uint32_t sym) {
  int32_t alias = symbol::alias_of(sym);
  return alias > 0 ? alias : static_cast<int32_t>(sym);
}

double local_time(const Cell& c) { return time_of(c) + zone_seconds(zone_of(packed(c))); }

}  // namespace

void set_week(Cell& c, int32_t n) {
  move_to_days(c, week1_start_days(packed(c), nullptr) + (static_cast<int64_t>(n) - 1) * 7);
}

void set_isoweek_day(Cell& c, int32_t n) {
  int64_t d = to_days(packed(c));
  move_to_days(c, d + n - weekday_of_days(d));
}

void set_yearday(Cell& c, int32_t n) { move_to_days(c, year_start_days(packed(c)) + n - 1); }

void set_month(Cell& c, int32_t n) {
  int64_t carry = (static_cast<int64_t>(n) - 1) / 12;
  if (carry < 0 || n < 1) --carry;
  int32_t month = n % 12;
  if (month < 1) month += 12;
  uint32_t p = packed(c);
  int64_t year = year_of(p) + carry;
  if (year < min_year || year > max_year) fire(Err::script_type_limit, {make_datatype(Type::date)});
  uint32_t moved = pack(static_cast<int32_t>(year), month, day_of(p), zone_of(p), has_time(p));
  move_to_days(c, to_days(moved));
}

void set_zone(Cell& c, const Cell& v, bool keep_instant) {
  int32_t hours, minutes = 0;
  if (v.is(Type::integer)) {
    hours = v.int_value() % 16;
  } else if (v.is(Type::time) && std::isfinite(v.float_value())) {
    double t = std::fmod(v.float_value(), 57600.0);
    hours = static_cast<int32_t>(std::trunc(t / 3600.0));
    minutes = time_::minute_of(std::fabs(t));
  } else {
    fire(Err::script_invalid_arg, {v});
  }
  uint32_t zone = zone_byte(hours, minutes);
  uint32_t p = packed(c);
  double t = time_of(c);
  if (!keep_instant) {
    double local = t + zone_seconds(zone_of(p));
    set_packed(c, (p & ~zone_mask) | zone);
    set_time(c, local - zone_seconds(zone));
    return;
  }
  set_packed(c, (p & ~zone_mask) | zone);
  normalize(c, t + zone_seconds(zone), true);
}

int32_t field_index(const Cell& word) {
  using predefined::S;
  static constexpr S fields[] = {S::date, S::year, S::month, S::day, S::zone, S::time, S::hour,
                                 S::minute, S::second, S::weekday, S::yearday, S::timezone,
                                 S::week, S::isoweek};
  int32_t w = canonical(word::symbol(word));
  for (int32_t i = 0; i < 14; ++i)
    if (w == canonical(predefined::symbol(fields[i]))) return i + 1;
  if (w == canonical(predefined::symbol(S::julian))) return 11;
  return -1;
}

Cell get_field(const Cell& c, int32_t field) {
  uint32_t p = packed(c);
  switch (field) {
    case 1: return make(p & ~(time_flag | zone_mask), 0.0);
    case 2: return make_integer(year_of(p));
    case 3: return make_integer(month_of(p));
    case 4: return make_integer(day_of(p));
    case 5:
    case 12: return has_time(p) ? time_::make(zone_seconds(zone_of(p))) : make_none();
    case 6: return has_time(p) ? time_::make(local_time(c)) : make_none();
    case 7: return make_integer(time_::hour_of(local_time(c)));
    case 8: return make_integer(time_::minute_of(local_time(c)));
    case 9: return make_float(std::fmod(local_time(c), 60.0));
    case 10: return make_integer(weekday_of_days(to_days(p)));
    case 11: return make_integer(yearday(p));
    case 13: return make_integer(week(p));
    default: return make_integer(isoweek(p));
  }
}

}  // namespace vyn::date
