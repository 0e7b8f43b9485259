// eval/lexer/foreign.cpp: makers for the datatypes the lexer reads but does not own.
//
// TODO(datatypes): each datatype's own component replaces its maker here when it lands; until
// then loading such a literal raises internal/not-here with the datatype (scans that only check
// or classify text never get here).
#include "eval/lexer/foreign.hpp"

#include "core/error.hpp"
#include "eval/stack.hpp"
#include "values/map.hpp"
#include "values/pair.hpp"
#include "values/percent.hpp"
#include "values/tuple.hpp"
#include "values/time.hpp"

namespace vyn::lexer::foreign {
namespace {
[[noreturn]] void not_here(Type t) { fire(Err::internal_not_here, {make_datatype(t)}); }
}  // namespace

bool map_valid_key(Type t) { return map::valid_key(t); }

Cell make_map(Cell block) {
  stack::Mark mark;
  return *map::make_at(stack::push_unset(), block);
}
Cell make_point(Cell, int commas) { not_here(commas > 1 ? Type::point3D : Type::point2D); }
Cell make_pair(int32_t x, int32_t y) { return pair::make(x, y); }
Cell make_tuple(const uint8_t* bytes, int count) { return tuple::make(bytes, count); }
Cell make_percent(double value) { return percent::make(value); }
Cell make_time(double seconds) { return time_::make(seconds); }
Cell make_point2D(float, float) { not_here(Type::point2D); }
Cell make_point3D(float, float, float) { not_here(Type::point3D); }
Cell make_date(const Date&) { not_here(Type::date); }
bool make_money(Cell*, bool, const uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*) {
  not_here(Type::money);
}

}  // namespace vyn::lexer::foreign
