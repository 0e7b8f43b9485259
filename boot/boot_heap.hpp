// boot/boot_heap.hpp: replaying start-up from a recording of what it does to the heap.
//
// Start-up, from the first built-in it makes until the boot image is decoded, does the same in
// every run: the run's folder, arguments and environment are read only after it. A tool built
// from the same sources (tools/make-boot-heap.cpp) runs that stretch once at build time and
// records what it did (core/heap_snapshot.hpp): the buffers made and changed, and, attached, what
// it left outside the heap (the image's place in the root block, the last class id, the shapes
// of the built-ins, how many C++ bodies were registered). The program links the record and,
// when its heap is as the recording found it, replays it instead of running the stretch: it maps
// the buffers, registers the C++ bodies in the order the stretch registers them, and puts back
// the rest. Any other heap runs the stretch.
#pragma once

#include <cstdint>
#include <string>

namespace vyn::boot::heap {

// Set by the recording tool: called where the stretch starts, with the fingerprint's extra part,
// and where it ends (the program then runs the stretch even when it carries a recording).
inline void (*on_start)(uint64_t extra) = nullptr;

// Replays the recording when there is one and the heap fits it; restore_outside then registers
// the C++ bodies (in the stretch's order) and notes what start-up keeps outside the heap. False
// when the stretch must run instead.
bool replay(void (*restore_outside)());
// Where the stretch starts when it runs: tells the recording tool.
void note_start();
// What the stretch left outside the heap, for the recording.
std::string outside_state();
// VYN_BOOT_HEAP=report: says on standard error whether the heap was replayed.
void report(bool replayed);

}  // namespace vyn::boot::heap
