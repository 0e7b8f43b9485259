// values/numbers/pair.hpp: pair!, two signed 32-bit integers x and y (w2 and w3), written 10x20.
//
// Arithmetic stays in integers while results are exact; a fractional or overflowing result makes
// the whole value a point2D! (two 32-bit floats in w1 and w2) rather than losing precision.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/numbers/number.hpp"

namespace vyn::pair {

inline Cell make(int32_t x, int32_t y) {
  return make_cell(Type::pair, 0, static_cast<uint32_t>(x), static_cast<uint32_t>(y));
}
inline int32_t x_of(const Cell& p) { return static_cast<int32_t>(p.w2); }
inline int32_t y_of(const Cell& p) { return static_cast<int32_t>(p.w3); }
inline void set_x(Cell& p, int32_t x) { p.w2 = static_cast<uint32_t>(x); }
inline void set_y(Cell& p, int32_t y) { p.w3 = static_cast<uint32_t>(y); }
Cell* make_at(Cell* cell, int32_t x, int32_t y);
Cell* push(int32_t x, int32_t y);
// Appends a pair! at the tail of a block (rooted) and answers the new cell.
Cell* make_in(Cell block, int32_t x, int32_t y);

// 1 for the word x, 2 for y (letter case ignored), 0 for any other word.
int axis_index(const Cell& word);
// An integer!'s value, or a float! truncated toward zero.
int32_t get_scalar(const Cell& c);

// The arithmetic of a call's operands: args[0] (the pair, also the result) and args[1].
void do_math(Cell* args, Arith op);

// point2D! cells, as pair arithmetic makes them.
Cell make_point2D(float x, float y);
float point_x(const Cell& p);
float point_y(const Cell& p);

}  // namespace vyn::pair
