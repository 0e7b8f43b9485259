// library/vynbin_format.hpp: the integer forms of the Vynbin layouts (varint, zigzag, raw32) as
// a writer that appends to a byte string and a reader that never reads past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/alloc_limit.hpp"
#include "core/cell.hpp"

namespace vyn::vynbin::format {

// Header word bits of the standard layout.
namespace header {
inline constexpr uint32_t hw_shared = 1u << 19;
inline constexpr uint32_t hw_negative = 1u << 22;
inline constexpr uint32_t hw_complemented = 1u << 23;
inline constexpr uint32_t hw_owner_numbers = 1u << 24;
inline constexpr uint32_t hw_global = 1u << 25;
inline constexpr uint32_t hw_self = 1u << 28;
inline constexpr uint32_t hw_stack = 1u << 29;
inline constexpr uint32_t hw_values = 1u << 30;
inline constexpr uint32_t hw_new_line = 1u << 31;
}  // namespace header

struct Out {
  std::string data;
  alloc::Scratch charge;  // the bytes of data, against the allocation cap

  void byte(uint8_t b) { data += static_cast<char>(b); }
  void bytes(const uint8_t* p, size_t n) {
    charge.resize(data.size() + n);
    data.append(reinterpret_cast<const char*>(p), n);
  }
  void varint(uint32_t v) {
    while (v >= 0x80) {
      byte(static_cast<uint8_t>(v | 0x80));
      v >>= 7;
    }
    byte(static_cast<uint8_t>(v));
  }
  void zigzag(int32_t n) {
    varint((static_cast<uint32_t>(n) << 1) ^ static_cast<uint32_t>(n >> 31));
  }
  void raw32(uint32_t w) {
    for (int i = 0; i < 4; ++i) byte(static_cast<uint8_t>(w >> (8 * i)));
  }
  // Type ids of 63 and above do not fit the six bits and follow as a varint.
  void tag(Type t, bool bit6) {
    uint32_t id = static_cast<uint32_t>(t);
    uint8_t flag = bit6 ? 0x40 : 0;
    if (id < 63) return byte(static_cast<uint8_t>(id | flag));
    byte(static_cast<uint8_t>(63 | flag));
    varint(id);
  }
};

// A bounded reader; every read checks the end and reports failure with `ok` cleared, so that the
// decoder can raise its error with the position where the record went wrong.
struct In {
  const uint8_t* start;
  const uint8_t* at;
  const uint8_t* end;

  size_t left() const { return static_cast<size_t>(end - at); }
  bool byte(uint8_t& b) {
    if (at >= end) return false;
    b = *at++;
    return true;
  }
  bool varint(uint32_t& v) {
    v = 0;
    for (int i = 0; i < 5; ++i) {
      uint8_t b;
      if (!byte(b)) return false;
      if (i == 4 && b >= 0x10) return false;
      v |= static_cast<uint32_t>(b & 0x7F) << (7 * i);
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  bool zigzag(int32_t& n) {
    uint32_t v;
    if (!varint(v)) return false;
    n = static_cast<int32_t>((v >> 1) ^ (0u - (v & 1)));
    return true;
  }
  bool raw32(uint32_t& w) {
    if (left() < 4) return false;
    w = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
        static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
    at += 4;
    return true;
  }
  bool skip(size_t n) {
    if (left() < n) return false;
    at += n;
    return true;
  }
};

}  // namespace vyn::vynbin::format
