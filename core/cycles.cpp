// core/cycles.cpp: the cycle stack.
#include "core/cycles.hpp"

#include "core/error.hpp"

namespace vyn::cycles {
namespace {
NodeId stack[capacity];
int used = 0;
}  // namespace

void push(NodeId node) {
  stack[used++] = node;
  if (used == capacity) {
    used = 0;
    fire(Err::internal_too_deep);
  }
}

void pop() {
  if (used > 0) --used;
}
void pop_n(int n) { used = n > used ? 0 : used - n; }
void reset() { used = 0; }
int depth() { return used; }
NodeId* begin() { return stack; }
NodeId* end() { return stack + used; }

bool find(NodeId node) {
  for (int i = 0; i < used; ++i)
    if (stack[i] == node) return true;
  return false;
}

}  // namespace vyn::cycles
