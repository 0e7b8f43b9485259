// values/series/bitset.hpp: bitset!, a set of non-negative integers (in practice code points) kept as a
// bit array, and the services other components call on it (membership, bitwise combination).
//
// A bitset cell: w1 head (unused), w2 the node of a byte series whose bytes, from the start of its
// data, hold the bits: number n is bit 0x80 >> (n & 7) of byte n >> 3. The array length is the
// series' tail. A complemented bitset carries `complemented` in its buffer's flags, so copies of
// the buffer keep it; every number beyond the array is then a member. The stored bits always say
// the membership of the numbers inside the array, complemented or not.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"

namespace vyn::bitset {

// A flag of its own: the owned flag of series buffers (0x80000) must not double as this one, or an
// owned bitset would read as complemented.
inline constexpr uint32_t complemented = 0x00040000;

inline bool is_complemented(NodeId bits) { return buffer_of(bits)->flags & complemented; }
inline int32_t byte_count(NodeId bits) { return static_cast<int32_t>(buffer_of(bits)->tail); }
// The first byte of the bits; good until the next allocation.
inline uint8_t* vs_head(const Cell& b) { return buffer_of(series_node(b))->data(); }

// Whether the number is a member: beyond the array the complement flag answers. Never allocates.
bool has(const Cell& bitset, uint32_t codepoint);

// What a walk over a spec does, and who asked (which error a spec of the wrong type raises).
enum class Op { size, set, test, clear };
enum class Caller { make, to, other };

// Walks a spec (a char!, integer!, float!, string! or block! of those and ranges, on the value
// stack) over the bits of node. size and set answer the byte count the spec needs (set also moves
// the tail up to it); test answers 1 when every number of the spec is a member, else 0.
int32_t process_spec(Cell* spec, NodeId bits, Op op, Caller caller);

// make (to false) or to (to true) from a spec on the value stack; the bitset is pushed.
Cell* make_from_spec(Cell* spec, bool to);
// A new bitset over a byte series of n bytes, each the fill byte; pushed.
Cell* push_new(int32_t n, uint8_t fill, bool complement);
// Pushes a bitset over a copy of b's bits, flag included (owned mark dropped).
Cell* push(const Cell& b);

// Combines the bitsets a and b (both on the value stack; b must be a bitset!, else
// script/invalid-type): 5 or~, 6 and~, 7 xor~, 8 unique (answers a), 9 union, 10 intersect,
// 11 exclude, 12 difference. The result is pushed.
Cell* do_bitwise(int op, Cell* a, Cell* b);

// Growth: makes the array cover number n, new bytes 0xFF when complemented, else 0. May collect.
void grow_to_bit(NodeId bits, uint32_t n);

}  // namespace vyn::bitset
