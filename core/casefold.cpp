// core/casefold.cpp: case tables.
#include "core/casefold.hpp"

namespace vyn::casefold {

// TODO(casefold): only ASCII letters fold until the full tables land.
uint32_t to_upper(uint32_t cp) { return cp >= 'a' && cp <= 'z' ? cp - 32 : cp; }
uint32_t to_lower(uint32_t cp) { return cp >= 'A' && cp <= 'Z' ? cp + 32 : cp; }

}  // namespace vyn::casefold
