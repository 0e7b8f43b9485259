// platform/image_codec.hpp: decoding and encoding image files (BMP, PNG, GIF, JPEG, TIFF) to and
// from plain pixel arrays. A pixel is one 32-bit word 0xAARRGGBB (bytes in memory B, G, R, A),
// alpha 255 opaque, rows without padding. Malformed input never crashes: decoding answers false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vyn::imaging {

enum Format : int { bmp = 0, png = 1, gif = 2, jpeg = 3, tiff = 4 };

// Width and height each stay at or below this, as image! values pack them into 16 bits.
inline constexpr uint32_t max_side = 65535;
// A decoder allocates its pixels from the header before the data proves itself, so a tiny
// corrupt file could ask for gigabytes: images above this many pixels are refused.
inline constexpr uint64_t max_pixels = uint64_t{1} << 26;

struct Pixels {
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> data;
  // The most pixels a decoder may make; a caller may lower it before decoding.
  uint64_t limit = max_pixels;
  // Sizes the array; false when a side is 0 or above max_side, or more pixels than the limit.
  bool resize(uint32_t w, uint32_t h);
};

// The format the bytes start with, or -1 when they are no known image.
int sniff(const uint8_t* bytes, size_t n);
// Decodes the first frame. False on anything malformed or unknown.
bool decode(const uint8_t* bytes, size_t n, Pixels& out);
// Encodes w × h pixels; false for an unknown format or a failure of the encoder.
bool encode(const uint32_t* pixels, uint32_t w, uint32_t h, int format, std::string& out);

// One decoder and one encoder per format.
bool decode_bmp(const uint8_t* bytes, size_t n, Pixels& out);
bool decode_png(const uint8_t* bytes, size_t n, Pixels& out);
bool decode_gif(const uint8_t* bytes, size_t n, Pixels& out);
bool decode_jpeg(const uint8_t* bytes, size_t n, Pixels& out);
bool decode_tiff(const uint8_t* bytes, size_t n, Pixels& out);
bool encode_bmp(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out);
bool encode_png(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out);
bool encode_gif(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out);
bool encode_jpeg(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out);
bool encode_tiff(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out);

}  // namespace vyn::imaging
