// view/tui/screen/cell_buffer.hpp: the screen cell, the colour encoding and the buffer the interface is
// drawn into before a frame is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vyn::tui {

// A colour: the top byte is the kind, the low bytes the value.
namespace color {
inline constexpr uint32_t kind_default = 0;
inline constexpr uint32_t kind_basic = 1;    // index in the low 4 bits
inline constexpr uint32_t kind_palette = 2;  // 256-colour palette index in the low byte
inline constexpr uint32_t kind_rgb = 4;      // 0xRRGGBB in the low 24 bits
inline constexpr uint32_t kind(uint32_t c) { return c >> 24; }
inline constexpr uint32_t basic(int index) { return (kind_basic << 24) | (index & 0xF); }
inline constexpr uint32_t palette(int index) { return (kind_palette << 24) | (index & 0xFF); }
inline constexpr uint32_t rgb(uint32_t rrggbb) { return (kind_rgb << 24) | (rrggbb & 0xFFFFFF); }
}  // namespace color

// Attribute bits of a cell. The low twelve bits double as the attribute part of render flags.
namespace attr {
inline constexpr uint32_t blink = 0x1, bold = 0x2, dim = 0x4, reverse = 0x8, underline = 0x10,
                          strike = 0x40, italic = 0x100, hidden = 0x200,
                          continuation = 0x400,  // right half of a double-width character
                          masked = 0x800;        // written as "*"
}  // namespace attr

// Control bits of render flags; the other bits are attributes OR-ed into every cell drawn.
namespace render {
inline constexpr uint32_t escapes = 0x1000;  // interpret escape sequences in the text
inline constexpr uint32_t ui_only = 0x2000;  // draw the widget's ui string, not the face's text
}  // namespace render

// Alignment bits (from a face's para).
namespace align {
inline constexpr uint32_t right = 0x1, center = 0x2, middle = 0x4, bottom = 0x8, wrap = 0x20;
}  // namespace align

struct ScreenCell {
  int32_t cp = 0;  // code point; 0 shows as a space
  uint32_t bg = 0;
  uint32_t fg = 0;
  uint32_t attrs = 0;
};

// Width x height cells, row by row. The storage only grows.
class CellBuffer {
 public:
  void resize(int width, int height);  // also clears
  void clear();
  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }
  ScreenCell& at(int x, int y) { return cells_[static_cast<size_t>(y) * width_ + x]; }
  const ScreenCell& at(int x, int y) const { return cells_[static_cast<size_t>(y) * width_ + x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

 private:
  std::vector<ScreenCell> cells_;
  int width_ = 0, height_ = 0;
};

// A clip rectangle: x1, y1 inclusive; x2, y2 exclusive.
struct Rect {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool empty() const { return x2 <= x1 || y2 <= y1; }
};

// The running style while text is drawn.
struct Style {
  uint32_t attrs = 0;   // attribute bits
  uint32_t align = 0;   // alignment bits
  uint32_t fg = 0, bg = 0;
};

// The buffer every frame is drawn into.
CellBuffer& buffer();

}  // namespace vyn::tui
