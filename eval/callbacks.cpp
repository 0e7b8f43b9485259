// eval/callbacks.cpp: language functions called back from C++ (sort comparators), where an exit
// cannot travel as a status and goes as an Exit exception.
#include "core/sort.hpp"
#include "core/flow.hpp"
#include "eval/interp.hpp"
#include "core/stack.hpp"
#include "values/predefined.hpp"

namespace vyn::interp {

Cell compare_with(Cell* function, Cell* first, Cell* second) {
  Cell values[2] = {*first, *second};
  Cell* base = stack::top();
  Flow f = call_with(*function, values, 2, predefined::word(predefined::W::compare_callback));
  if (f != Flow::normal) to_exception(f);
  Cell answer = *stack::last_value();
  stack::set_top(base);
  return answer;
}

void install_callbacks() { sort::call_comparator = compare_with; }

}  // namespace vyn::interp
