// core/node.cpp: node frames, their free chains and the directory that maps node ids to frames.
#include "core/node.hpp"

#include <sys/resource.h>

#include <vector>

#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/os_frame.hpp"

namespace vyn::alloc {

NodeFrame** node_directory = nullptr;
uintptr_t* node_slots = nullptr;

namespace {

// Node ids are 32 bits, so the slot area spans at most 2^32 slots of address space; only the
// pages of live frames have memory behind them. Frame i's slots start at stride i + 1.
constexpr size_t frame_stride_bytes = (size_t{1} << node_slot_bits) * sizeof(uintptr_t);
constexpr size_t full_area_bytes = (size_t{1} << 32) * sizeof(uintptr_t);
constexpr size_t least_area_bytes = 4 * frame_stride_bytes;
constexpr size_t frame_slot_bytes = round_to(node_frame_slots * sizeof(uintptr_t), page_size);

uint32_t area_strides = 0;  // strides reserved; frame indexes stay below area_strides - 1

// Under an address-space limit (ulimit -v) reserved space counts against it although nothing
// backs it: the area then takes an eighth of the limit, so that series keep the rest, and the
// node count is capped to what that holds (a frame of 10,000 nodes per 128 KB).
size_t wanted_area_bytes() {
  size_t bytes = full_area_bytes;
  rlimit r{};
  if (getrlimit(RLIMIT_AS, &r) == 0 && r.rlim_cur != RLIM_INFINITY && r.rlim_cur / 8 < bytes)
    bytes = static_cast<size_t>(r.rlim_cur / 8);
  bytes -= bytes % frame_stride_bytes;
  return bytes < least_area_bytes ? least_area_bytes : bytes;
}

// Reserved at the first node frame; halved while the system refuses (other mappings may already
// take much of a limit).
uintptr_t* slot_area() {
  if (node_slots) return node_slots;
  for (size_t bytes = wanted_area_bytes(); bytes >= least_area_bytes; bytes /= 2) {
    bytes -= bytes % frame_stride_bytes;
    node_slots = static_cast<uintptr_t*>(reserve_space(bytes));
    if (node_slots) {
      area_strides = static_cast<uint32_t>(bytes / frame_stride_bytes);
      return node_slots;
    }
  }
  fire(Err::internal_no_memory);
}

NodeFrame* head = nullptr;
NodeFrame* tail = nullptr;
NodeFrame* current = nullptr;
std::vector<NodeFrame*> directory;  // indexed by frame index; released frames leave a hole

uint32_t free_directory_index() {
  for (uint32_t i = 0; i < directory.size(); ++i)
    if (!directory[i]) return i;
  directory.push_back(nullptr);
  node_directory = directory.data();
  return static_cast<uint32_t>(directory.size() - 1);
}

}  // namespace

NodeFrame* new_node_frame(uint32_t n) {
  if (n > node_frame_slots) n = node_frame_slots;
  uintptr_t* area = slot_area();
  uint32_t index = free_directory_index();
  if (index + 1 >= area_strides) fire(Err::internal_no_memory);
  uintptr_t* slots = area + (size_t{index + 1} << node_slot_bits);
  commit_space(slots, frame_slot_bytes);
  auto* f = static_cast<NodeFrame*>(virtual_alloc(sizeof(NodeFrame)));
  f->slots = slots;
  f->capacity = n;
  f->used = 0;
  f->born_cycle = gc::stats().cycles;
  f->used_at_last = 0;
  f->stability = 0;
  f->release = false;
  for (uint32_t i = 0; i + 1 < n; ++i) f->slots[i] = reinterpret_cast<uintptr_t>(&f->slots[i + 1]);
  f->slots[n - 1] = 0;
  f->free_head = &f->slots[0];
  f->index = index;
  directory[f->index] = f;
  f->next = nullptr;
  f->prev = tail;
  if (tail) tail->next = f; else head = f;
  tail = f;
  return f;
}

void free_node_frame(NodeFrame* f) {
  if (f->prev) f->prev->next = f->next; else head = f->next;
  if (f->next) f->next->prev = f->prev; else tail = f->prev;
  if (current == f) current = tail;
  directory[f->index] = nullptr;
  decommit_space(f->slots, frame_slot_bytes);
  virtual_free(f);
}

NodeId new_node() {
  if (!current || !current->free_head) {
    NodeFrame* f = head;
    while (f && (!f->free_head || f->release)) f = f->next;
    current = f ? f : new_node_frame(node_frame_slots);
  }
  uintptr_t* slot = current->free_head;
  current->free_head = reinterpret_cast<uintptr_t*>(*slot);
  *slot = 0;
  current->used++;
  return make_node_id(current->index, static_cast<uint32_t>(slot - current->slots));
}


NodeFrame* find_node_frame(NodeId node) {
  uint32_t index = (node >> node_slot_bits) - 1;
  if (node >> node_slot_bits == 0 || index >= directory.size()) return nullptr;
  NodeFrame* f = directory[index];
  return f && (node & ((1u << node_slot_bits) - 1)) < f->capacity ? f : nullptr;
}


void set_node_buffer(NodeId node, SeriesBuffer* buffer) {
  *node_slot(node) = reinterpret_cast<uintptr_t>(buffer);
}

void free_node(NodeId node) {
  NodeFrame* f = node_frame_of(node);
  uintptr_t* slot = node_slot(node);
  *slot = reinterpret_cast<uintptr_t>(f->free_head);
  f->free_head = slot;
  f->used--;
}

NodeFrame* node_frames() { return head; }
NodeFrame* current_node_frame() { return current; }
void set_current_node_frame(NodeFrame* frame) { current = frame; }

void free_all_node_frames() {
  while (head) free_node_frame(head);
  current = nullptr;
  directory.clear();
  node_directory = nullptr;
}

}  // namespace vyn::alloc
