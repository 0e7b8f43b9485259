// eval/natives/shift.hpp: the three shifts of a 32-bit two's-complement integer, shared by the
// shift native and the shift routines. A negative count counts as 0; a count of 32 or more
// shifts every bit out (the sign bit fills an arithmetic shift), never the platform's undefined
// shift.
#pragma once

#include <cstdint>

namespace vyn::shifts {

inline int32_t left(int32_t data, int32_t bits) {
  if (bits <= 0) return data;
  if (bits > 31) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(data) << bits);
}

inline int32_t right(int32_t data, int32_t bits) {
  if (bits <= 0) return data;
  if (bits > 31) return data < 0 ? -1 : 0;
  return data >> bits;  // arithmetic: the sign bit comes in
}

inline int32_t logical(int32_t data, int32_t bits) {
  if (bits <= 0) return data;
  if (bits > 31) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(data) >> bits);
}

}  // namespace vyn::shifts
