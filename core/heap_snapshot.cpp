// core/heap_snapshot.cpp: recording and replaying what a stretch of start-up did to the heap.
#include "core/heap_snapshot.hpp"

#include <cstring>
#include <vector>

#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/node.hpp"
#include "core/os_frame.hpp"
#include "core/series.hpp"

namespace vyn::alloc::snapshot {
namespace {

constexpr char magic[8] = {'V', 'Y', 'N', 'H', 'E', 'A', 'P', '1'};
constexpr uint32_t not_movable = SeriesBuffer::big | SeriesBuffer::malloced;
// What a frame holds before its heap: the size word of its OS frame, then its header.
constexpr size_t frame_hole = sizeof(uint64_t) + sizeof(SeriesFrame);

// A slot holds a free link when it points into its own frame's slots (0 ends the chain).
bool is_free(const NodeFrame* f, uintptr_t v) {
  auto* p = reinterpret_cast<const uintptr_t*>(v);
  return v == 0 || (p >= f->slots && p < f->slots + f->capacity);
}

int32_t link_index(const NodeFrame* f, uintptr_t v) {
  return v == 0 ? -1 : static_cast<int32_t>(reinterpret_cast<const uintptr_t*>(v) - f->slots);
}

std::string buffer_bytes(const SeriesBuffer* b) {
  return std::string(reinterpret_cast<const char*>(b), sizeof(SeriesBuffer) + b->size);
}

uint64_t mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
  return h * 0xFF51AFD7ED558CCDull;
}

void put32(std::string& out, uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); }
void put64(std::string& out, uint64_t v) { out.append(reinterpret_cast<const char*>(&v), 8); }

// Reads a record front to back; ok turns false at the first read past its end.
struct Reader {
  const uint8_t* at;
  const uint8_t* end;
  bool ok = true;
  const uint8_t* take(size_t n) {
    if (!ok || static_cast<size_t>(end - at) < n) {
      ok = false;
      return nullptr;
    }
    const uint8_t* p = at;
    at += n;
    return p;
  }
  uint32_t u32() {
    uint32_t v = 0;
    if (const uint8_t* p = take(4)) std::memcpy(&v, p, 4);
    return v;
  }
  uint64_t u64() {
    uint64_t v = 0;
    if (const uint8_t* p = take(8)) std::memcpy(&v, p, 8);
    return v;
  }
};

// The runs of bytes in which now differs from was (runs less than 16 bytes apart are joined),
// each as node, offset, length and bytes; answers how many.
uint32_t add_patches(std::string& out, NodeId id, const std::string& was, const std::string& now) {
  uint32_t count = 0;
  size_t i = 0, n = now.size();
  while (i < n) {
    if (was[i] == now[i]) {
      ++i;
      continue;
    }
    size_t end = i + 1, same = 0;
    for (size_t j = end; j < n && same < 16; ++j) {
      if (was[j] == now[j]) {
        ++same;
      } else {
        same = 0;
        end = j + 1;
      }
    }
    put32(out, id);
    put32(out, static_cast<uint32_t>(i));
    put32(out, static_cast<uint32_t>(end - i));
    out.append(now, i, end - i);
    ++count;
    i = end;
  }
  return count;
}

struct FrameRecord {
  uint32_t index, capacity, used;
  int32_t free_head;
};

struct Patch {
  NodeId node;
  uint32_t offset, length;
  const uint8_t* bytes;
};

// The frame of a directory index, or nullptr (an index past any id is never a frame).
NodeFrame* frame_at(uint32_t index) {
  return index < (1u << (32 - node_slot_bits)) - 1 ? find_node_frame(make_node_id(index, 0)) : nullptr;
}

}  // namespace

uint64_t fingerprint(uint64_t extra) {
  uint64_t h = mix(0x5EED, extra);
  for (NodeFrame* f = node_frames(); f; f = f->next) {
    h = mix(h, f->index);
    h = mix(h, f->capacity);
    h = mix(h, f->used);
    h = mix(h, static_cast<uint64_t>(static_cast<int64_t>(link_index(f, reinterpret_cast<uintptr_t>(f->free_head)))));
  }
  NodeFrame* current = current_node_frame();
  return mix(h, current ? current->index : 0xFFFFFFFFu);
}

