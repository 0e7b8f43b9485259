// Image transforms: the quad geometry, the warp and its image-level front, and the YCbCr
// converter. No language operation reaches them, so they are tested here.
#include "values/images/image_transform.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "core/stack.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/images/image.hpp"
#include "values/numbers/pair.hpp"

namespace vyn::image_transform {
namespace {

Quad rect(float x0, float y0, float x1, float y1) {
  Quad q;
  q.x[0] = x0, q.y[0] = y0, q.x[1] = x1, q.y[1] = y0, q.x[2] = x1, q.y[2] = y1, q.x[3] = x0, q.y[3] = y1;
  return q;
}

const std::vector<uint32_t> src = {0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10, 0x11121314, 0x15161718};

TEST(ImageTransform, PointInQuadCountsEdgesInside) {
  Quad q = rect(0, 0, 4, 4);
  struct Case { float x, y; bool in; } cases[] = {
      {2, 2, true}, {0, 0, true}, {4, 2, true}, {2, 4, true}, {-0.5f, 2, false}, {2, 4.5f, false}, {5, 5, false}};
  for (auto c : cases) EXPECT_EQ(point_in_quad(q, c.x, c.y), c.in) << c.x << "," << c.y;
}

TEST(ImageTransform, VectorHelpers) {
  EXPECT_DOUBLE_EQ(length(Vec2{3, 4}), 5);
  EXPECT_DOUBLE_EQ(normalize(Vec2{0, 0}).x, 0);  // no division by zero
  Vec2 r = rotate(Vec2{1, 0}, 90);
  EXPECT_NEAR(r.x, 0, 1e-9);
  EXPECT_NEAR(r.y, 1, 1e-9);
  EXPECT_DOUBLE_EQ(line_distance(0, 3, 0, 0, 5, 0), 3);
  Quad q = rect(1, 1, 3, 2);
  flip_x(q, 1);
  EXPECT_FLOAT_EQ(q.x[1], -1);
}

TEST(ImageTransform, WarpIntoOwnRectangleReproducesSource) {
  Box box;
  std::vector<uint32_t> out = quad_warp(src.data(), 3, 2, rect(0, 0, 3, 2), box);
  EXPECT_EQ(box.w, 3);
  EXPECT_EQ(box.h, 2);
  EXPECT_EQ(out, src);
  EXPECT_EQ(resize_buffer(src.data(), 3, 2, 3, 2), src);
}

TEST(ImageTransform, OutsideTheQuadStaysZeroAndDegenerateQuadsGiveNothing) {
  Quad tri;  // a diamond inside its 4 × 4 box: the box's corners lie outside it
  tri.x[0] = 2, tri.y[0] = 0, tri.x[1] = 4, tri.y[1] = 2, tri.x[2] = 2, tri.y[2] = 4, tri.x[3] = 0, tri.y[3] = 2;
  Box box;
  std::vector<uint32_t> out = quad_warp(src.data(), 3, 2, tri, box);
  ASSERT_EQ(out.size(), 16u);
  EXPECT_EQ(out[0], 0u);
  EXPECT_EQ(out[3], 0u);
  EXPECT_NE(out[2 * 4 + 2], 0u);
  Quad point = rect(1, 1, 1, 1);
  EXPECT_TRUE(quad_warp(src.data(), 3, 2, point, box).empty());
  EXPECT_TRUE(quad_warp(src.data(), 0, 2, rect(0, 0, 3, 2), box).empty());
  EXPECT_TRUE(quad_warp(src.data(), 3, 2, rect(0, 0, 1e9f, 1e9f), box).empty());  // box too large
}

TEST(ImageTransform, CopyRectangleClipsToTheSource) {
  std::vector<uint32_t> out;
  ASSERT_TRUE(copy_rectangle(src.data(), 3, 2, 1, 1, 5, 5, out));
  EXPECT_EQ(out, (std::vector<uint32_t>{0x11121314, 0x15161718}));
  EXPECT_FALSE(copy_rectangle(src.data(), 3, 2, -1, 0, 1, 1, out));
  EXPECT_FALSE(copy_rectangle(src.data(), 3, 2, 3, 0, 1, 1, out));
}

TEST(ImageTransform, YuyvGrey) {
  const uint8_t grey[4] = {128, 128, 128, 128};
  uint32_t out[2];
  yuyv_to_rgba(2, 1, grey, out);
  EXPECT_EQ(out[0], 0xFF808080u);
  EXPECT_EQ(out[1], 0xFF808080u);
}

using ImageTransformImage = test::RuntimeTest;

TEST_F(ImageTransformImage, PlacesCroppedAndMirroredImages) {
  Cell* img = image::push_pixels(src.data(), 3, 2);
  Box box;
  Cell* corner = stack::push(pair::make(5, 5));
  Cell* out = transform(img, nullptr, corner, 1, box);
  ASSERT_TRUE(out->is(Type::image));
  EXPECT_EQ(image::width(*out), 3);
  EXPECT_EQ(image::pixels(*out)[4], src[4]);
  Cell* crop = stack::push(pair::make(1, 0));
  stack::push(pair::make(2, 2));
  out = transform(img, crop, corner, 1, box);
  EXPECT_EQ(image::width(*out), 2);
  EXPECT_EQ(image::pixels(*out)[0], src[1]);
  // top-left right of top-right: mirrored across, reported with a negative width
  Cell* two = stack::push(pair::make(3, 0));
  stack::push(pair::make(0, 2));
  out = transform(img, nullptr, two, 2, box);
  EXPECT_EQ(box.w, -3);
  EXPECT_TRUE(transform(img, nullptr, two, 5, box)->is(Type::none_));
}

}  // namespace
}  // namespace vyn::image_transform
