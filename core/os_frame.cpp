// core/os_frame.cpp: OS frames over mmap/munmap.
#include "core/os_frame.hpp"

#include <sys/mman.h>

#include "core/alloc_limit.hpp"
#include "core/error.hpp"

namespace vyn::alloc {
namespace {
size_t total = 0;
}

void* virtual_alloc(size_t size, bool huge) {
  size_t rounded = round_to(size + sizeof(uint64_t), page_size);
  if (rounded < size || !within_limit(rounded)) fire(Err::internal_no_memory);
  void* p = mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) fire(Err::internal_no_memory);
  if (huge) madvise(p, rounded, MADV_HUGEPAGE);
  total += rounded;
  auto* words = static_cast<uint64_t*>(p);
  words[0] = rounded;
  return words + 1;
}

void virtual_free(void* address) {
  uint64_t* start = static_cast<uint64_t*>(address) - 1;
  size_t rounded = start[0];
  if (munmap(start, rounded) != 0) fire(Err::internal_wrong_mem);
  total -= rounded;
}

void* virtual_resize(void* address, size_t size) {
  uint64_t* start = static_cast<uint64_t*>(address) - 1;
  size_t old = start[0];
  size_t rounded = round_to(size + sizeof(uint64_t), page_size);
  if (rounded < size || (rounded > old && !within_limit(rounded - old))) return nullptr;
  void* p = mremap(start, old, rounded, MREMAP_MAYMOVE);
  if (p == MAP_FAILED) return nullptr;
  total = total - old + rounded;
  auto* words = static_cast<uint64_t*>(p);
  words[0] = rounded;
  return words + 1;
}

void* reserve_space(size_t size) {
  void* p = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void commit_space(void* address, size_t size) {
  if (!within_limit(size)) fire(Err::internal_no_memory);
  void* p = mmap(address, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
  if (p == MAP_FAILED) fire(Err::internal_no_memory);
  total += size;
}

void decommit_space(void* address, size_t size) {
  void* p = mmap(address, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) fire(Err::internal_wrong_mem);
  total -= size;
}

size_t os_total() { return total; }

}  // namespace vyn::alloc
