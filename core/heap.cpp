// core/heap.cpp: tracked platform-heap blocks.
#include "core/heap.hpp"

#include <cstdlib>
#include <unordered_set>

#include "core/error.hpp"

namespace vyn::heap {
namespace {
std::unordered_set<void*>& blocks() {
  static std::unordered_set<void*> live;
  return live;
}
}  // namespace

void* alloc(size_t size) {
  void* p = std::calloc(1, size);
  if (!p) fire(Err::internal_no_memory);
  blocks().insert(p);
  return p;
}

void free(void* block) {
  if (blocks().erase(block)) std::free(block);
}

void free_all() {
  for (void* p : blocks()) std::free(p);
  blocks().clear();
}

}  // namespace vyn::heap
