// values/compare.cpp: the raw comparison through the action table.
#include "values/compare.hpp"

#include "values/registry.hpp"

namespace vyn {
int compare_value(Cell* a, Cell* b, int op) {
  auto fn = registry::entry<Action::compare>(a->type());
  return fn ? fn(a, b, op) : -2;
}
}  // namespace vyn
