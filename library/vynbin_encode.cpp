// library/vynbin_encode.cpp: the Vynbin writer. One pass over the value writes the records into a
// byte buffer; the symbol table and the preamble are put in front at the end. A series met a
// second time is written as a reference to the path of its first occurrence.
#include <cmath>
#include <cstring>

#include "core/error.hpp"
#include "core/series.hpp"
#include "library/vynbin.hpp"
#include "library/vynbin_writer.hpp"
#include "values/series/bitset.hpp"
#include "values/series/block.hpp"
#include "values/images/image.hpp"
#include "values/maps/map_entries.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/date.hpp"
#include "values/numbers/money.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"
#include "values/numbers/tuple.hpp"
#include "values/ports/handle.hpp"
#include "values/series/vector.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::vynbin::writer {
namespace {

constexpr size_t max_depth = 1000;

uint32_t high_half(uint64_t bits) { return static_cast<uint32_t>(bits >> 32); }
uint32_t low_half(uint64_t bits) { return static_cast<uint32_t>(bits); }

// Twelve payload bytes as the three 32-bit words of the full layout.
void payload_words(Writer& w, const uint8_t* bytes) {
  uint32_t words[3];
  std::memcpy(words, bytes, sizeof words);
  for (uint32_t x : words) w.word(x);
}

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

void scalar_double(Writer& w, const Cell& v) {
  int32_t n = 0;
  uint64_t bits = float_::bits(v);
  if (!w.compact) {
    w.align8();
    w.head(v.type(), false, 0, false, v.new_line());
    w.word(high_half(bits));
    return w.word(low_half(bits));
  }
  bool small = short_double(v, n);
  w.head(v.type(), small, 0, false, v.new_line());
  if (small) return w.s(n);
  w.word(low_half(bits));
  w.word(high_half(bits));
}

void integer(Writer& w, const Cell& v) {
  int32_t n = v.int_value();
  if (w.compact && n >= 0 && n < 64) {
    if (v.new_line()) w.rec.byte(0xC0);
    return w.rec.byte(static_cast<uint8_t>(0x80 + n));
  }
  w.head(Type::integer, false, 0, false, v.new_line());
  w.s(n);
}

void logic(Writer& w, const Cell& v) {
  if (!w.compact) {
    w.head(Type::logic, false, 0, false, v.new_line());
    return w.word(logic_of(v) ? 1 : 0);
  }
  if (v.new_line()) w.rec.byte(0xC0);
  w.rec.byte(logic_of(v) ? 0xC2 : 0xC3);
}

void date(Writer& w, const Cell& v) {
  uint32_t packed = date::packed(v);
  uint64_t bits = date::time_bits(v);
  bool timed = date::has_time(packed);
  w.head(Type::date, timed, 0, false, v.new_line());
  w.word(packed);
  if (!w.compact) {
    w.word(high_half(bits));
    return w.word(low_half(bits));
  }
  if (!timed) return;
  w.word(low_half(bits));
  w.word(high_half(bits));
}

void typeset(Writer& w, const Cell& v) {
  w.head(Type::typeset, false, 0, false, v.new_line());
  if (!w.compact) {
    w.word(typeset::bits(v)[0]);
    w.word(typeset::bits(v)[1]);
    return w.word(typeset::bits(v)[2]);
  }
  const uint8_t* bits = typeset::bytes(v);
  int n = 12;
  while (n > 0 && bits[n - 1] == 0) --n;
  w.rec.byte(static_cast<uint8_t>(n));
  w.rec.bytes(bits, static_cast<size_t>(n));
}

void tuple_(Writer& w, const Cell& v) {
  tuple::Bytes t = tuple::bytes_of(v);
  int n = t.size;
  w.head(Type::tuple, n != 3, static_cast<uint32_t>(n) << 8, false, v.new_line());
  if (!w.compact) return payload_words(w, t.b);
  if (n != 3) w.rec.byte(static_cast<uint8_t>(n));
  w.rec.bytes(t.b, static_cast<size_t>(n));
}

void money(Writer& w, const Cell& v) {
  bool negative = (v.header & money::sign_bit) != 0;
  money::Payload p = money::payload(v);
  w.head(Type::money, negative, negative ? hw_negative : 0, false, v.new_line());
  if (w.compact) return w.rec.bytes(p.b, money::payload_size);
  payload_words(w, p.b);
}

bool scalar(Writer& w, const Cell& v) {
  Type t = v.type();
  switch (t) {
    case Type::unset: case Type::none_: w.head(t, false, 0, false, v.new_line()); return true;
    case Type::datatype: w.head(t, false, 0, false, v.new_line()); w.u(static_cast<uint32_t>(datatype_of(v))); return true;
    case Type::logic: logic(w, v); return true;
    case Type::integer: integer(w, v); return true;
    case Type::char_: w.head(t, false, 0, false, v.new_line()); w.u(char_of(v)); return true;
    case Type::float_: case Type::time: case Type::percent: scalar_double(w, v); return true;
    case Type::pair: w.head(t, false, 0, false, v.new_line()); w.s(pair::x_of(v)); w.s(pair::y_of(v));
      return true;
    case Type::point2D: case Type::point3D:
      w.head(t, false, 0, false, v.new_line());
      for (int i = 0; i < point::dims(t); ++i) w.word(point::bits(v, i));
      return true;
    case Type::date: date(w, v); return true;
    case Type::typeset: typeset(w, v); return true;
    case Type::tuple: tuple_(w, v); return true;
    case Type::money: money(w, v); return true;
    case Type::issue: w.head(t, false, 0, false, v.new_line()); w.u(w.symbol_index(word::symbol(v))); return true;
    default: return false;
  }
}

bool block_like(Type t) { return block::is_any_block(t); }
bool text_like(Type t) {
  return t == Type::string || t == Type::file || t == Type::url || t == Type::tag ||
         t == Type::email || t == Type::ref;
}
bool series_type(Type t) {
  return block_like(t) || text_like(t) || t == Type::binary || t == Type::bitset || t == Type::map ||
         t == Type::vector || t == Type::image;
}

// Cells from the buffer's first one; the buffer stays where it is while writing.
void cells(Writer& w, NodeId node) {
  SeriesBuffer* buf = buffer_of(node);
  uint32_t n = (buf->tail - buf->head) / sizeof(Cell);
  w.u(n);
  for (uint32_t i = 0; i < n; ++i) value(w, reinterpret_cast<const Cell*>(buffer_of(node)->head_ptr())[i]);
}

void units(Writer& w, NodeId node) {
  SeriesBuffer* buf = buffer_of(node);
  uint32_t shift = static_cast<uint32_t>(buf->shift());
  uint32_t count = (buf->tail - buf->head) >> shift;
  if (w.compact) w.u((count << 2) | shift);
  else w.u(count);
  w.data(buf->head_ptr(), buf->tail - buf->head);
}

void bytes_body(Writer& w, NodeId node) {
  SeriesBuffer* buf = buffer_of(node);
  w.u(buf->tail - buf->head);
  w.data(buf->head_ptr(), buf->tail - buf->head);
}

void vector_body(Writer& w, const Cell& v) {
  SeriesBuffer* buf = buffer_of(series_node(v));
  uint32_t shift = static_cast<uint32_t>(buf->shift());
  uint32_t count = (buf->tail - buf->head) >> shift;
  uint32_t elem = static_cast<uint32_t>(vector::elem_type(v));
  if (w.compact) {
    w.rec.byte(static_cast<uint8_t>((elem << 2) | shift));
    w.u(count);
  } else {
    w.u(count);
    w.u(elem);
  }
  w.data(buf->head_ptr(), buf->tail - buf->head);
}

void image_body(Writer& w, const Cell& v) {
  if (w.compact) {
    w.u(static_cast<uint32_t>(image::width(v)));
    w.u(static_cast<uint32_t>(image::height(v)));
  } else {
    w.word(image::size_word(v));
  }
  w.data(reinterpret_cast<const uint8_t*>(image::pixels(v)), static_cast<size_t>(image::count(v)) * 4);
}

void map_body(Writer& w, const Cell& m) {
  int32_t total = map::cells_total(m);
  uint32_t live = 0;
  for (int32_t k = 0; k + 1 < total; k += 2) live += map::present(m, k) ? 1 : 0;
  w.u(live * 2);
  for (int32_t k = 0; k + 1 < total; k += 2) {
    if (!map::present(m, k)) continue;
    value(w, map::entries(m)[k]);
    value(w, map::entries(m)[k + 1]);
  }
}

// The head of a series record and, where the type has one, its head index.
void series_head_of(Writer& w, const Cell& v, bool shared) {
  Type t = v.type();
  if (t == Type::bitset) {
    bool comp = bitset::is_complemented(series_node(v));
    return w.head(t, comp, comp ? hw_complemented : 0, shared, v.new_line());
  }
  if (t == Type::map) return w.head(t, false, 0, shared, v.new_line());
  uint32_t unit = 0;
  if (text_like(t) || t == Type::binary || t == Type::vector) unit = 1u << buffer_of(series_node(v))->shift();
  int32_t head = series_head(v);
  w.head(t, head != 0, unit << 8, shared, v.new_line());
  if (!w.compact) return w.word(static_cast<uint32_t>(head));
  if (head != 0) w.u(static_cast<uint32_t>(head));
}

void series_body(Writer& w, const Cell& v) {
  Type t = v.type();
  if (block_like(t)) return cells(w, series_node(v));
  if (text_like(t)) return units(w, series_node(v));
  if (t == Type::map) return map_body(w, v);
  if (t == Type::vector) return vector_body(w, v);
  if (t == Type::image) return image_body(w, v);
  bytes_body(w, series_node(v));  // binary! and bitset!
}

void series(Writer& w, const Cell& v) {
  if (const std::vector<uint32_t>* p = open_or_find(w, series_node(v))) {
    series_head_of(w, v, true);
    return w.path(*p);
  }
  series_head_of(w, v, false);
  series_body(w, v);
  close_level(w);
}

}  // namespace

