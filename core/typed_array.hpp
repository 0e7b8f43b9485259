// core/typed_array.hpp: series buffers used without a value cell as growable arrays of bytes,
// 32-bit integers or pointers.
//
// An array is known by its node; the buffer moves when it grows, the node stays. Every function
// that appends or inserts may allocate (and so collect): re-derive data() afterwards. Positions
// given to the pick and poke helpers are 1-based item numbers; the find helpers answer byte
// offsets from the first unit, -1 when absent. Integer items are 4 bytes, pointer items are
// pointer-sized (8 bytes here), so a pointer array is made with unit sizeof(void*).
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::array {

// A byte buffer of n * unit bytes (16 when that is 0), empty, whose unit is then set to unit.
NodeId new_(uint32_t n, uint32_t unit);
// A series of n bytes filled with byte, its tail at its end, with the given unit.
NodeId new_filled(uint32_t n, uint8_t byte, uint32_t unit = 1);
// Refills the whole data area of the series; never allocates.
void fill(NodeId node, uint8_t byte);

// The helpers below never allocate unless they say so.
int32_t length(NodeId node);
void clear(NodeId node);
// Makes the array n items long, the items gained 0; growing past the buffer moves it to one of
// exactly that size (allocating).
void set_length(NodeId node, int32_t n);
NodeId copy(NodeId node);  // allocates
uint8_t* data(NodeId node);

void append_byte(NodeId node, uint8_t byte);                             // allocates
uint8_t pick_byte(NodeId node, int32_t n);
uint8_t* append_bytes(NodeId node, const void* bytes, uint32_t n);       // allocates
void append_int(NodeId node, int32_t value);                             // allocates
int32_t find_int(NodeId node, int32_t value);
int32_t pick_int(NodeId node, int32_t n);
void poke_int(NodeId node, int32_t n, int32_t value);
// Inserts before item index (0-based, clamped to the array), moving the rest up.
void insert_int_at(NodeId node, int32_t value, int32_t index);           // allocates
void append_pointer(NodeId node, void* pointer);                         // allocates
int32_t find_pointer(NodeId node, void* pointer);
void* pick_pointer(NodeId node, int32_t n);
void remove_pointer(NodeId node, void* pointer);
// Removes n bytes at a byte offset, moving the rest down; both are clamped to the array.
void remove_at(NodeId node, int32_t offset, int32_t n);

}  // namespace vyn::array
