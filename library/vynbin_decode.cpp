// library/vynbin_decode.cpp: the Vynbin reader: the preamble and body of both layouts, the
// reading of integers, symbols and record heads, and the scalar records.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/codecs/lz.hpp"
#include "core/series.hpp"
#include "library/vynbin.hpp"
#include "library/vynbin_reader.hpp"
#include "values/series/block.hpp"
#include "values/words/symbol.hpp"
#include "values/numbers/date.hpp"
#include "values/numbers/money.hpp"
#include "values/numbers/number.hpp"
#include "values/numbers/pair.hpp"
#include "values/numbers/point.hpp"
#include "values/numbers/tuple.hpp"
#include "values/ports/handle.hpp"
#include "values/words/word.hpp"

namespace vyn::vynbin::reader {

[[noreturn]] void corrupt(const Decoder& d) {
  fire(Err::script_vb_invalid_record, {make_integer(static_cast<int32_t>(d.in.at - d.in.start + 1))});
}

uint32_t Decoder::word() {
  uint32_t w;
  need(*this, in.raw32(w));
  return w;
}
uint32_t Decoder::u() {
  if (!compact) return word();
  uint32_t v;
  need(*this, in.varint(v));
  return v;
}
int32_t Decoder::s() {
  if (!compact) return static_cast<int32_t>(word());
  int32_t n;
  need(*this, in.zigzag(n));
  return n;
}
uint8_t Decoder::byte() {
  uint8_t b;
  need(*this, in.byte(b));
  return b;
}
uint32_t Decoder::count(size_t min_bytes) {
  uint32_t n = u();
  need(*this, n <= 0x7FFFFFFF && static_cast<uint64_t>(n) * min_bytes <= in.left());
  return n;
}
const uint8_t* Decoder::data(size_t n) {
  const uint8_t* p = in.at;
  need(*this, in.skip(n));
  if (!compact) need(*this, in.skip((4 - (in.at - in.start) % 4) % 4));
  return p;
}
uint32_t Decoder::head_index(const Head& h) {
  uint32_t head = compact ? (h.bit6 ? u() : 0) : word();
  need(*this, head <= 0x7FFFFFFF);
  return head;
}

namespace {

// A name must be text the runtime's UTF-8 reader takes (overlong forms and most surrogates pass,
// but not DC00-DCFF, U+FFFE or anything past U+10FFFF), or its word could not be formed.
bool valid_utf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<uint8_t>(s[i]);
    size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    uint32_t cp = n == 1 ? b : b & (0x7Fu >> n);
    for (size_t k = 1; k < n; ++k) {
      auto c = static_cast<uint8_t>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = cp << 6 | (c & 0x3Fu);
    }
    if ((n == 3 && cp >= 0xDC00 && cp <= 0xDCFF) || cp >= 0x110000 || cp == 0xFFFE) return false;
    i += n;
  }
  return !s.empty();
}

}  // namespace

uint32_t Decoder::symbol_index() {
  uint32_t i = u();
  need(*this, i < symbol_count);
  return i;
}

uint32_t Decoder::symbol_at(uint32_t i) {
  if (interned.empty()) interned.assign(symbol_count, 0);
  if (interned[i]) return interned[i];
  const uint8_t* p = offsets + 4 * static_cast<size_t>(i);
  uint32_t off = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
  need(*this, off < names_size);
  // the names area ends with a zero byte, checked when the table was read
  std::string_view name(reinterpret_cast<const char*>(names + off));
  need(*this, valid_utf8(name));
  return interned[i] = symbol::make(name);
}

Cell Decoder::global_word(uint32_t i, Type t) {
  uint32_t sym = symbol_at(i);
  if (global_words.empty()) global_words.assign(symbol_count, make_unset());
  Cell& w = global_words[i];
  if (w.is(Type::unset)) word::make_at(sym, &w, Type::word);
  Cell made = w;
  made.header = static_cast<uint32_t>(t);
  return made;
}

