// values/memory_stats.hpp: the memory statistics of the collector (core/gc_stats.hpp) as a block.
#pragma once

#include "core/cell.hpp"

namespace vyn::gc {

// Makes result (a cell that stays put: the value stack or a Root) a block of five values: a block
// of free, used and total slots per node frame; a block of free, used and total bytes per series
// frame; a block of the size of each big series (each triple and size starting a new line); then
// the bytes the platform heap has taken from the system and the bytes of it in use. A number
// that does not fit 32 bits is a float!. May allocate.
void memory_stats(Cell* result);

}  // namespace vyn::gc
