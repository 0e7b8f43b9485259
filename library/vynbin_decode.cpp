// library/vynbin_decode.cpp: the Vynbin reader for the compact layout. Records are decoded top
// down: a container is made and appended to its parent before its members are read, so that every
// value is reachable (and rooted) from the output block as soon as it exists, and a path read
// later finds it. Every count is checked against the bytes left before anything is allocated.
#include <cstring>
#include <string_view>

#include "core/error.hpp"
#include "core/lz.hpp"
#include "core/series.hpp"
#include "eval/stack.hpp"
#include "library/vynbin.hpp"
#include "library/vynbin_format.hpp"
#include "values/binary.hpp"
#include "values/block.hpp"
#include "values/hash_block.hpp"
#include "values/map.hpp"
#include "values/string_storage.hpp"
#include "values/symbol.hpp"
#include "values/tuple.hpp"
#include "values/word.hpp"

namespace vyn::vynbin {
namespace {

constexpr int max_depth = 1000;
constexpr uint32_t max_path = 65536;
constexpr uint32_t money_sign = 0x4000;
constexpr uint32_t bitset_complemented = 0x00040000;

struct Decoder {
  format::In in;
  NodeId out;
  const uint8_t* offsets = nullptr;  // the name-offset table, 4 bytes per symbol
  uint32_t symbol_count = 0;
  const uint8_t* names = nullptr;
  uint32_t names_size = 0;
  int depth = 0;
};

[[noreturn]] void corrupt(const Decoder& d) {
  fire(Err::script_vb_invalid_record, {make_integer(static_cast<int32_t>(d.in.at - d.in.start + 1))});
}

void need(const Decoder& d, bool ok) {
  if (!ok) corrupt(d);
}

uint32_t varint(Decoder& d) {
  uint32_t v;
  need(d, d.in.varint(v));
  return v;
}
int32_t zigzag(Decoder& d) {
  int32_t n;
  need(d, d.in.zigzag(n));
  return n;
}
uint32_t raw32(Decoder& d) {
  uint32_t w;
  need(d, d.in.raw32(w));
  return w;
}
uint8_t byte(Decoder& d) {
  uint8_t b;
  need(d, d.in.byte(b));
  return b;
}
// A count of items of at least `min_bytes` each, which must fit in what is left.
uint32_t count(Decoder& d, size_t min_bytes) {
  uint32_t n = varint(d);
  need(d, n <= 0x7FFFFFFF && static_cast<uint64_t>(n) * min_bytes <= d.in.left());
  return n;
}

void append(NodeId parent, const Cell& v) { block::append_copy(make_series(Type::block, parent), v); }

// ---- symbols

bool valid_utf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<uint8_t>(s[i]);
    size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<uint8_t>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return !s.empty();
}

uint32_t symbol_ref(Decoder& d) {
  uint32_t i = varint(d);
  need(d, i < d.symbol_count);
  const uint8_t* p = d.offsets + 4 * static_cast<size_t>(i);
  uint32_t off = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
  need(d, off < d.names_size);
  // the names area ends with a zero byte, checked when the table was read
  std::string_view name(reinterpret_cast<const char*>(d.names + off));
  need(d, valid_utf8(name));
  return symbol::make(name);
}

// ---- paths

// Blocks other than hash!, whose table is built once its members are read.
bool block_like(Type t) { return block::is_any_block(t) && t != Type::hash; }

Cell resolve(Decoder& d) {
  uint32_t k = varint(d);
  need(d, k >= 1 && k <= max_path && k <= d.in.left());
  Cell at = make_series(Type::block, d.out);
  for (uint32_t i = 0; i < k; ++i) {
    uint32_t index = varint(d);
    Type t = at.type();
    if (t == Type::map) at = make_series(Type::block, at.w2);
    need(d, block::is_any_block(t) || t == Type::map);
    need(d, index < static_cast<uint32_t>(block::length_total(at)));
    at = block::cells(at)[index];
  }
  return at;
}

// ---- scalars

bool date_word_ok(uint32_t w) {
  int32_t month = (w >> 12) & 15, day = (w >> 7) & 31;
  return month >= 1 && month <= 12 && day >= 1;
}

Cell date(Decoder& d, bool bit6) {
  Cell v = make_cell(Type::date, raw32(d));
  need(d, bit6 == ((v.w1 & (1u << 16)) != 0) && date_word_ok(v.w1));
  if (bit6) {
    v.w2 = raw32(d);
    v.w3 = raw32(d);
  }
  return v;
}

Cell double_value(Decoder& d, Type t, bool bit6) {
  if (bit6) {
    double x = zigzag(d);
    Cell v = make_float(t == Type::percent ? x / 100.0 : x);
    v.set_type(t);
    return v;
  }
  Cell v = make_cell(t);
  v.w2 = raw32(d);
  v.w3 = raw32(d);
  return v;
}

Cell bytes_into_payload(Decoder& d, Type t, size_t n) {
  Cell v = make_cell(t);
  need(d, d.in.left() >= n);
  std::memcpy(&v.w1, d.in.at, n);
  d.in.skip(n);
  return v;
}

Cell money(Decoder& d, bool bit6) {
  Cell v = bytes_into_payload(d, Type::money, 12);
  const uint8_t* b = reinterpret_cast<const uint8_t*>(&v.w1);
  for (int i = 1; i < 12; ++i) need(d, (b[i] & 15) <= 9 && (b[i] >> 4) <= 9);
  if (bit6) v.header |= money_sign;
  return v;
}

Cell tuple_(Decoder& d, bool bit6) {
  uint32_t n = bit6 ? byte(d) : 3;
  need(d, n >= 1 && n <= tuple::max_size);
  Cell v = bytes_into_payload(d, Type::tuple, n);
  v.header |= n << tuple::size_shift;
  return v;
}

Cell typeset(Decoder& d) {
  uint32_t n = byte(d);
  need(d, n <= 12);
  return bytes_into_payload(d, Type::typeset, n);
}

Cell word(Decoder& d, Type t, bool bit6) {
  uint32_t sym = symbol_ref(d);
  need(d, !bit6);  // bound to an object or a function: not read by this decoder
  Cell w;
  word::make_at(sym, &w, t);
  return w;
}

// A scalar record, or false when the type is not one.
bool scalar(Decoder& d, Type t, bool bit6, Cell& v) {
  switch (t) {
    case Type::datatype: {
      uint32_t id = varint(d);
      need(d, id >= 1 && id <= static_cast<uint32_t>(type_count));
      v = make_datatype(static_cast<Type>(id));
      return true;
    }
    case Type::unset: case Type::none_: v = make_cell(t); return true;
    case Type::char_: v = make_char(varint(d)); need(d, v.w2 <= 0x10FFFF); return true;
    case Type::integer: v = make_integer(zigzag(d)); return true;
    case Type::float_: case Type::time: case Type::percent: v = double_value(d, t, bit6); return true;
    case Type::pair: v = make_cell(t); v.w2 = static_cast<uint32_t>(zigzag(d));
      v.w3 = static_cast<uint32_t>(zigzag(d)); return true;
    case Type::point2D: v = make_cell(t, raw32(d)); v.w2 = raw32(d); return true;
    case Type::point3D: v = make_cell(t, raw32(d)); v.w2 = raw32(d); v.w3 = raw32(d); return true;
    case Type::date: v = date(d, bit6); return true;
    case Type::money: v = money(d, bit6); return true;
    case Type::tuple: v = tuple_(d, bit6); return true;
    case Type::typeset: v = typeset(d); return true;
    case Type::word: case Type::set_word: case Type::lit_word: case Type::get_word:
    case Type::refinement: case Type::issue: v = word(d, t, bit6); return true;
    default: return false;
  }
}

// ---- series

void record(Decoder& d, NodeId parent);

bool text_like(Type t) {
  return t == Type::string || t == Type::file || t == Type::url || t == Type::tag ||
         t == Type::email || t == Type::ref;
}
bool series_type(Type t) {
  return block::is_any_block(t) || text_like(t) || t == Type::binary || t == Type::bitset || t == Type::map;
}
// Only a buffer of the same kind may be shared: a block over a byte buffer would read past it.
int family(Type t) {
  if (block_like(t)) return 1;
  if (text_like(t)) return 2;
  return 3 + static_cast<int>(t);
}

// Appends a made series (held on the value stack) to the parent, then drops it from the stack.
void adopt(NodeId parent, Cell* made) {
  append(parent, *made);
  stack::pop(1);
}

void members(Decoder& d, NodeId node, uint32_t n) {
  if (++d.depth > max_depth) corrupt(d);
  for (uint32_t i = 0; i < n; ++i) record(d, node);
  --d.depth;
}

void block_record(Decoder& d, NodeId parent, Type t, uint32_t head) {
  uint32_t n = count(d, 1);
  need(d, head <= n);
  Cell* made = block::make_at(stack::push_unset(), static_cast<int32_t>(n));
  *made = make_series(t, series_node(*made), static_cast<int32_t>(head));
  NodeId node = series_node(*made);
  adopt(parent, made);
  members(d, node, n);
}

void text_record(Decoder& d, NodeId parent, Type t, uint32_t head) {
  uint32_t e = varint(d);
  uint32_t code = e & 3, chars = e >> 2;
  need(d, code != 3 && head <= chars);
  uint32_t unit = 1u << code;
  need(d, static_cast<uint64_t>(chars) * unit <= d.in.left());
  const uint8_t* src = d.in.at;
  if (unit == 4)
    for (uint32_t i = 0; i < chars; ++i) {
      uint32_t cp;
      std::memcpy(&cp, src + 4 * i, 4);
      need(d, cp <= 0x10FFFF);
    }
  Cell* made = string::make_at_unit(stack::push_unset(), chars, unit);
  SeriesBuffer* buf = buffer_of(series_node(*made));
  std::memcpy(buf->head_ptr(), src, chars * unit);
  buf->tail = buf->head + chars * unit;
  made->set_type(t);
  made->w1 = head;
  d.in.skip(chars * unit);
  adopt(parent, made);
}

void bytes_record(Decoder& d, NodeId parent, Type t, uint32_t head, bool complemented) {
  uint32_t n = count(d, 1);
  need(d, head <= n);
  Cell* made = binary::push_bytes(d.in.at, n);
  d.in.skip(n);
  made->set_type(t);
  made->w1 = head;
  if (complemented) buffer_of(series_node(*made))->flags |= bitset_complemented;
  adopt(parent, made);
}

// The entries are read into a block that stands in the map's place meanwhile, so that paths into
// the entries resolve; the map is made over it once they are all there.
void map_record(Decoder& d, NodeId parent) {
  uint32_t n = count(d, 1);
  need(d, n % 2 == 0);
  Cell* entries = block::make_at(stack::push_unset(), static_cast<int32_t>(n));
  int32_t at = block::length_total(make_series(Type::block, parent));
  append(parent, *entries);
  members(d, series_node(*entries), n);
  Cell* made = stack::push_unset();
  map::make_at(made, *entries);
  block::cells(make_series(Type::block, parent))[at] = *made;
  stack::pop(2);
}

// As for map!: the members go into a block standing in the hash's place, then the table is built.
void hash_record(Decoder& d, NodeId parent, uint32_t head) {
  uint32_t n = count(d, 1);
  need(d, head <= n);
  Cell* made = block::make_at(stack::push_unset(), static_cast<int32_t>(n));
  int32_t at = block::length_total(make_series(Type::block, parent));
  append(parent, *made);
  members(d, series_node(*made), n);
  hash_block::index(made, static_cast<int32_t>(n));
  made->w1 = head;
  block::cells(make_series(Type::block, parent))[at] = *made;
  stack::pop(1);
}

void shared_record(Decoder& d, NodeId parent, Type t, uint32_t head) {
  Cell target = resolve(d);
  need(d, series_type(target.type()) && family(target.type()) == family(t));
  target.set_type(t);
  target.set_new_line(false);
  if (t != Type::map && t != Type::bitset) target.w1 = head;
  append(parent, target);
}

void series(Decoder& d, NodeId parent, Type t, bool bit6, bool shared) {
  uint32_t head = 0;
  bool headed = t != Type::map && t != Type::bitset;
  if (headed && bit6) head = varint(d);
  need(d, head <= 0x7FFFFFFF);
  if (shared) return shared_record(d, parent, t, head);
  if (block_like(t)) return block_record(d, parent, t, head);
  if (text_like(t)) return text_record(d, parent, t, head);
  if (t == Type::map) return map_record(d, parent);
  if (t == Type::hash) return hash_record(d, parent, head);
  bytes_record(d, parent, t, head, t == Type::bitset && bit6);
}

bool unwritable(Type t) {
  return t == Type::routine || t == Type::triple || t == Type::handle || t == Type::port || t == Type::event;
}

void small_record(Decoder& d, NodeId parent, uint8_t b, bool shared) {
  need(d, !shared);
  if (b >= 0x80 && b <= 0xBF) return append(parent, make_integer(b & 0x3F));
  if (b == 0xC2 || b == 0xC3) return append(parent, make_logic(b == 0xC2));
  need(d, b == 0xFF);
  Cell v = resolve(d);
  v.set_new_line(false);
  append(parent, v);
}

void tagged(Decoder& d, NodeId parent, uint8_t b, bool shared) {
  uint32_t id = b & 63;
  bool bit6 = (b & 0x40) != 0;
  if (id == 63) id = varint(d);
  need(d, id >= 1 && id <= static_cast<uint32_t>(type_count));
  auto t = static_cast<Type>(id);
  if (unwritable(t)) fire(Err::access_no_codec, {make_datatype(t)});
  if (series_type(t)) return series(d, parent, t, bit6, shared);
  Cell v;
  need(d, !shared && scalar(d, t, bit6, v));
  append(parent, v);
}

void record(Decoder& d, NodeId parent) {
  bool new_line = false, shared = false;
  uint8_t b = byte(d);
  for (; b == 0xC0 || b == 0xC1 || b == 0xC4; b = byte(d)) {
    need(d, b != 0xC4);  // definitions belong to start-up images only
    new_line |= b == 0xC0;
    shared |= b == 0xC1;
  }
  if (b >= 0x80) small_record(d, parent, b, shared);
  else tagged(d, parent, b, shared);
  if (!new_line) return;
  Cell p = make_series(Type::block, parent);
  block::cells(p)[block::length_total(p) - 1].set_new_line(true);
}

// ---- the body

void symbol_table(Decoder& d) {
  d.symbol_count = varint(d);
  d.names_size = varint(d);
  need(d, d.symbol_count <= 0x7FFFFFFF && d.names_size <= 0x7FFFFFFF);
  need(d, d.symbol_count <= d.in.left() / 4);
  d.offsets = d.in.at;
  d.in.skip(4 * static_cast<size_t>(d.symbol_count));
  need(d, d.names_size <= d.in.left());
  d.names = d.in.at;
  need(d, d.names_size == 0 || d.names[d.names_size - 1] == 0);
  d.in.skip(d.names_size);
}

void body(Decoder& d, bool symbols) {
  varint(d);  // root count: decoding runs to the end of the records instead
  uint32_t size = varint(d);
  if (symbols) symbol_table(d);
  need(d, size <= 0x7FFFFFFF && size <= d.in.left());
  d.in.end = d.in.at + size;
  while (d.in.at < d.in.end) record(d, d.out);
}

}  // namespace

void decode(const uint8_t* bytes, size_t n, const Cell& out, const Cell& source) {
  if (n < 8 || std::memcmp(bytes, "VYNBIN", 6) != 0) fire(Err::script_invalid_data, {source});
  uint8_t flags = bytes[7];
  if (!(flags & flag_compact)) fire(Err::script_invalid_data, {source});
  Decoder d{{bytes, bytes + 8, bytes + n}, series_node(out)};
  if (!(flags & flag_packed)) return body(d, flags & flag_symbols);
  uint32_t size = 0;
  uint8_t* unpacked = compress::unpack(bytes + 8, n - 8, &size);
  if (!unpacked) fire(Err::script_invalid_data, {source});
  std::string plain(reinterpret_cast<const char*>(unpacked), size);
  compress::free_buffer(unpacked);
  auto* p = reinterpret_cast<const uint8_t*>(plain.data());
  Decoder dp{{p, p, p + size}, series_node(out)};
  body(dp, flags & flag_symbols);
}

}  // namespace vyn::vynbin
