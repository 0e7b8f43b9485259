// core/cell.hpp: the 16-byte value cell that holds every language value.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace vyn {

// Datatype ids, fixed: they index the type and action tables and are stored in files.
enum class Type : uint8_t {
  nothing = 0,
#define VYN_TYPE(id, name, word, parent) name = id,
#include "core/types.def"
#undef VYN_TYPE
};
inline constexpr int type_count = 54;   // ids 1..54
inline constexpr int type_capacity = 57; // the tables have room for ids 0..56

// A cell is four 32-bit words, copied whole:
//
//   word 0  header   bits 0-7 type id | bits 8-29 per-type flags | bit 30 new line | bit 31 per type
//   word 1  payload  meaning per type (series: head index; word: context node; logic: 0/1)
//   word 2  payload  (series: node; word: symbol id; integer/char: value; float: low half)
//   word 3  payload  (series: extra; word: index in context; float: high half)
//
// A series is reached through a 32-bit node handle, never through an address, so a buffer can
// move while cells refer to it. Doubles are stored in words 2-3 through memcpy.
struct Cell {
  uint32_t header;
  uint32_t w1;
  uint32_t w2;
  uint32_t w3;

  Type type() const { return static_cast<Type>(header & 0xFF); }
  void set_type(Type t) { header = (header & ~0xFFu) | static_cast<uint32_t>(t); }
  bool is(Type t) const { return type() == t; }

  bool new_line() const { return header & flag_new_line; }
  void set_new_line(bool on) { header = on ? header | flag_new_line : header & ~flag_new_line; }

  // integer! (and char!, which shares its word) in word 2; float!, percent!, time! and a date's
  // time as a double in words 2-3. The setters change the payload only, never the type.
  int32_t int_value() const { return static_cast<int32_t>(w2); }
  void set_int_value(int32_t v) { w2 = static_cast<uint32_t>(v); }
  double float_value() const {
    double d;
    std::memcpy(&d, &w2, sizeof d);
    return d;
  }
  void set_float_value(double d) { std::memcpy(&w2, &d, sizeof d); }

  static constexpr uint32_t flag_new_line = 0x40000000u;
  static constexpr uint32_t flag_word_set = 0x2000u;  // an object's field word was stored into
};

static_assert(sizeof(Cell) == 16, "a cell is four 32-bit words");
static_assert(std::is_trivially_copyable_v<Cell>, "cells are copied whole");
static_assert(std::is_standard_layout_v<Cell>);

// Series cells: w1 head index (signed, clamped by readers), w2 node, w3 type-specific extra.
using NodeId = uint32_t;  // 0 is no node

inline Cell make_cell(Type t, uint32_t w1 = 0, uint32_t w2 = 0, uint32_t w3 = 0) {
  return Cell{static_cast<uint32_t>(t), w1, w2, w3};
}
inline Cell make_integer(int32_t v) { return make_cell(Type::integer, 0, static_cast<uint32_t>(v)); }
inline Cell make_float(double d) {
  Cell c = make_cell(Type::float_);
  c.set_float_value(d);
  return c;
}
inline Cell make_logic(bool b) { return make_cell(Type::logic, b ? 1 : 0); }
inline Cell make_none() { return make_cell(Type::none_); }
inline Cell make_unset() { return make_cell(Type::unset); }
inline Cell make_char(uint32_t cp) { return make_cell(Type::char_, 0, cp); }
inline Cell make_datatype(Type t) { return make_cell(Type::datatype, static_cast<uint32_t>(t)); }

// The scalars made above: logic! keeps 1 (true) or 0 in word 1 (read raw: only 1 is true), char!
// its code point in word 2, datatype! the type id in word 1. none! and unset! hold nothing.
inline uint32_t logic_of(const Cell& c) { return c.w1; }
inline void set_logic(Cell& c, uint32_t v) { c.w1 = v; }
inline uint32_t char_of(const Cell& c) { return c.w2; }
inline void set_char(Cell& c, uint32_t cp) { c.w2 = cp; }
inline Type datatype_of(const Cell& c) { return static_cast<Type>(c.w1); }

// Header fields that core's generic code (the value hash) reads; values/numbers/tuple.hpp and
// money.hpp name them for their own code.
inline constexpr int tuple_size_shift = 19;  // tuple!: the size in header bits 19-22
inline constexpr uint32_t tuple_size_mask = 0xFu << tuple_size_shift;
inline constexpr uint32_t money_sign_bit = 0x4000;  // money!: header bit 14, the sign

// Copies source into target unless both are the same cell; returns the target.
// Whether two cells are the same bit for bit: header and the three payload words.
inline bool same_cell(const Cell& a, const Cell& b) {
  uint64_t x[2], y[2];
  std::memcpy(x, &a, sizeof x);
  std::memcpy(y, &b, sizeof y);
  return ((x[0] ^ y[0]) | (x[1] ^ y[1])) == 0;
}
// Whether two cells hold the same payload words, whatever their headers.
inline bool same_payload(const Cell& a, const Cell& b) {
  return a.w1 == b.w1 && a.w2 == b.w2 && a.w3 == b.w3;
}

inline Cell* copy_cell(const Cell* source, Cell* target) {
  if (source != target) *target = *source;
  return target;
}

// Series: head index, node and extra word of a series cell. The extra word is the conversion
// buffer's node for character series, the table's record node for hash!, the element type for
// vector!, the size for image!, 0 for the others.
inline int32_t series_head(const Cell& c) { return static_cast<int32_t>(c.w1); }
inline NodeId series_node(const Cell& c) { return c.w2; }
inline uint32_t series_extra(const Cell& c) { return c.w3; }
inline void set_series_head(Cell& c, int32_t head) { c.w1 = static_cast<uint32_t>(head); }
inline void set_series_node(Cell& c, NodeId node) { c.w2 = node; }
inline void set_series_extra(Cell& c, uint32_t extra) { c.w3 = extra; }
inline Cell make_series(Type t, NodeId node, int32_t head = 0, uint32_t extra = 0) {
  return make_cell(t, static_cast<uint32_t>(head), node, extra);
}

}  // namespace vyn
