// core/text/byte_search.hpp: finding a run of bytes in a longer one, exactly or with ASCII letters
// taken in either case.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::byte_search {

// The offset of the first place in text[0, length) where the n bytes of pattern (n >= 1) stand,
// or -1. With fold an ASCII letter of the pattern also matches its other case; every other byte
// matches itself only. Never allocates.
int64_t find(const uint8_t* text, size_t length, const uint8_t* pattern, size_t n, bool fold);

}  // namespace vyn::byte_search
