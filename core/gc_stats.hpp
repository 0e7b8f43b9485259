// core/gc_stats.hpp: memory statistics: what the memory manager holds, frame by frame.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::gc {

// Bytes in use: one node slot per used node, the used part of every series frame and the whole
// of every big series. Never allocates.
uint64_t memory_in_use();

// Makes result (a cell that stays put: the value stack or a Root) a block of five values: a block
// of free, used and total slots per node frame; a block of free, used and total bytes per series
// frame; a block of the size of each big series (each triple and size starting a new line); then
// the bytes the platform heap has taken from the system and the bytes of it in use. A number
// that does not fit 32 bits is a float!. May allocate.
void memory_stats(Cell* result);

}  // namespace vyn::gc
