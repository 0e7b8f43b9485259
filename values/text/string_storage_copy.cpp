// values/text/string_storage_copy.cpp: copying text between character series: concatenation, widening
// copies, byte rotation and moving characters.
#include <cstring>
#include <memory>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/words/symbol.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::string {
namespace {

constexpr uint64_t largest_buffer = 0x7FFFFFF0u;

uint32_t round16(uint64_t n) {
  if (n > largest_buffer) fire(Err::internal_no_memory);
  return static_cast<uint32_t>((n + 15) & ~uint64_t{15});
}

uint32_t clamped_head(Cell& str) {
  vs_head(str);
  return series_head(str) < 0 ? 0 : static_cast<uint32_t>(series_head(str));
}

// Characters one by one, for a source narrower than the target that must keep its unit. Every
// character fits the wider target, so none of the writes widens it.
void copy_chars(NodeId tn, NodeId sn, uint32_t from, uint32_t count, uint32_t at, Concat mode) {
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t cp = char_at(sn, from + i);
    if (mode == Concat::append) append_char(tn, cp);
    else write_char(tn, at + i, cp);
  }
}

// Inserting a series' own text into itself: after the gap opened at `at`, the part of the source at
// or past `at` has moved up by the gap.
void copy_into_gap(uint8_t* data, uint32_t src, uint32_t bytes, uint32_t at) {
  uint32_t before = src < at ? std::min(bytes, at - src) : 0;
  std::memcpy(data + at, data + src, before);
  std::memcpy(data + at + before, data + std::max(src, at) + bytes, bytes - before);
}

// A symbol!'s name as a string! from its head, pushed: its string spelling, or one made from its
// UTF-8 spelling when the symbol has none yet.
Cell* name_of(const Cell& symbol) {
  if (symbol::entry_string(symbol)) return stack::push(make_series(Type::string, symbol::entry_string(symbol)));
  uint32_t length = buffer_of(symbol::entry_utf8(symbol))->used();
  NodeId node = unicode::load_utf8_new(unicode::in_series(symbol::entry_utf8(symbol), 0), length);
  return stack::push(make_series(Type::string, node));
}

}  // namespace

// A symbol! source stands for its name. A symbol!'s name is interned and shared by every word
// spelled so, so it is never written into: a symbol! target is refused.
void concatenate(Cell* target, Cell* source, int32_t part, int32_t offset, bool keep_unit,
                 Concat mode) {
  if (target->is(Type::symbol)) fire(Err::script_invalid_arg, {*target});
  stack::Mark mark;
  if (source->is(Type::symbol)) source = name_of(*source);
  NodeId tn = series_node(*target), sn = series_node(*source);
  uint32_t tu = unicode::checked_unit(buffer_of(tn)), su = unicode::checked_unit(buffer_of(sn));
  if (tu < su) unicode::widen(tn, tu = su, 0);
  else if (su < tu && !keep_unit) unicode::widen(sn, su = tu, 0);
  uint32_t count = static_cast<uint32_t>(length_q(*source));
  if (part >= 0 && static_cast<uint32_t>(part) < count) count = static_cast<uint32_t>(part);
  uint32_t bytes = count * tu;
  if (bytes == 0) return;
  uint32_t from = clamped_head(*source);
  SeriesBuffer* t = buffer_of(tn);
  if (uint64_t{t->tail} + bytes > t->size) t = alloc::expand_series_copy(tn, round16((uint64_t{t->tail} + bytes) * 2));
  uint32_t old_tail = t->tail;
  uint64_t pos = (uint64_t{clamped_head(*target)} + static_cast<uint32_t>(offset < 0 ? 0 : offset)) * tu;
  uint32_t at = mode == Concat::append || pos > old_tail ? old_tail : static_cast<uint32_t>(pos);
  if (mode == Concat::insert) std::memmove(t->data() + at + bytes, t->data() + at, old_tail - at);
  if (su != tu) {
    if (mode == Concat::insert) t->tail = old_tail + bytes;
    copy_chars(tn, sn, from, count, at / tu, mode);
    t = buffer_of(tn);
  } else if (tn == sn && mode == Concat::insert) {
    copy_into_gap(t->data(), from * tu, bytes, at);
  } else {
    std::memmove(t->data() + at, buffer_of(sn)->data() + from * tu, bytes);
  }
  if (mode == Concat::insert) t->tail = old_tail + bytes;
  else if (mode == Concat::append || at + bytes > old_tail) t->tail = std::max(t->tail, at + bytes);
}

