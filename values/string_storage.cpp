// values/string_storage.cpp: making, widening, appending and reading character series.
#include "values/string_storage.hpp"

#include "core/series.hpp"

namespace vyn::string {
namespace {

uint32_t unit_for(uint32_t cp) { return cp < 0x80 ? 1 : cp < 0x10000 ? 2 : 4; }

uint32_t read_unit(const uint8_t* p, uint32_t unit) {
  switch (unit) {
    case 1: return *p;
    case 2: { uint16_t v; __builtin_memcpy(&v, p, 2); return v; }
    default: { uint32_t v; __builtin_memcpy(&v, p, 4); return v; }
  }
}

void write_unit(uint8_t* p, uint32_t unit, uint32_t cp) {
  switch (unit) {
    case 1: *p = static_cast<uint8_t>(cp); break;
    case 2: { uint16_t v = static_cast<uint16_t>(cp); __builtin_memcpy(p, &v, 2); break; }
    default: __builtin_memcpy(p, &cp, 4); break;
  }
}

// Rewrites the series with a wider unit in a new buffer with room for one more character.
void widen(NodeId node, uint32_t unit) {
  SeriesBuffer* b = buffer_of(node);
  uint32_t old_unit = b->unit();
  uint32_t count = b->tail >> b->shift();  // characters from the start of the data
  SeriesBuffer* fresh = alloc::new_series_buffer(count + 1, unit, 0);
  b = buffer_of(node);
  for (uint32_t i = 0; i < count; ++i)
    write_unit(fresh->data() + i * unit, unit, read_unit(b->data() + i * old_unit, old_unit));
  fresh->flags = (b->flags & ~(SeriesBuffer::unit_mask | SeriesBuffer::big)) | unit |
                 (fresh->flags & SeriesBuffer::big);
  fresh->node = node;
  fresh->head = (b->head >> b->shift()) * unit;
  fresh->tail = count * unit;
  alloc::set_node_buffer(node, fresh);
  b->node = 0;
  b->flags &= ~SeriesBuffer::in_use;
}

}  // namespace

Cell* make_at(Cell* cell, uint32_t capacity) {
  *cell = make_unset();
  NodeId node = alloc::new_codepoints(capacity ? capacity : 1, 1);
  *cell = make_series(Type::string, node);
  return cell;
}

void append_char(NodeId node, uint32_t cp) {
  SeriesBuffer* b = buffer_of(node);
  uint32_t need = unit_for(cp);
  if (need > b->unit()) {
    widen(node, need);
    b = buffer_of(node);
  }
  uint32_t unit = b->unit();
  if (b->tail + unit > b->size) b = alloc::expand_series_copy(node, 0);
  write_unit(b->tail_ptr(), unit, cp);
  b->tail += unit;
}

void append_latin1(const Cell& str, std::string_view text) {
  NodeId node = series_node(str);
  for (unsigned char c : text) append_char(node, c);
}

int32_t length(const Cell& str) {
  SeriesBuffer* b = buffer_of(series_node(str));
  int32_t n = static_cast<int32_t>(b->tail >> b->shift()) - series_head(str);
  return n < 0 ? 0 : n;
}

uint32_t char_at(NodeId node, uint32_t index) {
  SeriesBuffer* b = buffer_of(node);
  return read_unit(b->data() + (index << b->shift()), b->unit());
}

void set_char(NodeId node, uint32_t index, uint32_t cp) {
  if (unit_for(cp) > buffer_of(node)->unit()) widen(node, unit_for(cp));
  SeriesBuffer* b = buffer_of(node);
  write_unit(b->data() + (index << b->shift()), b->unit(), cp);
}

std::string to_utf8(const Cell& str) {
  std::string out;
  NodeId node = series_node(str);
  SeriesBuffer* b = buffer_of(node);
  uint32_t end = b->tail >> b->shift();
  for (uint32_t i = static_cast<uint32_t>(series_head(str)); i < end; ++i) {
    uint32_t cp = char_at(node, i);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace vyn::string
