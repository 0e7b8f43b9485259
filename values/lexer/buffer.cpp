// values/lexer/buffer.cpp: the value buffer: cells of running scans, open markers, closing series.
//
// One block series for all scans; a mark callback keeps its cells alive while they wait for
// their block to close (its tail always stands at the next free cell) and keeps its node id
// current when the collector relocates nodes. An open
// block, paren, map, path or point is a marker cell (triple!, which holds no node): w1 the index
// of the enclosing level's first cell, w2 the opener type in the low 16 bits and the commas seen
// in the upper 16, w3 the byte offset of the opener in the input.
#include <cstring>

#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/series.hpp"
#include "values/lexer/foreign.hpp"
#include "values/lexer/state.hpp"
#include "values/numbers/triple.hpp"
#include "values/series/block.hpp"

namespace vyn::lexer {
namespace {

constexpr uint32_t initial_cells = 1000;
constexpr uint32_t no_marker = UINT32_MAX;
NodeId values_node = 0;

SeriesBuffer* values_buffer() { return buffer_of(values_node); }

// Room for one more cell at the tail: the buffer doubles when full.
Cell* reserve() {
  SeriesBuffer* b = values_buffer();
  if (b->tail + sizeof(Cell) > b->size) {
    if (b->size >= 0x40000000u) fire(Err::internal_no_memory);
    b = alloc::expand_series_copy(values_node, b->size * 2);
  }
  Cell* c = reinterpret_cast<Cell*>(b->tail_ptr());
  b->tail += sizeof(Cell);
  return c;
}

// An open block's marker is a triple!: the enclosing level's first cell, the block's type with
// the comma count from bit 16, and the opener's offset in the input.
int32_t kind_word(Type type, int commas) {
  return static_cast<int32_t>(static_cast<uint32_t>(type) | (static_cast<uint32_t>(commas) << 16));
}
Type kind_type(const Cell& marker) { return static_cast<Type>(triple::get(marker, 1) & 0xFF); }
int kind_commas(const Cell& marker) { return static_cast<int>(static_cast<uint32_t>(triple::get(marker, 1)) >> 16); }
uint32_t enclosing_head(const Cell& marker) { return static_cast<uint32_t>(triple::get(marker, 0)); }

Cell make_marker(uint32_t head, Type type, int commas, uint32_t offset) {
  return triple::make(static_cast<int32_t>(head), kind_word(type, commas), static_cast<int32_t>(offset));
}

// A new series of the type holding the cells [from, to) of the buffer.
Cell make_series_of(Type type, uint32_t from, uint32_t to) {
  uint32_t n = to - from;
  NodeId node = alloc::new_cells(n ? n : 1);
  SeriesBuffer* b = buffer_of(node);
  if (n) std::memcpy(b->data(), cell_at(from), n * sizeof(Cell));
  b->tail = n * sizeof(Cell);
  return make_series(type, node);
}

void mark_values(void*) {
  if (values_node) gc::mark_block(values_node);
}

}  // namespace

void buffer_init() {
  values_node = 0;
  gc::add_mark_callback(mark_values);
  values_node = alloc::new_cells(initial_cells);
}

Cell* cell_at(uint32_t index) { return reinterpret_cast<Cell*>(values_buffer()->data()) + index; }
uint32_t tail() { return values_buffer()->tail / sizeof(Cell); }
void set_tail(uint32_t index) { values_buffer()->tail = index * sizeof(Cell); }

uint32_t store(State& s, const Cell& value) {
  Cell* c = reserve();
  *c = value;
  c->set_new_line(s.new_line);
  s.new_line = false;
  return tail() - 1;
}

void open_block(State& s, Type type, const uint8_t* opener) {
  uint32_t offset = static_cast<uint32_t>(opener - s.input);
  uint32_t at = store(s, make_marker(s.head, type, 0, offset));
  // a marker keeps the enclosing level's first cell; its own marker index sits just
  // before that first cell, so the chain walks back without a second field
  s.marker = at;
  s.head = at + 1;
  s.start_state = start_normal;
}

Type marker_type(const State& s) {
  if (s.marker == no_marker) return Type::nothing;
  return kind_type(*cell_at(s.marker));
}

int marker_commas(const State& s) { return s.marker == no_marker ? 0 : kind_commas(*cell_at(s.marker)); }

uint32_t marker_offset(const State& s) { return static_cast<uint32_t>(triple::get(*cell_at(s.marker), 2)); }

void set_marker(State& s, Type type, int commas) { triple::set(*cell_at(s.marker), 1, kind_word(type, commas)); }

void close_block(State& s, Type type) {
  uint32_t m = s.marker;
  Cell marker = *cell_at(m);
  if (type == Type::nothing) type = kind_type(marker);
  uint32_t from = m + 1, to = tail();
  bool new_line = cell_at(m)->new_line();
  Type open = kind_type(marker);
  if (s.load) {
    Cell value = make_series_of(open == Type::map || open == Type::point2D ? Type::block : type,
                                from, to);
    *cell_at(m) = value;  // rooted in the buffer while the map or point is made from it
    if (open == Type::map) value = foreign::make_map(value);
    if (open == Type::point2D) value = foreign::make_point(value, kind_commas(marker));
    *cell_at(m) = value;
  } else {
    *cell_at(m) = make_none();
  }
  cell_at(m)->set_new_line(new_line);
  s.new_line = false;  // a line feed before the closer ends the inner block's last line only
  set_tail(m + 1);
  s.head = enclosing_head(marker);
  s.marker = s.head > s.first ? s.head - 1 : no_marker;
}

void store_block(State& s, Cell* result, Cell* into, bool only_first) {
  uint32_t from = s.first, to = tail();
  if (only_first && to > from + 1) to = from + 1;
  if (into) {
    for (uint32_t i = from; i < to; ++i) block::append_copy(*into, *cell_at(i));
    *result = *into;
    return;
  }
  *result = make_series_of(Type::block, from, to);
}

}  // namespace vyn::lexer
