// values/lexer/foreign.cpp: makers for the datatypes the lexer reads but does not own. Each one
// hands the pieces the lexer found to the datatype's own component, so the lexer needs none of
// their headers.
#include "values/lexer/foreign.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/numbers/date.hpp"
#include "values/maps/map.hpp"
#include "values/numbers/money.hpp"
#include "values/series/block.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"
#include "values/numbers/percent.hpp"
#include "values/numbers/tuple.hpp"
#include "values/numbers/time.hpp"

namespace vyn::lexer::foreign {
bool map_valid_key(Type t) { return map::valid_key(t); }

Cell make_map(Cell block) {
  stack::Mark mark;
  return *map::make_at(stack::push_unset(), block);
}
// The parts between the commas must each be one number.
Cell make_point(Cell block, int commas) {
  Type t = commas > 1 ? Type::point3D : Type::point2D;
  const Cell* v = block::vs_head(block);
  bool ok = commas <= 2 && block::vs_length(block) == commas + 1;
  for (int i = 0; ok && i <= commas; ++i) ok = v[i].is(Type::integer) || v[i].is(Type::float_);
  if (!ok) fire(Err::syntax_malconstruct, {make_datatype(t), block});
  float x = point::number_to_f32(v[0]), y = point::number_to_f32(v[1]);
  return commas > 1 ? point::make3(x, y, point::number_to_f32(v[2])) : point::make2(x, y);
}
Cell make_pair(int32_t x, int32_t y) { return pair::make(x, y); }
Cell make_tuple(const uint8_t* bytes, int count) { return tuple::make(bytes, count); }
Cell make_percent(double value) { return percent::make(value); }
Cell make_time(double seconds) { return time_::make(seconds); }
Cell make_point2D(float x, float y) { return point::make2(x, y); }
Cell make_point3D(float x, float y, float z) { return point::make3(x, y, z); }
// The week and ordinal forms start from 1 January of the year and move from there.
Cell make_date(const Date& d) {
  Cell c;
  date::make_at(&c, d.year, d.month, d.day, d.time, d.zone_hours, d.zone_minutes, d.has_time);
  if (d.week || d.weekday) date::set_week(c, d.week);
  if (d.weekday) date::set_isoweek_day(c, d.weekday);
  if (d.yearday) date::set_yearday(c, d.yearday);
  return c;
}
bool make_money(Cell* out, bool negative, const uint8_t* currency, const uint8_t* digits,
                const uint8_t* point, const uint8_t* end) {
  return money::make_at(out, negative, currency, digits, point, end);
}

}  // namespace vyn::lexer::foreign
