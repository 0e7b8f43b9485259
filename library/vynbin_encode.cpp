// library/vynbin_encode.cpp: the Vynbin writer. One pass over the value writes the records into a
// byte buffer; the symbol table and the preamble are put in front at the end. A series met a
// second time is written as a reference to the path of its first occurrence.
#include <cmath>
#include <unordered_map>
#include <vector>

#include "core/error.hpp"
#include "core/series.hpp"
#include "library/vynbin.hpp"
#include "library/vynbin_format.hpp"
#include "values/block.hpp"
#include "values/context.hpp"
#include "values/map_entries.hpp"
#include "values/symbol.hpp"
#include "values/tuple.hpp"

namespace vyn::vynbin {
namespace {

using format::Out;

constexpr int max_depth = 1000;
constexpr uint32_t money_sign = 0x4000;

struct Encoder {
  Out rec;
  std::vector<uint32_t> symbols;
  std::string names;
  std::vector<uint32_t> offsets;
  std::unordered_map<NodeId, std::vector<uint32_t>> seen;
  std::vector<uint32_t> levels;  // the record counters of the open levels, outermost first
  uint32_t counter = 0;
};

void value(Encoder& e, const Cell& v);

uint32_t symbol_index(Encoder& e, uint32_t symbol) {
  for (size_t i = 0; i < e.symbols.size(); ++i)
    if (e.symbols[i] == symbol) return static_cast<uint32_t>(i);
  e.symbols.push_back(symbol);
  e.offsets.push_back(static_cast<uint32_t>(e.names.size()));
  e.names += symbol::spelling(symbol);
  e.names += '\0';
  return static_cast<uint32_t>(e.symbols.size() - 1);
}

[[noreturn]] void no_codec(const Cell& v) { fire(Err::access_no_codec, {v}); }

// Short form of a double: a whole number n that converts back to the same value.
bool short_double(const Cell& v, int32_t& n) {
  double d = v.float_value();
  if (v.is(Type::percent)) {
    double scaled = std::round(d * 100.0);
    if (!(std::fabs(d) <= 21474836.0)) return false;
    n = static_cast<int32_t>(scaled);
    if (static_cast<double>(n) / 100.0 != d) return false;
  } else {
    if (!(std::fabs(d) <= 2147483000.0)) return false;
    n = static_cast<int32_t>(d);
    if (static_cast<double>(n) != d) return false;
  }
  return n != 0 || !std::signbit(d);
}

void scalar_double(Encoder& e, const Cell& v) {
  int32_t n = 0;
  if (short_double(v, n)) {
    e.rec.tag(v.type(), true);
    e.rec.zigzag(n);
  } else {
    e.rec.tag(v.type(), false);
    e.rec.raw32(v.w2);
    e.rec.raw32(v.w3);
  }
}

void integer(Encoder& e, const Cell& v) {
  int32_t n = v.int_value();
  if (n >= 0 && n < 64) return e.rec.byte(static_cast<uint8_t>(0x80 + n));
  e.rec.tag(Type::integer, false);
  e.rec.zigzag(n);
}

void date(Encoder& e, const Cell& v) {
  bool timed = (v.w1 & (1u << 16)) != 0;
  e.rec.tag(Type::date, timed);
  e.rec.raw32(v.w1);
  if (!timed) return;
  e.rec.raw32(v.w2);
  e.rec.raw32(v.w3);
}

void typeset(Encoder& e, const Cell& v) {
  const uint8_t* bits = reinterpret_cast<const uint8_t*>(&v.w1);
  int n = 12;
  while (n > 0 && bits[n - 1] == 0) --n;
  e.rec.tag(Type::typeset, false);
  e.rec.byte(static_cast<uint8_t>(n));
  e.rec.bytes(bits, static_cast<size_t>(n));
}

void tuple_(Encoder& e, const Cell& v) {
  int n = tuple::size_of(v);
  e.rec.tag(Type::tuple, n != 3);
  if (n != 3) e.rec.byte(static_cast<uint8_t>(n));
  e.rec.bytes(reinterpret_cast<const uint8_t*>(&v.w1), static_cast<size_t>(n));
}

void money(Encoder& e, const Cell& v) {
  e.rec.tag(Type::money, (v.header & money_sign) != 0);
  e.rec.bytes(reinterpret_cast<const uint8_t*>(&v.w1), 12);
}

// Words keep only their spelling: a word bound to an object or a function frame comes back bound
// to the global context.
void word(Encoder& e, const Cell& v) {
  e.rec.tag(v.type(), false);
  e.rec.varint(symbol_index(e, v.w2));
}

bool scalar(Encoder& e, const Cell& v) {
  switch (v.type()) {
    case Type::unset: case Type::none_: e.rec.tag(v.type(), false); return true;
    case Type::datatype: e.rec.tag(v.type(), false); e.rec.varint(v.w1); return true;
    case Type::logic: e.rec.byte(v.w1 ? 0xC2 : 0xC3); return true;
    case Type::integer: integer(e, v); return true;
    case Type::char_: e.rec.tag(v.type(), false); e.rec.varint(v.w2); return true;
    case Type::float_: case Type::time: case Type::percent: scalar_double(e, v); return true;
    case Type::pair: e.rec.tag(v.type(), false); e.rec.zigzag(static_cast<int32_t>(v.w2));
      e.rec.zigzag(static_cast<int32_t>(v.w3)); return true;
    case Type::point2D: e.rec.tag(v.type(), false); e.rec.raw32(v.w1); e.rec.raw32(v.w2); return true;
    case Type::point3D: e.rec.tag(v.type(), false); e.rec.raw32(v.w1); e.rec.raw32(v.w2);
      e.rec.raw32(v.w3); return true;
    case Type::date: date(e, v); return true;
    case Type::typeset: typeset(e, v); return true;
    case Type::tuple: tuple_(e, v); return true;
    case Type::money: money(e, v); return true;
    case Type::word: case Type::set_word: case Type::lit_word: case Type::get_word:
    case Type::refinement: case Type::issue: word(e, v); return true;
    default: return false;
  }
}

bool block_like(Type t) {
  return t == Type::block || t == Type::paren || t == Type::path || t == Type::lit_path ||
         t == Type::set_path || t == Type::get_path || t == Type::hash;
}
bool text_like(Type t) {
  return t == Type::string || t == Type::file || t == Type::url || t == Type::tag ||
         t == Type::email || t == Type::ref;
}

void path(Encoder& e, const std::vector<uint32_t>& p) {
  e.rec.varint(static_cast<uint32_t>(p.size()));
  for (uint32_t i : p) e.rec.varint(i);
}

void cells(Encoder& e, NodeId node) {
  SeriesBuffer* buf = buffer_of(node);
  uint32_t n = (buf->tail - buf->head) / sizeof(Cell);
  e.rec.varint(n);
  for (uint32_t i = 0; i < n; ++i) {
    // never allocates: the buffer stays where it is while writing
    const Cell* c = reinterpret_cast<const Cell*>(buffer_of(node)->head_ptr()) + i;
    value(e, *c);
  }
}

void text(Encoder& e, NodeId node) {
  SeriesBuffer* buf = buffer_of(node);
  uint32_t shift = static_cast<uint32_t>(buf->shift());
  uint32_t count = (buf->tail - buf->head) >> shift;
  e.rec.varint((count << 2) | shift);
  e.rec.bytes(buf->head_ptr(), buf->tail - buf->head);
}

void bytes_body(Encoder& e, NodeId node) {
  SeriesBuffer* buf = buffer_of(node);
  e.rec.varint(buf->tail - buf->head);
  e.rec.bytes(buf->head_ptr(), buf->tail - buf->head);
}

void map_body(Encoder& e, const Cell& m) {
  int32_t total = map::cells_total(m);
  uint32_t live = 0;
  for (int32_t k = 0; k + 1 < total; k += 2) live += map::present(m, k) ? 1 : 0;
  e.rec.varint(live * 2);
  for (int32_t k = 0; k + 1 < total; k += 2) {
    if (!map::present(m, k)) continue;
    value(e, map::entries(m)[k]);
    value(e, map::entries(m)[k + 1]);
  }
}

// The tag of a series record and, where the type has one, its head index.
void series_tag(Encoder& e, const Cell& v) {
  Type t = v.type();
  if (t == Type::bitset) return e.rec.tag(t, (buffer_of(v.w2)->flags & 0x00040000u) != 0);
  if (t == Type::map) return e.rec.tag(t, false);
  int32_t head = series_head(v);
  e.rec.tag(t, head != 0);
  if (head != 0) e.rec.varint(static_cast<uint32_t>(head));
}

void series_body(Encoder& e, const Cell& v) {
  Type t = v.type();
  if (block_like(t)) return cells(e, series_node(v));
  if (text_like(t)) return text(e, series_node(v));
  if (t == Type::map) return map_body(e, v);
  bytes_body(e, series_node(v));  // binary! and bitset!
}

bool series_type(Type t) {
  return block_like(t) || text_like(t) || t == Type::binary || t == Type::bitset || t == Type::map;
}

void series(Encoder& e, const Cell& v) {
  NodeId node = series_node(v);
  auto found = e.seen.find(node);
  if (found != e.seen.end()) {
    e.rec.byte(0xC1);
    series_tag(e, v);
    return path(e, found->second);
  }
  e.levels.push_back(e.counter);
  e.seen.emplace(node, e.levels);
  if (e.levels.size() > max_depth) fire(Err::internal_too_deep);
  e.counter = 0;
  series_tag(e, v);
  series_body(e, v);
  e.counter = e.levels.back();
  e.levels.pop_back();
}

void value(Encoder& e, const Cell& v) {
  if (v.new_line()) e.rec.byte(0xC0);
  if (!scalar(e, v)) {
    if (!series_type(v.type())) no_codec(v);
    series(e, v);
  }
  ++e.counter;
}

std::string preamble(uint8_t flags) {
  std::string out = "VYNBIN";
  out += static_cast<char>(version);
  out += static_cast<char>(flags);
  return out;
}

std::string assemble(const Encoder& e) {
  bool named = !e.symbols.empty();
  Out out;
  out.data = preamble(static_cast<uint8_t>(flag_compact | (named ? flag_symbols : 0)));
  out.varint(1);
  out.varint(static_cast<uint32_t>(e.rec.data.size()));
  if (named) {
    out.varint(static_cast<uint32_t>(e.symbols.size()));
    out.varint(static_cast<uint32_t>(e.names.size()));
    for (uint32_t o : e.offsets) out.raw32(o);
    out.data += e.names;
  }
  out.data += e.rec.data;
  return std::move(out.data);
}

}  // namespace

std::string encode(const Cell& v) {
  Encoder e;
  value(e, v);
  return assemble(e);
}

}  // namespace vyn::vynbin