void Recorder::start(uint64_t extra) {
  print_ = fingerprint(extra);
  before_.clear();
  for (NodeFrame* f = node_frames(); f; f = f->next) {
    for (uint32_t s = 0; s < f->capacity; ++s) {
      uintptr_t v = f->slots[s];
      Before b{v, {}};
      if (!is_free(f, v)) b.bytes = buffer_bytes(reinterpret_cast<SeriesBuffer*>(v));
      before_.emplace(make_node_id(f->index, s), std::move(b));
    }
  }
}

std::string Recorder::finish(std::string& why, const std::string& attachment) {
  std::string frames, links, moved, table, buffers, patches;
  uint32_t frame_count = 0, link_count = 0, moved_count = 0, buffer_count = 0, patch_count = 0;
  changed_.clear();
  for (NodeFrame* f = node_frames(); f; f = f->next) {
    ++frame_count;
    put32(frames, f->index);
    put32(frames, f->capacity);
    put32(frames, f->used);
    put32(frames, static_cast<uint32_t>(link_index(f, reinterpret_cast<uintptr_t>(f->free_head))));
    for (uint32_t s = 0; s < f->capacity; ++s) {
      NodeId id = make_node_id(f->index, s);
      uintptr_t v = f->slots[s];
      auto it = before_.find(id);
      bool existed = it != before_.end() && !is_free(f, it->second.slot);
      if (is_free(f, v)) {
        if (existed) {
          why = "a node in use before was freed: " + std::to_string(id);
          return {};
        }
        int32_t was = it != before_.end() ? link_index(f, it->second.slot) : (s + 1 < f->capacity ? int32_t(s + 1) : -1);
        int32_t now = link_index(f, v);
        if (now == was) continue;
        ++link_count;
        put32(links, id);
        put32(links, static_cast<uint32_t>(now));
        continue;
      }
      auto* b = reinterpret_cast<SeriesBuffer*>(v);
      std::string bytes = buffer_bytes(b);
      if (b->flags & not_movable) {
        // A heap-held buffer (the root block, the stack) stays where it is: its changed bytes are
        // written into it again
        if (existed && it->second.slot == v && (b->flags & SeriesBuffer::malloced) &&
            it->second.bytes.size() == bytes.size()) {
          patch_count += add_patches(patches, id, it->second.bytes, bytes);
          continue;
        }
        why = "a big or heap-held buffer was made or moved: " + std::to_string(id);
        return {};
      }
      if (existed && it->second.slot == v && it->second.bytes == bytes) continue;
      if (existed) {
        changed_ += std::to_string(id) + " ";
        ++moved_count;
        put32(moved, id);
      }
      ++buffer_count;
      put32(table, id);
      put32(table, static_cast<uint32_t>(buffers.size()));
      buffers += bytes;
    }
  }
  for (const auto& [id, b] : before_) {
    if (!find_node_frame(id)) {
      why = "a node frame was released";
      return {};
    }
  }
  std::string out(magic, sizeof magic);
  put64(out, print_);
  NodeFrame* current = current_node_frame();
  put32(out, current ? current->index : 0xFFFFFFFFu);
  put32(out, frame_count);
  out += frames;
  put32(out, link_count);
  out += links;
  put32(out, moved_count);
  out += moved;
  put32(out, buffer_count);
  put64(out, buffers.size());
  out += table;
  // the stream starts a frame's heap, a page's frame header after a page boundary (the record
  // starts on one), so that the program can map it as a frame straight from its file
  size_t pad = (page_size - (out.size() + 4) % page_size) % page_size;
  put32(out, static_cast<uint32_t>(pad));
  out.append(pad + frame_hole, '\0');
  out += buffers;
  put32(out, patch_count);
  out += patches;
  put32(out, static_cast<uint32_t>(attachment.size()));
  out += attachment;
  return out;
}

