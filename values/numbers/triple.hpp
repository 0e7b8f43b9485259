// values/numbers/triple.hpp: triple!, three signed 32-bit integers in payload words 1-3, made only by the
// runtime itself; it molds as the construction "make triple! [1 -2 3]".
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::triple {

inline Cell make(int32_t a, int32_t b, int32_t c) {
  return make_cell(Type::triple, static_cast<uint32_t>(a), static_cast<uint32_t>(b), static_cast<uint32_t>(c));
}
// Component i, 0 to 2.
inline int32_t get(const Cell& t, int i) { return static_cast<int32_t>(i == 0 ? t.w1 : i == 1 ? t.w2 : t.w3); }
inline void set(Cell& t, int i, int32_t v) { (i == 0 ? t.w1 : i == 1 ? t.w2 : t.w3) = static_cast<uint32_t>(v); }

}  // namespace vyn::triple
