// core/sort.cpp: swapping records, and the language comparator hook until the interpreter fills it.
#include "core/sort.hpp"

#include <cstring>

#include "core/error.hpp"

namespace vyn::sort {
namespace {
Cell no_interpreter(Cell*, Cell*, Cell*) { fire(Err::internal_not_done); }
}  // namespace

Cell (*call_comparator)(Cell* function, Cell* first, Cell* second) = no_interpreter;

void swap(uint8_t* a, uint8_t* b, uint32_t size, bool bytewise) {
  if (a == b) return;
  if (bytewise) {
    for (uint32_t i = 0; i < size; ++i) {
      uint8_t t = a[i];
      a[i] = b[i];
      b[i] = t;
    }
    return;
  }
  for (uint32_t i = 0; i < size; i += 4) {
    uint32_t x, y;
    std::memcpy(&x, a + i, 4);
    std::memcpy(&y, b + i, 4);
    std::memcpy(a + i, &y, 4);
    std::memcpy(b + i, &x, 4);
  }
}

}  // namespace vyn::sort
