// values/text/string_storage.cpp: reading, making, loading and changing single characters of text.
#include "values/text/string_storage.hpp"

#include <cstring>

#include "core/text/casefold.hpp"
#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/series.hpp"

namespace vyn::string {
namespace {

constexpr uint64_t largest_buffer = 0x7FFFFFF0u;

void put_char(uint8_t* at, uint32_t unit, uint32_t cp) {
  switch (unit) {
    case 1: *at = static_cast<uint8_t>(cp); break;
    case 2: { uint16_t v = static_cast<uint16_t>(cp); std::memcpy(at, &v, 2); break; }
    default: std::memcpy(at, &cp, 4); break;
  }
}

uint32_t units_in(const SeriesBuffer* b) { return b->tail >> b->shift(); }

// The unit a code point needs: appending keeps a 1-byte buffer ASCII, the other writes keep it
// Latin-1.
uint32_t unit_for(uint32_t cp, uint32_t one_byte_limit) {
  return cp < one_byte_limit ? 1 : cp < 0x10000 ? 2 : 4;
}

// Widens the buffer when cp does not fit its unit; room is the characters it must hold afterwards.
SeriesBuffer* fit(NodeId node, uint32_t cp, uint32_t one_byte_limit, uint32_t room) {
  SeriesBuffer* b = buffer_of(node);
  uint32_t need = unit_for(cp, one_byte_limit);
  if (need <= unicode::checked_unit(b)) return b;
  return unicode::widen(node, need, room);
}

// Grows the buffer, keeping its data, to at least size bytes: doubling, or to size when doubling
// is not enough.
SeriesBuffer* grow_to(NodeId node, uint64_t size) {
  SeriesBuffer* b = buffer_of(node);
  if (size <= b->size) return b;
  uint64_t doubled = uint64_t{b->size} * 2;
  uint64_t target = ((doubled > size ? doubled : size) + 15) & ~uint64_t{15};
  if (target > largest_buffer) target = largest_buffer;
  if (target < size) fire(Err::internal_no_memory);
  return alloc::expand_series_copy(node, static_cast<uint32_t>(target < 32 ? 32 : target));
}

}  // namespace

// ---- access and queries

uint8_t* vs_head(Cell& str) {
  SeriesBuffer* b = buffer_of(series_node(str));
  int32_t total = static_cast<int32_t>(units_in(b));
  if (series_head(str) > total) set_series_head(str, total);
  int32_t head = series_head(str) < 0 ? 0 : series_head(str);
  return b->data() + (static_cast<uint32_t>(head) << b->shift());
}

bool at_tail_q(Cell& str) { return vs_head(str) >= buffer_of(series_node(str))->tail_ptr(); }
int32_t length_q(Cell& str) { return series::units_left(str, false); }
int32_t length_total(const Cell& str) {
  return static_cast<int32_t>(units_in(buffer_of(series_node(str))));
}

int32_t length(const Cell& str) {
  int32_t n = length_total(str) - (series_head(str) < 0 ? 0 : series_head(str));
  return n < 0 ? 0 : n;
}

uint32_t get_char(const uint8_t* at, uint32_t unit) {
  switch (unit) {
    case 1: return *at;
    case 2: { uint16_t v; std::memcpy(&v, at, 2); return v; }
    case 4: { uint32_t v; std::memcpy(&v, at, 4); return v; }
    default: unicode::fail_unit(101, unit);
  }
}

uint32_t char_at(NodeId node, uint32_t index) {
  SeriesBuffer* b = buffer_of(node);
  return get_char(b->data() + (index << b->shift()), b->unit());
}

int32_t find_char(Cell& str, uint32_t cp) {
  const uint8_t* head = vs_head(str);
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t unit = unicode::checked_unit(b);
  uint32_t n = static_cast<uint32_t>(b->tail_ptr() - head) >> b->shift();
  if (unit == 1) {
    const void* at = cp < 0x100 ? std::memchr(head, static_cast<int>(cp), n) : nullptr;
    return at ? static_cast<int32_t>(static_cast<const uint8_t*>(at) - head) : -1;
  }
  for (uint32_t i = 0; i < n; ++i)
    if (get_char(head + i * unit, unit) == cp) return static_cast<int32_t>(i);
  return -1;
}

bool has_char_q(Cell& str, uint32_t cp, int32_t step, bool case_sensitive) {
  const uint8_t* at = vs_head(str);
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t unit = unicode::checked_unit(b);
  size_t stride = size_t{unit} * static_cast<uint32_t>(step < 1 ? 1 : step);
  uint32_t key = case_sensitive ? cp : casefold::to_upper(cp);
  for (; at < b->tail_ptr(); at += stride) {
    uint32_t c = get_char(at, unit);
    if ((case_sensitive ? c : casefold::to_upper(c)) == key) return true;
  }
  return false;
}

bool starts_with_c_string_q(Cell& str, std::string_view text) {
  const uint8_t* head = vs_head(str);
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t unit = unicode::checked_unit(b);
  if (static_cast<size_t>(b->tail_ptr() - head) / unit < text.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (get_char(head + i * unit, unit) != static_cast<uint8_t>(text[i])) return false;
  return true;
}

// ---- construction

Cell* make_at(Cell* cell, uint32_t capacity) { return make_at_unit(cell, capacity, 1); }

// The cell is unset!, head 0 and no conversion buffer while the buffer is made, so a collection
// meanwhile never meets a half-made string.
Cell* make_at_unit(Cell* cell, uint32_t capacity, uint32_t unit) {
  *cell = make_unset();
  set_series_node(*cell, alloc::new_codepoints(capacity ? capacity : 1, unit));
  cell->set_type(Type::string);
  return cell;
}

Cell* push(const Cell& str) { return stack::push(str); }

Cell* load(unicode::Bytes src, uint32_t length, Cell* cell, int encoding) {
  if (encoding != encoding_utf8 && encoding != encoding_utf16le)
    unicode::fail_input("*** Loading Error: input encoding unsupported");
  if (!cell) cell = stack::push_unset();
  *cell = make_unset();
  set_series_node(*cell, encoding == encoding_utf8 ? unicode::load_utf8_new(src, length)
                                                   : unicode::load_utf16le(src, length, nullptr, false));
  cell->set_type(Type::string);
  return cell;
}

Cell* load_push(unicode::Bytes src, uint32_t length, int encoding) {
  return load(src, length, nullptr, encoding);
}

Cell* load_in(unicode::Bytes src, uint32_t length, Cell block, int encoding) {
  stack::Mark mark;
  Cell* str = load(src, length, nullptr, encoding);
  block::append_copy(block, *str);
  return block::vs_tail(block) - 1;
}

Cell* load_utf8_checked(unicode::Bytes src, uint32_t length) {
  Cell* str = make_at(stack::push_unset(), length);
  int32_t remaining = 0;
  unicode::load_utf8_into(src, length, *str, &remaining);
  if (remaining > 0) {
    NodeId node = alloc::new_bytes(static_cast<uint32_t>(remaining));
    SeriesBuffer* b = buffer_of(node);
    std::memcpy(b->data(), src.get() + (length - static_cast<uint32_t>(remaining)),
                static_cast<size_t>(remaining));
    b->tail = static_cast<uint32_t>(remaining);
    fire(Err::access_invalid_utf8, {make_series(Type::binary, node)});
  }
  return str;
}

// ---- single characters

SeriesBuffer* append_char(NodeId node, uint32_t cp) {
  SeriesBuffer* b = fit(node, cp, 0x80, units_in(buffer_of(node)) + 1);
  uint32_t unit = b->unit();
  if (b->tail + unit > b->size) b = grow_to(node, uint64_t{b->tail} + unit);
  put_char(b->tail_ptr(), unit, cp);
  b->tail += unit;
  return b;
}

SeriesBuffer* write_char(NodeId node, uint32_t index, uint32_t cp) {
  SeriesBuffer* b = fit(node, cp, 0x100, 0);
  put_char(b->data() + (index << b->shift()), b->unit(), cp);
  return b;
}

SeriesBuffer* overwrite_char(NodeId node, uint32_t index, uint32_t cp) {
  SeriesBuffer* b = fit(node, cp, 0x100, index + 1);
  uint32_t unit = b->unit();
  uint64_t end = (uint64_t{index} + 1) * unit;
  if (end > b->size) b = grow_to(node, end);
  uint32_t at = index * unit;
  if (at > b->tail) std::memset(b->data() + b->tail, 0, at - b->tail);
  put_char(b->data() + at, unit, cp);
  if (end > b->tail) b->tail = static_cast<uint32_t>(end);
  return b;
}

SeriesBuffer* insert_char(NodeId node, uint32_t index, uint32_t cp) {
  SeriesBuffer* b = fit(node, cp, 0x100, units_in(buffer_of(node)) + 1);
  uint32_t unit = b->unit();
  if (b->tail + unit > b->size) b = grow_to(node, uint64_t{b->tail} + unit);
  uint32_t at = index * unit;
  if (at > b->tail) at = b->tail;
  std::memmove(b->data() + at + unit, b->data() + at, b->tail - at);
  put_char(b->data() + at, unit, cp);
  b->tail += unit;
  return b;
}

void remove_char(const Cell& str, uint32_t index) { remove_part(str, index, 1); }

void remove_part(const Cell& str, uint32_t index, uint32_t n) {
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t total = units_in(b);
  if (index >= total) return;
  if (n > total - index) n = total - index;
  int shift = b->shift();
  uint8_t* at = b->data() + (index << shift);
  uint32_t gap = n << shift;
  std::memmove(at, at + gap, b->tail - (index << shift) - gap);
  b->tail -= gap;
}

void clear(Cell& str) {
  SeriesBuffer* b = buffer_of(series_node(str));
  b->flags = (b->flags & ~SeriesBuffer::unit_mask) | 1;
  b->tail = 0;
  set_series_head(str, 0);
}

void truncate_at(const Cell& str, int32_t index) {
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t at = static_cast<uint32_t>(index < 0 ? 0 : index) << b->shift();
  if (at < b->tail) b->tail = at;
}

// ---- small helpers

void append_latin1(const Cell& str, std::string_view text) {
  NodeId node = series_node(str);
  bool ascii = true;
  for (unsigned char c : text) ascii &= c < 0x80;
  if (!ascii) {  // a 1-byte buffer widens at the first character past ASCII, as append_char does
    for (unsigned char c : text) append_char(node, c);
    return;
  }
  SeriesBuffer* b = buffer_of(node);
  uint32_t unit = unicode::checked_unit(b);
  uint64_t bytes = uint64_t{text.size()} * unit;
  if (b->tail + bytes > b->size) b = grow_to(node, b->tail + bytes);
  uint8_t* at = b->tail_ptr();
  if (unit == 1) std::memcpy(at, text.data(), text.size());
  else for (unsigned char c : text) put_char(at, unit, c), at += unit;
  b->tail += static_cast<uint32_t>(bytes);
}

const char* byte_to_hex(uint8_t b) {
  static char text[3];
  static constexpr char digits[] = "0123456789ABCDEF";
  text[0] = digits[b >> 4];
  text[1] = digits[b & 15];
  return text;
}

const char* int_to_hex(int32_t n, bool short_form) {
  static char text[9];
  static constexpr char digits[] = "0123456789ABCDEF";
  uint32_t v = static_cast<uint32_t>(n);
  for (int i = 7; i >= 0; --i, v >>= 4) text[i] = digits[v & 15];
  text[8] = 0;
  if (!short_form) return text;
  char pad = n < 0 ? 'F' : '0';
  int skip = 0;
  while (skip < 6 && text[skip] == pad) ++skip;
  return text + skip;
}

std::string to_utf8(const Cell& str) {
  SeriesBuffer* b = buffer_of(series_node(str));
  uint32_t total = units_in(b);
  int32_t head = series_head(str);
  uint32_t first = head < 0 ? 0 : static_cast<uint32_t>(head);
  std::string out;
  uint8_t bytes[4];
  for (uint32_t i = first; i < total; ++i) {
    int n = unicode::encode_utf8(get_char(b->data() + (i << b->shift()), b->unit()), bytes);
    out.append(reinterpret_cast<char*>(bytes), static_cast<size_t>(n));
  }
  return out;
}

}  // namespace vyn::string
