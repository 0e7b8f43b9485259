// core/os_frame.cpp: OS frames over mmap/munmap.
#include "core/os_frame.hpp"

#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include "core/alloc_limit.hpp"
#include "core/error.hpp"

namespace vyn::alloc {
namespace {
size_t total = 0;

// The spare: whole pages of a freed big frame, kept mapped and counted in total, for the next big
// frame to take without faulting them in again. A spare under spare_least is released, and a frame
// over spare_most is never kept.
struct Spare {
  uint8_t* at = nullptr;
  size_t size = 0;
} spare;
constexpr size_t spare_least = size_t{1} << 20;
constexpr size_t spare_most = size_t{256} << 20;

void unmap(void* start, size_t n) {
  if (munmap(start, n) != 0) fire(Err::internal_wrong_mem);
  total -= n;
}

// The first n bytes of the spare, which keeps the rest.
uint64_t* take_spare(size_t n) {
  auto* words = reinterpret_cast<uint64_t*>(spare.at);
  spare.at += n;
  spare.size -= n;
  if (spare.size < spare_least) release_spare();
  return words;
}

uint64_t* framed(uint64_t* words, size_t rounded) {
  words[0] = rounded;
  return words + 1;
}

}  // namespace

void* virtual_alloc(size_t size, bool huge, bool reuse) {
  size_t rounded = round_to(size + sizeof(uint64_t), page_size);
  if (rounded < size) fire(Err::internal_no_memory);
  if (reuse && spare.size >= rounded) {
    uint64_t* words = take_spare(rounded);
    if (huge) madvise(words, rounded, MADV_HUGEPAGE);
    return framed(words, rounded);
  }
  if (!within_limit(rounded)) fire(Err::internal_no_memory);
  void* p = mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) fire(Err::internal_no_memory);
  if (huge) madvise(p, rounded, MADV_HUGEPAGE);
  total += rounded;
  return framed(static_cast<uint64_t*>(p), rounded);
}

namespace {

struct FileSpan {
  uintptr_t address;
  off_t offset = -1;
};

// The offset in the program's file of an address in its loaded image (its first object's loaded
// segments), when the address lies in one that the file holds.
int find_offset(dl_phdr_info* info, size_t, void* data) {
  auto* span = static_cast<FileSpan*>(data);
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& ph = info->dlpi_phdr[i];
    uintptr_t start = info->dlpi_addr + ph.p_vaddr;
    if (ph.p_type == PT_LOAD && span->address >= start && span->address < start + ph.p_filesz)
      span->offset = static_cast<off_t>(span->address - start + ph.p_offset);
  }
  return 1;  // the program comes first; the libraries are not looked at
}

}  // namespace

void* map_program_frame(const void* image, size_t size) {
  size_t rounded = round_to(size, page_size);
  FileSpan span{reinterpret_cast<uintptr_t>(image)};
  if (span.address % page_size || !within_limit(rounded)) return nullptr;
  dl_iterate_phdr(find_offset, &span);
  if (span.offset < 0) return nullptr;
  int fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  void* p = mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, span.offset);
  close(fd);
  if (p == MAP_FAILED) return nullptr;
  total += rounded;
  return framed(static_cast<uint64_t*>(p), rounded);
}

void virtual_free(void* address, bool keep) {
  uint64_t* start = static_cast<uint64_t*>(address) - 1;
  size_t rounded = start[0];
  if (!keep || rounded < spare_least || rounded > spare_most) return unmap(start, rounded);
  if (spare.size >= rounded) return unmap(start, rounded);  // the larger of the two stays
  release_spare();
  spare = {reinterpret_cast<uint8_t*>(start), rounded};
}

void release_spare() {
  if (!spare.size) return;
  Spare s = spare;
  spare = {};
  unmap(s.at, s.size);
}

size_t spare_size() { return spare.size; }

// Growing into the spare: when the spare follows the frame, the frame takes the pages it needs
// from its front; else, when the spare holds the whole new size, the frame's pages are moved onto
// the spare's front, replacing those, and the frame takes the rest it needs from behind them.
void* grow_into_spare(uint64_t* start, size_t old, size_t rounded) {
  auto* end = reinterpret_cast<uint8_t*>(start) + old;
  if (spare.at == end && old + spare.size >= rounded) {
    take_spare(rounded - old);
    return framed(start, rounded);
  }
  if (spare.size < rounded) return nullptr;
  void* p = mremap(start, old, old, MREMAP_MAYMOVE | MREMAP_FIXED, spare.at);
  if (p == MAP_FAILED) return nullptr;
  total -= old;  // the moved pages took the place of as many of the spare's
  return framed(take_spare(rounded), rounded);
}

void* virtual_resize(void* address, size_t size) {
  uint64_t* start = static_cast<uint64_t*>(address) - 1;
  size_t old = start[0];
  size_t rounded = round_to(size + sizeof(uint64_t), page_size);
  if (rounded < size) return nullptr;
  if (rounded <= old) return address;  // the frame holds that much already
  if (void* grown = grow_into_spare(start, old, rounded)) return grown;
  if (!within_limit(rounded - old)) return nullptr;
  void* p = mremap(start, old, rounded, MREMAP_MAYMOVE);
  if (p == MAP_FAILED) return nullptr;
  total = total - old + rounded;
  return framed(static_cast<uint64_t*>(p), rounded);
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