uint32_t Writer::symbol_index(uint32_t symbol) {
  auto [at, added] = symbol_indexes.try_emplace(symbol, static_cast<uint32_t>(symbols.size()));
  if (!added) return at->second;
  symbols.push_back(symbol);
  offsets.push_back(static_cast<uint32_t>(names.size()));
  names += symbol::spelling(symbol);
  names += '\0';
  if (!compact)
    while (names.size() % 8) names += '\0';
  return static_cast<uint32_t>(symbols.size() - 1);
}

[[noreturn]] void no_codec(const Cell& v) { fire(Err::access_no_codec, {v}); }

const std::vector<uint32_t>* open_or_find(Writer& w, NodeId key) {
  auto found = w.seen.find(key);
  if (found != w.seen.end()) return &found->second;
  w.levels.push_back(w.counter);
  w.seen.emplace(key, w.levels);
  if (w.levels.size() > max_depth) fire(Err::internal_too_deep);
  w.counter = 0;
  return nullptr;
}

void close_level(Writer& w) {
  w.counter = w.levels.back();
  w.levels.pop_back();
}

void value(Writer& w, const Cell& v) {
  // a handle names a resource of the running process: a boot image holds none in its place (the
  // start-up that follows makes what it needs anew)
  if (w.boot && v.is(Type::handle)) {
    if (handle::kind_of(v) == handle::none && static_cast<int32_t>(v.w3) == -1) {
      // one of no kind names nothing outside: it is written with its value
      w.head(Type::handle, false, 0, false, v.new_line());
      w.u(handle::value_of(v));
    } else {
      w.head(Type::none_, false, 0, false, v.new_line());
    }
    ++w.counter;
    return;
  }
  if (!scalar(w, v)) {
    if (series_type(v.type())) series(w, v);
    else if (!context_value(w, v)) no_codec(v);
  }
  ++w.counter;
}

}  // namespace vyn::vynbin::writer