Cell Decoder::resolve() {
  constexpr uint32_t max_path = 65536;
  if (!compact) need(*this, word() == 255);
  uint32_t k = u();
  need(*this, k >= 1 && k <= max_path && k <= in.left());
  Cell at = make_series(Type::block, out);
  for (uint32_t i = 0; i < k; ++i) need(*this, step(at, u()));
  return at;
}

// Written in place while the buffer has room (a block record makes its buffer for all its members).
void append(NodeId parent, const Cell& v) {
  SeriesBuffer* b = buffer_of(parent);
  if (b->tail + sizeof(Cell) > b->size) return block::append_copy(make_series(Type::block, parent), v);
  *reinterpret_cast<Cell*>(b->tail_ptr()) = v;
  b->tail += sizeof(Cell);
}
int32_t next_index(NodeId parent) { return block::length_total(make_series(Type::block, parent)); }

void members(Decoder& d, NodeId node, uint32_t n) {
  constexpr int max_depth = 1000;
  if (++d.depth > max_depth) corrupt(d);
  for (uint32_t i = 0; i < n; ++i) record(d, node);
  --d.depth;
}

namespace {

bool date_word_ok(uint32_t w) {
  int32_t month = date::month_of(w), day = date::day_of(w);
  return month >= 1 && month <= 12 && day >= 1;
}

// A double's bits, written high half first in the full layout and low half first in the compact.
uint64_t double_bits(Decoder& d) {
  uint32_t first = d.word();
  uint32_t second = d.word();
  return d.compact ? uint64_t{second} << 32 | first : uint64_t{first} << 32 | second;
}

Cell date(Decoder& d, const Head& h) {
  uint32_t packed = d.word();
  bool timed = date::has_time(packed);
  Cell v = make_cell(Type::date);
  date::set_packed(v, packed);
  need(d, date_word_ok(packed) && (!d.compact || h.bit6 == timed));
  if (!d.compact || timed) {
    uint64_t bits = double_bits(d);
    if (timed) date::set_time_bits(v, bits);
  }
  return v;
}

Cell double_value(Decoder& d, const Head& h) {
  Cell v = make_cell(h.type);
  if (d.compact && h.bit6) {
    double x = d.s();
    v = make_float(h.type == Type::percent ? x / 100.0 : x);
    v.set_type(h.type);
  } else {
    float_::set_bits(v, double_bits(d));
  }
  return v;
}

Cell bytes_into_payload(Decoder& d, Type t, size_t n) {
  Cell v = make_cell(t);
  std::memcpy(&v.w1, d.data(n), n);
  return v;
}

Cell three_words(Decoder& d, Type t) {
  uint32_t a = d.word(), b = d.word();
  return make_cell(t, a, b, d.word());
}

// Twelve payload bytes: n of them in the compact layout, three words in the full one.
void payload_bytes(Decoder& d, uint8_t* out, size_t n) {
  if (d.compact) {
    std::memcpy(out, d.data(n), n);
    return;
  }
  uint32_t words[3];
  for (uint32_t& x : words) x = d.word();
  std::memcpy(out, words, sizeof words);
}

Cell money(Decoder& d, const Head& h) {
  uint8_t b[money::payload_size] = {};
  payload_bytes(d, b, money::payload_size);
  for (int i = 1; i < 12; ++i) need(d, (b[i] & 15) <= 9 && (b[i] >> 4) <= 9);
  return money::from_payload(b, h.bit6);
}

Cell tuple_(Decoder& d, const Head& h) {
  uint32_t n = d.compact ? (h.bit6 ? d.byte() : 3) : (h.bits >> 8) & 0xFF;
  need(d, n >= 1 && n <= tuple::max_size);
  uint8_t b[tuple::max_size] = {};
  payload_bytes(d, b, n);
  return tuple::make_sized(b, static_cast<int>(n));
}

Cell point_(Decoder& d, Type t) {
  Cell v = make_cell(t);
  for (int i = 0; i < point::dims(t); ++i) point::set_bits(v, i, d.word());
  return v;
}

Cell typeset(Decoder& d) {
  if (!d.compact) return three_words(d, Type::typeset);
  uint32_t n = d.byte();
  need(d, n <= 12);
  return bytes_into_payload(d, Type::typeset, n);
}

Cell issue(Decoder& d) {
  Cell w;
  word::make_at(d.symbol(), &w, Type::issue);
  return w;
}


// A scalar record, or false when the type is not one.
bool scalar(Decoder& d, const Head& h, Cell& v) {
  Type t = h.type;
  switch (t) {
    case Type::datatype: {
      uint32_t id = d.u();
      need(d, id >= 1 && id <= static_cast<uint32_t>(type_count));
      v = make_datatype(static_cast<Type>(id));
      return true;
    }
    case Type::unset: case Type::none_: v = make_cell(t); return true;
    case Type::logic: need(d, !d.compact); v = make_logic(d.word() != 0); return true;
    case Type::char_: v = make_char(d.u()); need(d, char_of(v) <= 0x10FFFF); return true;
    case Type::integer: v = make_integer(d.s()); return true;
    case Type::float_: case Type::time: case Type::percent: v = double_value(d, h); return true;
    case Type::pair: {
      int32_t x = d.s();
      v = pair::make(x, d.s());
      return true;
    }
    case Type::point2D: case Type::point3D: v = point_(d, t); return true;
    case Type::date: v = date(d, h); return true;
    case Type::money: v = money(d, h); return true;
    case Type::tuple: v = tuple_(d, h); return true;
    case Type::typeset: v = typeset(d); return true;
    case Type::issue: v = issue(d); return true;
    default: return false;
  }
}

bool unwritable(Type t) {
  return t == Type::routine || t == Type::triple || t == Type::handle || t == Type::port || t == Type::event;
}

void typed(Decoder& d, NodeId parent, const Head& h) {
  if (d.boot && h.type == Type::handle && !h.shared) return append(parent, handle::make(d.u(), handle::none));
  if (unwritable(h.type) && !(d.boot && h.type == Type::routine)) fire(Err::access_no_codec, {make_datatype(h.type)});
  if (series_record(d, parent, h) || context_record(d, parent, h)) return;
  Cell v;
  need(d, !h.shared && scalar(d, h, v));
  append(parent, v);
}

void copy_record(Decoder& d, NodeId parent) {
  Cell v = d.resolve();
  v.set_new_line(false);
  append(parent, v);
}

void small_record(Decoder& d, NodeId parent, uint8_t b, bool shared) {
  need(d, !shared);
  if (b >= 0x80 && b <= 0xBF) return append(parent, make_integer(b & 0x3F));
  if (b == 0xC2 || b == 0xC3) return append(parent, make_logic(b == 0xC2));
  need(d, b == 0xFF);
  copy_record(d, parent);
}

// A definition of a boot image: a global word, then the record of its value, which is set to the
// word; neither stays in the output block.
void definition(Decoder& d, NodeId parent, uint8_t tag) {
  need(d, d.boot && parent == d.out && (tag & 63) >= static_cast<uint8_t>(Type::word) &&
              (tag & 63) <= static_cast<uint8_t>(Type::issue) && !(tag & 0x40));
  if ((tag & 63) == static_cast<uint8_t>(Type::issue)) return append(parent, issue(d));
  Cell w = d.global_word(d.symbol_index(), Type::word);
  record(d, parent);
  Cell out = make_series(Type::block, parent);
  SeriesBuffer* buf = buffer_of(parent);
  word::set(w, block::cells(out)[block::length_total(out) - 1]);
  buf->tail -= sizeof(Cell);
}

// Returns whether the record starts a new line.
bool compact_record(Decoder& d, NodeId parent) {
  bool new_line = false, shared = false, defines = false;
  uint8_t b = d.byte();
  for (; b == 0xC0 || b == 0xC1 || b == 0xC4; b = d.byte()) {
    need(d, b != 0xC4 || d.boot);  // definitions belong to start-up images only
    new_line |= b == 0xC0;
    shared |= b == 0xC1;
    defines |= b == 0xC4;
  }
  if (defines) {
    need(d, !shared && b < 0x80);
    definition(d, parent, b);
    return false;
  }
  if (b >= 0x80) {
    small_record(d, parent, b, shared);
    return new_line;
  }
  uint32_t id = b & 63;
  if (id == 63) id = d.u();
  need(d, id >= 1 && id <= static_cast<uint32_t>(type_count));
  typed(d, parent, {static_cast<Type>(id), (b & 0x40) != 0, 0, shared, new_line});
  return new_line;
}

// The meaning the compact tag gives bit 6 is a header bit of its own in the standard layout.
bool standard_bit6(Type t, uint32_t bits) {
  switch (t) {
    case Type::money: return bits & format::header::hw_negative;
    case Type::bitset: return bits & format::header::hw_complemented;
    case Type::object: return bits & format::header::hw_owner_numbers;
    case Type::word: case Type::set_word: case Type::lit_word: case Type::get_word:
    case Type::refinement: return !(bits & format::header::hw_global);
    default: return false;
  }
}

bool standard_record(Decoder& d, NodeId parent) {
  uint32_t w = d.word();
  while (w == 0) w = d.word();  // padding
  uint32_t id = w & 0xFF;
  if (id == 255) {
    d.in.at -= 4;
    copy_record(d, parent);
    return false;
  }
  need(d, id >= 1 && id <= static_cast<uint32_t>(type_count));
  auto t = static_cast<Type>(id);
  bool new_line = (w & format::header::hw_new_line) != 0;
  // an operator's header holds the type it was made from where the shared bit would be
  bool shared = t != Type::op && (w & format::header::hw_shared) != 0;
  typed(d, parent, {t, standard_bit6(t, w), w, shared, new_line});
  return new_line;
}

}  // namespace