SeriesBuffer* widen_to(NodeId node, uint32_t from_unit, uint32_t to_unit) {
  if (from_unit != unicode::checked_unit(buffer_of(node))) unicode::fail_unit(101, from_unit);
  return unicode::widen(node, to_unit, 0);
}

SeriesBuffer* copy_widened(NodeId source, NodeId target, uint32_t size, uint32_t to_unit,
                           uint32_t source_offset, uint32_t target_offset, uint32_t source_end,
                           bool keep_tail) {
  SeriesBuffer* s = buffer_of(source);
  uint32_t su = s->unit();
  if ((su != 1 && su != 2) || (to_unit != 2 && to_unit != 4) || to_unit <= su)
    unicode::fail_unit(100, su);
  if (source_end == 0 || source_end > s->tail) source_end = s->tail;
  uint32_t count = source_end > source_offset ? (source_end - source_offset) / su : 0;
  uint64_t end = target_offset + uint64_t{count} * to_unit;
  SeriesBuffer* t;
  if (target) {
    t = buffer_of(target);
    if (end > t->size) t = alloc::expand_series_copy(target, round16(end));
    s = buffer_of(source);
    unicode::widen_units(s->data() + source_offset, t->data() + target_offset, count, su, to_unit);
  } else {
    t = alloc::new_series_buffer(round16(std::max<uint64_t>(size, end)) / to_unit, to_unit, 0);
    s = buffer_of(source);
    unicode::widen_units(s->data() + source_offset, t->data() + target_offset, count, su, to_unit);
    unicode::adopt(source, t, to_unit, static_cast<uint32_t>(end));
  }
  if (!keep_tail) {
    t->tail = static_cast<uint32_t>(end);
    t->flags = (t->flags & ~SeriesBuffer::unit_mask) | to_unit;
  }
  return t;
}

void rotate_bytes(uint8_t* address, uint32_t first_size, const uint8_t* second,
                  uint32_t second_size, uint32_t gap) {
  // the smaller range waits in the scratch block while the larger one moves
  static uint8_t scratch[65536];
  bool park_first = first_size <= second_size;
  uint32_t parked = park_first ? first_size : second_size;
  std::unique_ptr<uint8_t[]> larger;
  uint8_t* block = scratch;
  if (parked > sizeof scratch) {
    larger.reset(new uint8_t[parked]);
    block = larger.get();
  }
  uint8_t* first_to = address + second_size + gap;
  if (park_first) {
    std::memcpy(block, address, first_size);
    std::memmove(address, second, second_size);
    std::memcpy(first_to, block, first_size);
  } else {
    std::memcpy(block, second, second_size);
    std::memmove(first_to, address, first_size);
    std::memcpy(address, block, second_size);
  }
}

void move_chars(Cell* source, Cell* target, uint32_t n_bytes) {
  NodeId sn = series_node(*source), tn = series_node(*target);
  uint32_t count = n_bytes >> buffer_of(sn)->shift();
  uint32_t from = clamped_head(*source), at = clamped_head(*target);
  uint32_t left = static_cast<uint32_t>(length_total(*source)) - from;
  if (count > left) count = left;
  for (uint32_t i = 0; i < count; ++i) insert_char(tn, at + i, char_at(sn, from + i));
  remove_part(*source, from, count);
}

}  // namespace vyn::string
