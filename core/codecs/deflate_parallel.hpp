// core/codecs/deflate_parallel.hpp: the encoder's parse of a large input in segments on several
// threads, joined into the very symbols one parse over the whole input makes.
#pragma once

#include <cstdint>

#include "core/codecs/deflate_internal.hpp"
#include "core/codecs/deflate_parse.hpp"

namespace vyn::compress {

// Inputs this large are parsed in segments.
inline constexpr uint32_t parallel_input = uint32_t{4} << 20;

// Parses the n bytes of blocks.data and writes every block, the final one included; false, with
// nothing done, when its scratch space would pass the allocation cap.
bool encode_parallel(BlockWriter& blocks, uint32_t n);
// Ends a parse that stopped in state s after the n bytes: the byte still pending, the final block.
void finish(BlockWriter& blocks, const ParseState& s, uint32_t n);

}  // namespace vyn::compress
