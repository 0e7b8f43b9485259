// core/cell_pool.hpp: the pool of spare cells, handed out by 1-based index. The pool is one block
// series that the collector marks, so a value parked in it keeps what it refers to alive.
//
// A free cell is an integer! holding the 0-based index of the next free cell (-1 for the last),
// so marking the whole block never reaches anything through a free cell.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::cellpool {

inline constexpr int32_t initial_capacity = 100;

// Makes the pool block (100 cells, all free). Called by the runtime initialiser once memory is up.
// May allocate.
void init();
// Chains cells [first, capacity) as free in index order and makes first the first free cell.
// Never allocates.
void link(int32_t first);
// Address of cell n (1-based): good until the next allocation. Never allocates.
Cell* at(int32_t n);
// Parks a copy of value in the first free cell and answers its 1-based index; a full pool doubles
// first, keeping every earlier index. May allocate (value is rooted meanwhile).
int32_t alloc(Cell value);
// Makes cell n free again and the first one to be handed out. 0, an index out of range or a cell
// already free is ignored. Never allocates.
void free(int32_t n);

// For the collector: the pool's block! cell, to mark as a block (series and cells) and whose node
// word it may rewrite when nodes move. Never allocates.
Cell* block();
int32_t capacity();

}  // namespace vyn::cellpool
