// platform/image_codec_gif.cpp: GIF through the library's memory reader and writer. Decoding
// paints the first frame onto a transparent canvas of the screen's size; encoding keeps up to
// 255 distinct colours exactly and otherwise maps onto a fixed 6x7x6 colour cube, with one more
// palette entry for pixels that are mostly transparent.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/dynlib.hpp"
#include "platform/image_codec.hpp"

namespace vyn::imaging {

namespace {

os::DynLib libgif("libgif.so.7");
#define GIF_FN(name) VYN_DYN_FN_ONCE(libgif, name)

struct Reader {
  const uint8_t* bytes;
  size_t n, at = 0;
};

int read_fn(GifFileType* gif, GifByteType* to, int len) {
  auto* r = static_cast<Reader*>(gif->UserData);
  size_t k = std::min(static_cast<size_t>(len), r->n - r->at);
  std::memcpy(to, r->bytes + r->at, k);
  r->at += k;
  return static_cast<int>(k);
}

int write_fn(GifFileType* gif, const GifByteType* from, int len) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(from), len);
  return len;
}

// The transparent index of a graphic control extension, whose sub-blocks are all read.
bool read_extension(GifFileType* gif, int& transparent) {
  int code = 0;
  GifByteType* block = nullptr;
  if (GIF_FN(DGifGetExtension)(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
    GraphicsControlBlock gcb{};
    if (GIF_FN(DGifExtensionToGCB)(block[0], block + 1, &gcb) == GIF_OK) transparent = gcb.TransparentColor;
  }
  while (block)
    if (GIF_FN(DGifGetExtensionNext)(gif, &block) == GIF_ERROR) return false;
  return true;
}

// Decodes the frame whose descriptor was just read, a row at a time, onto the screen-sized canvas.
bool paint(GifFileType* gif, int transparent, Pixels& out) {
  const GifImageDesc& d = gif->Image;
  const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
  if (!map || d.Width <= 0 || d.Height <= 0 || uint64_t(d.Width) * uint64_t(d.Height) > out.limit)
    return false;
  if (!out.resize(gif->SWidth, gif->SHeight)) return false;
  static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
  std::vector<GifByteType> row(size_t(d.Width));
  for (int pass = d.Interlace ? 0 : 3; pass < 4; ++pass) {
    for (int y = d.Interlace ? start[pass] : 0; y < d.Height; y += d.Interlace ? step[pass] : 1) {
      if (GIF_FN(DGifGetLine)(gif, row.data(), d.Width) == GIF_ERROR) return false;
      int64_t cy = int64_t{d.Top} + y;
      for (int x = 0; x < d.Width && cy < out.height; ++x) {
        int64_t cx = int64_t{d.Left} + x;
        int index = row[size_t(x)];
        if (cx >= out.width || index == transparent || index >= map->ColorCount) continue;
        const GifColorType& c = map->Colors[index];
        out.data[size_t(cy) * out.width + size_t(cx)] = 0xFF000000u | c.Red << 16 | c.Green << 8 | c.Blue;
      }
    }
  }
  return true;
}

// Reads records up to the first frame and paints it; the frames after it are never read, so an
// animation costs no more than its first frame.
bool first_frame(GifFileType* gif, Pixels& out) {
  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType type;
    if (GIF_FN(DGifGetRecordType)(gif, &type) == GIF_ERROR || type == TERMINATE_RECORD_TYPE) return false;
    if (type == EXTENSION_RECORD_TYPE && !read_extension(gif, transparent)) return false;
    if (type == IMAGE_DESC_RECORD_TYPE)
      return GIF_FN(DGifGetImageDesc)(gif) != GIF_ERROR && paint(gif, transparent, out);
  }
}

// Palette for the pixels: index per pixel in indexes, colours in map; transparent index 255.
void quantize(const uint32_t* px, size_t n, std::vector<GifByteType>& indexes, ColorMapObject* map) {
  std::unordered_map<uint32_t, int> seen;
  for (size_t i = 0; i < n && seen.size() <= 255; ++i)
    if (px[i] >> 24 >= 128) seen.emplace(px[i] & 0xFFFFFF, 0);
  bool exact = seen.size() <= 255;
  int k = 0;
  if (exact) {
    for (auto& [rgb, index] : seen) {
      index = k;
      map->Colors[k++] = GifColorType{GifByteType(rgb >> 16), GifByteType(rgb >> 8), GifByteType(rgb)};
    }
  } else {
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 7; ++g)
        for (int b = 0; b < 6; ++b)
          map->Colors[k++] = GifColorType{GifByteType(r * 51), GifByteType(g * 255 / 6), GifByteType(b * 51)};
  }
  for (; k < 256; ++k) map->Colors[k] = GifColorType{0, 0, 0};
  indexes.resize(n);
  for (size_t i = 0; i < n; ++i) {
    uint32_t p = px[i];
    if (p >> 24 < 128) indexes[i] = 255;
    else if (exact) indexes[i] = GifByteType(seen[p & 0xFFFFFF]);
    else indexes[i] = GifByteType(((p >> 16 & 255) * 6 / 256) * 42 + ((p >> 8 & 255) * 7 / 256) * 6 + (p & 255) * 6 / 256);
  }
}

bool write_frame(GifFileType* gif, const uint32_t* px, uint32_t w, uint32_t h) {
  ColorMapObject* map = GIF_FN(GifMakeMapObject)(256, nullptr);
  if (!map) return false;
  std::vector<GifByteType> indexes;
  quantize(px, size_t{w} * h, indexes, map);
  bool ok = GIF_FN(EGifPutScreenDesc)(gif, int(w), int(h), 8, 0, map) == GIF_OK;
  GraphicsControlBlock gcb{};
  gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
  gcb.TransparentColor = 255;
  GifByteType ext[4];
  GIF_FN(EGifGCBToExtension)(&gcb, ext);
  ok = ok && GIF_FN(EGifPutExtension)(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK;
  ok = ok && GIF_FN(EGifPutImageDesc)(gif, 0, 0, int(w), int(h), false, nullptr) == GIF_OK;
  for (uint32_t y = 0; ok && y < h; ++y) ok = GIF_FN(EGifPutLine)(gif, &indexes[size_t{y} * w], int(w)) == GIF_OK;
  GIF_FN(GifFreeMapObject)(map);
  return ok;
}

}  // namespace

bool decode_gif(const uint8_t* bytes, size_t n, Pixels& out) {
  if (!libgif.available()) return false;
  Reader r{bytes, n};
  int error = 0;
  GifFileType* gif = GIF_FN(DGifOpen)(&r, read_fn, &error);
  if (!gif) return false;
  bool ok = first_frame(gif, out);
  GIF_FN(DGifCloseFile)(gif, &error);
  return ok;
}

bool encode_gif(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out) {
  if (!libgif.available()) return false;
  int error = 0;
  GifFileType* gif = GIF_FN(EGifOpen)(&out, write_fn, &error);
  if (!gif) return false;
  GIF_FN(EGifSetGifVersion)(gif, true);
  bool ok = write_frame(gif, pixels, w, h);
  return GIF_FN(EGifCloseFile)(gif, &error) == GIF_OK && ok;
}

}  // namespace vyn::imaging
