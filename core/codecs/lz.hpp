// core/codecs/lz.hpp: the runtime's own LZ77 packing: the unpacker and its bit stream.
//
// A packed block is an 8-byte header (packed size, unpacked size, both 32-bit little-endian)
// followed by packed-size bytes of chunks. A chunk is its unpacked length L (32-bit
// little-endian, 1 to 1 MB) followed by tokens read least significant bit first:
//
//   0 + 8 bits                          a literal byte
//   1 + length code n + offset code b   copy n + 3 bytes from b + 1 bytes back in the chunk
//
//   length code: 1 xx -> 0..3   01 xx -> 4..7   001 xx -> 8..11   0001 xxx -> 12..19
//                00001 5 bits -> 20..51          00000 9 bits -> 52..563
//   offset code: 4 bits k, j = k + 2; j == 2: 3 bits; else j bits + 2^j
//
// Bits left over at the end of a chunk are dropped; the next chunk starts at the next whole byte.
// Nothing packs at run time; the writing half of the stream serves tools and tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::compress {

inline constexpr uint32_t max_chunk = 0x100000;

// One bit stream: reads packed input, writes into an output buffer from the platform heap.
struct Stream {
  uint64_t bits = 0;               // the bit buffer, next bit in bit 0
  int count = 0;                   // bits in the buffer
  const uint8_t* read = nullptr;   // next unconsumed input byte
  const uint8_t* end = nullptr;    // end of the input: reading past it is an error
  uint8_t* out = nullptr;
  uint32_t capacity = 0;
  uint32_t used = 0;
  bool error = false;              // set by any read past the input or write past the capacity
};

// Empties the bit buffer, points the reader at [input, input_end) and allocates an output buffer
// of capacity bytes. Raises internal/no-memory when the heap refuses.
void new_stream(Stream& s, uint32_t capacity, const uint8_t* input, const uint8_t* input_end);
// Reserves n output bytes and answers their address; a negative n or one that does not fit sets
// the error flag and answers nullptr.
uint8_t* take_bytes(Stream& s, int64_t n);
// The next n bits (n <= 32), first bit in bit 0; input bytes are consumed only as bits are
// needed. Past the end of the input: the error flag and 0.
uint32_t get_bits(int n, Stream& s);
// Appends the low n bits of value (n <= 32), least significant first, writing out whole bytes.
void put_bits(int n, uint32_t value, Stream& s);
void free_buffer(uint8_t* buffer);

// Unpacks the packed block of length bytes into a new platform-heap buffer, storing the unpacked
// length in size_out when given. Answers nullptr, with nothing left allocated, when the block is
// malformed or truncated. Never reads outside [packed, packed + length).
uint8_t* unpack(const uint8_t* packed, size_t length, uint32_t* size_out);

}  // namespace vyn::compress
