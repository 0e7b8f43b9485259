// view/tui/draw/draw_internal.hpp: what the parts of the draw dialect's interpreter share: reading the
// argument cells of a command and raising the dialect's errors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/cell.hpp"
#include "view/tui/draw/draw_primitives.hpp"

namespace vyn::draw {

using tui_draw::Point;

// Raises draw-invalid with the block positioned at index (an absolute cell index).
[[noreturn]] void raise_invalid(const Cell& block, int32_t index);
// Raises draw-infinite with the block as given.
[[noreturn]] void raise_infinite(const Cell& block);

// The colour of a tuple: R in the low byte; a tuple of more than 3 bytes also gives its alpha.
uint32_t color_of(const Cell& tuple, bool* alpha);
double to_float(const Cell& number);

// An object's field by name, or none when it has none.
Cell field(const Cell& obj, const char* name);

// Whether a word's spelling is name (ASCII letter case ignored).
bool word_is(const Cell& word, const char* name);

// The arguments of the commands of one block, read from left to right. Cells are copied out of
// the block at each read, since drawing may allocate.
class Args {
 public:
  Args(const Cell& block, int32_t index) : block_(block), index_(index) {}

  int32_t index() const { return index_; }
  const Cell& block() const { return block_; }
  bool more() const;
  Cell peek() const;  // the next cell (none at the tail)
  Cell take();
  [[noreturn]] void fail() const { raise_invalid(block_, index_); }
  [[noreturn]] void fail_at(int32_t index) const { raise_invalid(block_, index); }

  Point point();
  bool opt_point(Point& out);
  double number();
  bool opt_number(double& out);
  bool opt_integer(int32_t& out);
  // A tuple, or a word whose value is one.
  uint32_t colour();
  bool opt_colour(uint32_t& out);
  // The next word when it is name; with lit set, a lit-word.
  bool opt_word(const char* name, bool lit = false);
  Cell word();
  Cell block_arg();
  bool opt_block(Cell& out);
  // A value of the type, or a word whose value has it.
  Cell value_of(Type t);
  // At least min points; too few raises at the last point taken (or here when none).
  std::vector<Point> points(size_t min);

 private:
  // The value a word stands for, or unset when it has none.
  Cell word_value(const Cell& w) const;
  bool peek_number() const;
  bool peek_point() const;

  Cell block_;
  int32_t index_;
};

Point point_of(const Cell& p);

}  // namespace vyn::draw
