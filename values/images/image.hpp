// values/images/image.hpp: image!, a two-dimensional series of pixels.
//
// Cell layout: w1 the head (a pixel index, 0 the top-left, counted row by row), w2 the node of a
// buffer of 4-byte units holding the pixels, w3 the size (width in the low 16 bits, height in
// the high 16 bits). A pixel is stored as 0xAARRGGBB (bytes B, G, R, A; alpha 255 opaque); at
// the language level it is the tuple R.G.B.T with transparency T = 255 - alpha. Every image
// owns a buffer, even one without pixels, so the series entries always find one.
#pragma once

#include <cstdint>
#include <string>

#include "core/cell.hpp"
#include "core/series.hpp"
#include "values/action_sigs.hpp"

namespace vyn::image {

inline uint32_t size_word(const Cell& c) { return series_extra(c); }
inline uint32_t make_size_word(int32_t w, int32_t h) {
  return static_cast<uint32_t>(w) | (static_cast<uint32_t>(h) << 16);
}
inline int32_t width(const Cell& c) { return static_cast<int32_t>(size_word(c) & 0xFFFF); }
inline int32_t height(const Cell& c) { return static_cast<int32_t>(size_word(c) >> 16); }
inline int32_t count(const Cell& c) { return width(c) * height(c); }
// The pixel array; good until the next allocation.
inline uint32_t* pixels(const Cell& c) { return reinterpret_cast<uint32_t*>(buffer_of(series_node(c))->data()); }

// A new w × h image on the stack, every pixel white and opaque. Sides must be below 65536 (larger
// raise script/out-of-range); negative sides count as 0.
Cell* push_new(int32_t w, int32_t h);
// A new image holding a copy of w × h pixels (which must not lie in a series buffer).
Cell* push_pixels(const uint32_t* px, int32_t w, int32_t h);

// Pixel conversions between the stored word and the language's tuple.
Cell pixel_tuple(uint32_t px);
uint32_t tuple_pixel(const Cell& tuple);

// The absolute pixel index that index (integer! or pair!) names from the head; base 1 or 0. With
// out_of_range given, a pair outside the image and an index outside 0..n-1 set it.
int32_t pixel_offset(const Cell& img, const Cell& index, int base, bool* out_of_range);

// Planes: kind 0 transparency (1 byte a pixel), 1 R, G, B (3 bytes), 2 the stored words (4 bytes).
Cell* extract_data(const Cell& img, int kind);
Cell* set_data(Cell* img, Cell* value, int kind);

// The entries other files share.
Cell* copy(Cell* value, Cell* result, Cell* part, bool deep, Cell* types);
Cell* change(Cell* series, Cell* value, int32_t part, bool only, int32_t dup);
Cell* pick(Cell* series, int32_t index, Cell* boxed);
Cell* poke(Cell* series, int32_t index, Cell* boxed, Cell* value);
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit);

// Codec entry points: decode gives none for bytes that are no known image, raises
// access/bad-media for a corrupt one and access/cannot-open for an unreadable file; encode
// gives the file's bytes as a binary! (empty for an image without pixels).
Cell* decode(Cell* data);
Cell* encode(Cell* img, int format);

void install();
// Binds the routines the image codec objects call.
void define_codec_routines();
// Registers their bodies only, in the same order.
void register_codec_bodies();

}  // namespace vyn::image
