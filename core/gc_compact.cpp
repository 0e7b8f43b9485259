// core/gc_compact.cpp: sliding live series buffers together within and across series frames, and
// stress mode's evacuation of every live buffer to fresh frames.
#include <cstring>
#include <vector>

#include "core/gc.hpp"
#include "core/gc_internal.hpp"

namespace vyn::gc::detail {
namespace {

using alloc::SeriesFrame;

// A frame takes runs from the frame above it only while this much of it stays free, so that
// compaction does not fill a frame that allocation would then pass over.
constexpr size_t move_floor = alloc::frame_floor + 1;

constexpr uint32_t live_bits = SeriesBuffer::in_use | SeriesBuffer::mark;
bool live(const SeriesBuffer* b) { return (b->flags & live_bits) == live_bits; }
size_t room(const SeriesFrame* f) { return static_cast<size_t>(f->end - f->bump); }

// Walks a frame's buffers in address order. A dead buffer's node goes back to its frame (an
// abandoned buffer has none); each run of consecutive live buffers loses its marks and is handed
// to place(start, length), which may move it anywhere below the walk.
template <class Place>
void walk(SeriesFrame* f, Place&& place) {
  uint8_t* at = f->heap();
  uint8_t* const end = f->bump;
  while (at < end) {
    auto* b = reinterpret_cast<SeriesBuffer*>(at);
    if (!live(b)) {
      if ((b->flags & SeriesBuffer::in_use) && b->node) release_node(b->node);
      at += footprint(b);
      continue;
    }
    uint8_t* start = at;
    for (; at < end && live(b = reinterpret_cast<SeriesBuffer*>(at)); at += footprint(b))
      b->flags &= ~SeriesBuffer::mark;
    place(start, static_cast<size_t>(at - start));
  }
}

// Runs go to the end of the frame below while they fit and it keeps move_floor free; the others
// slide down over the dead space before them.
void compact_frame(SeriesFrame* f) {
  SeriesFrame* below = f->prev;
  bool into_below = below && room(below) >= move_floor;
  uint8_t* to = f->heap();
  uint8_t* old_bump = f->bump;
  walk(f, [&](uint8_t* start, size_t n) {
    if (into_below && n <= room(below)) {
      std::memcpy(below->bump, start, n);
      relink(below->bump, below->bump + n);
      below->bump += n;
      into_below = room(below) >= move_floor;
      return;
    }
    into_below = false;
    if (to != start) {
      std::memmove(to, start, n);
      relink(to, to + n);
    }
    to += n;
  });
  f->bump = to;
  if (poisoning()) std::memset(to, poison_byte, static_cast<size_t>(old_bump - to));
}

SeriesFrame* fresh_frame_for(size_t need) {
  SeriesFrame* f = alloc::new_series_frame();
  while (room(f) < need) f = alloc::new_series_frame();  // the first frame made is the smaller
  return f;
}

}  // namespace

void relink(uint8_t* from, uint8_t* to) {
  while (from < to) {
    auto* b = reinterpret_cast<SeriesBuffer*>(from);
    alloc::set_node_buffer(b->node, b);
    from += footprint(b);
  }
}

// A frame left empty is returned when another follows it.
void compact_series_frames() {
  for (SeriesFrame* f = alloc::memory().series_head; f;) {
    SeriesFrame* next = f->next;
    compact_frame(f);
    if (f->bump == f->heap() && next) alloc::free_series_frame(f);
    f = next;
  }
}

// Every live buffer is copied to new frames and every old frame is unmapped, so an address kept
// across an allocation faults at its next use instead of reading a moved buffer's old bytes.
void evacuate_series_frames() {
  std::vector<SeriesFrame*> old;
  for (SeriesFrame* f = alloc::memory().series_head; f; f = f->next) old.push_back(f);
  SeriesFrame* target = nullptr;
  for (SeriesFrame* f : old) {
    walk(f, [&](uint8_t* start, size_t n) {
      for (uint8_t* at = start; at < start + n;) {
        size_t len = footprint(reinterpret_cast<SeriesBuffer*>(at));
        if (!target || room(target) < len) target = fresh_frame_for(len);
        std::memcpy(target->bump, at, len);
        relink(target->bump, target->bump + len);
        target->bump += len;
        at += len;
      }
    });
  }
  for (SeriesFrame* f : old) alloc::free_series_frame(f);
  alloc::memory().series_current = target;
}

}  // namespace vyn::gc::detail
