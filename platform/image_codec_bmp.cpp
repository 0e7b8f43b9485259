// platform/image_codec_bmp.cpp: our own BMP reader and writer. Reads uncompressed 1, 4, 8, 24 and
// 32 bits per pixel (32 with the usual masks), bottom-up or top-down; writes 32-bit BGRA. Every
// offset is checked against the data, so a truncated or lying header is a failed decode.
#include <cstring>

#include "platform/image_codec.hpp"

namespace vyn::imaging {

namespace {

uint32_t u16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t u32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

struct Header {
  uint32_t data_at, info_size, bits, compression, colours;
  int32_t width, height;
};

bool read_header(const uint8_t* b, size_t n, Header& h) {
  if (n < 54) return false;
  h.data_at = u32(b + 10);
  h.info_size = u32(b + 14);
  if (h.info_size < 40 || 14 + size_t{h.info_size} > n) return false;
  h.width = static_cast<int32_t>(u32(b + 18));
  h.height = static_cast<int32_t>(u32(b + 22));
  h.bits = u16(b + 28);
  h.compression = u32(b + 30);
  h.colours = u32(b + 46);
  bool plain = h.compression == 0 || (h.compression == 3 && h.bits == 32);
  return plain && h.width > 0 && h.height != 0 && h.height != INT32_MIN;
}

uint32_t pixel_at(const uint8_t* row, uint32_t x, const Header& h, const uint8_t* palette, uint32_t colours) {
  switch (h.bits) {
    case 32: return u32(row + size_t{x} * 4);
    case 24: {  // three bytes: a fourth may lie past the last row
      const uint8_t* q = row + size_t{x} * 3;
      return 0xFF000000u | q[0] | q[1] << 8 | uint32_t(q[2]) << 16;
    }
    default: {
      uint32_t per_byte = 8 / h.bits, shift = 8 - h.bits * (x % per_byte + 1);
      uint32_t index = row[x / per_byte] >> shift & ((1u << h.bits) - 1);
      if (index >= colours) return 0xFF000000u;
      return 0xFF000000u | (u32(palette + size_t{index} * 4) & 0xFFFFFF);
    }
  }
}

}  // namespace

bool decode_bmp(const uint8_t* b, size_t n, Pixels& out) {
  Header h;
  if (!read_header(b, n, h)) return false;
  if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 24 && h.bits != 32) return false;
  bool bottom_up = h.height > 0;
  uint32_t w = static_cast<uint32_t>(h.width), ht = static_cast<uint32_t>(bottom_up ? h.height : -h.height);
  if (!out.resize(w, ht)) return false;
  size_t stride = (size_t{w} * h.bits + 31) / 32 * 4;
  if (h.data_at > n || stride * ht > n - h.data_at) return false;
  const uint8_t* palette = b + 14 + h.info_size;
  uint32_t colours = h.bits <= 8 ? (h.colours ? h.colours : 1u << h.bits) : 0;
  if (colours > 256 || palette + size_t{colours} * 4 > b + n) return false;
  bool any_alpha = false;
  for (uint32_t y = 0; y < ht; ++y) {
    const uint8_t* row = b + h.data_at + stride * (bottom_up ? ht - 1 - y : y);
    for (uint32_t x = 0; x < w; ++x) {
      uint32_t p = pixel_at(row, x, h, palette, colours);
      any_alpha |= (p >> 24) != 0;
      out.data[size_t{y} * w + x] = p;
    }
  }
  // A 32-bit file whose fourth bytes are all zero carries no alpha: it is opaque.
  if (h.bits == 32 && !any_alpha)
    for (uint32_t& p : out.data) p |= 0xFF000000u;
  return true;
}

bool encode_bmp(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out) {
  uint32_t data_size = w * h * 4;
  uint8_t head[54] = {'B', 'M'};
  auto put32 = [&](int at, uint32_t v) { for (int i = 0; i < 4; ++i) head[at + i] = uint8_t(v >> (8 * i)); };
  put32(2, 54 + data_size);
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, static_cast<uint32_t>(-static_cast<int32_t>(h)));  // top-down rows
  head[26] = 1;
  head[28] = 32;
  put32(34, data_size);
  put32(38, 2835);  // 72 dots per inch
  put32(42, 2835);
  out.assign(reinterpret_cast<const char*>(head), 54);
  out.append(reinterpret_cast<const char*>(pixels), data_size);
  return true;
}

}  // namespace vyn::imaging
