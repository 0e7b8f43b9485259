// values/numbers/date.cpp: the calendar of date!: packing, day numbers, zones and normalising.
#include "values/numbers/date.hpp"

#include <cmath>

#include "core/error.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/time.hpp"

namespace vyn::date {
namespace {

// Division and remainder rounding toward minus infinity, so that years before 0 keep the
// same calendar as the years after it (year 0 and year -4 are leap years).
int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t floor_mod(int64_t a, int64_t b) { return a - floor_div(a, b) * b; }

int64_t days_before_march(int64_t y) {
  return 365 * y + floor_div(y, 4) - floor_div(y, 100) + floor_div(y, 400);
}

[[noreturn]] void too_far() { fire(Err::script_type_limit, {make_datatype(Type::date)}); }

}  // namespace

uint32_t pack(int32_t year, int32_t month, int32_t day, uint32_t zone, bool time) {
  if (year < min_year || year > max_year) too_far();
  return static_cast<uint32_t>(year) << 17 | (time ? time_flag : 0) |
         static_cast<uint32_t>(month & 15) << 12 | static_cast<uint32_t>(day & 31) << 7 |
         (zone & zone_mask);
}

uint32_t zone_byte(int32_t hours, int32_t minutes) {
  uint32_t h = static_cast<uint32_t>(hours < 0 ? -hours : hours) & 15;
  uint32_t byte = h << 2 | (static_cast<uint32_t>(minutes / 15) & 3);
  return hours < 0 ? byte | 0x40 : byte;
}

int32_t zone_seconds(uint32_t zone) {
  int32_t s = static_cast<int32_t>((zone >> 2) & 15) * 3600 + static_cast<int32_t>(zone & 3) * 900;
  return zone & 0x40 ? -s : s;
}

bool leap_year_q(int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int32_t month_length(int32_t year, int32_t month) {
  static constexpr int32_t lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap_year_q(year) ? 29 : lengths[(month - 1) % 12];
}

int64_t to_days(uint32_t p) {
  int64_t m = (month_of(p) + 9) % 12;
  int64_t y = year_of(p) - m / 10;
  return days_before_march(y) + (306 * m + 5) / 10 + (day_of(p) - 1);
}

uint32_t from_days(int64_t days, uint32_t zone, bool time) {
  // beyond the year field either way: no date can hold it
  if (days < -16384LL * 366 || days > 16384LL * 366) too_far();
  int64_t y = static_cast<int64_t>(std::floor((10000.0 * days + 14780.0) / 3652425.0));
  int64_t ddd = days - days_before_march(y);
  if (ddd < 0) {
    --y;
    ddd = days - days_before_march(y);
  }
  int64_t mi = (100 * ddd + 52) / 3060;
  int32_t month = static_cast<int32_t>((mi + 2) % 12 + 1);
  int32_t year = static_cast<int32_t>(y + (mi + 2) / 12);
  int32_t day = static_cast<int32_t>(ddd - (306 * mi + 5) / 10 + 1);
  return pack(year, month, day, zone, time);
}

int32_t weekday_of_days(int64_t days) { return static_cast<int32_t>(floor_mod(days + 2, 7)) + 1; }

int64_t year_start_days(uint32_t p) { return to_days(pack(year_of(p), 1, 1, 0, false)); }
int32_t yearday(uint32_t p) { return static_cast<int32_t>(to_days(p) - year_start_days(p) + 1); }

int64_t week1_start_days(uint32_t p, int32_t* jan1) {
  int64_t start = year_start_days(p);
  int32_t w = weekday_of_days(start);
  if (jan1) *jan1 = w;
  return w < 5 ? start + 1 - w : start + 8 - w;
}

int32_t isoweek(uint32_t p) {
  int64_t d = to_days(p);
  int32_t w = 0;
  int64_t s = week1_start_days(p, &w);
  if (d >= s) {
    int32_t year = year_of(p);
    if (year < max_year && d >= week1_start_days(pack(year + 1, 1, 1, 0, false), nullptr)) return 1;
    return static_cast<int32_t>((d - s) / 7 + 1);
  }
  if (w == 5) return 53;
  if (w == 6) return leap_year_q(year_of(p) - 1) ? 53 : 52;
  return w == 7 ? 52 : 1;
}

int32_t week(uint32_t p) {
  int64_t e = floor_mod(year_start_days(p) + 3, 7);
  int32_t d = yearday(p);
  return d <= 7 - e ? 1 : static_cast<int32_t>((d + e - 1) / 7 + 1);
}

int64_t normalize_time(int64_t days, double& t, uint32_t zone) {
  double z = zone_seconds(zone) / 3600.0;
  double hours = std::trunc(z + t / 3600.0);
  // a time of more days than any date spans (or NaN) names no date
  if (!(std::fabs(hours) < 24.0 * 16384 * 400)) too_far();
  int64_t c = static_cast<int64_t>(hours) / 24;
  days += c;
  t -= 3600.0 * (24.0 * static_cast<double>(c));
  if (t + 3600.0 * z < 0.0) {
    --days;
    t += day_seconds;
  }
  return days;
}

void set_time(Cell& c, double t) { float_::set(c, t); }

Cell make(uint32_t packed, double t) {
  Cell c = make_cell(Type::date, packed);
  set_time(c, t);
  return c;
}

void normalize(Cell& c, double t, bool to_utc) {
  uint32_t p = packed(c);
  uint32_t zone = time_zone_of(p);
  if (to_utc) t -= zone_seconds(zone);
  int64_t days = normalize_time(to_days(p), t, zone);
  set_packed(c, from_days(days, zone_of(p), has_time(p)));
  set_time(c, t);
}

Cell* make_at(Cell* cell, int32_t year, int32_t month, int32_t day, double t, int32_t zone_hours,
              int32_t zone_minutes, bool time) {
  uint32_t zone = time ? zone_byte(zone_hours, zone_minutes) : 0;
  *cell = make(pack(year, month, day, zone, time), time ? t - zone_seconds(zone) : 0.0);
  return cell;
}

Cell* make_at_hms(Cell* cell, int32_t year, int32_t month, int32_t day, int32_t hours,
                  int32_t minutes, int32_t seconds, int32_t nanoseconds) {
  double t = hours * 3600.0 + minutes * 60.0 + seconds + nanoseconds * 1e-9;
  *cell = make(pack(year, month, day, 0, true), t);
  return cell;
}

Cell from_epoch(int64_t seconds) {
  Cell c = make(from_days(epoch_days + floor_div(seconds, 86400), 0, true),
                static_cast<double>(floor_mod(seconds, 86400)));
  return c;
}

int32_t to_epoch(const Cell& c) {
  double s = static_cast<double>(to_days(packed(c)) - epoch_days) * day_seconds +
             std::trunc(time_of(c) + 0.5);
  return integer::from_double_checked(s);
}

void difference(Cell* a, const Cell* b) {
  double days = static_cast<double>(to_days(packed(*a)) - to_days(packed(*b)));
  *a = time_::make((time_of(*a) - time_of(*b)) + day_seconds * days);
}

}  // namespace vyn::date
