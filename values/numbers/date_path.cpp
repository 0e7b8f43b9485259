// values/numbers/date_path.cpp: date! fields by path and pick, and writing them through set-paths.
#include <cmath>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/numbers/date.hpp"
#include "values/numbers/number.hpp"
#include "values/series/path.hpp"
#include "values/numbers/time.hpp"

namespace vyn::date {
namespace {

int32_t need_integer(const Cell& v) {
  if (!v.is(Type::integer)) fire(Err::script_invalid_arg, {v});
  return v.int_value();
}

// The local time with one of its fields (1 hour, 2 minute, 3 second) replaced, read by the rules
// of time! paths. The fields are those of the local clock, so a zone with quarter hours keeps
// the minutes written.
double with_clock_field(double t, int32_t field, const Cell& v) {
  bool whole = v.is(Type::integer);
  if (!whole && !(field == 3 && v.is(Type::float_))) fire(Err::script_invalid_arg, {v});
  double n = whole ? v.int_value() : v.float_value();
  switch (field) {
    case 1: return t - (std::floor(t / 3600.0) - n) * 3600.0;
    case 2: return t - (std::floor(std::fmod(t, 3600.0) / 60.0) - n) * 60.0;
    default: return t - (std::fmod(t, 60.0) - n);
  }
}

void set_clock(Cell& c, int32_t field, const Cell& v) {
  uint32_t p = packed(c);
  double local = time_of(c) + zone_seconds(time_zone_of(p));
  local = with_clock_field(local, field, v);
  set_packed(c, p | time_flag);
  normalize(c, local, true);
}

void set_date_part(Cell& c, const Cell& v) {
  if (!v.is(Type::date)) fire(Err::script_invalid_arg, {v});
  uint32_t from = packed(v);
  set_packed(c, (from & ~zone_mask) | zone_of(packed(c)));
}

void set_time_part(Cell& c, const Cell& v) {
  if (v.is(Type::none_)) {
    set_packed(c, packed(c) & ~time_flag);
    set_time(c, 0.0);
    return;
  }
  if (!v.is(Type::time)) fire(Err::script_invalid_arg, {v});
  set_packed(c, packed(c) | time_flag);
  normalize(c, v.float_value(), true);
}

void set_week_of_year(Cell& c, int32_t n) {
  int64_t start = year_start_days(packed(c));
  int64_t e = ((start + 3) % 7 + 7) % 7;
  int64_t days = n > 1 ? start + (static_cast<int64_t>(n) - 2) * 7 + 7 - e : start;
  uint32_t p = packed(c);
  set_packed(c, from_days(days, zone_of(p), has_time(p)));
}

void set_field(Cell& c, int32_t field, const Cell& v) {
  uint32_t p = packed(c);
  switch (field) {
    case 1: return set_date_part(c, v);
    case 2: {
      uint32_t moved = pack(need_integer(v), month_of(p), day_of(p), zone_of(p), has_time(p));
      set_packed(c, from_days(to_days(moved), zone_of(p), has_time(p)));
      return;
    }
    case 3: return set_month(c, need_integer(v));
    case 4: {
      int64_t day0 = to_days(pack(year_of(p), month_of(p), 0, 0, false));
      set_packed(c, from_days(day0 + need_integer(v), zone_of(p), has_time(p)));
      return;
    }
    case 5:
    case 12:
      if (!v.is(Type::integer) && !v.is(Type::time)) fire(Err::script_invalid_arg, {v});
      if (!has_time(p)) set_packed(c, (p & ~zone_mask) | time_flag);
      return set_zone(c, v, field == 12);
    case 6: return set_time_part(c, v);
    case 7:
    case 8:
    case 9: return set_clock(c, field - 6, v);
    case 10: return set_isoweek_day(c, need_integer(v));
    case 11: return set_yearday(c, need_integer(v));
    case 13: return set_week_of_year(c, need_integer(v));
    default: return set_week(c, need_integer(v));
  }
}

int32_t field_of_element(const Cell& element) {
  if (element.is(Type::integer)) {
    int32_t i = element.int_value();
    return i >= 1 && i <= 14 ? i : -1;
  }
  return element.is(Type::word) ? field_index(element) : -1;
}

}  // namespace

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  int32_t field = field_of_element(*element);
  if (field < 0) fire(Err::script_invalid_path, {step.path ? *step.path : make_none(), *element});
  if (!value) return stack::push(get_field(*parent, field));
  Cell changed = *parent;  // an error leaves the date as it was
  set_field(changed, field, *value);
  *parent = changed;
  path::write_back(*parent, step);
  return value;
}

Cell* pick(Cell* value, int32_t position, Cell* boxed) {
  int32_t field = boxed->is(Type::word) ? field_index(*boxed)
                  : boxed->is(Type::integer) && position >= 1 && position <= 14 ? position
                                                                                 : -1;
  if (field < 0) fire(Err::script_out_of_range, {*boxed});
  return stack::push(get_field(*value, field));
}

}  // namespace vyn::date
