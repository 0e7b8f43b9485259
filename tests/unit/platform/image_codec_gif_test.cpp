// The GIF reader: an interlaced frame's rows land where they belong, only the first frame of an
// animation is read, and a frame beyond the pixel cap is refused before any of it is decoded.
#include <gif_lib.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/image_codec.hpp"

namespace vyn::imaging {
namespace {

int write_fn(GifFileType* gif, const GifByteType* from, int len) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(from), len);
  return len;
}

// A GIF of a w × h screen whose first frame is h rows of w pixels, row r all of colour r (grey
// level 10 r), written in interlaced order when asked; then the raw bytes of more, then the end.
std::string gif_file(int w, int h, bool interlaced, const std::string& more = "") {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, write_fn, &error);
  ColorMapObject* map = GifMakeMapObject(256, nullptr);
  for (int i = 0; i < 256; ++i) map->Colors[i] = GifColorType{GifByteType(i * 10), GifByteType(i * 10), GifByteType(i * 10)};
  EGifPutScreenDesc(gif, w, h, 8, 0, map);
  EGifPutImageDesc(gif, 0, 0, w, h, interlaced, nullptr);
  static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
  std::vector<int> order;
  if (interlaced) {
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < h; y += step[pass]) order.push_back(y);
  } else {
    for (int y = 0; y < h; ++y) order.push_back(y);
  }
  for (int y : order) {
    std::vector<GifPixelType> row(size_t(w), static_cast<GifPixelType>(y));
    EGifPutLine(gif, row.data(), w);
  }
  GifFreeMapObject(map);
  EGifCloseFile(gif, &error);
  if (!more.empty()) out.insert(out.size() - 1, more);  // before the trailer
  return out;
}

bool decodes(const std::string& s, Pixels& px) {
  return decode(reinterpret_cast<const uint8_t*>(s.data()), s.size(), px);
}

TEST(ImageCodecGif, InterlacedRowsLandInPlace) {
  for (int h : {1, 2, 5, 9, 17}) {
    for (bool interlaced : {false, true}) {
      Pixels px;
      ASSERT_TRUE(decodes(gif_file(3, h, interlaced), px)) << h;
      for (int y = 0; y < h; ++y) EXPECT_EQ(px.data[size_t(y) * 3 + 1], 0xFF000000u | uint32_t(y * 10) * 0x010101u) << h << " " << y;
    }
  }
}

// After a good first frame comes a second whose descriptor claims 65535 × 65535 and whose data is
// cut short: the second frame is never read.
TEST(ImageCodecGif, OnlyTheFirstFrameIsRead) {
  std::string second("\x2C\0\0\0\0\xFF\xFF\xFF\xFF\0\x08\x05\x01\x02\x03\x04\x05", 17);
  Pixels px;
  ASSERT_TRUE(decodes(gif_file(4, 3, false, second), px));
  EXPECT_EQ(px.width, 4u);
  EXPECT_EQ(px.data[4 * 2], 0xFF141414u);
}

// A 2 × 2 screen whose first frame claims 65535 × 65535 pixels.
TEST(ImageCodecGif, FrameBeyondThePixelCapIsRefused) {
  std::string file = gif_file(2, 2, false);
  size_t desc = file.find('\x2C', 13 + 768);
  ASSERT_NE(desc, std::string::npos);
  file.replace(desc + 5, 4, "\xFF\xFF\xFF\xFF");
  Pixels px;
  EXPECT_FALSE(decodes(file, px));
}

}  // namespace
}  // namespace vyn::imaging
