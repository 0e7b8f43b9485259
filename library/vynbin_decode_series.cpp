// library/vynbin_decode_series.cpp: the Vynbin records of series: blocks, hashes and maps, text,
// binaries, bitsets, vectors and images, written in full or sharing an earlier one's buffer.
#include <cstring>
#include <vector>

#include "core/series.hpp"
#include "core/stack.hpp"
#include "library/vynbin_reader.hpp"
#include "values/series/binary.hpp"
#include "values/series/bitset.hpp"
#include "values/series/block.hpp"
#include "values/series/hash_block.hpp"
#include "values/images/image.hpp"
#include "values/maps/map.hpp"
#include "values/text/string_storage.hpp"
#include "values/series/vector.hpp"

namespace vyn::vynbin::reader {
namespace {

// Blocks other than hash!, whose table is built once its members are read.
bool block_like(Type t) { return block::is_any_block(t) && t != Type::hash; }
bool text_like(Type t) {
  return t == Type::string || t == Type::file || t == Type::url || t == Type::tag ||
         t == Type::email || t == Type::ref;
}
bool series_type(Type t) {
  return block::is_any_block(t) || text_like(t) || t == Type::binary || t == Type::bitset ||
         t == Type::map || t == Type::vector || t == Type::image;
}
bool callable(Type t) {
  return t == Type::native || t == Type::action || t == Type::function || t == Type::op;
}
// Only a buffer of the same kind may be shared: a block over a byte buffer would read past it.
// A callable's spec is a block.
int family(Type t) {
  if (block_like(t) || callable(t)) return 1;
  if (text_like(t)) return 2;
  return 3 + static_cast<int>(t);
}

// Four-byte units of text or of a char! vector must each hold a code point.
bool code_points_ok(const uint8_t* units, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t cp;
    std::memcpy(&cp, units + 4 * static_cast<size_t>(i), 4);
    if (cp > 0x10FFFF) return false;
  }
  return true;
}

// A head index past the tail is put back at the tail.
void clamp_head(Cell& v) {
  SeriesBuffer* b = buffer_of(series_node(v));
  uint32_t units = (b->tail - b->head) >> b->shift();
  if (static_cast<uint32_t>(series_head(v)) > units) set_series_head(v, static_cast<int32_t>(units));
}

// Appends a made series (held on the value stack) to the parent, then drops it from the stack.
void adopt(NodeId parent, Cell* made) {
  clamp_head(*made);
  append(parent, *made);
  stack::pop(1);
}

void block_record(Decoder& d, NodeId parent, Type t, uint32_t head) {
  uint32_t n = d.count(1);
  Cell* made = block::make_at(stack::push_unset(), static_cast<int32_t>(n));
  *made = make_series(t, series_node(*made), 0);
  NodeId node = series_node(*made);
  int32_t at = next_index(parent);
  adopt(parent, made);
  members(d, node, n);
  Cell& placed = block::cells(make_series(Type::block, parent))[at];
  set_series_head(placed, head);
  clamp_head(placed);
}

// A new series of count units of the given size, holding a copy of the bytes; pushed.
Cell* units_series(Decoder& d, uint32_t count, uint32_t unit) {
  need(d, static_cast<uint64_t>(count) * unit <= d.in.left());
  const uint8_t* src = d.data(static_cast<size_t>(count) * unit);
  Cell* made = string::make_at_unit(stack::push_unset(), count, unit);
  SeriesBuffer* buf = buffer_of(series_node(*made));
  std::memcpy(buf->head_ptr(), src, static_cast<size_t>(count) * unit);
  buf->tail = buf->head + count * unit;
  return made;
}

void text_record(Decoder& d, NodeId parent, const Head& h, uint32_t head) {
  uint32_t chars, unit;
  if (d.compact) {
    uint32_t e = d.u();
    need(d, (e & 3) != 3);
    chars = e >> 2;
    unit = 1u << (e & 3);
  } else {
    unit = (h.bits >> 8) & 0xFF;
    need(d, unit == 1 || unit == 2 || unit == 4);
    chars = d.u();
  }
  need(d, static_cast<uint64_t>(chars) * unit <= d.in.left());
  if (unit == 4) need(d, code_points_ok(d.in.at, chars));
  Cell* made = units_series(d, chars, unit);
  made->set_type(h.type);
  set_series_head(*made, head);
  adopt(parent, made);
}

void bytes_record(Decoder& d, NodeId parent, const Head& h, uint32_t head) {
  if (!d.compact && h.type == Type::binary) need(d, ((h.bits >> 8) & 0xFF) == 1);
  uint32_t n = d.count(1);
  Cell* made = binary::push_bytes(d.data(n), n);
  made->set_type(h.type);
  set_series_head(*made, head);
  if (h.type == Type::bitset && h.bit6) buffer_of(series_node(*made))->flags |= bitset::complemented;
  adopt(parent, made);
}

bool vector_unit_ok(Type elem, uint32_t unit) {
  if (elem == Type::char_ || elem == Type::integer) return unit == 1 || unit == 2 || unit == 4;
  if (elem == Type::float_ || elem == Type::percent) return unit == 4 || unit == 8;
  return false;
}

void vector_record(Decoder& d, NodeId parent, const Head& h, uint32_t head) {
  uint32_t elem, unit, n;
  if (d.compact) {
    uint8_t b = d.byte();
    elem = b >> 2;
    unit = 1u << (b & 3);
    n = d.u();
  } else {
    unit = (h.bits >> 8) & 0xFF;
    n = d.u();
    elem = d.u();
  }
  need(d, elem <= 0xFF && vector_unit_ok(static_cast<Type>(elem), unit));
  need(d, n <= 0x7FFFFFFF && static_cast<uint64_t>(n) * unit <= d.in.left());
  if (static_cast<Type>(elem) == Type::char_ && unit == 4) need(d, code_points_ok(d.in.at, n));
  const uint8_t* src = d.data(static_cast<size_t>(n) * unit);
  Cell* made = vector::push_new(static_cast<Type>(elem), unit, n);
  SeriesBuffer* buf = buffer_of(series_node(*made));
  std::memcpy(buf->head_ptr(), src, static_cast<size_t>(n) * unit);
  buf->tail = buf->head + n * unit;
  set_series_head(*made, head);
  adopt(parent, made);
}

void image_record(Decoder& d, NodeId parent, uint32_t head) {
  uint32_t w, h;
  if (d.compact) {
    w = d.u();
    h = d.u();
  } else {
    uint32_t size = d.word();
    w = size & 0xFFFF;
    h = size >> 16;
  }
  need(d, w <= 0xFFFF && h <= 0xFFFF);
  size_t bytes = static_cast<size_t>(w) * h * 4;
  need(d, bytes <= d.in.left());
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  const uint8_t* src = d.data(bytes);
  if (bytes) std::memcpy(px.data(), src, bytes);
  Cell* made = image::push_pixels(px.data(), static_cast<int32_t>(w), static_cast<int32_t>(h));
  set_series_head(*made, head);
  adopt(parent, made);
}

// The entries are read into a block that stands in the map's place meanwhile, so that paths into
// the entries resolve; the map is made over it once they are all there.
void map_record(Decoder& d, NodeId parent) {
  uint32_t n = d.count(1);
  need(d, n % 2 == 0);
  Cell* entries = block::make_at(stack::push_unset(), static_cast<int32_t>(n));
  int32_t at = next_index(parent);
  append(parent, *entries);
  members(d, series_node(*entries), n);
  Cell* made = stack::push_unset();
  map::make_at(made, *entries);
  block::cells(make_series(Type::block, parent))[at] = *made;
  stack::pop(2);
}

// As for map!: the members go into a block standing in the hash's place, then the table is built.
void hash_record(Decoder& d, NodeId parent, uint32_t head) {
  uint32_t n = d.count(1);
  Cell* made = block::make_at(stack::push_unset(), static_cast<int32_t>(n));
  int32_t at = next_index(parent);
  append(parent, *made);
  members(d, series_node(*made), n);
  hash_block::index(made, static_cast<int32_t>(n));
  set_series_head(*made, head);
  clamp_head(*made);
  block::cells(make_series(Type::block, parent))[at] = *made;
  stack::pop(1);
}

void shared_record(Decoder& d, NodeId parent, Type t, uint32_t head) {
  Cell target = d.resolve();
  need(d, (series_type(target.type()) || callable(target.type())) && family(target.type()) == family(t));
  if (family(t) == 1 && !block::is_any_block(target.type())) target = make_series(Type::block, series_node(target));
  if (t == Type::hash) need(d, target.is(Type::hash));
  target.set_type(t);
  target.set_new_line(false);
  if (t != Type::map && t != Type::bitset) {
    set_series_head(target, head);
    clamp_head(target);
  }
  append(parent, target);
}

}  // namespace

bool series_record(Decoder& d, NodeId parent, const Head& h) {
  Type t = h.type;
  if (!series_type(t)) return false;
  uint32_t head = t == Type::map || t == Type::bitset ? 0 : d.head_index(h);
  if (h.shared) shared_record(d, parent, t, head);
  else if (block_like(t)) block_record(d, parent, t, head);
  else if (text_like(t)) text_record(d, parent, h, head);
  else if (t == Type::map) map_record(d, parent);
  else if (t == Type::hash) hash_record(d, parent, head);
  else if (t == Type::vector) vector_record(d, parent, h, head);
  else if (t == Type::image) image_record(d, parent, head);
  else bytes_record(d, parent, h, head);
  return true;
}

}  // namespace vyn::vynbin::reader
