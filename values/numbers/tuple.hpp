// values/numbers/tuple.hpp: tuple!, 3 to 12 bytes written 1.2.3, for colours, versions and addresses.
//
// The size sits in header bits 19-22; the bytes fill payload words 1-3, byte 1 first in memory.
// Bytes beyond the size are kept 0, and readers treat positions beyond the size as 0, so a tuple
// compares equal to the same tuple with zeros appended. Arithmetic works byte by byte and clamps
// every result to 0..255.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/cell.hpp"
#include "values/numbers/number.hpp"

namespace vyn::tuple {

inline constexpr int max_size = 12;
inline constexpr int size_shift = tuple_size_shift;  // bits 19-22
inline constexpr uint32_t size_mask = tuple_size_mask;

// A tuple's bytes, unpacked for reading and writing.
struct Bytes {
  uint8_t b[max_size] = {};
  int size = 3;
};

inline int size_of(const Cell& t) { return static_cast<int>((t.header & size_mask) >> size_shift); }
inline Bytes bytes_of(const Cell& t) {
  Bytes out;
  std::memcpy(out.b, &t.w1, max_size);
  out.size = size_of(t);
  return out;
}
// The cell of size bytes (1 to 12), size as given; the payload bytes beyond it are cleared.
inline Cell make_sized(const uint8_t* bytes, int size) {
  uint8_t b[max_size] = {};
  std::memcpy(b, bytes, static_cast<size_t>(size));
  Cell c = make_cell(Type::tuple);
  c.header |= static_cast<uint32_t>(size) << size_shift;
  std::memcpy(&c.w1, b, max_size);
  return c;
}
// The xor of the three payload words: the seed random/seed takes from a tuple.
inline uint32_t seed_of(const Cell& t) { return t.w1 ^ t.w2 ^ t.w3; }
// The cell of these bytes; the size is raised to 3, bytes beyond it are cleared.
Cell make(const Bytes& bytes);
// The cell of count bytes (at most 12; fewer than 3 are padded with 0).
Cell make(const uint8_t* bytes, int count);

// A tuple of this size holding the three payload words as they are.
Cell* push(int size, uint32_t w1, uint32_t w2, uint32_t w3);
// max(count, 3) bytes holding the low byte of each integer, padded with 0.
Cell* push_from_ints(int count, const int32_t* ints);
// True when every byte up to the size is 0.
bool zero_q(const Cell& t);
// -2 when b is not a tuple; else the first differing byte decides (missing bytes count as 0).
int compare(Cell* a, Cell* b, int op);
// The arithmetic of a call's operands args[0] and args[1], one of which is a tuple: the tuple
// ends up in args[0] with the result.
void do_math(Cell* args, Arith op);
// max (or min) byte by byte of two tuples, or of a tuple and a number standing for every byte
// (truncated and clamped to 0..255); the result takes the longer size.
Cell max_min(const Cell& a, const Cell& b, bool max);

}  // namespace vyn::tuple
