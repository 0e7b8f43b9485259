// view/tui/screen/cell_buffer.cpp: the buffer of screen cells the interface is drawn into.
#include "view/tui/screen/cell_buffer.hpp"

#include <algorithm>

namespace vyn::tui {

void CellBuffer::resize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  size_t need = static_cast<size_t>(width_) * height_;
  if (cells_.size() < need) cells_.resize(need);  // grows only
  clear();
}

void CellBuffer::clear() {
  std::fill_n(cells_.begin(), static_cast<size_t>(width_) * height_, ScreenCell{});
}

CellBuffer& buffer() {
  static CellBuffer the_buffer;
  return the_buffer;
}

}  // namespace vyn::tui
