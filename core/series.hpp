// core/series.hpp: series buffers, the series frames they are carved from, and big series.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/cell.hpp"
#include "core/node.hpp"

namespace vyn {

// A series buffer: six 32-bit header words, then the data. A buffer in a series frame occupies
// size + 24 bytes. head and tail are byte offsets from the start of the data, so moving a buffer
// changes nothing but its node's slot.
struct SeriesBuffer {
  uint32_t flags;
  NodeId node;     // 0 once abandoned by a move
  uint32_t size;   // data bytes, a multiple of 16
  uint32_t head;   // offset of the first used unit
  uint32_t tail;   // offset just past the last used unit
  uint32_t spare;  // the evaluator's note of the plan it keeps for a block of code, else 0

  static constexpr uint32_t unit_mask = 0x1F;
  static constexpr uint32_t owned = 0x00080000;   // has an owner to notify of changes
  static constexpr uint32_t malloced = 0x00100000; // platform heap, never moves
  static constexpr uint32_t big = 0x01000000;      // in an OS frame of its own
  static constexpr uint32_t mark = 0x08000000;     // collector mark
  static constexpr uint32_t middle = 0x10000000;   // head placed in the middle at creation
  static constexpr uint32_t made = 0x20000000;     // always set on creation
  static constexpr uint32_t in_use = 0x80000000;   // cleared when abandoned by a move

  uint8_t* data() { return reinterpret_cast<uint8_t*>(this + 1); }
  uint8_t* head_ptr() { return data() + head; }
  uint8_t* tail_ptr() { return data() + tail; }
  uint8_t* end_ptr() { return data() + size; }
  uint32_t unit() const { return flags & unit_mask; }
  // log2 of the unit: the index of its highest set bit, a unit of 0 counting as 1 byte
  int shift() const {
    uint32_t u = unit();
    return u ? 31 - __builtin_clz(u) : 0;
  }
  uint32_t used() const { return tail - head; }
};
static_assert(sizeof(SeriesBuffer) == 24);

namespace alloc {

inline constexpr uint32_t initial_series_frame = 0x100000;  // 1 MB
inline constexpr uint32_t big_threshold = 0x200000;          // 2 MB; also the largest series frame
inline constexpr uint32_t frame_floor = 0xCCCC;              // 52,428 bytes
inline constexpr int32_t offset_middle = -1;

struct SeriesFrame {
  SeriesFrame* next;
  SeriesFrame* prev;
  size_t total;    // heap size + header
  uint8_t* bump;   // next free byte
  uint8_t* end;    // one past the heap
  uint8_t* heap() { return reinterpret_cast<uint8_t*>(this + 1); }
};

struct BigFrame {
  BigFrame* next;
  BigFrame* prev;  // stays null: the list is walked forwards only
  size_t need;
  SeriesBuffer* buffer() { return reinterpret_cast<SeriesBuffer*>(this + 1); }
};

// The memory manager's one state record.
struct Memory {
  SeriesFrame* series_head = nullptr;
  SeriesFrame* series_current = nullptr;
  SeriesFrame* series_last = nullptr;
  uint32_t next_frame_size = initial_series_frame;
  BigFrame* big_head = nullptr;
  uint64_t buffers_made = 0;  // every buffer ever carved or mapped: what an operation allocated
};
Memory& memory();

void init();
void free_all_frames();

SeriesFrame* new_series_frame();
void free_series_frame(SeriesFrame* frame);
// Makes a series frame of memory from virtual_alloc or map_program_frame (after its size word),
// whose heap holds heap_bytes, the first used of them holding buffers already.
SeriesFrame* adopt_series_frame(void* memory, size_t heap_bytes, size_t used);
SeriesFrame* find_series_frame(size_t need);

// A new buffer for count units; offset is the byte offset of the head in the data, or
// offset_middle. The buffer has no node yet. May collect.
SeriesBuffer* new_series_buffer(uint32_t count, uint32_t unit, int32_t offset);
// A new node bound both ways to a new buffer. May collect.
NodeId new_series(uint32_t count, uint32_t unit, int32_t offset);
NodeId new_cells(uint32_t n);
NodeId new_cells_unset(uint32_t n);
NodeId new_bytes(uint32_t n);
NodeId new_codepoints(uint32_t n, uint32_t unit);
NodeId new_bytes_filled(uint32_t n, uint8_t byte);
// A buffer on the platform heap that never moves, bound to a new node.
NodeId new_series_malloc(uint32_t count, uint32_t unit, int32_t offset);
void set_series_flag(NodeId node, uint32_t bits);

// Moves the series of the node into a new buffer of size bytes (0: twice the current size); the
// old buffer is abandoned. expand_copy also moves the data; expand_fill then fills the new part.
// Each answers the new buffer. May collect.
SeriesBuffer* expand_series(NodeId node, uint32_t size);
SeriesBuffer* expand_series_copy(NodeId node, uint32_t size);
SeriesBuffer* expand_series_fill(NodeId node, uint32_t size, uint8_t byte);
// A copy of the series with the same unit, flags and used range, on a new node. May collect.
NodeId copy_series(NodeId node);

BigFrame* big_series();
void free_big_series(BigFrame* frame, BigFrame* before);

}  // namespace alloc

// The buffer of a series node. Never allocates; the address is good until the next allocation.
inline SeriesBuffer* buffer_of(NodeId node) { return alloc::node_buffer(node); }

}  // namespace vyn
