// core/runtime_cells.hpp: cells the runtime keeps for the whole run; the collector marks them.
#pragma once

#include "core/cell.hpp"

namespace vyn {

struct RuntimeCells {
  Cell root;      // the root block: values that live as long as the process
  Cell scratch;   // receives blocks made without a parent; the next such block overwrites it
  NodeId symbols = 0;  // the symbol table (a hash table whose values are the symbol entries)
  NodeId global = 0;   // the global context
};
RuntimeCells& runtime_cells();

}  // namespace vyn
