// platform/image_codec_png.cpp: PNG through the library's simplified memory interface, which
// reports malformed data as a failed call rather than ending the process.
#include <png.h>

#include <cstring>

#include "platform/dynlib.hpp"
#include "platform/image_codec.hpp"

namespace vyn::imaging {

namespace {

os::DynLib libpng("libpng16.so.16");
#define PNG_FN(name) VYN_DYN_FN_ONCE(libpng, name)

}  // namespace

bool decode_png(const uint8_t* bytes, size_t n, Pixels& out) {
  if (!libpng.available()) return false;
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!PNG_FN(png_image_begin_read_from_memory)(&img, bytes, n)) return false;
  img.format = PNG_FORMAT_BGRA;
  if (!out.resize(img.width, img.height)) {
    PNG_FN(png_image_free)(&img);
    return false;
  }
  if (!PNG_FN(png_image_finish_read)(&img, nullptr, out.data.data(), 0, nullptr)) {
    PNG_FN(png_image_free)(&img);
    return false;
  }
  return true;
}

bool encode_png(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out) {
  if (!libpng.available()) return false;
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = w;
  img.height = h;
  img.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  // writing to no memory measures the size
  if (!PNG_FN(png_image_write_to_memory)(&img, nullptr, &size, 0, pixels, 0, nullptr)) return false;
  out.resize(size);
  if (!PNG_FN(png_image_write_to_memory)(&img, out.data(), &size, 0, pixels, 0, nullptr)) return false;
  out.resize(size);
  return true;
}

}  // namespace vyn::imaging
