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

// Positions on the value stack as 32-bit indexes (frame records and contexts keep these).
uint32_t index_of(const Cell* c);
Cell* at_index(uint32_t index);

// Reserves the cell at the top. The cell that would reach the end is never handed out: overflow
// pulls the top back 5 cells, empties the cycle stack and raises internal/stack-overflow.
Cell* push_cell();
Cell* push(const Cell& value);
Cell* push_unset();
void pop(int n);            // never below the bottom
Cell* reset();              // top := arguments
Cell* keep();               // top := arguments + 1: only the result slot stays
void set_last(const Cell& value);
void set_last_reset(const Cell& value);
void keep_error_result();
Type top_type();
Cell* last_value();   // the cell below the top, or the bottom cell when the stack is empty
int depth();          // cells in use
// Pulls the top back 5 cells (not below the bottom) and empties the cycle stack: the recovery
// both stacks make before raising internal/stack-overflow.
[[noreturn]] void overflow();

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
