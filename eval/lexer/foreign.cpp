// eval/lexer/foreign.cpp: makers for the datatypes the lexer reads but does not own.
//
// TODO(datatypes): each datatype's own component replaces its maker here when it lands; until
// then loading such a literal raises internal/not-here with the datatype (scans that only check
// or classify text never get here).
#include "eval/lexer/foreign.hpp"

#include "core/error.hpp"

namespace vyn::lexer::foreign {
namespace {
[[noreturn]] void not_here(Type t) { fire(Err::internal_not_here, {make_datatype(t)}); }
}  // namespace

bool map_valid_key(Type t) {
  switch (t) {
    case Type::string: case Type::file: case Type::url: case Type::char_: case Type::integer:
    case Type::float_: case Type::word: case Type::set_word: case Type::lit_word:
    case Type::get_word: case Type::refinement: case Type::issue: case Type::pair:
    case Type::percent: case Type::tuple: case Type::binary: case Type::time: case Type::tag:
    case Type::email: case Type::date: case Type::money: case Type::ref: case Type::point2D:
    case Type::point3D:
      return true;
    default:
      return false;
  }
}

Cell make_map(Cell) { not_here(Type::map); }
Cell make_point(Cell, int commas) { not_here(commas > 1 ? Type::point3D : Type::point2D); }
Cell make_pair(int32_t, int32_t) { not_here(Type::pair); }
Cell make_tuple(const uint8_t*, int) { not_here(Type::tuple); }
Cell make_percent(double) { not_here(Type::percent); }
Cell make_time(double) { not_here(Type::time); }
Cell make_point2D(float, float) { not_here(Type::point2D); }
Cell make_point3D(float, float, float) { not_here(Type::point3D); }
Cell make_date(const Date&) { not_here(Type::date); }
bool make_money(Cell*, bool, const uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*) {
  not_here(Type::money);
}

}  // namespace vyn::lexer::foreign
