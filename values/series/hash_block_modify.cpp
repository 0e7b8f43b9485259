// values/series/hash_block_modify.cpp: the series entries hash! shares with block!, each followed by
// the upkeep of the table: poke re-files the one cell, the others rebuild the index from the
// block once the cells have moved.
#include "core/hashtable.hpp"
#include "values/series/block.hpp"
#include "values/series/hash_block.hpp"
#include "values/registry.hpp"

namespace vyn::hash_block {
namespace {

template <Action A>
typename Sig<A>::type parent() { return registry::entry<A>(Type::block); }

void reindex(const Cell& series) {
  if (series.is(Type::hash)) hashtable::rehash(table(series));
}

}  // namespace

Cell* poke(Cell* series, int32_t index, Cell* boxed, Cell* value) {
  int64_t target = index == 0 ? -1 : int64_t{series_head(*series)} + (index > 0 ? index - 1 : index);
  bool inside = target >= 0 && target < block::length_total(*series);
  if (inside) hashtable::remove_position(table(*series), static_cast<int32_t>(target));
  Cell* answer = parent<Action::poke>()(series, index, boxed, value);
  if (inside) hashtable::put(table(*series), block::cells(*series) + static_cast<int32_t>(target));
  return answer;
}

Cell* clear(Cell* series) {
  Cell* answer = parent<Action::clear>()(series);
  reindex(*series);
  return answer;
}

Cell* remove(Cell* series, Cell* part, Cell* key) {
  Cell* answer = parent<Action::remove>()(series, part, key);
  reindex(*series);
  return answer;
}

Cell* reverse(Cell* series, Cell* part, Cell* skip) {
  Cell* answer = parent<Action::reverse>()(series, part, skip);
  reindex(*series);
  return answer;
}

Cell* move(Cell* origin, Cell* target, Cell* part) {
  Cell* answer = parent<Action::move>()(origin, target, part);
  reindex(*origin);  // a hash! target is re-indexed by the move itself
  return answer;
}

}  // namespace vyn::hash_block
