// core/node.hpp: nodes, the 32-bit handles through which cells reach series buffers.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn {
struct SeriesBuffer;
}

namespace vyn::alloc {

inline constexpr uint32_t node_frame_slots = 10000;
inline constexpr uint32_t node_slot_bits = 14;  // slot numbers fit below 1 << 14

// A node frame: its header, and its slots in the slot area: one reserved stretch of address space
// where frame i's slots start at slot number (i + 1) << 14, so that a node id is the index of its
// own slot and finding a buffer takes one load. A slot in use holds the address of its series
// buffer; a free slot holds the address of the next free slot of the frame (0 ends the chain).
struct NodeFrame {
  NodeFrame* next;
  NodeFrame* prev;
  uint32_t capacity;
  uintptr_t* free_head;
  uint32_t used;
  uint32_t born_cycle;      // collector cycle at creation
  uint32_t used_at_last;    // used count at the last collection
  uint32_t stability;       // one bit per collection, newest in bit 0: 1 = used count unchanged
  bool release;             // emptied by the collector's compaction, about to be returned
  uint32_t index;           // position in the node directory
  uintptr_t* slots;         // capacity slots, at the frame's place in the slot area
};

// A node id is ((directory index + 1) << 14) | slot, so 0 is never a node.
inline NodeId make_node_id(uint32_t frame_index, uint32_t slot) {
  return ((frame_index + 1) << node_slot_bits) | slot;
}

NodeFrame* new_node_frame(uint32_t n);
void free_node_frame(NodeFrame* frame);
NodeId new_node();
void free_node(NodeId node);

// The directory's frames, by index; kept in step with the directory.
extern NodeFrame** node_directory;
// The slot area, indexed by node id.
extern uintptr_t* node_slots;
// The slot of a node. Never allocates.
inline uintptr_t* node_slot(NodeId node) { return node_slots + node; }
inline SeriesBuffer* node_buffer(NodeId node) {
  return reinterpret_cast<SeriesBuffer*>(*node_slot(node));
}
void set_node_buffer(NodeId node, SeriesBuffer* buffer);
inline NodeFrame* node_frame_of(NodeId node) { return node_directory[(node >> node_slot_bits) - 1]; }
// The frame of a node id, or nullptr when the id names no frame or a slot past its capacity: for
// checks of ids that may be stale. Never allocates.
NodeFrame* find_node_frame(NodeId node);

NodeFrame* node_frames();        // head of the list, in creation order
NodeFrame* current_node_frame();
void set_current_node_frame(NodeFrame* frame);  // the collector, after it shrinks the frames
void free_all_node_frames();

}  // namespace vyn::alloc
