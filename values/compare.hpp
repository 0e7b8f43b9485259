// values/compare.hpp: comparing two values through the comparison entry of the first one's type.
#pragma once

#include "core/cell.hpp"

namespace vyn {
// The raw answer of the comparison entry: -1, 0, 1, or -2 when the values cannot be compared
// (also when the type has no comparison entry).
int compare_value(Cell* a, Cell* b, int op);
}  // namespace vyn
