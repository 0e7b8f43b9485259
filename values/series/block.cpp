// values/series/block.cpp: block primitives.
#include "values/series/block.hpp"

#include <cstring>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/registry.hpp"
#include "core/runtime_cells.hpp"
#include "values/words/symbol.hpp"
#include "values/words/typeset.hpp"

namespace vyn::block {
namespace {

constexpr uint32_t cell_size = sizeof(Cell);

// Room for n more cells after the tail; grows to twice the need when short. Answers the buffer.
SeriesBuffer* reserve(NodeId node, uint32_t n) {
  SeriesBuffer* b = buffer_of(node);
  uint64_t need = uint64_t{b->tail} + uint64_t{n} * cell_size;
  if (need <= b->size) return b;
  if (need * 2 > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  return alloc::expand_series_copy(node, static_cast<uint32_t>(need * 2));
}

bool copyable(Type t) {
  switch (t) {
    case Type::block: case Type::paren: case Type::hash: case Type::path: case Type::lit_path:
    case Type::set_path: case Type::get_path: case Type::string: case Type::file: case Type::url:
    case Type::tag: case Type::email: case Type::ref: case Type::binary: case Type::vector:
    case Type::image: case Type::map: case Type::bitset: case Type::object: case Type::error:
      return true;
    default:
      return false;
  }
}

// none stands for every type
bool type_in(Type t, const Cell& types) {
  if (types.is(Type::none_)) return true;
  if (types.is(Type::datatype)) return datatype_of(types) == t;
  if (types.is(Type::typeset)) {
    return typeset::has(types, t);
  }
  return false;
}

}  // namespace

int32_t vs_length(const Cell& b) {
  return static_cast<int32_t>(buffer(b)->used() / cell_size) - series_head(b);
}

bool next_at_tail(Cell& b) {
  int32_t len = length_total(b);
  if (series_head(b) + 1 <= len) b.w1 = static_cast<uint32_t>(series_head(b) + 1);
  return series_head(b) >= len;
}

Cell* vs_head(Cell& b) {
  int32_t len = length_total(b);
  if (series_head(b) > len) b.w1 = static_cast<uint32_t>(len);
  return cells(b) + series_head(b);
}

Cell* vs_tail(const Cell& b) { return reinterpret_cast<Cell*>(buffer(b)->tail_ptr()); }
bool vs_tail_q(Cell& b) { return vs_head(b) == vs_tail(b); }
Cell* vs_abs_at(const Cell& b, int32_t index) { return cells(b) + index; }

void truncate_at_head(const Cell& b) { truncate_at(b, series_head(b)); }
void truncate_at(const Cell& b, int32_t index) {
  SeriesBuffer* buf = buffer(b);
  uint32_t at = static_cast<uint32_t>(index) * cell_size;
  if (at < buf->tail) buf->tail = at;
}

Cell* alloc_tail(Cell b) {
  NodeId node = series_node(b);
  SeriesBuffer* buf = buffer_of(node);
  if (buf->tail + cell_size > buf->size) buf = alloc::expand_series_copy(node, 0);
  Cell* c = reinterpret_cast<Cell*>(buf->tail_ptr());
  *c = make_unset();
  buf->tail += cell_size;
  return c;
}

void append_copy(Cell b, Cell value) { *alloc_tail(b) = value; }

void remove_last(Cell& b) {
  SeriesBuffer* buf = buffer(b);
  if (buf->tail == buf->head) return;
  buf->tail -= cell_size;
  int32_t len = length_total(b);
  if (series_head(b) > len) b.w1 = static_cast<uint32_t>(len);
}

void append_from(Cell b, Cell source) {
  int32_t n = vs_length(source);
  if (n <= 0) return;
  SeriesBuffer* buf = reserve(series_node(b), static_cast<uint32_t>(n));
  std::memcpy(buf->tail_ptr(), cells(source) + series_head(source), n * cell_size);
  buf->tail += n * cell_size;
}

Cell* find_compare(Cell& b, Cell value) {
  Cell* end = vs_tail(b);
  for (Cell* c = vs_head(b); c < end; ++c) {
    if (compare_value(c, &value, cmp::find) == 0) return c + 1 < end ? c + 1 : nullptr;
  }
  return nullptr;
}

bool find_compare_from(Cell& b, Cell value, bool from_start) {
  Cell* first = from_start ? cells(b) : vs_head(b);
  Cell* end = vs_tail(b);
  for (Cell* c = first; c < end; ++c) {
    if (compare_value(c, &value, cmp::find) != 0) continue;
    int32_t index = static_cast<int32_t>(c - cells(b));
    std::memmove(c, c + 1, (end - c - 1) * cell_size);
    buffer(b)->tail -= cell_size;
    return index <= series_head(b);
  }
  return false;
}

Cell* select_word(Cell& b, const Cell& word, bool exact) {
  uint32_t wanted = exact ? word::symbol(word) : symbol::resolve(word::symbol(word));
  Cell* end = vs_tail(b);
  for (Cell* c = vs_head(b); c < end; ++c) {
    if (c->type() < Type::word || c->type() > Type::get_word) continue;
    uint32_t id = exact ? word::symbol(*c) : symbol::resolve(word::symbol(*c));
    if (id == wanted) return c + 1 < end ? c + 1 : nullptr;
  }
  return nullptr;
}

Cell* clone(Cell source, bool deep, bool any_block) {
  int32_t n = vs_length(source);
  if (n < 0) n = 0;
  Cell* result = stack::push(make_unset());
  NodeId node = alloc::new_cells(n ? n : 1);
  *result = make_series(source.type(), node);
  SeriesBuffer* buf = buffer_of(node);
  if (n) std::memcpy(buf->data(), cells(source) + series_head(source), n * cell_size);
  buf->tail = n * cell_size;
  if (!deep) return result;
  for (int32_t i = 0; i < n; ++i) {
    Cell item = cells(*result)[i];
    bool nested = item.is(Type::block) || (any_block && is_any_block(item.type()) && !item.is(Type::hash));
    if (!nested) continue;
    stack::Mark mark;
    Cell* copy = clone(item, true, any_block);
    copy->header = (copy->header & 0xFF) | (item.header & ~0xFFu);
    cells(*result)[i] = *copy;
  }
  return result;
}

void find_typed(NodeId node, int32_t first, int32_t end, int32_t step, bool deep, Cell types) {
  for (int32_t i = first; i < end; i += step) {
    Cell item = reinterpret_cast<Cell*>(buffer_of(node)->data())[i];
    if (!copyable(item.type()) || !type_in(item.type(), types)) continue;
    auto copy = registry::entry<Action::copy>(item.type());
    if (!copy) continue;
    stack::Mark mark;
    Cell* value = stack::push(item);
    Cell* result = stack::push_unset();
    Cell* types_cell = stack::push(types);
    Cell* answer = copy(value, result, nullptr, deep, deep ? types_cell : nullptr);
    reinterpret_cast<Cell*>(buffer_of(node)->data())[i] = *answer;
  }
}

Cell insert_cell(Cell b, Cell value, bool advance, bool at_start) {
  NodeId node = series_node(b);
  int32_t at = at_start ? 0 : vs_length(b) < 0 ? length_total(b) : series_head(b);
  SeriesBuffer* buf = reserve(node, 1);
  Cell* pos = reinterpret_cast<Cell*>(buf->data()) + at;
  std::memmove(pos + 1, pos, buf->tail - at * cell_size);
  *pos = value;
  buf->tail += cell_size;
  if (advance) b.w1 = static_cast<uint32_t>(at + 1);
  return b;
}

Cell insert_all(Cell b, Cell source) {
  int32_t n = vs_length(source);
  for (int32_t i = 0; i < n; ++i) b = insert_cell(b, cells(source)[series_head(source) + i], true, false);
  return b;
}

void insert_frame_value() {
  Cell* value = stack::arguments();
  value[-1] = insert_cell(value[-1], *value, true, false);
}

Cell* append_second_arg() {
  Cell* args = stack::arguments();
  append_copy(args[0], args[1]);
  return args;
}

void append_frame_value() {
  Cell* value = stack::arguments();
  append_copy(value[-1], *value);
}

Cell* make_at(Cell* cell, int32_t capacity) {
  *cell = make_unset();
  NodeId node = alloc::new_cells(capacity < 1 ? 1 : static_cast<uint32_t>(capacity));
  *cell = make_series(Type::block, node);
  return cell;
}

Cell* init_at(Cell* cell, int32_t capacity, bool fixed) {
  *cell = make_unset();
  uint32_t n = capacity < 1 ? 1 : static_cast<uint32_t>(capacity);
  NodeId node = fixed ? alloc::new_series_malloc(n, sizeof(Cell), 0) : alloc::new_cells_unset(n);
  *cell = make_series(Type::block, node);
  return cell;
}

// The parent is read before anything allocates: it may live in a buffer that moves.
Cell* make_in_root(Cell* parent, int32_t capacity) {
  Cell owner = parent ? *parent : make_none();
  Cell made;
  init_at(&made, capacity, true);  // a fixed buffer: no collection can lose it
  if (!parent) return &(runtime_cells().scratch = made);
  Cell* slot = alloc_tail(owner);
  *slot = made;
  return slot;
}

Cell* make_in(Cell* parent, int32_t capacity) {
  Cell owner = parent ? *parent : make_none();
  stack::Mark mark;
  Cell* made = make_at(stack::push_unset(), capacity);
  if (!parent) return &(runtime_cells().scratch = *made);
  Cell* slot = alloc_tail(owner);
  *slot = *made;
  return slot;
}

Cell* push(const Cell& b) { return stack::push(b); }

Cell* push_only(int32_t capacity) {
  Cell* c = stack::push_unset();
  return make_at(c, capacity == 0 ? 1 : capacity);
}

}  // namespace vyn::block
