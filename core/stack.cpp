// core/stack.cpp: the value stack's storage and push/pop.
#include "core/stack.hpp"

#include "core/error.hpp"
#include "core/series.hpp"
#include "core/cycles.hpp"

namespace vyn::stack {

State state;

void init() {
  NodeId node = alloc::new_series_malloc(value_capacity, sizeof(Cell), 0);
  state.base = reinterpret_cast<Cell*>(buffer_of(node)->data());
  state.next = state.args = state.base;
  state.end = state.base + value_capacity;
}

void overflow() {
  state.next = state.next - 5 < state.base ? state.base : state.next - 5;
  cycles::reset();
  fire(Err::internal_stack_overflow);
}

void pop(int n) { state.next = state.next - n < state.base ? state.base : state.next - n; }

void set_last_reset(const Cell& value) {
  state.next = state.args + 1;
  *state.args = value;
}

void keep_error_result() {
  if (last_value()->is(Type::error)) *state.args = *last_value();
  state.next = state.args + 1;
}

}  // namespace vyn::stack
