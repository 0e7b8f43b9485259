// core/runtime_cells.cpp: storage of the runtime's long-lived cells.
#include "core/runtime_cells.hpp"

namespace vyn {
RuntimeCells& runtime_cells() {
  static RuntimeCells cells{make_none(), make_none(), 0, 0};
  return cells;
}
}  // namespace vyn
