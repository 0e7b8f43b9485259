// values/ports/handle.hpp: handle!, an opaque 32-bit value with a kind number that native code hands to
// scripts for an outside resource. Scripts can hold, compare and print handles; only native code
// gives them meaning.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::handle {

// Kinds; 0 is the null kind, never printed.
enum Kind : int32_t { none = 0, fd = 1, monitor = 2, window = 3, font = 4, rich_text = 5 };

// Cell layout: w1 the kind, w2 the value, w3 a handle-registry slot, -1 for none. Read and made here.
inline int32_t kind_of(const Cell& h) { return static_cast<int32_t>(h.w1); }
inline uint32_t value_of(const Cell& h) { return h.w2; }
inline Cell make(uint32_t value, int32_t kind, int32_t slot = -1) {
  return make_cell(Type::handle, static_cast<uint32_t>(kind), value, static_cast<uint32_t>(slot));
}

Cell* make_at(Cell* cell, uint32_t value, int32_t kind);

Cell* push(uint32_t value, int32_t kind);
Cell* push_null();
// Appends a handle to the block. May allocate.
void make_in(Cell block, uint32_t value, int32_t kind);

void install();

}  // namespace vyn::handle