namespace vyn::vynbin {
namespace {

using writer::Writer;

std::string preamble(uint8_t flags) {
  std::string out = "VYNBIN";
  out += static_cast<char>(version);
  out += static_cast<char>(flags);
  return out;
}

std::string assemble_compact(const Writer& w) {
  bool named = !w.symbols.empty();
  format::Out out;
  out.data = preamble(static_cast<uint8_t>(flag_compact | (named ? flag_symbols : 0)));
  out.varint(1);
  out.varint(static_cast<uint32_t>(w.rec.data.size()));
  if (named) {
    out.varint(static_cast<uint32_t>(w.symbols.size()));
    out.varint(static_cast<uint32_t>(w.names.size()));
    for (uint32_t o : w.offsets) out.raw32(o);
    out.data += w.names;
  }
  out.bytes(reinterpret_cast<const uint8_t*>(w.rec.data.data()), w.rec.data.size());
  return std::move(out.data);
}

// The standard layout: count, size, offsets and names in front of the records, all 32-bit.
std::string assemble_standard(const Writer& w) {
  bool named = !w.symbols.empty();
  format::Out out;
  out.data = preamble(named ? flag_symbols : 0);
  out.raw32(1);
  out.raw32(static_cast<uint32_t>(w.rec.data.size()));
  if (named) {
    out.raw32(static_cast<uint32_t>(w.symbols.size()));
    out.raw32(static_cast<uint32_t>(w.names.size()));
    for (uint32_t o : w.offsets) out.raw32(o);
    out.data += w.names;
  }
  out.bytes(reinterpret_cast<const uint8_t*>(w.rec.data.data()), w.rec.data.size());
  return std::move(out.data);
}

}  // namespace

namespace {

// Values whose record holds no series, context or callable: written in their definition.
bool plain_scalar(Type t) {
  switch (t) {
    case Type::unset: case Type::none_: case Type::logic: case Type::integer: case Type::float_:
    case Type::time: case Type::percent: case Type::char_: case Type::datatype: case Type::typeset:
    case Type::pair: case Type::tuple: case Type::date: case Type::money: case Type::point2D:
    case Type::point3D: case Type::issue:
      return true;
    default:
      return false;
  }
}

// The prefix 0xC4 and a global word: the next record is its value.
void definition_head(Writer& w, const Cell& word) {
  w.rec.byte(0xC4);
  w.rec.tag(Type::word, false);
  w.u(w.symbol_index(word::symbol(word)));
}

}  // namespace

std::string encode_boot_image(const Cell& table, const Cell& defined) {
  Writer w;
  w.boot = true;
  writer::value(w, table);
  int32_t n = block::length_total(defined) / 2;
  const Cell* pairs = block::cells(defined);
  std::vector<int32_t> literal(static_cast<size_t>(n), -1);
  for (int32_t i = 0; i < n; ++i) {
    Cell v = pairs[2 * i + 1];
    if (plain_scalar(v.type())) continue;
    literal[static_cast<size_t>(i)] = static_cast<int32_t>(w.counter);
    writer::value(w, v);
  }
  for (int32_t i = 0; i < n; ++i) {
    definition_head(w, pairs[2 * i]);
    int32_t at = literal[static_cast<size_t>(i)];
    if (at < 0) {
      writer::value(w, pairs[2 * i + 1]);
      --w.counter;  // a definition takes no record index
      continue;
    }
    w.rec.byte(0xFF);
    w.path({static_cast<uint32_t>(at)});
  }
  return assemble_compact(w);
}

std::string encode(const Cell& v, bool compact) {
  Writer w;
  w.compact = compact;
  writer::value(w, v);
  return compact ? assemble_compact(w) : assemble_standard(w);
}

}  // namespace vyn::vynbin
