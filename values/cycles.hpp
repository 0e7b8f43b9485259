// values/cycles.hpp: the cycle stack (core/cycles.hpp) and the placeholder a series that contains
// itself forms or molds as.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/cycles.hpp"

namespace vyn::cycles {

// When the value's series (an object's context) is already on the stack, appends the placeholder
// for its type to buffer, lowers remaining by its length and answers true.
bool detect(const Cell& value, const Cell& buffer, int32_t& remaining, bool mold);

}  // namespace vyn::cycles
