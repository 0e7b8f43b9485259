// values/numbers/date.hpp: date!, a day of the proleptic Gregorian calendar with an optional time and zone.
//
// Payload word 1 packs the local calendar date (bits 31-17 signed year, 15-12 month, 11-7 day),
// bit 16 (a time is present) and the zone in the low 7 bits (bit 6 west of UTC, bits 5-2 hours,
// bits 1-0 quarter hours). Words 2-3 hold the time as a double of UTC seconds counted from the
// local date's midnight, so local time = stored time + zone offset, kept in [0, 86400) by
// normalising. Every calendar computation goes through a day number: day 0 is 1 March of year 0.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/numbers/number.hpp"

namespace vyn::date {

inline constexpr uint32_t time_flag = 1u << 16;
inline constexpr uint32_t zone_mask = 0x7F;
inline constexpr int32_t epoch_days = 719468;  // 1 January 1970
inline constexpr double day_seconds = 86400.0;
inline constexpr int32_t min_year = -16384, max_year = 16383;

inline int32_t year_of(uint32_t p) { return static_cast<int32_t>(p) >> 17; }
inline int32_t month_of(uint32_t p) { return (p >> 12) & 15; }
inline int32_t day_of(uint32_t p) { return (p >> 7) & 31; }
inline uint32_t zone_of(uint32_t p) { return p & zone_mask; }
inline bool has_time(uint32_t p) { return (p & time_flag) != 0; }
// The zone the time is read with: none for a date without a time.
inline uint32_t time_zone_of(uint32_t p) { return has_time(p) ? zone_of(p) : 0; }

// A year outside the 15-bit field raises script/type-limit with date!.
uint32_t pack(int32_t year, int32_t month, int32_t day, uint32_t zone, bool time);
uint32_t zone_byte(int32_t hours, int32_t minutes);
int32_t zone_seconds(uint32_t zone);

bool leap_year_q(int32_t year);
int32_t month_length(int32_t year, int32_t month);
// The day field is used as it is: day 0 is the last day of the month before.
int64_t to_days(uint32_t packed);
// Any day number in the year range gives a valid date; the zone bits and time flag are kept.
uint32_t from_days(int64_t days, uint32_t zone, bool time);
int32_t weekday_of_days(int64_t days);  // 1 Monday .. 7 Sunday
int64_t year_start_days(uint32_t packed);
int32_t yearday(uint32_t packed);
// The Monday that starts ISO week 1 of the date's year; weekday of 1 January in *jan1.
int64_t week1_start_days(uint32_t packed, int32_t* jan1);
int32_t isoweek(uint32_t packed);
int32_t week(uint32_t packed);

// Carries whole days of t (UTC seconds) into the day number so that t + offset lies in
// [0, 86400); a time too large for any day raises script/type-limit.
int64_t normalize_time(int64_t days, double& t, uint32_t zone);

inline uint32_t packed(const Cell& c) { return c.w1; }
inline void set_packed(Cell& c, uint32_t p) { c.w1 = p; }
inline double time_of(const Cell& c) { return c.float_value(); }
// The time's 64-bit pattern, for identity tests and the binary codec.
inline uint64_t time_bits(const Cell& c) { return float_::bits(c); }
inline void set_time_bits(Cell& c, uint64_t b) { float_::set_bits(c, b); }
void set_time(Cell& c, double t);
Cell make(uint32_t packed, double t);
// Rebuilds the date from its day number after its time (and fields) changed; with to_utc the
// time is first read as local time in the date's zone.
void normalize(Cell& c, double t, bool to_utc);

// The lexer's maker: the day is not normalised; without a time the zone is dropped.
Cell* make_at(Cell* cell, int32_t year, int32_t month, int32_t day, double t, int32_t zone_hours,
              int32_t zone_minutes, bool time);
// A UTC date and time (file modification dates).
Cell* make_at_hms(Cell* cell, int32_t year, int32_t month, int32_t day, int32_t hours,
                  int32_t minutes, int32_t seconds, int32_t nanoseconds);
// Seconds since 1970-01-01T00:00Z as a UTC date with a time.
Cell from_epoch(int64_t seconds);
// Seconds since 1970-01-01T00:00Z; outside 32 bits raises script/type-limit.
int32_t to_epoch(const Cell& c);
// (time1 - time2) + 86400 × (days1 - days2), as a time! in *a.
void difference(Cell* a, const Cell* b);

// The moves of a date within its year or week.
void set_week(Cell& c, int32_t n);          // Monday of ISO week n
void set_isoweek_day(Cell& c, int32_t n);   // weekday n of the date's Monday-based week
void set_yearday(Cell& c, int32_t n);
void set_month(Cell& c, int32_t n);         // any integer, years carried
// An integer! (hours, remainder by 16) or time! zone; keep_instant moves the clock reading.
void set_zone(Cell& c, const Cell& zone, bool keep_instant);

// The fields of path access and pick, numbered 1 to 14; -1 for a word naming none.
int32_t field_index(const Cell& word);
Cell get_field(const Cell& c, int32_t field);

// add (Arith::add) or subtract with the date in args[0] and an integer!, time! or date! in args[1].
void do_math(Cell* args, int op);

}  // namespace vyn::date
