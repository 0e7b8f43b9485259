// eval/natives/now.cpp: now, the current date and time, or one field of it.
#include "core/error.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "platform/clock.hpp"
#include "values/numbers/date.hpp"

namespace vyn::natives {
namespace {

using Ref = Refs<Native::now>;

// The zone of an offset in seconds, to the quarter hour below it.
uint32_t zone_of_offset(int32_t offset) {
  int32_t magnitude = offset < 0 ? -offset : offset;
  if (magnitude > 15 * 3600 + 45 * 60) magnitude = 15 * 3600 + 45 * 60;
  uint32_t byte = static_cast<uint32_t>(magnitude / 3600) << 2 | static_cast<uint32_t>(magnitude % 3600 / 900);
  return offset < 0 ? byte | 0x40 : byte;
}

bool refinements_clash(const Call& c) {
  if (c.has(Ref::time) && c.has(Ref::precise)) return false;
  int used = 0;
  for (int r = Ref::year; r <= Ref::precise; ++r) used += c.has(r);
  return used > 1;
}

}  // namespace

Flow now_(const Call& c) {
  if (refinements_clash(c)) fire(Err::script_bad_refines);
  os::Now n = os::now(c.has(Ref::utc), c.has(Ref::precise));
  uint32_t local_zone = zone_of_offset(n.zone_offset);
  if (c.has(Ref::date)) {
    c.args[0] = date::make(date::pack(n.year, n.month, n.day, 0, false), 0.0);
    return Flow::normal;
  }
  double t = n.utc_seconds;
  date::normalize_time(0, t, local_zone);
  Cell d = date::make(date::pack(n.year, n.month, n.day, local_zone, true), t);
  static constexpr struct { int ref; int32_t field; } fields[] = {
      {Ref::year, 2}, {Ref::month, 3}, {Ref::day, 4}, {Ref::zone, 5}, {Ref::time, 6}, {Ref::weekday, 10}};
  for (const auto& f : fields) {
    if (c.has(f.ref)) {
      c.args[0] = date::get_field(d, f.field);
      return Flow::normal;
    }
  }
  c.args[0] = c.has(Ref::yearday) ? make_integer(date::yearday(date::packed(d))) : d;
  return Flow::normal;
}

}  // namespace vyn::natives
