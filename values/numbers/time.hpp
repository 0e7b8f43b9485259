// values/numbers/time.hpp: time!, a duration or time of day held as seconds in a double (w2-w3).
//
// A child of float!: it shares the number tower, comparison and rounding, and adds the
// hours:minutes:seconds text and access to its three fields. Negative values are negative
// durations. A time stays below 2^31 hours either way: the lexer reads the hours of a time
// literal as a 32-bit integer, so that is the largest time whose text loads back.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::time_ {

inline constexpr double seconds_per_hour = 3600.0;
inline constexpr double seconds_per_minute = 60.0;
// No time reaches this many seconds, either way (2^31 hours).
inline constexpr double limit_seconds = 2147483648.0 * seconds_per_hour;

// seconds itself when a time may hold it; script/type-limit time! for NaN or beyond the limit.
double checked(double seconds);

Cell make(double seconds);
Cell* make_at(double seconds, Cell* cell);
// Appends a time! at the tail of a block (rooted); hi and lo are the halves of the double's bits.
Cell* make_in(Cell block, uint32_t hi, uint32_t lo);
Cell* push(double seconds);

// The fields: hours toward zero, minutes 0 to 59, seconds with the sign of t. Hours and minutes
// that do not fit an integer! (a huge or non-finite time) raise script/type-limit.
int32_t hour_of(double t);
int32_t minute_of(double t);
double second_of(double t);

// Appends the text of t ("-1:02:03.5") to a rooted string! and answers limit less its length.
int32_t form_into(double t, const Cell& buffer, int32_t limit);

}  // namespace vyn::time_
