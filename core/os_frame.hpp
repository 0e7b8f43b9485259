// core/os_frame.hpp: memory frames taken from and returned to the operating system.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::alloc {

inline constexpr size_t page_size = 4096;

// (x + n - 1) rounded down to a multiple of n, a power of two.
constexpr size_t round_to(size_t x, size_t n) { return (x + n - 1) & ~(n - 1); }

// A frame is (size + 8) rounded up to whole pages; its first word holds that rounded size and the
// caller gets the address after it. A refused mapping raises internal/no-memory. A huge frame asks
// for 2 MB pages: one fault per 2 MB as it is filled, and fewer TLB misses when it is read.
// With reuse (a big series' frame) the frame may be cut from the spare, pages that a freed frame
// kept, faulted in already and not zeroed. With keep, a frame of 1 MB to 256 MB becomes the spare
// unless the spare is larger; the other of the two is released. The spare counts in os_total and
// is released whenever the cap would refuse a request, or by release_spare.
void* virtual_alloc(size_t size, bool huge = false, bool reuse = false);
void virtual_free(void* address, bool keep = false);
// A frame of size bytes (the first 8 taken by its size word) whose pages come from the program's
// own file: image is a page-aligned address in the program's loaded image, whose bytes the frame
// starts with. The pages are read from the file when first touched and copied when first written,
// so bytes never used cost nothing. Answers nullptr when the file cannot be mapped so.
void* map_program_frame(const void* image, size_t size);
void release_spare();
size_t spare_size();
// Resizes a frame of virtual_alloc to hold size bytes, keeping its contents: the system remaps its
// pages, so nothing is copied and only added pages are ever touched; a frame grows into the spare
// where it can, its added pages then holding whatever the spare held. Answers the frame's address,
// which may have changed, or nullptr (the frame left as it was) when the system or the cap refuses.
// A frame that holds size bytes already stays as it is.
void* virtual_resize(void* address, size_t size);

// Address space reserved without memory behind it (PROT_NONE), for areas whose parts are
// committed at fixed places later; nullptr when the system refuses.
void* reserve_space(size_t size);
// Commits (read-write, zero-filled) or returns the pages of part of a reserved area; both count in
// os_total. A refused commit raises internal/no-memory.
void commit_space(void* address, size_t size);
void decommit_space(void* address, size_t size);

// Bytes currently held in OS frames.
size_t os_total();

}  // namespace vyn::alloc
