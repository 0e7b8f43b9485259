// core/stack.hpp: the value stack. Its 20,000 cells live on the platform heap and never move, so
// addresses of stack cells stay good across allocations.
#pragma once

#include "core/cell.hpp"

namespace vyn::stack {

inline constexpr int value_capacity = 20000;

// The stack's state; read through the functions below, which every call site inlines.
struct State {
  Cell* base = nullptr;
  Cell* next = nullptr;  // the next free cell
  Cell* end = nullptr;
  Cell* args = nullptr;  // the current call's first cell
};
extern State state;

void init();
// Pulls the top back 5 cells (not below the bottom) and empties the cycle stack: the recovery
// both stacks make before raising internal/stack-overflow.
[[noreturn]] void overflow();

inline Cell* bottom() { return state.base; }
inline Cell* top() { return state.next; }  // the next free cell
inline Cell* arguments() { return state.args; }  // the current call's first cell, its result slot
inline void set_top(Cell* c) { state.next = c; }
inline void set_arguments(Cell* c) { state.args = c; }

// Positions on the value stack as 32-bit indexes (frame records and contexts keep these).
inline uint32_t index_of(const Cell* c) { return static_cast<uint32_t>(c - state.base); }
inline Cell* at_index(uint32_t index) { return state.base + index; }

// Reserves the cell at the top. The cell that would reach the end is never handed out: overflow
// pulls the top back 5 cells, empties the cycle stack and raises internal/stack-overflow.
inline Cell* push_cell() {
  if (state.next + 1 >= state.end) overflow();
  return state.next++;
}
inline Cell* push(const Cell& value) {
  Cell v = value;  // the value may be a cell of the stack itself
  Cell* c = push_cell();
  *c = v;
  return c;
}
inline Cell* push_unset() { return push(make_unset()); }
void pop(int n);            // never below the bottom
inline Cell* reset() { return state.next = state.args; }  // top := arguments
inline Cell* keep() {       // top := arguments + 1: only the result slot stays
  state.next = state.args + 1;
  return state.args;
}
inline void set_last(const Cell& value) { *state.args = value; }
void set_last_reset(const Cell& value);
void keep_error_result();
// The cell below the top, or the bottom cell when the stack is empty.
inline Cell* last_value() { return state.next > state.base ? state.next - 1 : state.base; }
inline Type top_type() { return last_value()->type(); }
inline int depth() { return static_cast<int>(state.next - state.base); }

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
