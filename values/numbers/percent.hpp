// values/numbers/percent.hpp: percent!, a float! holding a fraction and written as a percentage (50% is
// 0.5). Its arithmetic, comparison and conversions are float!'s; it forms with a trailing "%".
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::percent {

inline Cell make(double fraction) {
  Cell c = make_float(fraction);
  c.set_type(Type::percent);
  return c;
}
inline double get_value(const Cell& c) { return c.float_value(); }

// hi and lo are the halves of the double's 64-bit pattern.
Cell* make_at(Cell* cell, uint32_t hi, uint32_t lo);
// Appends a percent! at the tail of a block (rooted) and answers the new cell.
Cell* make_in(Cell block, uint32_t hi, uint32_t lo);
Cell* push(double fraction);
Cell* push64(uint32_t hi, uint32_t lo);
Cell* make_at_double(Cell* cell, double fraction);
Cell* set_result(double fraction);  // the result slot of the current call becomes a percent!

}  // namespace vyn::percent
