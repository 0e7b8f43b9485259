// core/codecs/zwrap_checksum.cpp: the CRC-32 and Adler-32 that the gzip and zlib framings carry.
#include <array>

#include "core/codecs/deflate.hpp"

namespace vyn::compress {
namespace {

constexpr std::array<uint32_t, 256> make_crc_table() {
  std::array<uint32_t, 256> t{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[n] = c;
  }
  return t;
}

constexpr auto crc_table = make_crc_table();

}  // namespace

uint32_t crc32(const uint8_t* data, size_t length) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t k = 0; k < length; ++k) c = crc_table[(c ^ data[k]) & 0xFF] ^ (c >> 8);
  return ~c;
}

uint32_t adler32(const uint8_t* data, size_t length) {
  constexpr uint32_t base = 65521;
  constexpr size_t block = 5552;  // the longest run whose sums cannot overflow 32 bits
  uint32_t a = 1, b = 0;
  while (length) {
    size_t n = length < block ? length : block;
    length -= n;
    for (; n >= 8; n -= 8, data += 8) {  // b gains 8a plus each byte weighted by how many follow it
      b += 8 * a + 8u * data[0] + 7u * data[1] + 6u * data[2] + 5u * data[3] + 4u * data[4] +
           3u * data[5] + 2u * data[6] + data[7];
      a += uint32_t{data[0]} + data[1] + data[2] + data[3] + data[4] + data[5] + data[6] + data[7];
    }
    while (n--) a += *data++, b += a;
    a %= base;
    b %= base;
  }
  return b << 16 | a;
}

}  // namespace vyn::compress
