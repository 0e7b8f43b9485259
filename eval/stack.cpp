// eval/stack.cpp: the value stack's storage and push/pop.
#include "eval/stack.hpp"

#include "core/error.hpp"
#include "core/series.hpp"

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

Cell* push(const Cell& value) {
  if (next >= end) {
    next -= 5;
    fire(Err::internal_stack_overflow);
  }
  *next = value;
  return next++;
}

Cell* push_unset() { return push(make_unset()); }

Cell* last_value() { return next > args ? next - 1 : args; }

int depth() { return static_cast<int>(next - base); }

}  // namespace vyn::stack
