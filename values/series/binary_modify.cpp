// values/series/binary_modify.cpp: append, insert, change and trim on binaries.
#include <algorithm>
#include <array>
#include <cstring>

#include "core/error.hpp"
#include "core/series.hpp"
#include "values/series/binary.hpp"
#include "values/objects/ownership.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::binary {
namespace {

constexpr uint64_t largest = 0x7FFFFFF0u;

int32_t clamped_head(Cell* series) {
  series::units_left(*series, false);
  return std::max(series_head(*series), 0);
}

// Bytes size × dup, or internal/no-memory when that or the new length passes the largest series.
uint32_t total_of(const std::string& bytes, int32_t dup, uint32_t length) {
  uint64_t total = static_cast<uint64_t>(bytes.size()) * static_cast<uint64_t>(dup);
  if (total > largest || total + length > largest) fire(Err::internal_no_memory);
  return static_cast<uint32_t>(total);
}

// Room for need bytes: twice the capacity while that is enough, else exactly need.
SeriesBuffer* room_for(NodeId node, uint32_t need, bool doubling) {
  SeriesBuffer* b = buffer_of(node);
  if (need <= b->size) return b;
  uint64_t twice = 2ull * b->size;
  uint32_t size = doubling && need < twice && twice <= largest ? static_cast<uint32_t>(twice) : need;
  return alloc::expand_series_copy(node, size);
}

// Writes the bytes dup times from at, doubling what is written so far: a huge /dup of a byte or
// of nothing must not take a step per copy.
void write_repeated(uint8_t* at, const std::string& bytes, int32_t dup) {
  if (bytes.empty() || dup <= 0) return;
  std::memcpy(at, bytes.data(), bytes.size());
  uint64_t total = static_cast<uint64_t>(bytes.size()) * static_cast<uint64_t>(dup);
  for (uint64_t done = bytes.size(); done < total; done *= 2)
    std::memcpy(at + done, at, std::min(done, total - done));
}

// The bytes trim/with removes: those of a binary, or the characters below 256 of a text.
std::array<bool, 256> byte_set(Cell* with) {
  std::array<bool, 256> set{};
  if (with->is(Type::binary)) {
    const uint8_t* p = head_bytes(*with);
    for (int32_t i = 0; i < length(*with); ++i) set[p[i]] = true;
  } else if (with->is(Type::char_)) {
    if (char_of(*with) < 256) set[char_of(*with)] = true;
  } else if (series::is_char_series(with->type())) {
    NodeId node = series_node(*with);
    for (int32_t i = 0; i < string::length(*with); ++i) {
      uint32_t cp = string::char_at(node, static_cast<uint32_t>(series_head(*with) + i));
      if (cp < 256) set[cp] = true;
    }
  } else {
    fire(Err::script_invalid_arg, {*with});
  }
  return set;
}

}  // namespace

Cell* append(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append) {
  if (dup <= 0) return series;
  int32_t head = clamped_head(series);
  std::string bytes;
  bytes_of(value, part, only, Mode::insert, bytes);
  NodeId node = series_node(*series);
  uint32_t length = buffer_of(node)->tail;
  uint32_t total = total_of(bytes, dup, length);
  uint32_t at = is_append ? length : static_cast<uint32_t>(head);
  Action notice = is_append ? Action::append : Action::insert;
  bool owned = ownership::before(*series, notice, static_cast<int32_t>(at), static_cast<int32_t>(total));
  length = buffer_of(node)->tail;  // the owner's handler may have changed the series
  at = is_append ? length : std::min(at, length);
  total = total_of(bytes, dup, length);
  if (total) {
    SeriesBuffer* b = room_for(node, length + total, true);
    std::memmove(b->data() + at + total, b->data() + at, length - at);
    write_repeated(b->data() + at, bytes, dup);
    b->tail = length + total;
  }
  if (owned) ownership::after(*series, notice, static_cast<int32_t>(at), static_cast<int32_t>(total));
  series->w1 = is_append ? 0 : at + total;
  return series;
}

// Replaces /part bytes, or as many as it writes, by the value's bytes (any value, formed when it
// has no bytes of its own).
Cell* change(Cell* series, Cell* value, int32_t part, bool, int32_t dup) {
  if (dup <= 0) return series;
  uint32_t at = static_cast<uint32_t>(clamped_head(series));
  std::string bytes;
  bytes_of(value, -1, false, Mode::change, bytes);
  NodeId node = series_node(*series);
  uint32_t length = buffer_of(node)->tail;
  uint32_t total = total_of(bytes, dup, length);
  uint32_t replaced = std::min(part >= 0 ? static_cast<uint32_t>(part) : total, length - at);
  bool owned = ownership::before(*series, Action::change, static_cast<int32_t>(at), static_cast<int32_t>(total));
  length = buffer_of(node)->tail;  // the owner's handler may have changed the series
  at = std::min(at, length);
  replaced = std::min(replaced, length - at);
  uint32_t new_length = length - replaced + total;
  SeriesBuffer* b = room_for(node, new_length, false);
  std::memmove(b->data() + at + total, b->data() + at + replaced, length - at - replaced);
  write_repeated(b->data() + at, bytes, dup);
  b->tail = new_length;
  if (owned) ownership::after(*series, Action::change, static_cast<int32_t>(at), static_cast<int32_t>(total));
  series->w1 = at + total;
  return series;
}

// Zero bytes at both ends (or one with /head or /tail), every zero byte with /all, every byte of
// the set with /with; what stays moves down to the head. /auto and /lines speak of indentation
// and lines, which bytes do not have: they answer internal/not-done.
Cell* trim(Cell* series, bool head, bool tail, bool auto_, bool lines, bool all, Cell* with) {
  if (auto_ || lines) fire(Err::internal_not_done);
  std::array<bool, 256> drop{};
  drop[0] = true;
  if (with) drop = byte_set(with);
  uint32_t at = static_cast<uint32_t>(clamped_head(series));
  NodeId node = series_node(*series);
  uint32_t n = buffer_of(node)->tail - at;
  bool owned = ownership::before(*series, Action::trim, static_cast<int32_t>(at), static_cast<int32_t>(n));
  SeriesBuffer* b = buffer_of(node);
  at = std::min(at, b->tail);  // the owner's handler may have changed the series
  n = b->tail - at;
  uint8_t* p = b->data() + at;
  uint32_t kept = 0;
  if (all || with) {
    for (uint32_t i = 0; i < n; ++i)
      if (!drop[p[i]]) p[kept++] = p[i];
  } else {
    bool both = head == tail;
    uint32_t from = 0, to = n;
    if (both || head) while (from < to && p[from] == 0) ++from;
    if (both || tail) while (to > from && p[to - 1] == 0) --to;
    kept = to - from;
    std::memmove(p, p + from, kept);
  }
  b->tail = at + kept;
  if (owned) ownership::after(*series, Action::trim, static_cast<int32_t>(at), static_cast<int32_t>(n));
  return series;
}

}  // namespace vyn::binary
