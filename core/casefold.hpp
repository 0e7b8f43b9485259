// core/casefold.hpp: upper and lower case of code points over the whole code range.
#pragma once

#include <cstdint>

namespace vyn::casefold {

uint32_t to_upper(uint32_t cp);
uint32_t to_lower(uint32_t cp);

}  // namespace vyn::casefold
