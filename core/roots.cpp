// core/roots.cpp: the root slot stack.
#include "core/roots.hpp"

#include <cassert>

#include "core/error.hpp"

namespace vyn {
namespace {
Cell slots[roots::capacity];
int used = 0;
}  // namespace

Root::Root(const Cell& value) {
  if (used == roots::capacity) fire(Err::internal_limit_hit, {make_integer(roots::capacity)});
  cell_ = &slots[used++];
  *cell_ = value;
}

Root::~Root() {
  assert(cell_ == &slots[used - 1] && "roots are released in reverse order");
  --used;
}

namespace roots {
Cell* begin() { return slots; }
Cell* end() { return slots + used; }
}  // namespace roots

}  // namespace vyn
