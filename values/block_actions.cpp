// values/block_actions.cpp: block!'s own entries for appending, inserting, taking and copying.
#include <cstring>
#include <vector>

#include "core/error.hpp"
#include "eval/stack.hpp"
#include "values/block.hpp"
#include "values/ownership.hpp"
#include "values/registry.hpp"
#include "values/series.hpp"

namespace vyn::block {
namespace {

constexpr uint32_t cell_size = sizeof(Cell);

// append and insert: a block-like value is spliced unless /only; /part limits the spliced cells;
// /dup repeats the whole insertion. append answers the series at its head, insert the position
// after the new cells.
Cell* append(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append) {
  bool splice = !only && is_any_block(value->type());
  int32_t count = 1;
  if (splice) {
    int32_t len = vs_length(*value);
    if (len < 0) len = 0;
    count = part < 0 || part > len ? len : part;
  }
  if (count == 0 || dup <= 0) return series;
  // taken first: the source may be the series itself, whose cells the gap below moves
  std::vector<Cell> source(count);
  std::memcpy(source.data(), splice ? cells(*value) + series_head(*value) : value, count * cell_size);
  int64_t total = int64_t{count} * dup;
  if (total > 0x7FFFFFF0 / cell_size) fire(Err::internal_no_memory);
  NodeId node = series_node(*series);
  int32_t length = length_total(*series);
  int32_t at = is_append ? length : series_head(*series) > length ? length : series_head(*series);
  Action notice = is_append ? Action::append : Action::insert;
  bool owned = ownership::before(*series, notice, at, static_cast<int32_t>(total));
  SeriesBuffer* b = buffer_of(node);
  uint64_t need = b->tail + total * cell_size;
  if (need > b->size) b = alloc::expand_series_copy(node, static_cast<uint32_t>(dup < 5 ? need * 2 : need));
  Cell* pos = reinterpret_cast<Cell*>(b->data()) + at;
  std::memmove(pos + total, pos, b->tail - at * cell_size);
  std::memcpy(pos, source.data(), count * cell_size);
  for (int32_t i = 1; i < dup; ++i) std::memcpy(pos + i * count, pos, count * cell_size);
  b->tail += static_cast<uint32_t>(total * cell_size);
  if (owned) ownership::after(*series, notice, at, static_cast<int32_t>(total));
  if (is_append) {
    series->w1 = 0;
  } else {
    series->w1 = static_cast<uint32_t>(at + total);
  }
  return series;
}

Cell* take(Cell* series, Cell* part, bool deep, bool last) {
  auto take_units = registry::entry<Action::take>(Type::series);
  Cell* result = take_units(series, part, deep, last);
  if (result->is(Type::none_)) return result;
  if (deep) find_typed(series_node(*result), 0, length_total(*result), 1, true, make_none());
  if (!part) *result = cells(*result)[0];
  return result;
}

Cell* copy(Cell* value, Cell* result, Cell* part, bool deep, Cell* types) {
  auto copy_units = registry::entry<Action::copy>(Type::series);
  Cell* copied = copy_units(value, result, part, false, nullptr);
  if (!deep && !types) return copied;
  Cell kinds = types ? *types : make_none();
  NodeId node = series_node(*copied);
  int32_t n = length_total(*copied);
  for (int32_t i = 0; i < n; ++i) {
    Cell item = reinterpret_cast<Cell*>(buffer_of(node)->data())[i];
    bool wanted = types ? true : deep && is_any_block(item.type());
    if (!wanted) continue;
    if (types) {
      find_typed(node, i, i + 1, 1, deep, kinds);
      continue;
    }
    stack::Mark mark;
    Cell* inner = stack::push(item);
    Cell* inner_result = stack::push_unset();
    Cell* answer = copy(inner, inner_result, nullptr, true, nullptr);
    answer->header = (answer->header & 0xFF) | (item.header & ~0xFFu);
    reinterpret_cast<Cell*>(buffer_of(node)->data())[i] = *answer;
  }
  return copied;
}

}  // namespace

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
      def<Action::append>(append), def<Action::insert>(append),
      def<Action::take>(take), def<Action::copy>(copy),
  });
}

}  // namespace vyn::block
