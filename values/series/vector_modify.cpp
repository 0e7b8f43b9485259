// values/series/vector_modify.cpp: vector! append, insert and change. Every new element is checked for
// the exact element type before anything is stored, so a refused value leaves the vector as it was.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/error.hpp"
#include "core/series.hpp"
#include "values/series/block.hpp"
#include "values/objects/ownership.hpp"
#include "values/series/vector.hpp"

namespace vyn::vector {
namespace {

bool is_block_like(Type t) { return t == Type::block || t == Type::paren || t == Type::hash; }

// The new elements, in order, checked for the element type; part limits a block or vector.
std::vector<Cell> items_of(const Cell& v, Cell value, int32_t part, bool only) {
  std::vector<Cell> out;
  Type t = elem_type(v);
  if (is_block_like(value.type()) && !only) {
    int32_t n = std::max(block::vs_length(value), 0);  // a position past the tail gives nothing
    if (part >= 0 && part < n) n = part;
    const Cell* c = block::vs_head(value);
    out.assign(c, c + n);
  } else if (value.is(Type::vector)) {
    if (elem_type(value) != t) fire(Err::script_invalid_arg, {value});
    int32_t n = length(value);
    if (part >= 0 && part < n) n = part;
    for (int32_t i = 0; i < n; ++i) out.push_back(element(value, series_head(value) + i));
  } else {
    out.push_back(value);
  }
  for (const Cell& c : out)
    if (!c.is(t)) fire(Err::script_invalid_arg, {c});
  return out;
}

// Opens a gap of n elements at index (absolute) by moving the rest up; answers nothing.
void open_gap(const Cell& v, int32_t index, int64_t n) {
  SeriesBuffer* b = buffer_of(series_node(v));
  int32_t total = static_cast<int32_t>(b->tail >> b->shift());
  reserve(v, total + n);
  b = buffer_of(series_node(v));
  uint32_t unit = 1u << b->shift();
  uint8_t* at = b->data() + static_cast<uint64_t>(index) * unit;
  std::memmove(at + n * unit, at, static_cast<size_t>(total - index) * unit);
  b->tail = static_cast<uint32_t>((total + n) * unit);
}

void close_gap(const Cell& v, int32_t index, int32_t n) {
  SeriesBuffer* b = buffer_of(series_node(v));
  uint32_t unit = 1u << b->shift();
  uint8_t* at = b->data() + static_cast<uint64_t>(index) * unit;
  std::memmove(at, at + n * unit, b->tail - (index + n) * unit);
  b->tail -= n * unit;
}

void write_items(const Cell& v, int32_t index, const std::vector<Cell>& items, int32_t dup) {
  if (items.empty()) return;  // a huge /dup of nothing must not loop
  for (int32_t r = 0; r < dup; ++r)
    for (size_t i = 0; i < items.size(); ++i) put(v, index++, items[i]);
}

int64_t checked_count(const Cell& v, size_t n, int32_t dup) {
  int64_t count = static_cast<int64_t>(n) * (dup < 0 ? 0 : dup);
  int64_t total = count + static_cast<int64_t>(buffer_of(series_node(v))->tail / unit_of(v));
  if (total * unit_of(v) > 0x7FFFFFF0) fire(Err::internal_no_memory);
  return count;
}

int32_t clamped_head(const Cell& v) {
  SeriesBuffer* b = buffer_of(series_node(v));
  int32_t total = static_cast<int32_t>(b->tail >> b->shift());
  return series_head(v) < total ? series_head(v) : total;
}

int32_t insert_index(const Cell& v, bool is_append) {
  SeriesBuffer* b = buffer_of(series_node(v));
  return is_append ? static_cast<int32_t>(b->tail >> b->shift()) : clamped_head(v);
}

}  // namespace

Cell* append(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append) {
  std::vector<Cell> items = items_of(*series, *value, part, only);
  int64_t count = checked_count(*series, items.size(), dup);
  Action notice = is_append ? Action::append : Action::insert;
  int32_t index = insert_index(*series, is_append);
  bool owned = ownership::before(*series, notice, index, static_cast<int32_t>(count));
  index = insert_index(*series, is_append);  // an owner's handler may have changed the vector
  open_gap(*series, index, count);
  write_items(*series, index, items, dup < 0 ? 0 : dup);
  if (owned) ownership::after(*series, notice, index, static_cast<int32_t>(count));
  if (!is_append) set_series_head(*series, index + count);
  return series;
}

Cell* change(Cell* series, Cell* value, int32_t part, bool only, int32_t dup) {
  std::vector<Cell> items = items_of(*series, *value, -1, only);
  int64_t count = checked_count(*series, items.size(), dup);
  int32_t index = clamped_head(*series);
  int32_t left = length(*series);
  int64_t replaced = part < 0 ? count : part;
  if (replaced > left) replaced = left;
  bool owned = ownership::before(*series, Action::change, index, static_cast<int32_t>(count));
  index = clamped_head(*series);  // an owner's handler may have changed the vector
  left = length(*series);
  if (replaced > left) replaced = left;
  if (count > replaced) open_gap(*series, index + static_cast<int32_t>(replaced), count - replaced);
  else if (count < replaced) close_gap(*series, index + static_cast<int32_t>(count), static_cast<int32_t>(replaced - count));
  write_items(*series, index, items, dup < 0 ? 0 : dup);
  if (owned) ownership::after(*series, Action::change, index, static_cast<int32_t>(count));
  set_series_head(*series, index + count);
  return series;
}

}  // namespace vyn::vector
