// core/codecs/deflate_huffman.hpp: length-limited Huffman code lengths and canonical codes.
#pragma once

#include <cstdint>

namespace vyn::compress {

// Code lengths (at most limit bits) for the m symbols of freq. Fewer than two used symbols still
// give two codes of length 1, so every code the encoder sends is complete.
void build_lengths(const uint32_t* freq, int m, int limit, uint8_t* lengths);

// The canonical codes of lengths, bit-reversed so they can be written least significant bit first.
void build_codes(const uint8_t* lengths, int m, uint16_t* codes);

}  // namespace vyn::compress
