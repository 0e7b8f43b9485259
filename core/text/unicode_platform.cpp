// core/text/unicode_platform.cpp: a string value's text as UTF-8 or UTF-16LE for the platform.
#include <cstring>

#include "core/error.hpp"
#include "core/text/unicode.hpp"

namespace vyn::unicode {
namespace {

constexpr uint64_t high_bits = 0x8080808080808080ull;

// The characters a conversion takes: from the head (clamped to the tail) on, at most limit of them
// unless limit is negative.
struct Span {
  uint32_t first;
  uint32_t count;
};

Span span_of(const Cell& str, int32_t limit) {
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t total = b->tail >> b->shift();
  int32_t head = series_head(str);
  uint32_t first = head < 0 ? 0 : static_cast<uint32_t>(head) > total ? total : static_cast<uint32_t>(head);
  uint32_t count = total - first;
  if (limit >= 0 && static_cast<uint32_t>(limit) < count) count = static_cast<uint32_t>(limit);
  return Span{first, count};
}

// A head past the tail is stored back clamped, as every reader of the head does.
Span clamp_head(Cell* str, int32_t limit) {
  Span s = span_of(*str, limit);
  if (series_head(*str) > 0) str->w1 = s.first;
  return s;
}

const uint8_t* text_at(const Cell& str, uint32_t index) {
  SeriesBuffer* b = buffer_of(series_node(str));
  return b->data() + (index << b->shift());
}

// The conversion buffer of str with room for size bytes, made on first use; its old content is not
// kept. May collect.
SeriesBuffer* conversion_buffer(Cell* str, uint64_t size) {
  if (size > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  uint32_t bytes = static_cast<uint32_t>((size + 15) & ~uint64_t{15});
  if (str->w3 == 0) {
    NodeId node = alloc::new_bytes(bytes);
    str->w3 = node;
    return buffer_of(node);
  }
  SeriesBuffer* b = buffer_of(str->w3);
  return b->size >= size ? b : alloc::expand_series(str->w3, bytes);
}

// Writes the UTF-8 of cp with one unaligned 4-byte store, without branching on its length:
// the 6-bit groups are spread one to a byte, the lead and continuation marks added, and the bytes
// put in order. out must have room for four bytes. Answers the end of the sequence.
inline uint8_t* put_utf8_store4(uint32_t cp, uint8_t* out) {
  static constexpr uint32_t marks[5] = {0, 0, 0xC080, 0xE08080, 0xF0808080};
  if (cp >= 0x110000) invalid_char(cp);
  uint32_t n = 1 + (cp >= 0x80) + (cp >= 0x800) + (cp >= 0x10000);
  uint32_t spread = (cp & 0x3F) | ((cp << 2) & 0x3F00) | ((cp << 4) & 0x3F0000) | ((cp << 6) & 0x07000000);
  uint32_t value = n == 1 ? cp : spread | marks[n];
  uint32_t bytes = __builtin_bswap32(value << (32 - 8 * n));
  std::memcpy(out, &bytes, 4);
  return out + n;
}

// Encodes n units of U at in; out has room for the worst case plus four bytes. Answers the end of
// the output.
template <class U, bool ExpandLf>
uint8_t* utf8_of(const uint8_t* in, uint32_t n, uint8_t* out) {
  const U* src = reinterpret_cast<const U*>(in);
  uint32_t i = 0;
  while (i < n) {
    uint32_t cp = src[i++];
    if (ExpandLf && cp == 10) {
      *out++ = 13;
      *out++ = 10;
    } else if constexpr (sizeof(U) == 1) {
      if (cp < 0x80) {
        *out++ = static_cast<uint8_t>(cp);
        if constexpr (!ExpandLf) {  // then ASCII eight bytes at a time
          uint64_t w;
          while (i + 8 <= n && (std::memcpy(&w, src + i, 8), !(w & high_bits))) {
            std::memcpy(out, &w, 8);
            i += 8, out += 8;
          }
        }
      } else {
        out += encode_utf8(cp, out);
      }
    } else if (cp < 0x80) {
      *out++ = static_cast<uint8_t>(cp);
    } else {
      out = put_utf8_store4(cp, out);
    }
  }
  return out;
}

template <bool ExpandLf>
uint8_t* utf8_in_unit(const uint8_t* in, uint32_t n, uint32_t unit, uint8_t* out) {
  switch (unit) {
    case 1: return utf8_of<uint8_t, ExpandLf>(in, n, out);
    case 2: return utf8_of<uint16_t, ExpandLf>(in, n, out);
    default: return utf8_of<uint32_t, ExpandLf>(in, n, out);
  }
}

uint8_t* utf8_in_unit(const uint8_t* in, uint32_t n, uint32_t unit, uint8_t* out, bool expand_lf) {
  return expand_lf ? utf8_in_unit<true>(in, n, unit, out) : utf8_in_unit<false>(in, n, unit, out);
}

}  // namespace

NodeId to_utf8_buffer(Cell* str, int32_t& length, bool expand_lf) {
  Span s = clamp_head(str, length);
  uint32_t unit = checked_unit(buffer_of(series_node(*str)));
  uint64_t worst = (unit == 4 ? 4 : unit + 1) * (uint64_t{s.count} + 1);
  SeriesBuffer* conv = conversion_buffer(str, worst + 4);  // 4: room for the last 4-byte store
  const uint8_t* in = text_at(*str, s.first);  // after the allocation: the text may have moved
  uint8_t* end = utf8_in_unit(in, s.count, unit, conv->data(), expand_lf);
  *end = 0;
  length = static_cast<int32_t>(end - conv->data());
  conv->tail = static_cast<uint32_t>(length);
  return str->w3;
}

const char* to_utf8_part(Cell* str, int32_t& length, bool expand_lf) {
  NodeId node = to_utf8_buffer(str, length, expand_lf);
  return reinterpret_cast<const char*>(buffer_of(node)->data());
}

const char* to_utf8(Cell* str, int32_t& length) { return to_utf8_part(str, length, false); }

int32_t to_utf8_into(const Cell& str, uint8_t* dest, int32_t limit, bool terminate) {
  Span s = span_of(str, limit);
  uint32_t unit = checked_unit(buffer_of(series_node(str)));
  uint8_t* end = utf8_in_unit(text_at(str, s.first), s.count, unit, dest, false);
  if (terminate) *end = 0;
  return static_cast<int32_t>(end - dest);
}

int32_t to_utf8_bounded(const Cell& str, uint8_t* dest, int32_t room, int32_t limit, bool terminate) {
  Span s = span_of(str, limit < 1 ? -1 : limit);
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t unit = checked_unit(b);
  int32_t space = room - (terminate ? 1 : 0);
  int32_t n = 0;
  for (uint32_t i = 0; i < s.count; ++i) {
    uint32_t cp = 0;
    std::memcpy(&cp, b->data() + ((s.first + i) << b->shift()), unit);
    int len = utf8_length(cp);
    if (n + len > space) break;  // whole characters only: never a cut sequence
    n += encode_utf8(cp, dest + n);
  }
  if (terminate && room > 0) dest[n] = 0;
  return n;
}

int64_t utf16_extra(const uint8_t* from, const uint8_t* to, uint32_t unit, bool expand_lf) {
  int64_t extra = 0;
  for (; from < to; from += unit) {
    uint32_t cp = 0;
    std::memcpy(&cp, from, unit);
    extra += (cp >= 0x10000) + (expand_lf && cp == 10);
  }
  return extra;
}

namespace {

template <class U>
uint16_t* utf16_of(const uint8_t* in, uint32_t n, uint16_t* out, bool expand_lf) {
  const U* src = reinterpret_cast<const U*>(in);
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t cp = src[i];
    if (cp == 10 && expand_lf) *out++ = 13;
    int k = encode_utf16(cp, out);
    if (k == 0) return nullptr;
    out += k;
  }
  return out;
}

}  // namespace

const uint16_t* to_utf16_part(Cell* str, int32_t& length, bool expand_lf) {
  Span s = clamp_head(str, length);
  uint32_t unit = checked_unit(buffer_of(series_node(*str)));
  const uint8_t* in = text_at(*str, s.first);
  uint64_t extra = static_cast<uint64_t>(utf16_extra(in, in + (uint64_t{s.count} * unit), unit, expand_lf));
  SeriesBuffer* conv = conversion_buffer(str, 2 * (uint64_t{s.count} + extra) + 2);
  in = text_at(*str, s.first);  // the allocation may have moved the text
  auto* out = reinterpret_cast<uint16_t*>(conv->data());
  uint16_t* end;
  if (unit == 2 && !expand_lf) {
    std::memcpy(out, in, size_t{s.count} * 2);
    end = out + s.count;
  } else {
    end = unit == 1 ? utf16_of<uint8_t>(in, s.count, out, expand_lf)
        : unit == 2 ? utf16_of<uint16_t>(in, s.count, out, expand_lf)
                    : utf16_of<uint32_t>(in, s.count, out, expand_lf);
    if (!end) return nullptr;
  }
  *end = 0;
  length = static_cast<int32_t>(end - out);
  conv->tail = static_cast<uint32_t>(length) * 2;
  return out;
}

const uint16_t* to_utf16(Cell* str) {
  int32_t length = -1;
  return to_utf16_part(str, length, false);
}

}  // namespace vyn::unicode