namespace {

// Everything read and checked before the heap is touched.
struct Parsed {
  uint32_t current = 0;
  std::vector<FrameRecord> frames;
  std::vector<std::pair<NodeId, int32_t>> links;
  std::vector<NodeId> moved;      // nodes whose earlier buffer the stream replaces
  uint32_t buffer_count = 0;
  const uint8_t* table = nullptr;   // node and offset in the stream of each buffer
  const uint8_t* stream = nullptr;  // the buffers, headers and data, as they lie in a frame
  size_t stream_bytes = 0;
  std::vector<Patch> patches;
  std::string_view attachment;
};

// Each buffer of the stream fits in it, with a sound header.
bool well_formed(const uint8_t* at, size_t n, uint32_t count) {
  const uint8_t* end = at + n;
  for (uint32_t i = 0; i < count; ++i) {
    SeriesBuffer h;
    if (static_cast<size_t>(end - at) < sizeof h) return false;
    std::memcpy(&h, at, sizeof h);
    if (h.size % 16 || h.head > h.size || h.tail > h.size || h.size > static_cast<size_t>(end - at) - sizeof h) return false;
    at += sizeof h + h.size;
  }
  return at == end;
}

bool parse(const uint8_t* record, size_t n, uint64_t extra, Parsed& p) {
  Reader r{record, record + n};
  const uint8_t* m = r.take(sizeof magic);
  if (!m || std::memcmp(m, magic, sizeof magic) != 0) return false;
  if (r.u64() != fingerprint(extra)) return false;
  p.current = r.u32();
  uint32_t count = r.u32();
  for (uint32_t i = 0; i < count && r.ok; ++i) {
    FrameRecord f{r.u32(), r.u32(), r.u32(), static_cast<int32_t>(r.u32())};
    if (f.capacity == 0 || f.capacity > node_frame_slots || f.used > f.capacity || f.free_head >= int32_t(f.capacity)) return false;
    p.frames.push_back(f);
  }
  count = r.u32();
  for (uint32_t i = 0; i < count && r.ok; ++i) p.links.emplace_back(r.u32(), static_cast<int32_t>(r.u32()));
  count = r.u32();
  for (uint32_t i = 0; i < count && r.ok; ++i) p.moved.push_back(r.u32());
  p.buffer_count = r.u32();
  p.stream_bytes = r.u64();
  p.table = r.take(8 * size_t{p.buffer_count});
  r.take(r.u32() + frame_hole);
  p.stream = r.take(p.stream_bytes);
  count = r.u32();
  for (uint32_t i = 0; i < count && r.ok; ++i) {
    Patch patch{r.u32(), r.u32(), r.u32(), nullptr};
    patch.bytes = r.take(patch.length);
    p.patches.push_back(patch);
  }
  uint32_t attached = r.u32();
  if (const uint8_t* a = r.take(attached)) p.attachment = {reinterpret_cast<const char*>(a), attached};
  return r.ok && r.at == r.end;
}

// The node frames as they were recorded: those made since are made again, in the same order.
bool place_frames(const Parsed& p) {
  for (const FrameRecord& fr : p.frames) {
    NodeFrame* f = frame_at(fr.index);
    if (!f) f = new_node_frame(fr.capacity);
    if (f->index != fr.index || f->capacity != fr.capacity) return false;
    f->used = fr.used;
    f->free_head = fr.free_head < 0 ? nullptr : &f->slots[fr.free_head];
  }
  for (const auto& [id, link] : p.links) {
    NodeFrame* f = find_node_frame(id);
    if (!f || link >= int32_t(f->capacity)) return false;
    *node_slot(id) = link < 0 ? 0 : reinterpret_cast<uintptr_t>(&f->slots[link]);
  }
  if (NodeFrame* f = frame_at(p.current)) set_current_node_frame(f);
  return true;
}

// Copies the buffers from start to end into one frame with room for them all, or for the first at
// least, and answers where the copy stopped.
const uint8_t* copy_run(const uint8_t* start, const uint8_t* end) {
  auto size_at = [](const uint8_t* at) {
    SeriesBuffer h;
    std::memcpy(&h, at, sizeof h);
    return sizeof h + h.size;
  };
  size_t first = size_at(start);
  Memory& mem = memory();
  SeriesFrame* f = mem.series_current;
  if (!f || f->bump + first >= f->end) {
    f = find_series_frame(first > frame_floor ? first : frame_floor);
    if (!f) f = new_series_frame();
    if (f->bump + first >= f->end) return nullptr;
    mem.series_current = f;
  }
  const uint8_t* stop = start;
  while (stop < end && f->bump + (stop - start) + size_at(stop) < f->end) {
    stop += size_at(stop);
    ++mem.buffers_made;
  }
  uint8_t* to = f->bump;
  std::memcpy(to, start, static_cast<size_t>(stop - start));
  f->bump += stop - start;
  for (uint8_t* at = to; at < f->bump; at += sizeof(SeriesBuffer) + reinterpret_cast<SeriesBuffer*>(at)->size) {
    auto* b = reinterpret_cast<SeriesBuffer*>(at);
    *node_slot(b->node) = reinterpret_cast<uintptr_t>(b);
  }
  return stop;
}

// Maps the stream from the program's file as a frame of its own, its pages read when first
// touched; false when it cannot be mapped, and the stream is copied instead.
bool map_stream(const Parsed& p) {
  const uint8_t* image = p.stream - frame_hole;
  void* space = map_program_frame(image, frame_hole + p.stream_bytes);
  if (!space) return false;
  size_t heap_bytes = round_to(frame_hole + p.stream_bytes, page_size) - frame_hole;
  SeriesFrame* f = adopt_series_frame(space, heap_bytes, p.stream_bytes);
  for (uint32_t i = 0; i < p.buffer_count; ++i) {
    uint32_t entry[2];
    std::memcpy(entry, p.table + 8 * size_t{i}, sizeof entry);
    *node_slot(entry[0]) = reinterpret_cast<uintptr_t>(f->heap() + entry[1]);
  }
  memory().buffers_made += p.buffer_count;
  return true;
}

bool place_buffers(const Parsed& p) {
  for (NodeId node : p.moved) {
    if (!find_node_frame(node)) return false;
    SeriesBuffer* old = node_buffer(node);
    old->node = 0;
    old->flags &= ~SeriesBuffer::in_use;
  }
  // every buffer's node must lie in one of the record's frames before the slots are written
  std::vector<uint32_t> capacity;  // by frame index
  for (const FrameRecord& fr : p.frames) {
    if (fr.index >= capacity.size()) capacity.resize(fr.index + 1, 0);
    capacity[fr.index] = fr.capacity;
  }
  for (uint32_t i = 0; i < p.buffer_count; ++i) {
    uint32_t entry[2];
    std::memcpy(entry, p.table + 8 * size_t{i}, sizeof entry);
    uint32_t frame = (entry[0] >> node_slot_bits) - 1, slot = entry[0] & ((1u << node_slot_bits) - 1);
    if (frame >= capacity.size() || slot >= capacity[frame] || entry[1] + sizeof(SeriesBuffer) > p.stream_bytes)
      return false;
  }
  if (!map_stream(p)) {
    if (!well_formed(p.stream, p.stream_bytes, p.buffer_count)) return false;
    const uint8_t* end = p.stream + p.stream_bytes;
    for (const uint8_t* at = p.stream; at < end;)
      if (!(at = copy_run(at, end))) return false;
  }
  for (const Patch& patch : p.patches) {
    if (!find_node_frame(patch.node)) return false;
    SeriesBuffer* b = node_buffer(patch.node);
    if (!(b->flags & SeriesBuffer::malloced) || patch.offset + uint64_t{patch.length} > sizeof(SeriesBuffer) + b->size) return false;
    std::memcpy(reinterpret_cast<uint8_t*>(b) + patch.offset, patch.bytes, patch.length);
  }
  return true;
}

}  // namespace

bool apply(const uint8_t* record, size_t n, uint64_t extra, std::string_view& attachment) {
  Parsed p;
  if (!parse(record, n, extra, p)) return false;
  attachment = p.attachment;
  // From here the heap changes: a record that matched the fingerprint but does not fit the heap
  // was made by another build, and the start-up cannot go on.
  if (!place_frames(p) || !place_buffers(p)) fire(Err::internal_no_memory);
  return true;
}

}  // namespace vyn::alloc::snapshot
