// values/numbers/date_make.cpp: make and to of date!: from a block of numbers, seconds since 1970, or text.
#include <cmath>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/numbers/date.hpp"
#include "values/text/load_text.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/time.hpp"

namespace vyn::date {
namespace {

[[noreturn]] void bad_to_arg(const Cell& spec) {
  fire(Err::script_bad_to_arg, {make_datatype(Type::date), spec});
}

enum Slot { a, month, c, hour, time, zone_hours, zone_time, zone_minutes, minute, second, none };

struct Step {
  int8_t next;  // -1: not accepted
  Slot slot;
};

// The walk over [A month C (time | hour minute [second]) (zone-time | zone-hours [zone-minutes])]:
// per state, what an integer!, a time! and a float! lead to.
constexpr Step steps[14][3] = {
    {{1, a}, {-1, none}, {-1, none}},
    {{2, month}, {-1, none}, {-1, none}},
    {{3, c}, {-1, none}, {-1, none}},
    {{8, hour}, {4, time}, {-1, none}},
    {{6, zone_hours}, {5, zone_time}, {-1, none}},
    {{-1, none}, {-1, none}, {-1, none}},
    {{7, zone_minutes}, {-1, none}, {-1, none}},
    {{-1, none}, {-1, none}, {-1, none}},
    {{9, minute}, {-1, none}, {-1, none}},
    {{10, second}, {-1, none}, {10, second}},
    {{12, zone_hours}, {11, zone_time}, {-1, none}},
    {{-1, none}, {-1, none}, {-1, none}},
    {{13, zone_minutes}, {-1, none}, {-1, none}},
    {{-1, none}, {-1, none}, {-1, none}},
};

struct Parts {
  double v[none] = {};
  bool given[none] = {};
  int32_t count = 0;
};

Parts read_block(const Cell& spec) {
  Parts parts;
  int32_t n = block::vs_length(spec);
  int state = 0;
  Cell b = spec;
  for (int32_t i = 0; i < n; ++i) {
    const Cell& item = block::vs_head(b)[i];
    int kind = item.is(Type::integer) ? 0 : item.is(Type::time) ? 1 : item.is(Type::float_) ? 2 : -1;
    if (kind < 0) bad_to_arg(spec);
    Step s = steps[state][kind];
    if (s.next < 0) bad_to_arg(spec);
    double v = kind == 0 ? item.int_value() : item.float_value();
    if (!std::isfinite(v)) bad_to_arg(spec);
    parts.v[s.slot] = v;
    parts.given[s.slot] = true;
    state = s.next;
  }
  parts.count = n;
  if (n < 3) bad_to_arg(spec);
  return parts;
}

int32_t whole(double v, const Cell& spec) {
  if (integer::float_range_check(v)) bad_to_arg(spec);
  return static_cast<int32_t>(v);
}

uint32_t zone_from(const Parts& p, const Cell& spec) {
  int32_t hours = whole(p.v[zone_hours], spec), minutes = whole(p.v[zone_minutes], spec);
  if (p.given[zone_time]) {
    double t = p.v[zone_time];
    if (std::fabs(t) >= 16 * 3600.0) bad_to_arg(spec);
    hours = static_cast<int32_t>(std::trunc(t / 3600.0));
    minutes = time_::minute_of(std::fabs(t));
  }
  if (hours < -15 || hours > 15 || minutes < 0 || minutes >= 60) bad_to_arg(spec);
  return hours || minutes ? zone_byte(hours, minutes) : 0;
}

// The date the block describes; with check (make), a day, month or time out of range is refused
// rather than carried.
Cell from_block(const Cell& spec, bool check) {
  Parts p = read_block(spec);
  int32_t day = whole(p.v[a], spec), year = whole(p.v[c], spec);
  if (day >= 100 && day > year) std::swap(day, year);
  int32_t mon = whole(p.v[month], spec);
  double t = p.given[time] ? p.v[time]
                           : p.v[hour] * 3600.0 + p.v[minute] * 60.0 + p.v[second];
  if (year < min_year || year > max_year) bad_to_arg(spec);
  Cell d = make(pack(year, 1, 1, 0, p.count > 3), 0.0);
  set_month(d, mon);
  set_packed(d, from_days(to_days(pack(year_of(packed(d)), month_of(packed(d)), 0, 0, false)) + day, 0, p.count > 3));
  normalize(d, t, false);
  if (check) {
    uint32_t q = packed(d);
    double stored = time_of(d);
    double given_minute = p.given[minute] ? p.v[minute] : std::floor(std::fmod(t, 3600.0) / 60.0);
    bool clock_ok = std::trunc(stored / 3600.0) >= 0 && std::trunc(stored / 3600.0) <= 23 &&
                    std::floor(std::fmod(stored, 3600.0) / 60.0) == given_minute;
    if (year_of(q) != year || month_of(q) != mon || day_of(q) != day || !clock_ok) bad_to_arg(spec);
  }
  uint32_t zone = zone_from(p, spec);
  set_packed(d, (packed(d) & ~zone_mask) | zone);
  normalize(d, time_of(d), true);
  return d;
}

Cell from_text(const Cell& spec) {
  stack::Mark mark;
  Cell* loaded = load_text(spec);
  if (!loaded->is(Type::date)) bad_to_arg(spec);
  return *loaded;
}

Cell* make_or_to(Cell* proto, Cell* spec, bool check) {
  switch (spec->type()) {
    case Type::date: return spec;
    case Type::block:
    case Type::paren:
    case Type::hash: *proto = from_block(*spec, check); return proto;
    case Type::string: *proto = from_text(*spec); return proto;
    case Type::integer:
      if (!check) {
        *proto = from_epoch(spec->int_value());
        return proto;
      }
      [[fallthrough]];
    default: bad_to_arg(*spec);
  }
}

}  // namespace

Cell* make_entry(Cell* proto, Cell* spec, Type) { return make_or_to(proto, spec, true); }
Cell* to_entry(Cell* proto, Cell* spec, Type) { return make_or_to(proto, spec, false); }

}  // namespace vyn::date
