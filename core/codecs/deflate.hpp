// core/codecs/deflate.hpp: raw DEFLATE streams and their zlib and gzip framings, in one call each.
//
// Every entry point has the same shape: output buffer, in/out size (the capacity on entry; on
// return the length of the whole result, also when it did not fit), input, input length. The
// output may be null with capacity 0: a decoder then only measures. Nothing is ever written past
// the capacity, and nothing is read outside the input.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::compress {

enum Status : int {
  done = 0,
  too_small = 1,     // the size holds the length needed: call again with that much room
  corrupt = 2,       // corrupt or unsupported input
  stored_short = 3,  // a stored block is longer than the input left
  bad_block = 4,     // block type 3
  too_far = 5,       // a distance reaches before the start of the output
};

// No decoder produces more than this; a stream claiming more is corrupt.
inline constexpr uint64_t max_output = 0x7FFFFFFF;

int deflate_compress(uint8_t* out, size_t& size, const uint8_t* in, size_t length);
int deflate_decompress(uint8_t* out, size_t& size, const uint8_t* in, size_t length);
int zlib_compress(uint8_t* out, size_t& size, const uint8_t* in, size_t length);
int zlib_decompress(uint8_t* out, size_t& size, const uint8_t* in, size_t length);
int gzip_compress(uint8_t* out, size_t& size, const uint8_t* in, size_t length);
int gzip_decompress(uint8_t* out, size_t& size, const uint8_t* in, size_t length);

// The checksums of the framings: the reflected CRC-32 of gzip and the Adler-32 of zlib.
uint32_t crc32(const uint8_t* data, size_t length);
uint32_t adler32(const uint8_t* data, size_t length);

}  // namespace vyn::compress
