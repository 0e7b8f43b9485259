// core/sort_quick.cpp: the default sort over records in a series buffer or fixed memory.
#include "core/sort.hpp"
#include "core/sort_quick.hpp"
#include "core/sort_view.hpp"

namespace vyn::sort {

void quick(const Records& records, uint32_t n, uint32_t size, intptr_t w1, intptr_t w2, Compare compare) {
  if (n <= 1) return;
  View v(records, n, size, w1, w2, compare);
  quick_view(v, n);
}

}  // namespace vyn::sort
