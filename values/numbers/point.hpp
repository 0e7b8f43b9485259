// values/numbers/point.hpp: point2D! and point3D!, two or three 32-bit float coordinates in payload words
// 1 to 3 (point2D! leaves word 3 unused), written (1.5, 2) and (1, 2, 3).
#pragma once

#include <cstdint>
#include <cstring>

#include "core/cell.hpp"
#include "values/numbers/number.hpp"

namespace vyn::point {

inline int dims(Type t) { return t == Type::point3D ? 3 : 2; }

// Coordinate i (0 to 2) as its 32-bit pattern, for identity tests, seeds and the binary codec.
inline uint32_t bits(const Cell& p, int i) { return i == 0 ? p.w1 : i == 1 ? p.w2 : p.w3; }
inline void set_bits(Cell& p, int i, uint32_t b) { (i == 0 ? p.w1 : i == 1 ? p.w2 : p.w3) = b; }

inline float get(const Cell& p, int i) {
  float f;
  std::memcpy(&f, i == 0 ? &p.w1 : i == 1 ? &p.w2 : &p.w3, sizeof f);
  return f;
}
inline void set(Cell& p, int i, float f) { std::memcpy(i == 0 ? &p.w1 : i == 1 ? &p.w2 : &p.w3, &f, sizeof f); }

inline Cell make2(float x, float y) {
  Cell c = make_cell(Type::point2D);
  set(c, 0, x);
  set(c, 1, y);
  return c;
}
inline Cell make3(float x, float y, float z) {
  Cell c = make_cell(Type::point3D);
  set(c, 0, x);
  set(c, 1, y);
  set(c, 2, z);
  return c;
}
Cell* push2(float x, float y);
Cell* push3(float x, float y, float z);

// The value of an integer! or float! as a 32-bit float.
float number_to_f32(const Cell& c);

// The arithmetic of a call's operands: args[0] (the point, also the result) and args[1].
void do_math(Cell* args, Arith op);
// A number on the left of a pair! or point: the operands are exchanged (a subtract negates the
// compound value and adds), then the compound arithmetic runs. Divide is refused by the caller.
void number_left(Cell* args, Arith op);

void install_2D();
void install_3D();

}  // namespace vyn::point
