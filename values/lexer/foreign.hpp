// values/lexer/foreign.hpp: the values the lexer makes for datatypes that live in other components.
//
// The loaders check the literal syntax of every datatype themselves; making the value of a
// datatype whose implementation is elsewhere goes through these calls.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::lexer::foreign {

// Whether values of the type may be keys of a map!.
bool map_valid_key(Type t);
// The map! of a block of keys and values (checked already).
Cell make_map(Cell block);
// The point of a paren that commas split into two or three expressions.
Cell make_point(Cell block, int commas);

Cell make_pair(int32_t x, int32_t y);
// A tuple of 3 to 12 bytes.
Cell make_tuple(const uint8_t* bytes, int count);
Cell make_percent(double value);
Cell make_time(double seconds);
Cell make_point2D(float x, float y);
Cell make_point3D(float x, float y, float z);

struct Date {
  int32_t year = 0, month = 1, day = 1;
  double time = 0;               // seconds
  int32_t zone_hours = 0, zone_minutes = 0;
  bool has_time = false, has_zone = false;
  int32_t week = 0, weekday = 0, yearday = 0;  // the week and ordinal forms, 0 when not used
};
Cell make_date(const Date& d);

// A money! value from its digit text: sign, the three letters of the currency (or nullptr), the
// amount from digits to end with its decimal point (or nullptr). Answers false when the amount
// cannot be represented.
bool make_money(Cell* out, bool negative, const uint8_t* currency, const uint8_t* digits,
                const uint8_t* point, const uint8_t* end);

}  // namespace vyn::lexer::foreign