void record(Decoder& d, NodeId parent) {
  bool new_line = d.compact ? compact_record(d, parent) : standard_record(d, parent);
  if (!new_line) return;
  Cell p = make_series(Type::block, parent);
  block::cells(p)[block::length_total(p) - 1].set_new_line(true);
}

namespace {

void symbol_table(Decoder& d) {
  d.symbol_count = d.u();
  d.names_size = d.u();
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
  d.u();  // root count: decoding runs to the end of the records instead
  uint32_t size = d.u();
  if (symbols) symbol_table(d);
  need(d, size <= 0x7FFFFFFF && size <= d.in.left());
  d.in.end = d.in.at + size;
  while (d.in.at < d.in.end) record(d, d.out);
}

}  // namespace
}  // namespace vyn::vynbin::reader

namespace vyn::vynbin {
namespace {

// The preamble, then the body as it stands or unpacked; `bad` reports data that is no Vynbin
// data or does not unpack.
template <typename Bad>
void run(reader::Decoder& d, const uint8_t* bytes, size_t n, Bad bad) {
  if (n < 8 || std::memcmp(bytes, "VYNBIN", 6) != 0) bad(false);
  uint8_t flags = bytes[7];
  d.compact = (flags & flag_compact) != 0;
  if (!(flags & flag_packed)) {
    d.in = {bytes, bytes + 8, bytes + n};
    return reader::body(d, flags & flag_symbols);
  }
  uint32_t size = 0;
  uint8_t* unpacked = compress::unpack(bytes + 8, n - 8, &size);
  if (!unpacked) bad(true);
  std::string plain(reinterpret_cast<const char*>(unpacked), size);
  compress::free_buffer(unpacked);
  auto* p = reinterpret_cast<const uint8_t*>(plain.data());
  d.in = {p, p, p + size};
  reader::body(d, flags & flag_symbols);
}

}  // namespace

void decode(const uint8_t* bytes, size_t n, const Cell& out, const Cell& source) {
  reader::Decoder d;
  d.out = series_node(out);
  run(d, bytes, n, [&](bool) { fire(Err::script_invalid_data, {source}); });
}

void decode_boot_image(const uint8_t* bytes, size_t n, const Cell& out) {
  reader::Decoder d;
  d.boot = true;
  d.out = series_node(out);
  bool was = gc::enabled();
  gc::set_enabled(false);
  run(d, bytes, n, [](bool packed) {
    std::printf("Error: %s\n", packed ? "Vynbin compressed data corrupted!" : "Not a Vynbin file!");
    std::fflush(stdout);
    std::exit(1);
  });
  gc::set_enabled(was);
}

}  // namespace vyn::vynbin
