// eval/stack.cpp: the value stack's storage and push/pop.
#include "eval/stack.hpp"

#include "core/error.hpp"
#include "core/series.hpp"
#include "values/cycles.hpp"

namespace vyn::stack {
namespace {
Cell* base = nullptr;
Cell* next = nullptr;
Cell* end = nullptr;
Cell* args = nullptr;
}  // namespace

void init() {
  NodeId node = alloc::new_series_malloc(value_capacity, sizeof(Cell), 0);
  base = reinterpret_cast<Cell*>(buffer_of(node)->data());
  next = args = base;
  end = base + value_capacity;
}

Cell* bottom() { return base; }
Cell* top() { return next; }
Cell* arguments() { return args; }
void set_top(Cell* c) { next = c; }
void set_arguments(Cell* c) { args = c; }

uint32_t index_of(const Cell* c) { return static_cast<uint32_t>(c - base); }
Cell* at_index(uint32_t index) { return base + index; }

void overflow() {
  next = next - 5 < base ? base : next - 5;
  cycles::reset();
  fire(Err::internal_stack_overflow);
}

Cell* push_cell() {
  if (next + 1 >= end) overflow();
  return next++;
}

Cell* push(const Cell& value) {
  Cell* c = push_cell();
  *c = value;
  return c;
}

Cell* push_unset() { return push(make_unset()); }

void pop(int n) { next = next - n < base ? base : next - n; }
Cell* reset() { return next = args; }
Cell* keep() {
  next = args + 1;
  return args;
}
void set_last(const Cell& value) { *args = value; }
void set_last_reset(const Cell& value) {
  next = args + 1;
  *args = value;
}
void keep_error_result() {
  if (last_value()->is(Type::error)) *args = *last_value();
  next = args + 1;
}
Type top_type() { return last_value()->type(); }

Cell* last_value() { return next > base ? next - 1 : base; }

int depth() { return static_cast<int>(next - base); }

}  // namespace vyn::stack
