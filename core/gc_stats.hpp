// core/gc_stats.hpp: memory statistics: what the memory manager holds, frame by frame.
#pragma once

#include <cstdint>
#include <vector>

namespace vyn::gc {

// Bytes in use: one node slot per used node, the used part of every series frame and the whole
// of every big series. Never allocates.
uint64_t memory_in_use();

// The figures as the memory stands: free, used and total slots per node frame; free, used and
// total bytes per series frame; the size of each big series; the bytes the platform heap has taken
// from the system and the bytes of it in use (values/memory_stats.hpp makes a block of them).
struct MemorySnapshot {
  std::vector<uint64_t> nodes, series, big;
  uint64_t heap_taken = 0, heap_used = 0;
};
MemorySnapshot memory_snapshot();

}  // namespace vyn::gc
