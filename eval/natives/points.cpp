// eval/natives/points.cpp: as-point2D and as-point3D, points from separate coordinates.
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "values/numbers/point.hpp"

namespace vyn::natives {

// The argument types are checked by the spec: integer! or float! each.
Flow as_point2D(const Call& c) {
  c.args[0] = point::make2(point::number_to_f32(c.args[0]), point::number_to_f32(c.args[1]));
  return Flow::normal;
}

Flow as_point3D(const Call& c) {
  c.args[0] = point::make3(point::number_to_f32(c.args[0]), point::number_to_f32(c.args[1]),
                           point::number_to_f32(c.args[2]));
  return Flow::normal;
}

}  // namespace vyn::natives
