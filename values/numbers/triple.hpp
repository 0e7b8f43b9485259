// values/numbers/triple.hpp: triple!, three signed 32-bit integers in payload words 1-3, made only by the
// runtime itself; it molds as the construction "make triple! [1 -2 3]".
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::triple {

inline Cell make(int32_t a, int32_t b, int32_t c) {
  return make_cell(Type::triple, static_cast<uint32_t>(a), static_cast<uint32_t>(b), static_cast<uint32_t>(c));
}

}  // namespace vyn::triple
