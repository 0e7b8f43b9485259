// core/typed_array.cpp: growable arrays of bytes, 32-bit integers and pointers over series buffers.
#include "core/typed_array.hpp"

#include <cassert>
#include <cstring>
#include <vector>

#include "core/error.hpp"
#include "core/series.hpp"

namespace vyn::array {
namespace {

constexpr uint32_t int_size = sizeof(int32_t);
constexpr uint32_t pointer_size = sizeof(void*);
constexpr uint64_t largest = 0x7FFFFFF0u;

uint32_t round16(uint64_t n) {
  if (n > largest) fire(Err::internal_no_memory);
  return static_cast<uint32_t>((n + 15) & ~uint64_t{15});
}

// Room for n more bytes at the tail; when short, the buffer moves to one of twice the need.
// Answers the buffer. May collect.
SeriesBuffer* reserve(NodeId node, uint32_t n) {
  SeriesBuffer* b = buffer_of(node);
  if (uint64_t{b->tail} + n <= b->size) return b;
  return alloc::expand_series_copy(node, round16((uint64_t{b->used()} + n) * 2));
}

// Item n (1-based) of the given size; pick and poke trust their callers, checked in debug builds.
uint8_t* item(NodeId node, int32_t n, uint32_t size) {
  SeriesBuffer* b = buffer_of(node);
  assert(n >= 1 && uint64_t(n) * size <= b->used() && "item inside the array");
  return b->head_ptr() + uint64_t(n - 1) * size;
}

int32_t find_bytes(NodeId node, const void* value, uint32_t size) {
  SeriesBuffer* b = buffer_of(node);
  for (uint32_t at = 0; at + size <= b->used(); at += size)
    if (std::memcmp(b->head_ptr() + at, value, size) == 0) return static_cast<int32_t>(at);
  return -1;
}

}  // namespace

NodeId new_(uint32_t n, uint32_t unit) {
  NodeId node = alloc::new_bytes(round16(uint64_t{n} * unit));
  SeriesBuffer* b = buffer_of(node);
  b->flags = (b->flags & ~SeriesBuffer::unit_mask) | unit;
  return node;
}

NodeId new_filled(uint32_t n, uint8_t byte, uint32_t unit) {
  NodeId node = alloc::new_bytes_filled(n, byte);
  SeriesBuffer* b = buffer_of(node);
  b->flags = (b->flags & ~SeriesBuffer::unit_mask) | unit;
  b->tail = b->head + n;
  return node;
}

void fill(NodeId node, uint8_t byte) {
  SeriesBuffer* b = buffer_of(node);
  std::memset(b->data(), byte, b->size);
}

int32_t length(NodeId node) {
  SeriesBuffer* b = buffer_of(node);
  return static_cast<int32_t>(b->used() >> b->shift());
}

void clear(NodeId node) {
  SeriesBuffer* b = buffer_of(node);
  b->tail = b->head;
}

void set_length(NodeId node, int32_t n) {
  if (n < 0) n = 0;
  SeriesBuffer* b = buffer_of(node);
  uint64_t bytes = uint64_t(n) << b->shift();
  if (b->head + bytes > b->size) b = alloc::expand_series_copy(node, round16(b->head + bytes));
  uint32_t tail = b->head + static_cast<uint32_t>(bytes);
  if (tail > b->tail) std::memset(b->tail_ptr(), 0, tail - b->tail);
  b->tail = tail;
}

NodeId copy(NodeId node) { return alloc::copy_series(node); }

uint8_t* data(NodeId node) { return buffer_of(node)->head_ptr(); }

void append_byte(NodeId node, uint8_t byte) {
  SeriesBuffer* b = reserve(node, 1);
  *b->tail_ptr() = byte;
  b->tail += 1;
}

uint8_t pick_byte(NodeId node, int32_t n) { return *item(node, n, 1); }

// The bytes are copied aside before the buffer grows: they may lie in a buffer that moves.
uint8_t* append_bytes(NodeId node, const void* bytes, uint32_t n) {
  SeriesBuffer* b = buffer_of(node);
  std::vector<uint8_t> aside;
  if (uint64_t{b->tail} + n > b->size) {
    aside.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + n);
    bytes = aside.data();
    b = reserve(node, n);
  }
  uint8_t* at = b->tail_ptr();
  if (n) std::memcpy(at, bytes, n);
  b->tail += n;
  return at;
}

void append_int(NodeId node, int32_t value) { append_bytes(node, &value, int_size); }

int32_t find_int(NodeId node, int32_t value) { return find_bytes(node, &value, int_size); }

int32_t pick_int(NodeId node, int32_t n) {
  int32_t v;
  std::memcpy(&v, item(node, n, int_size), int_size);
  return v;
}

void poke_int(NodeId node, int32_t n, int32_t value) {
  std::memcpy(item(node, n, int_size), &value, int_size);
}

void insert_int_at(NodeId node, int32_t value, int32_t index) {
  SeriesBuffer* b = buffer_of(node);
  if (b->tail + int_size > b->size)
    b = alloc::expand_series_copy(node, b->size ? round16(uint64_t{b->size} * 2) : 16);
  uint32_t count = b->used() / int_size;
  uint32_t at = index < 0 ? 0 : static_cast<uint32_t>(index) > count ? count : index;
  uint8_t* p = b->head_ptr() + at * int_size;
  std::memmove(p + int_size, p, (count - at) * int_size);
  std::memcpy(p, &value, int_size);
  b->tail += int_size;
}

void append_pointer(NodeId node, void* pointer) { append_bytes(node, &pointer, pointer_size); }

int32_t find_pointer(NodeId node, void* pointer) {
  return find_bytes(node, &pointer, pointer_size);
}

void* pick_pointer(NodeId node, int32_t n) {
  void* p;
  std::memcpy(&p, item(node, n, pointer_size), pointer_size);
  return p;
}

void remove_pointer(NodeId node, void* pointer) {
  int32_t at = find_pointer(node, pointer);
  if (at >= 0) remove_at(node, at, pointer_size);
}

void remove_at(NodeId node, int32_t offset, int32_t n) {
  SeriesBuffer* b = buffer_of(node);
  int64_t used = b->used();
  int64_t from = offset < 0 ? 0 : offset > used ? used : offset;
  int64_t count = n < 0 ? 0 : n > used - from ? used - from : n;
  uint8_t* p = b->head_ptr() + from;
  std::memmove(p, p + count, static_cast<size_t>(used - from - count));
  b->tail -= static_cast<uint32_t>(count);
}

}  // namespace vyn::array
