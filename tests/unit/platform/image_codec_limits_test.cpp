// Image decoders on files that are valid but costly: progressive JPEGs with many scans, and a
// declared size far beyond the pixel cap, are refused before the work or the memory is spent.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>  // after <cstdio>: it needs FILE and size_t

#include "platform/image_codec.hpp"

namespace vyn::imaging {
namespace {

// A w × h progressive JPEG: the library's simple progression, or a script of one scan per
// coefficient, component and approximation bit (379 scans).
std::string progressive_jpeg(uint32_t w, uint32_t h, bool many_scans) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  std::vector<jpeg_scan_info> scans{{3, {0, 1, 2}, 0, 0, 0, 0}};
  for (int al : {1, 0})
    for (int comp = 0; comp < 3; ++comp)
      for (int k = 1; k < 64; ++k) scans.push_back({1, {comp}, k, k, al == 0 ? 1 : 0, al});
  if (many_scans) {
    c.scan_info = scans.data();
    c.num_scans = static_cast<int>(scans.size());
  } else {
    jpeg_simple_progression(&c);
  }
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(size_t{w} * 3);
  for (uint32_t y = 0; y < h; ++y) {
    for (size_t x = 0; x < row.size(); ++x) row[x] = static_cast<unsigned char>(x * 7 + y * 13);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<const char*>(mem), size);
  std::free(mem);
  return out;
}

bool decodes(const std::string& s, Pixels& px) {
  return decode(reinterpret_cast<const uint8_t*>(s.data()), s.size(), px);
}

TEST(ImageCodecLimits, ProgressiveJpegWithTooManyScansIsRefused) {
  Pixels px;
  ASSERT_TRUE(decodes(progressive_jpeg(16, 8, false), px));
  EXPECT_EQ(px.width, 16u);
  EXPECT_EQ(px.height, 8u);
  EXPECT_FALSE(decodes(progressive_jpeg(16, 8, true), px));
}

// The frame header's size fields patched to 60000 × 60000: refused from the header, before the
// library allocates buffers for the whole image.
TEST(ImageCodecLimits, JpegDeclaringTooManyPixelsIsRefused) {
  for (bool progressive : {false, true}) {
    std::string file = progressive_jpeg(16, 8, false);
    size_t sof = file.find("\xFF\xC2");
    ASSERT_NE(sof, std::string::npos);
    if (!progressive) file[sof + 1] = '\xC0';
    file[sof + 5] = file[sof + 7] = '\xEA';
    file[sof + 6] = file[sof + 8] = '\x60';
    Pixels px;
    EXPECT_FALSE(decodes(file, px)) << progressive;
  }
}

}  // namespace
}  // namespace vyn::imaging
