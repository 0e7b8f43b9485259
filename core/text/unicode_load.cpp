// core/text/unicode_load.cpp: loading UTF-8 and UTF-16LE into text buffers, and widening their unit.
#include <cstring>

#include "core/error.hpp"
#include "core/roots.hpp"
#include "core/text/unicode.hpp"

namespace vyn::unicode {
namespace {

constexpr uint64_t largest_buffer = 0x7FFFFFF0u;
constexpr uint64_t high_bits = 0x8080808080808080ull;
constexpr uint64_t low_bits = 0x0101010101010101ull;

bool continuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// Makes sure the buffer of node has room for size bytes; the text is not kept when it moves.
SeriesBuffer* room_for(NodeId node, uint64_t size) {
  SeriesBuffer* b = buffer_of(node);
  if (size <= b->size) return b;
  if (size > largest_buffer) fire(Err::internal_no_memory);
  return alloc::expand_series(node, static_cast<uint32_t>((size + 15) & ~uint64_t{15}));
}

// ---- widening

template <class From, class To>
void widen_forward(const uint8_t* from, uint8_t* to, uint32_t count) {
  const From* __restrict src = reinterpret_cast<const From*>(from);
  To* __restrict dst = reinterpret_cast<To*>(to);
  for (uint32_t i = 0; i < count; ++i) dst[i] = src[i];
}

// In place: from the last unit backwards, so no unit is overwritten before it is read. Bytes go
// through memcpy because source and target units share the memory.
template <class From, class To>
void widen_backward(uint8_t* data, uint32_t count) {
  for (uint32_t i = count; i-- > 0;) {
    From v;
    std::memcpy(&v, data + i * sizeof(From), sizeof v);
    To w = v;
    std::memcpy(data + i * sizeof(To), &w, sizeof w);
  }
}

}  // namespace

void widen_units(const uint8_t* from, uint8_t* to, uint32_t count, uint32_t from_unit,
                 uint32_t to_unit) {
  bool in_place = from == to;
  if (from_unit == 1 && to_unit == 2) {
    in_place ? widen_backward<uint8_t, uint16_t>(to, count) : widen_forward<uint8_t, uint16_t>(from, to, count);
  } else if (from_unit == 1 && to_unit == 4) {
    in_place ? widen_backward<uint8_t, uint32_t>(to, count) : widen_forward<uint8_t, uint32_t>(from, to, count);
  } else {
    in_place ? widen_backward<uint16_t, uint32_t>(to, count) : widen_forward<uint16_t, uint32_t>(from, to, count);
  }
}

void adopt(NodeId node, SeriesBuffer* fresh, uint32_t unit, uint32_t tail) {
  SeriesBuffer* old = buffer_of(node);
  constexpr uint32_t own = SeriesBuffer::unit_mask | SeriesBuffer::big | SeriesBuffer::malloced |
                           SeriesBuffer::mark;
  fresh->flags = (old->flags & ~own) | unit | (fresh->flags & SeriesBuffer::big);
  fresh->node = node;
  fresh->head = 0;
  fresh->tail = tail;
  alloc::set_node_buffer(node, fresh);
  old->node = 0;
  old->flags &= ~SeriesBuffer::in_use;
}

SeriesBuffer* widen(NodeId node, uint32_t to_unit, uint32_t capacity) {
  SeriesBuffer* b = buffer_of(node);
  uint32_t from_unit = checked_unit(b);
  if (to_unit <= from_unit) return b;
  uint32_t count = b->tail >> b->shift();
  if (capacity < count) capacity = count;
  uint64_t need = (uint64_t{capacity} + 1) * to_unit;
  if (need <= b->size) {
    widen_units(b->data(), b->data(), count, from_unit, to_unit);
    b->flags = (b->flags & ~SeriesBuffer::unit_mask) | to_unit;
    b->tail = count * to_unit;
    return b;
  }
  if (need > largest_buffer) fire(Err::internal_no_memory);
  // a fresh buffer takes the text in one pass; it has no node, so nothing can collect it meanwhile
  SeriesBuffer* fresh = alloc::new_series_buffer(static_cast<uint32_t>(need / to_unit), to_unit, 0);
  b = buffer_of(node);
  widen_units(b->data(), fresh->data(), count, from_unit, to_unit);
  adopt(node, fresh, to_unit, count * to_unit);
  return fresh;
}

SeriesBuffer* widen_to_ucs2(NodeId node) { return widen(node, 2, 0); }
SeriesBuffer* widen_to_ucs4(NodeId node) { return widen(node, 4, 0); }
SeriesBuffer* widen_ucs2_to_ucs4(NodeId node) { return widen(node, 4, 0); }

namespace {

// ---- UTF-8

struct Load {
  Bytes src;
  uint32_t length;
  uint32_t pos;
  NodeId node;
  uint32_t count;  // characters written
  bool fold;
};

enum class Stop { done, cut_short, wider };

// Stores the eight ASCII bytes of w as eight units.
template <class U>
inline void put8(U* out, uint64_t w) {
  if constexpr (sizeof(U) == 1) {
    std::memcpy(out, &w, 8);
  } else {
    for (int k = 0; k < 8; ++k) out[k] = static_cast<U>((w >> (8 * k)) & 0xFF);
  }
}

// One multi-byte sequence in the forms the loaders accept; answers its length, or 0 for anything
// else (cut short, or invalid), which decode_utf8_seq then sorts out.
inline uint32_t decode_seq(const uint8_t* p, uint32_t avail, uint32_t& cp) {
  uint32_t b0 = p[0];
  if (b0 < 0xE0) {
    if (b0 < 0xC0 || avail < 2 || !continuation(p[1])) return 0;
    cp = ((b0 & 0x1F) << 6) | (p[1] & 0x3F);
    return 2;
  }
  if (b0 < 0xF0) {
    if (avail < 3 || !continuation(p[1]) || !continuation(p[2])) return 0;
    cp = ((b0 & 0x0F) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3F);
    return (cp & 0xFF00) != 0xDC00 && cp != 0xFFFE ? 3 : 0;
  }
  if (b0 >= 0xF8 || avail < 4 || !continuation(p[1]) || !continuation(p[2]) || !continuation(p[3]))
    return 0;
  cp = ((b0 & 0x07) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3F);
  return cp < 0x110000 && cp != 0xFFFE ? 4 : 0;
}

// Decodes into units of U until the input ends, a sequence is cut short, or a code point needs a
// wider unit (wide receives it; nothing of it is consumed). The buffer holds a unit for every
// input byte left, so no check for room is needed.
// The bytes of w that stop a run of plain ASCII: a high bit set, or a CR when folding. Each such
// byte has its bit 7 set in the answer; the lowest set bit is exact.
template <bool Fold>
inline uint64_t stoppers(uint64_t w) {
  uint64_t stop = w & high_bits;
  if constexpr (Fold) {
    uint64_t x = w ^ (low_bits * 13);
    stop |= (x - low_bits) & ~x & high_bits;
  }
  return stop;
}

// Decodes into units of U until the input ends, a sequence is cut short, or a code point needs a
// wider unit (wide receives it; nothing of it is consumed). The buffer holds a unit for every
// input byte left, so nothing checks for room: eight units may be stored where only the first
// few count, the rest being overwritten later.
template <class U, bool Fold>
Stop run(Load& l, uint32_t& wide) {
  const uint8_t* in = l.src.get();
  U* out = reinterpret_cast<U*>(buffer_of(l.node)->data());
  uint32_t pos = l.pos, count = l.count;
  const uint32_t len = l.length;
  Stop stop = Stop::done;
  while (pos < len) {
    if (pos + 8 <= len) {  // the run of plain ASCII ahead, up to eight bytes at once
      uint64_t w;
      std::memcpy(&w, in + pos, 8);
      put8(out + count, w);
      uint64_t s = stoppers<Fold>(w);
      uint32_t k = s ? static_cast<uint32_t>(__builtin_ctzll(s)) >> 3 : 8;
      pos += k, count += k;
      if (k == 8) continue;
    }
    uint32_t b0 = in[pos];
    if (b0 < 0x80) {
      if (Fold && b0 == 13) {
        if (pos + 1 == len || in[pos + 1] != 10) out[count++] = 10;
      } else {
        out[count++] = static_cast<U>(b0);
      }
      ++pos;
      continue;
    }
    uint32_t cp = 0;
    uint32_t seq = decode_seq(in + pos, len - pos, cp);
    if (seq == 0) {  // cut short (-1), or invalid (raises)
      int32_t avail = len - pos > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(len - pos);
      int32_t got = decode_utf8_seq(in + pos, avail);
      if (got < 0) {
        stop = Stop::cut_short;
        break;
      }
      cp = static_cast<uint32_t>(got), seq = static_cast<uint32_t>(avail);
    }
    if constexpr (sizeof(U) < 4) {
      if (cp >= (sizeof(U) == 1 ? 0x100u : 0x10000u)) {
        wide = cp;
        stop = Stop::wider;
        break;
      }
    }
    out[count++] = static_cast<U>(cp);
    pos += seq;
  }
  l.pos = pos, l.count = count;
  buffer_of(l.node)->tail = count * sizeof(U);
  return stop;
}

template <bool Fold>
Stop run_in_unit(Load& l, uint32_t& wide) {
  switch (checked_unit(buffer_of(l.node))) {
    case 1: return run<uint8_t, Fold>(l, wide);
    case 2: return run<uint16_t, Fold>(l, wide);
    default: return run<uint32_t, Fold>(l, wide);
  }
}

}  // namespace

NodeId load_utf8(Bytes src, uint32_t length, NodeId node, int32_t* remaining, bool fold_crlf) {
  Root fresh;  // a new buffer stays reachable while widening or an error report allocates
  if (!node) {
    node = alloc::new_codepoints(length ? length : 1, 1);
    *fresh = make_series(Type::binary, node);
  } else {
    SeriesBuffer* b = room_for(node, uint64_t{length} * checked_unit(buffer_of(node)));
    b->tail = 0;
  }
  Load l{src, length, 0, node, 0, fold_crlf};
  const uint8_t* in = src.get();
  if (length >= 3 && in[0] == 0xEF && in[1] == 0xBB && in[2] == 0xBF) {
    l.pos = 3;
    if (length == 3 && remaining) *remaining = 0;
  }
  for (;;) {
    uint32_t wide = 0;
    Stop stop = fold_crlf ? run_in_unit<true>(l, wide) : run_in_unit<false>(l, wide);
    if (stop == Stop::wider) {
      widen(node, wide < 0x10000 ? 2 : 4, l.count + (length - l.pos));
      continue;
    }
    if (stop == Stop::cut_short && remaining) *remaining = static_cast<int32_t>(length - l.pos);
    return node;
  }
}

void load_utf8_into(Bytes src, uint32_t length, const Cell& str, int32_t* remaining) {
  load_utf8(src, length, series_node(str), remaining, false);
}

NodeId load_utf8_new(Bytes src, uint32_t length) {
  return load_utf8(src, length, 0, nullptr, false);
}

// ---- UTF-16LE

uint32_t utf16_unit(const uint8_t* bytes, uint32_t units) {
  uint32_t unit = 1;
  for (uint32_t i = 0; i < units; ++i) {
    uint8_t high = bytes[2 * i + 1];
    if (high >= 0xD8 && high <= 0xDF) return 4;
    if (high) unit = 2;
  }
  return unit;
}

namespace {

uint32_t utf16_at(const uint8_t* in, uint32_t i) { return in[2 * i] | uint32_t{in[2 * i + 1]} << 8; }

uint32_t narrow_utf16(const uint8_t* in, uint32_t units, uint8_t* out, bool fold_cr) {
  uint32_t k = 0;
  for (uint32_t i = 0; i < units; ++i) {
    uint8_t low = in[2 * i];
    if (!(fold_cr && low == 13)) out[k++] = low;
  }
  return k;
}

uint32_t copy_utf16(const uint8_t* in, uint32_t units, uint16_t* out, bool fold_cr) {
  if (!fold_cr) {
    if (units) std::memcpy(out, in, size_t{units} * 2);
    return units;
  }
  uint32_t k = 0;
  for (uint32_t i = 0; i < units; ++i) {
    uint32_t u = utf16_at(in, i);
    if (u != 13) out[k++] = static_cast<uint16_t>(u);
  }
  return k;
}

uint32_t pair_utf16(const uint8_t* in, uint32_t units, uint32_t* out, bool fold_cr) {
  uint32_t k = 0;
  for (uint32_t i = 0; i < units; ++i) {
    uint32_t u = utf16_at(in, i);
    if (fold_cr && u == 13) continue;
    if (u >= 0xD800 && u <= 0xDBFF) {
      uint32_t low = i + 1 < units ? utf16_at(in, i + 1) : 0;
      if (low < 0xDC00 || low > 0xDFFF) fail_input("*** Input Error: invalid UTF-16LE codepoint");
      u = 0x10000 + ((u & 0x3FF) << 10) + (low & 0x3FF);
      ++i;
    }
    out[k++] = u;
  }
  return k;
}

}  // namespace

NodeId load_utf16le(Bytes src, uint32_t units, const Cell* str, bool fold_cr) {
  if (!src.raw && !src.node && str) src = in_series(series_extra(*str), 0);
  uint32_t unit = utf16_unit(src.get(), units);
  NodeId node;
  if (str) {
    node = series_node(*str);
    SeriesBuffer* b = room_for(node, uint64_t{units} * unit);
    b->flags = (b->flags & ~SeriesBuffer::unit_mask) | unit;
  } else {
    if (units == 0) unit = 2;
    if (uint64_t{units} * unit > largest_buffer) fire(Err::internal_no_memory);
    node = alloc::new_codepoints(units ? units : 1, unit);
  }
  const uint8_t* in = src.get();
  SeriesBuffer* b = buffer_of(node);
  uint32_t kept = unit == 1   ? narrow_utf16(in, units, b->data(), fold_cr)
                  : unit == 2 ? copy_utf16(in, units, reinterpret_cast<uint16_t*>(b->data()), fold_cr)
                              : pair_utf16(in, units, reinterpret_cast<uint32_t*>(b->data()), fold_cr);
  b->head = 0;
  b->tail = kept * unit;
  return node;
}

}  // namespace vyn::unicode
