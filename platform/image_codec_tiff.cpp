// platform/image_codec_tiff.cpp: TIFF through the library's client interface over memory. The
// library's warning and error printers are silenced: a bad file is only a failed decode.
#include <tiffio.h>

#include <algorithm>
#include <cstring>

#include "platform/dynlib.hpp"
#include "platform/image_codec.hpp"

namespace vyn::imaging {

namespace {

os::DynLib libtiff("libtiff.so.6");
#define TIFF_FN(name) VYN_DYN_FN(libtiff, name)

// A growable in-memory file: reads from bytes, or writes into data.
struct MemFile {
  const uint8_t* bytes = nullptr;
  std::string* data = nullptr;
  size_t size = 0, at = 0;
};

tmsize_t read_fn(thandle_t h, void* to, tmsize_t len) {
  auto* f = static_cast<MemFile*>(h);
  const uint8_t* src = f->data ? reinterpret_cast<const uint8_t*>(f->data->data()) : f->bytes;
  size_t k = f->at >= f->size ? 0 : std::min(static_cast<size_t>(len), f->size - f->at);
  std::memcpy(to, src + f->at, k);
  f->at += k;
  return static_cast<tmsize_t>(k);
}

tmsize_t write_fn(thandle_t h, void* from, tmsize_t len) {
  auto* f = static_cast<MemFile*>(h);
  if (!f->data) return 0;
  size_t end = f->at + static_cast<size_t>(len);
  if (end > f->data->size()) f->data->resize(end);
  std::memcpy(f->data->data() + f->at, from, static_cast<size_t>(len));
  f->at = end;
  f->size = std::max(f->size, end);
  return len;
}

toff_t seek_fn(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemFile*>(h);
  uint64_t base = whence == SEEK_CUR ? f->at : whence == SEEK_END ? f->size : 0;
  f->at = static_cast<size_t>(base + off);
  return f->at;
}

int close_fn(thandle_t) { return 0; }
toff_t size_fn(thandle_t h) { return static_cast<MemFile*>(h)->size; }
int map_fn(thandle_t, void**, toff_t*) { return 0; }
void unmap_fn(thandle_t, void*, toff_t) {}

// nullptr when the file can't be opened, or when the system has no TIFF library.
TIFF* open(MemFile& f, const char* mode) {
  if (!libtiff.available()) return nullptr;
  TIFF_FN(TIFFSetErrorHandler)(nullptr);
  TIFF_FN(TIFFSetWarningHandler)(nullptr);
  return TIFF_FN(TIFFClientOpen)("memory", mode, &f, read_fn, write_fn, seek_fn, close_fn, size_fn,
                                 map_fn, unmap_fn);
}

// The library packs A, B, G, R from the high byte down, with the colour multiplied by alpha:
// swap red and blue into place and divide the alpha back out.
uint32_t straight(uint32_t p) {
  uint32_t a = p >> 24, r = p & 0xFF, g = p >> 8 & 0xFF, b = p >> 16 & 0xFF;
  if (a && a < 255) {
    r = std::min(255u, (r * 255 + a / 2) / a);
    g = std::min(255u, (g * 255 + a / 2) / a);
    b = std::min(255u, (b * 255 + a / 2) / a);
  }
  return a << 24 | r << 16 | g << 8 | b;
}

}  // namespace

bool decode_tiff(const uint8_t* bytes, size_t n, Pixels& out) {
  MemFile f;
  f.bytes = bytes;
  f.size = n;
  TIFF* tif = open(f, "rm");
  if (!tif) return false;
  uint32_t w = 0, h = 0;
  TIFF_FN(TIFFGetField)(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFF_FN(TIFFGetField)(tif, TIFFTAG_IMAGELENGTH, &h);
  bool ok = out.resize(w, h) &&
            TIFF_FN(TIFFReadRGBAImageOriented)(tif, w, h, out.data.data(), ORIENTATION_TOPLEFT, 0) == 1;
  TIFF_FN(TIFFClose)(tif);
  if (ok)
    for (uint32_t& p : out.data) p = straight(p);
  return ok;
}

bool encode_tiff(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out) {
  MemFile f;
  f.data = &out;
  TIFF* tif = open(f, "wm");
  if (!tif) return false;
  uint16_t extra = EXTRASAMPLE_UNASSALPHA;
  TIFF_FN(TIFFSetField)(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFF_FN(TIFFSetField)(tif, TIFFTAG_IMAGELENGTH, h);
  TIFF_FN(TIFFSetField)(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
  TIFF_FN(TIFFSetField)(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFF_FN(TIFFSetField)(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  TIFF_FN(TIFFSetField)(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFF_FN(TIFFSetField)(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFF_FN(TIFFSetField)(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFF_FN(TIFFSetField)(tif, TIFFTAG_ROWSPERSTRIP, h);
  std::vector<uint8_t> row(size_t{w} * 4);
  bool ok = true;
  for (uint32_t y = 0; ok && y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      uint32_t p = pixels[size_t{y} * w + x];
      uint8_t* o = &row[size_t{x} * 4];
      o[0] = uint8_t(p >> 16), o[1] = uint8_t(p >> 8), o[2] = uint8_t(p), o[3] = uint8_t(p >> 24);
    }
    ok = TIFF_FN(TIFFWriteScanline)(tif, row.data(), y, 0) == 1;
  }
  TIFF_FN(TIFFClose)(tif);
  return ok;
}

}  // namespace vyn::imaging
