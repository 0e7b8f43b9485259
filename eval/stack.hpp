// eval/stack.hpp: the value stack. Its 20,000 cells live on the platform heap and never move, so
// addresses of stack cells stay good across allocations.
#pragma once

#include "core/cell.hpp"

namespace vyn::stack {

inline constexpr int value_capacity = 20000;

void init();
Cell* bottom();
Cell* top();          // the next free cell
Cell* arguments();    // the current call's first cell, also its result slot
void set_top(Cell* c);
void set_arguments(Cell* c);

// Pushes a copy of the value; overflow pulls the top back 5 cells and raises
// internal/stack-overflow.
Cell* push(const Cell& value);
Cell* push_unset();
Cell* last_value();   // the cell below the top (the result slot when nothing was pushed)
int depth();          // cells in use

// Restores the top on scope exit, for C++ code that pushes temporaries.
class Mark {
 public:
  Mark() : saved_(top()) {}
  ~Mark() { set_top(saved_); }
  Mark(const Mark&) = delete;
  Mark& operator=(const Mark&) = delete;

 private:
  Cell* saved_;
};

}  // namespace vyn::stack
