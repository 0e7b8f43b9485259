// values/images/image_transform.hpp: placing an image into an arbitrary four-cornered area: small vector
// helpers, a point-in-quad test, quad mirroring, a clipped rectangle copy, the quad warp with
// bilinear sampling, a resize built on it, the image-level transform, and a packed YCbCr 4:2:2
// converter. They work on arrays of 32-bit pixels whose four bytes are independent channels.
#pragma once

#include <cstdint>
#include <vector>

#include "core/cell.hpp"

namespace vyn::image_transform {

struct Vec2 {
  double x = 0, y = 0;
};
double length(Vec2 v);
// Divides by the length; a zero vector stays zero.
Vec2 normalize(Vec2 v);
Vec2 between(float ax, float ay, float bx, float by);
double cross(Vec2 a, Vec2 b);
double dot(Vec2 a, Vec2 b);
Vec2 rotate(Vec2 v, int degrees);
bool side_negative(float px, float py, float ax, float ay, float bx, float by);
bool side_positive(float px, float py, float ax, float ay, float bx, float by);
double line_distance(float px, float py, float ax, float ay, float bx, float by);

// Corners top-left, top-right, bottom-right, bottom-left; edge i runs from corner i to i + 1.
struct Quad {
  float x[4] = {}, y[4] = {};
};
// Points on an edge are inside.
bool point_in_quad(const Quad& q, float x, float y);
void flip_x(Quad& q, float c);
void flip_y(Quad& q, float c);

// Copies the rectangle at (x, y) clipped to the source into dst, packed with the clipped row
// length; false (nothing copied) when x or y is negative or outside the source.
bool copy_rectangle(const uint32_t* src, int32_t sw, int32_t sh, int32_t x, int32_t y, int32_t w, int32_t h,
                    std::vector<uint32_t>& dst);

struct Box {
  int32_t x = 0, y = 0, w = 0, h = 0;
};
// The source warped into the quad, over the quad's bounding box (pixels outside the quad stay
// zero). Empty when a source side is below 1, the quad is degenerate or the box is empty or
// too large.
std::vector<uint32_t> quad_warp(const uint32_t* src, int32_t sw, int32_t sh, const Quad& q, Box& box);
// The source warped into the rectangle (0, 0)-(nw, nh); empty unless the result has that size.
std::vector<uint32_t> resize_buffer(const uint32_t* src, int32_t sw, int32_t sh, int32_t nw, int32_t nh);
// Packed Y0 Cb Y1 Cr samples to pixels whose bytes are R, G, B, 255.
void yuyv_to_rgba(int32_t w, int32_t h, const uint8_t* src, uint32_t* dst);

// Places the image (or the crop: offset and size pairs, or nullptr) into the quad named by
// count corner values (pair! or point2D!: top-left, then top-right, bottom-left, bottom-right
// as given) and pushes the new image, or none for more than four corners or an empty warp. The
// box gets the bounding box, its width (height) negated when the quad was mirrored across.
Cell* transform(Cell* img, const Cell* crop, const Cell* corners, int count, Box& box);

}  // namespace vyn::image_transform
