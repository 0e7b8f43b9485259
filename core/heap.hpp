// core/heap.hpp: the tracked platform heap for tables and buffers that never move. Every block is
// on one list and all are released together at exit.
#pragma once

#include <cstddef>

namespace vyn::heap {

// Zeroed memory; a refusal raises internal/no-memory.
void* alloc(size_t size);
void free(void* block);
void free_all();

}  // namespace vyn::heap
