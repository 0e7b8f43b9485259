// tests/fuzz/image_fuzz.cpp: libFuzzer target: arbitrary bytes through every image decoder.
//
// The first byte picks the decoder, so each format's reader sees the data whether or not it starts
// with the format's signature; the rest also goes through the sniffing dispatch. An image that
// decodes and is small is encoded in every format and decoded again, and must come back the same
// size. Nothing here may crash, leak or read outside the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/image_codec.hpp"

namespace {

using namespace vyn;

// A tiny compressed file may declare millions of pixels, each a pass of the (instrumented) loops:
// a lower cap keeps an iteration fast; the caps themselves are checked the same way.
constexpr uint64_t fuzz_pixels = uint64_t{1} << 18;

bool (*const decoders[])(const uint8_t*, size_t, imaging::Pixels&) = {
    imaging::decode_bmp, imaging::decode_png, imaging::decode_gif, imaging::decode_jpeg,
    imaging::decode_tiff};

void round_trip(const imaging::Pixels& px) {
  if (uint64_t{px.width} * px.height > 4096) return;
  for (int format = imaging::bmp; format <= imaging::tiff; ++format) {
    std::string file;
    if (!imaging::encode(px.data.data(), px.width, px.height, format, file)) continue;
    imaging::Pixels back;
    auto* b = reinterpret_cast<const uint8_t*>(file.data());
    if (!imaging::decode(b, file.size(), back) || back.width != px.width || back.height != px.height)
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 16) return 0;
  imaging::Pixels px;
  px.limit = fuzz_pixels;
  if (decoders[data[0] % 5](data + 1, size - 1, px)) round_trip(px);
  imaging::Pixels any;
  any.limit = fuzz_pixels;
  imaging::decode(data + 1, size - 1, any);
  return 0;
}
