// Image codec layer: every format round-trips, and no corrupted or truncated file crashes a
// decoder; BMP variants our own reader must handle.
#include "platform/image_codec.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vyn::imaging {
namespace {

const std::vector<uint32_t> sample = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0x80102030, 0xFF405060};

std::string encoded(int format) {
  std::string out;
  EXPECT_TRUE(encode(sample.data(), 3, 2, format, out));
  return out;
}

bool decodes(const std::string& s, Pixels& px) {
  return decode(reinterpret_cast<const uint8_t*>(s.data()), s.size(), px);
}

TEST(ImageCodec, LosslessFormatsRoundTrip) {
  for (int f : {bmp, png}) {
    Pixels px;
    ASSERT_TRUE(decodes(encoded(f), px)) << f;
    EXPECT_EQ(px.width, 3u);
    EXPECT_EQ(px.height, 2u);
    EXPECT_EQ(px.data, sample) << f;
  }
}

TEST(ImageCodec, SniffsEachSignature) {
  for (int f : {bmp, png, gif, jpeg, tiff}) EXPECT_EQ(sniff(reinterpret_cast<const uint8_t*>(encoded(f).data()), encoded(f).size()), f);
  EXPECT_EQ(sniff(reinterpret_cast<const uint8_t*>("GIF88a"), 6), -1);
  EXPECT_EQ(sniff(nullptr, 0), -1);
}

// Every byte set to 0xFF and to 0x00 in turn, and every prefix: decoding may fail or succeed,
// but must stay inside the data (the sanitizers watch) and never exceed the pixel cap.
TEST(ImageCodec, CorruptAndTruncatedFilesNeverCrash) {
  for (int f : {bmp, png, gif, jpeg, tiff}) {
    std::string good = encoded(f);
    for (size_t i = 0; i < good.size(); ++i) {
      for (char b : {'\xFF', '\x00'}) {
        std::string bad = good;
        bad[i] = b;
        Pixels px;
        if (decodes(bad, px)) EXPECT_EQ(px.data.size(), size_t{px.width} * px.height);
      }
      Pixels px;
      decodes(good.substr(0, i), px);
    }
  }
}

// A BMP built by hand, 2 pixels wide unless told.
std::string bmp_file(uint16_t bits, const std::string& palette, const std::string& rows, int32_t height,
                     uint32_t width = 2) {
  std::string h(54, '\0');
  auto put = [&](size_t at, uint32_t v, int n) { for (int i = 0; i < n; ++i) h[at + i] = char(v >> (8 * i)); };
  h[0] = 'B', h[1] = 'M';
  put(10, uint32_t(54 + palette.size()), 4);
  put(14, 40, 4);
  put(18, width, 4);
  put(22, uint32_t(height), 4);
  put(26, 1, 2);
  put(28, bits, 2);
  put(46, uint32_t(palette.size() / 4), 4);
  return h + palette + rows;
}

TEST(ImageCodec, BmpVariants) {
  // rows padded to 4 bytes; bottom row first
  std::string rows24 = std::string("\x01\x02\x03\x04\x05\x06\0\0", 8) + std::string("\x0A\x0B\x0C\x0D\x0E\x0F\0\0", 8);
  Pixels px;
  ASSERT_TRUE(decodes(bmp_file(24, "", rows24, 2), px));
  EXPECT_EQ(px.data, (std::vector<uint32_t>{0xFF0C0B0A, 0xFF0F0E0D, 0xFF030201, 0xFF060504}));
  ASSERT_TRUE(decodes(bmp_file(24, "", rows24, -2), px));  // top-down
  EXPECT_EQ(px.data[0], 0xFF030201u);
  std::string palette("\x10\x20\x30\0\x40\x50\x60\0", 8);
  std::string rows8("\x00\x01\0\0\x01\x00\0\0", 8);
  ASSERT_TRUE(decodes(bmp_file(8, palette, rows8, 2), px));
  EXPECT_EQ(px.data, (std::vector<uint32_t>{0xFF605040, 0xFF302010, 0xFF302010, 0xFF605040}));
  EXPECT_FALSE(decodes(bmp_file(24, "", rows24.substr(0, 10), 2), px));  // rows missing
  EXPECT_FALSE(decodes(bmp_file(16, "", rows24, 2), px));                // unsupported depth
}

// Four 24-bit pixels fill a row with no padding: the last pixel's three bytes end the file, and
// the file lies in a heap block of its exact size, so a read past them is caught.
TEST(ImageCodec, BmpLastPixelEndsTheFile) {
  std::string file = bmp_file(24, "", "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C", 1, 4);
  std::vector<uint8_t> exact(file.begin(), file.end());
  Pixels px;
  ASSERT_TRUE(decode_bmp(exact.data(), exact.size(), px));
  EXPECT_EQ(px.data, (std::vector<uint32_t>{0xFF030201, 0xFF060504, 0xFF090807, 0xFF0C0B0A}));
}

TEST(ImageCodec, RefusesHugeDeclaredSizes) {
  std::string rows(16, '\0');
  std::string h = bmp_file(24, "", rows, 60000);
  h[18] = char(0x60), h[19] = char(0xEA);  // width 60000
  Pixels px;
  EXPECT_FALSE(decodes(h, px));
}

TEST(ImageCodec, EmptyImageEncodesToNothing) {
  std::string out = "x";
  EXPECT_TRUE(encode(nullptr, 0, 5, png, out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(encode(sample.data(), 3, 2, 9, out));
}

}  // namespace
}  // namespace vyn::imaging
