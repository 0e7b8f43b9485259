// values/series/block_actions.cpp: block!'s entries for appending, inserting, taking and copying, and
// the registration of all its entries.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/objects/ownership.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"

namespace vyn::block {
namespace {

constexpr uint32_t cell_size = sizeof(Cell);

// A hash! keeps its table in step: the positions after an insertion point move up, then the new
// cells are indexed (or the whole table rebuilt when too many positions would move).
void index_inserted(Cell* series, int32_t at, int32_t inserted, int32_t moved) {
  NodeId table = table_of(*series);
  if (!table) return;
  if (moved > 0 && hashtable::shift_indexes(table, inserted, at, moved, true)) {
    hashtable::rehash(table);
    return;
  }
  for (int32_t i = 0; i < inserted; ++i) {
    int status;
    hashtable::put_value(table, cells(*series) + at + i, status);
    if (status == 2) return;  // rebuilt from the whole block: the rest is indexed already
  }
}

// One value appended to a block without an index or an owner to tell: the usual append, with no
// gap to open, no copy of the source to take and nothing to index. The block grows as append
// grows it.
Cell* append_one(Cell* series, const Cell& value) {
  NodeId node = series_node(*series);
  SeriesBuffer* b = buffer_of(node);
  if (b->tail + cell_size > b->size) {
    uint64_t need = uint64_t{b->tail} + cell_size;
    if (need > 0x7FFFFFF0u) fire(Err::internal_no_memory);
    Cell kept = value;  // the value may stand in the block's own buffer
    b = alloc::expand_series_copy(node, static_cast<uint32_t>(need * 2 <= 0x7FFFFFF0u ? need * 2 : need));
    *reinterpret_cast<Cell*>(b->tail_ptr()) = kept;
  } else {
    *reinterpret_cast<Cell*>(b->tail_ptr()) = value;
  }
  b->tail += cell_size;
  set_series_head(*series, 0);
  return series;
}

}  // namespace

// append and insert: a block-like value is spliced unless /only; /part limits the spliced cells;
// /dup repeats the whole insertion. append answers the series at its head, insert the position
// after the new cells.
Cell* append(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append) {
  bool splice = !only && is_any_block(value->type());
  if (!splice && is_append && dup == 1 && !table_of(*series) &&
      !(buffer_of(series_node(*series))->flags & SeriesBuffer::owned))
    return append_one(series, *value);
  int32_t count = 1;
  if (splice) {
    int32_t len = vs_length(*value);
    if (len < 0) len = 0;
    count = part < 0 || part > len ? len : part;
  }
  if (count == 0 || dup <= 0) return series;
  // taken first: the source may be the series itself, whose cells the gap below moves
  Cell few[8];  // the usual case, a value or a short block, needs no heap copy
  std::vector<Cell> many;
  Cell* source = few;
  if (count > 8) {
    many.resize(static_cast<size_t>(count));
    source = many.data();
  }
  std::memcpy(source, splice ? cells(*value) + series_head(*value) : value, count * cell_size);
  int64_t total = int64_t{count} * dup;
  if (total > 0x7FFFFFF0 / cell_size) fire(Err::internal_no_memory);
  NodeId node = series_node(*series);
  int32_t length = length_total(*series);
  int32_t at = is_append ? length : series_head(*series) > length ? length : series_head(*series);
  Action notice = is_append ? Action::append : Action::insert;
  bool owned = ownership::before(*series, notice, at, static_cast<int32_t>(total), value);
  SeriesBuffer* b = buffer_of(node);
  uint64_t need = b->tail + total * cell_size;
  if (need > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  if (need > b->size) {
    uint64_t grown = dup < 5 && need * 2 <= 0x7FFFFFF0u ? need * 2 : need;
    b = alloc::expand_series_copy(node, static_cast<uint32_t>(grown));
  }
  Cell* pos = reinterpret_cast<Cell*>(b->data()) + at;
  std::memmove(pos + total, pos, b->tail - at * cell_size);
  std::memcpy(pos, source, count * cell_size);
  // doubling what is written so far: a large /dup takes a few copies, not one per repeat
  for (int64_t done = count; done < total; done *= 2)
    std::memcpy(pos + done, pos, static_cast<size_t>(std::min(done, total - done)) * cell_size);
  b->tail += static_cast<uint32_t>(total * cell_size);
  index_inserted(series, at, static_cast<int32_t>(total), length - at);
  if (owned) ownership::after(*series, notice, at, static_cast<int32_t>(total), value);
  set_series_head(*series, is_append ? 0 : at + total);
  return series;
}

Cell* take(Cell* series, Cell* part, bool deep, bool last) {
  auto take_units = registry::entry<Action::take>(Type::series);
  Cell* result = take_units(series, part, deep, last);
  if (NodeId table = table_of(*series)) hashtable::rehash(table);
  if (result->is(Type::none_)) return result;
  if (result->is(Type::hash)) *result = make_series(Type::block, series_node(*result));
  if (deep) find_typed(series_node(*result), 0, length_total(*result), 1, true, make_none());
  if (!part) *result = cells(*result)[0];
  return result;
}

// A hash! copies into a block!. /deep copies every nested series, map!, bitset!, object! and
// error!; /types only the cells of the given types. A block that contains itself cannot be
// copied deep: internal/no-cycle.
Cell* copy(Cell* value, Cell* result, Cell* part, bool deep, Cell* types) {
  auto copy_units = registry::entry<Action::copy>(Type::series);
  Cell* copied = copy_units(value, result, part, false, nullptr);
  if (copied->is(Type::hash)) *copied = make_series(Type::block, series_node(*copied), 0);
  if (!deep && !types) return copied;
  if (cycles::find(series_node(*value))) fire(Err::internal_no_cycle);
  CycleGuard guard(series_node(*value));
  find_typed(series_node(*copied), 0, length_total(*copied), 1, deep, types ? *types : make_none());
  return copied;
}

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::block, {
      inherit(Action::random), inherit(Action::reflect), inherit(Action::at),
      inherit(Action::back), inherit(Action::clear), inherit(Action::head),
      inherit(Action::head_q), inherit(Action::index_q), inherit(Action::length_q),
      inherit(Action::move), inherit(Action::next), inherit(Action::pick),
      inherit(Action::poke), inherit(Action::remove), inherit(Action::reverse),
      inherit(Action::skip), inherit(Action::tail), inherit(Action::tail_q),
      inherit(Action::modify),
      def<Action::make>(make), def<Action::to>(to), def<Action::form>(form),
      def<Action::mold>(mold), def<Action::eval_path>(eval_path), def<Action::compare>(compare),
      def<Action::append>(append), def<Action::insert>(append), def<Action::change>(change),
      def<Action::copy>(copy), def<Action::find>(find), def<Action::put>(put),
      def<Action::select>(select), def<Action::sort>(sort), def<Action::swap>(swap),
      def<Action::take>(take), def<Action::trim>(trim),
  });
}

}  // namespace vyn::block
