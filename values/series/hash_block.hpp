// values/series/hash_block.hpp: hash!, a block whose cells are indexed by a hash table (kind hash) so
// that find and select look values up instead of scanning.
//
// A hash! cell is a block cell whose w3 holds the node of its table. The table indexes every cell
// of the block, not only those after the head; copies of the cell share block and table. Most
// entries are block!'s, which keep the table in step; the ones here are those block! lacks.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::hash_block {

// The node of the table of a hash! cell (its extra word).
inline NodeId table(const Cell& h) { return series_extra(h); }

// Turns the block in cell (on the value stack, head 0) into a hash! over a new table sized for
// at least n entries; answers the cell.
Cell* index(Cell* cell, int32_t n);

// The series entries block! takes over unchanged, wrapped so the table follows the cells.
Cell* poke(Cell* series, int32_t index, Cell* boxed, Cell* value);
Cell* clear(Cell* series);
Cell* remove(Cell* series, Cell* part, Cell* key);
Cell* reverse(Cell* series, Cell* part, Cell* skip);
Cell* move(Cell* origin, Cell* target, Cell* part);

}  // namespace vyn::hash_block
