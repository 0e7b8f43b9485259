// platform/image_codec.cpp: format sniffing and the dispatch to each format's codec.
#include "platform/image_codec.hpp"

#include <cstring>

namespace vyn::imaging {

bool Pixels::resize(uint32_t w, uint32_t h) {
  if (w == 0 || h == 0 || w > max_side || h > max_side || uint64_t{w} * h > limit) return false;
  width = w;
  height = h;
  data.assign(size_t{w} * h, 0);
  return true;
}

int sniff(const uint8_t* b, size_t n) {
  auto starts = [&](const char* s, size_t k) { return n >= k && std::memcmp(b, s, k) == 0; };
  if (starts("\x89PNG", 4)) return png;
  if (starts("\xFF\xD8\xFF", 3)) return jpeg;
  if (starts("BM", 2)) return bmp;
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return gif;
  if (starts("II*\0", 4) || starts("MM\0*", 4)) return tiff;
  return -1;
}

bool decode(const uint8_t* bytes, size_t n, Pixels& out) {
  switch (sniff(bytes, n)) {
    case bmp: return decode_bmp(bytes, n, out);
    case png: return decode_png(bytes, n, out);
    case gif: return decode_gif(bytes, n, out);
    case jpeg: return decode_jpeg(bytes, n, out);
    case tiff: return decode_tiff(bytes, n, out);
    default: return false;
  }
}

bool encode(const uint32_t* pixels, uint32_t w, uint32_t h, int format, std::string& out) {
  out.clear();
  if (w == 0 || h == 0) return true;
  switch (format) {
    case bmp: return encode_bmp(pixels, w, h, out);
    case png: return encode_png(pixels, w, h, out);
    case gif: return encode_gif(pixels, w, h, out);
    case jpeg: return encode_jpeg(pixels, w, h, out);
    case tiff: return encode_tiff(pixels, w, h, out);
    default: return false;
  }
}

}  // namespace vyn::imaging
