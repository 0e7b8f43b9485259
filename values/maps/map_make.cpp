// values/maps/map_make.cpp: making maps (from a block of pairs, a size, another map) and copying them.
#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/cycles.hpp"
#include "values/maps/map.hpp"
#include "values/maps/map_entries.hpp"
#include "values/numbers/number.hpp"

namespace vyn::map {
namespace {

// A size asks for room only; beyond this many entries a map grows as it fills.
constexpr int32_t room_limit = 1 << 16;

Cell* from_pairs(Cell* spec) {
  int32_t n = block::vs_length(*spec);
  if (n < 0) n = 0;
  if (n % 2) fire(Err::script_invalid_arg, {*spec});
  Cell* pairs = block::clone(*spec, false, false);
  *pairs = make_series(Type::block, series_node(*pairs));
  for (int32_t i = 0; i < n; ++i) block::cells(*pairs)[i].set_new_line(false);
  return make_at(stack::push_unset(), *pairs);
}

Cell* from_size(Cell* spec) {
  int32_t n;
  if (spec->is(Type::integer)) {
    n = spec->int_value();
  } else {
    double d = spec->float_value();
    if (integer::float_range_check(d)) fire(Err::script_out_of_range, {*spec});
    n = static_cast<int32_t>(d);
  }
  if (n < 0) fire(Err::script_out_of_range, {*spec});
  if (n > room_limit) n = room_limit;
  Cell* pairs = block::push_only(n == 0 ? 2 : 2 * n);
  return make_at(stack::push_unset(), *pairs, n);
}

Cell* build(Cell* spec, bool making) {
  switch (spec->type()) {
    case Type::block: case Type::paren: case Type::hash: return from_pairs(spec);
    case Type::integer: case Type::float_:
      if (making) return from_size(spec);
      break;
    case Type::map: return copy(spec, stack::push_unset(), nullptr, false, nullptr);
    default: break;
  }
  fire(Err::script_bad_to_arg, {make_datatype(Type::map), *spec});
}

}  // namespace

Cell* make(Cell*, Cell* spec, Type) { return build(spec, true); }
Cell* to(Cell*, Cell* spec, Type) { return build(spec, false); }

// The pairs are copied, the keys shared (a map never lets its keys out). /deep copies the values
// deep, /types only the values of the given types; /part is ignored. A map that holds itself
// cannot be copied deep: internal/no-cycle.
Cell* copy(Cell* value, Cell* result, Cell*, bool deep, Cell* types) {
  NodeId source = block_node(*value);
  if (types && types->is(Type::none_)) types = nullptr;
  if (deep && cycles::find(source)) fire(Err::internal_no_cycle);
  block::CycleGuard guard(source);
  Cell* pairs = block::clone(make_series(Type::block, source), false, false);
  NodeId table = hashtable::copy(table_node(*value), series_node(*pairs));
  *result = make_series(Type::map, series_node(*pairs), 0, table);  // before anything allocates
  if (deep || types) {
    int32_t n = block::length_total(*pairs);
    block::find_typed(series_node(*pairs), 1, n, 2, deep, types ? *types : make_none());
  }
  return result;
}

}  // namespace vyn::map
