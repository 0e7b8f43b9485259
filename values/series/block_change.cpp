// values/series/block_change.cpp: changing blocks in place: change, swap and trim.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/objects/ownership.hpp"

namespace vyn::block {
namespace {

constexpr uint32_t cell_size = sizeof(Cell);

bool at_end(const Cell& b) { return clamped_head(b) >= length_total(b); }

}  // namespace

// Replaces the cells from the head (as many as are inserted, or the /part count) by the value,
// spliced unless /only, dup times over.
Cell* change(Cell* series, Cell* value, int32_t part, bool only, int32_t dup) {
  int32_t total = length_total(*series);
  int32_t head = clamped_head(*series);
  set_series_head(*series, head);
  bool splice = !only && is_any_block(value->type());
  int32_t count = 1;
  if (splice) count = vs_length(*value) < 0 ? 0 : vs_length(*value);
  if (dup < 0) dup = 0;
  // taken first: the value may be the series itself, whose cells move below
  std::vector<Cell> source(count);
  if (count) std::memcpy(source.data(), splice ? cells(*value) + series_head(*value) : value, count * cell_size);
  int64_t inserted = int64_t{count} * dup;
  if (inserted > 0x7FFFFFF0 / cell_size) fire(Err::internal_no_memory);
  int64_t replaced = part < 0 ? inserted : part;
  if (replaced > total - head) replaced = total - head;
  int64_t new_total = total - replaced + inserted;
  if (new_total > 0x7FFFFFF0 / cell_size) fire(Err::internal_no_memory);
  bool owned = ownership::before(*series, Action::change, head, static_cast<int32_t>(inserted));
  NodeId node = series_node(*series);
  SeriesBuffer* b = buffer_of(node);
  uint32_t need = static_cast<uint32_t>(new_total * cell_size);
  if (need > b->size) b = alloc::expand_series_copy(node, need);
  Cell* at = reinterpret_cast<Cell*>(b->data()) + head;
  std::memmove(at + inserted, at + replaced, (total - head - replaced) * cell_size);
  if (inserted) std::memcpy(at, source.data(), count * cell_size);
  for (int64_t done = count; done < inserted; done *= 2)  // doubling: a large /dup takes few copies
    std::memcpy(at + done, at, static_cast<size_t>(std::min(done, inserted - done)) * cell_size);
  b->tail = need;
  if (NodeId table = table_of(*series)) hashtable::rehash(table);
  if (owned) ownership::after(*series, Action::change, head, static_cast<int32_t>(inserted));
  set_series_head(*series, head + inserted);
  return series;
}

// Exchanges the cells at the heads of two blocks; nothing when either is at its tail.
Cell* swap(Cell* a, Cell* b) {
  if (!is_any_block(b->type())) fire(Err::script_invalid_arg, {*b});
  if (at_end(*a) || at_end(*b)) return a;
  int32_t ha = clamped_head(*a), hb = clamped_head(*b);
  if (series_node(*a) == series_node(*b) && ha == hb) return a;
  bool owned_a = ownership::before(*a, Action::swap, ha, 1);
  bool owned_b = ownership::before(*b, Action::swap, hb, 1);
  NodeId ta = table_of(*a), tb = table_of(*b);
  if (ta) hashtable::remove_position(ta, ha);
  if (tb) hashtable::remove_position(tb, hb);
  Cell first = cells(*a)[ha];
  cells(*a)[ha] = cells(*b)[hb];
  cells(*b)[hb] = first;
  if (ta) hashtable::put(ta, cells(*a) + ha);
  if (tb) hashtable::put(tb, cells(*b) + hb);
  if (owned_a) ownership::after(*a, Action::swap, ha, 1);
  if (owned_b) ownership::after(*b, Action::swap, hb, 1);
  return a;
}

// Drops every none! from the head on, closing the gaps.
Cell* trim(Cell* series, bool, bool, bool, bool, bool, Cell*) {
  int32_t total = length_total(*series);
  int32_t head = clamped_head(*series);
  bool owned = ownership::before(*series, Action::trim, head, total - head);
  Cell* c = cells(*series);
  int32_t kept = head;
  for (int32_t i = head; i < total; ++i)
    if (!c[i].is(Type::none_)) c[kept++] = c[i];
  buffer(*series)->tail = static_cast<uint32_t>(kept) * cell_size;
  if (NodeId table = table_of(*series)) hashtable::rehash(table);
  if (owned) ownership::after(*series, Action::trim, head, total - head);
  return series;
}

}  // namespace vyn::block
