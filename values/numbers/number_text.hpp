// values/numbers/number_text.hpp: the scanners that read a character series as an integer! or a float!.
//
// They read the characters in place, in any unit size (1, 2 or 4 bytes per character), take
// "'" as a digit-group separator, never allocate, and report failure through a code; the
// conversions that call them raise the error.
#pragma once

#include <cstdint>

namespace vyn::number_text {

// Error codes.
inline constexpr int bad_syntax = -1;  // a character that does not belong (or nothing to read)
inline constexpr int too_big = -2;     // the value does not fit 32 bits

// [sign] digits and "'" separators. error is left 0 on success.
int32_t scan_integer(const uint8_t* start, int32_t length, uint32_t unit, int& error);

// The language's float syntax, "," standing for "." and "'" separating digit groups. error is
// left 0 on success, bad_syntax for text that is too long or not a float, else the count of
// characters left unread.
double scan_float(const uint8_t* start, int32_t length, uint32_t unit, int& error);

}  // namespace vyn::number_text
