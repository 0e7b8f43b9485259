// core/codecs/zwrap.cpp: the zlib and gzip framings around a raw DEFLATE stream.
#include <cstring>
#include <initializer_list>

#include "core/codecs/deflate.hpp"

namespace vyn::compress {
namespace {

constexpr uint8_t gzip_magic[3] = {0x1F, 0x8B, 0x08};
enum GzipFlag : uint8_t { fhcrc = 2, fextra = 4, fname = 8, fcomment = 16 };

uint32_t read_be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
uint32_t read_le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void write_le32(uint8_t* p, uint32_t v) {
  for (int k = 0; k < 4; ++k) p[k] = uint8_t(v >> (8 * k));
}

// Skips the optional gzip header fields; answers the offset of the deflate stream, or 0.
size_t gzip_body(const uint8_t* in, size_t length) {
  uint8_t flags = in[3];
  size_t p = 10;
  if (flags & fextra) {
    size_t xlen = size_t{in[p]} | size_t{in[p + 1]} << 8;
    if (xlen > length - 12) return 0;
    p += 2 + xlen;
  }
  for (uint8_t field : {fname, fcomment}) {
    if (!(flags & field)) continue;
    const void* nul = p < length ? std::memchr(in + p, 0, length - p) : nullptr;
    if (!nul) return 0;
    p = size_t(static_cast<const uint8_t*>(nul) - in) + 1;
  }
  if (flags & fhcrc) {
    if (p + 2 > length - 2) return 0;
    uint32_t crc = crc32(in, p) & 0xFFFF;
    if ((uint32_t{in[p]} | uint32_t{in[p + 1]} << 8) != crc) return 0;
    p += 2;
  }
  return p;
}

}  // namespace

int zlib_compress(uint8_t* out, size_t& size, const uint8_t* in, size_t length) {
  if (!out || size < 6) {
    size = length + 6;
    return corrupt;
  }
  size_t capacity = size, body = capacity - 2;
  out[0] = 0x78;
  out[1] = 0x01;
  int r = deflate_compress(out + 2, body, in, length);
  size = body + 6;
  if (r != done || body + 6 > capacity) return r == done ? too_small : r;
  uint32_t adler = adler32(in, length);
  for (int k = 0; k < 4; ++k) out[2 + body + k] = uint8_t(adler >> (24 - 8 * k));
  return done;
}

int zlib_decompress(uint8_t* out, size_t& size, const uint8_t* in, size_t length) {
  if (length < 6) return corrupt;
  uint8_t cmf = in[0], flg = in[1];
  if ((cmf * 256u + flg) % 31 || (cmf & 0x0F) != 8 || (cmf & 0x80) || (flg & 0x20)) return corrupt;
  int r = deflate_decompress(out, size, in + 2, length - 6);
  if (r != done) return r;
  return adler32(out, size) == read_be32(in + length - 4) ? done : corrupt;
}

int gzip_compress(uint8_t* out, size_t& size, const uint8_t* in, size_t length) {
  if (length > 2 && std::memcmp(in, gzip_magic, 3) == 0) {
    if (!out || size < length) {
      size = length;
      return too_small;
    }
    std::memcpy(out, in, length);
    size = length;
    return done;
  }
  if (!out || size < 18) {
    size = length + 18;
    return corrupt;
  }
  size_t capacity = size, body = capacity - 10;
  static constexpr uint8_t header[10] = {0x1F, 0x8B, 0x08, 0, 0, 0, 0, 0, 0x04, 0x04};
  std::memcpy(out, header, 10);
  int r = deflate_compress(out + 10, body, in, length);
  size = body + 18;
  if (r != done || body + 18 > capacity) return r == done ? too_small : r;
  write_le32(out + 10 + body, crc32(in, length));
  write_le32(out + 14 + body, uint32_t(length));
  return done;
}

int gzip_decompress(uint8_t* out, size_t& size, const uint8_t* in, size_t length) {
  if (length < 18 || std::memcmp(in, gzip_magic, 3) != 0 || in[3] >= 32) return corrupt;
  size_t body = gzip_body(in, length);
  if (body == 0 || body > length - 8) return corrupt;
  uint32_t isize = read_le32(in + length - 4);
  size_t capacity = out ? size : 0;
  // Measuring decodes the stream rather than trusting ISIZE, so a forged trailer cannot make
  // the caller allocate more than the data holds.
  size_t produced = capacity;
  int r = deflate_decompress(out, produced, in + body, length - 8 - body);
  if (r != done && r != too_small) return r;
  if (produced != isize) return corrupt;
  size = isize;
  if (r == too_small) return too_small;
  return crc32(out, isize) == read_le32(in + length - 8) ? done : corrupt;
}

}  // namespace vyn::compress
