// values/series/hash_block.cpp: hash! making, conversion, mold ("make hash! [...]"), copy, and the
// registration of the datatype's entries.
#include "values/series/hash_block.hpp"

#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/registry.hpp"

namespace vyn::hash_block {
namespace {

int32_t at_least_one(int32_t n) { return n < 1 ? 1 : n; }

// An integer!, or a float! truncated toward zero; outside 32 bits raises script/out-of-range.
int32_t size_of(const Cell& spec) {
  if (spec.is(Type::integer)) return spec.int_value();
  double d = spec.float_value();
  if (!(d <= 2147483647.0 && d >= -2147483648.0)) fire(Err::script_out_of_range, {spec});
  return static_cast<int32_t>(d);
}

Cell* copy(Cell* value, Cell* result, Cell* part, bool deep, Cell* types) {
  bool plain = series_head(*value) == 0 && !part && !deep && !types;
  NodeId source_table = table(*value);
  Cell* copied = block::copy(value, result, part, deep, types);
  if (!plain) return index(copied, block::length_total(*copied));
  // the same cells in the same places: the table's copy indexes them as they stand
  NodeId table = hashtable::copy(source_table, series_node(*copied));
  *copied = make_series(Type::hash, series_node(*copied), 0, table);
  return copied;
}

Cell* plain_copy(Cell* spec) {
  Cell* result = stack::push_unset();
  return copy(spec, result, nullptr, false, nullptr);
}

Cell* to(Cell* proto, Cell* spec, Type) {
  if (spec->is(Type::hash)) return plain_copy(spec);
  Cell* made = block::to(proto, spec, Type::block);
  return index(made, block::length_total(*made));
}

Cell* make(Cell* proto, Cell* spec, Type type) {
  switch (spec->type()) {
    case Type::integer: case Type::float_: {
      int32_t n = at_least_one(size_of(*spec));
      return index(block::push_only(n), n);
    }
    case Type::block: {
      Cell* made = block::clone(*spec, false, false);
      return index(made, block::length_total(*made));
    }
    case Type::hash: return plain_copy(spec);
    default: return to(proto, spec, type);
  }
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  if (!o.only) limit = block::put_text(buffer, "make hash! ", limit);
  return block::mold(value, buffer, o, part, limit);
}

}  // namespace

Cell* index(Cell* cell, int32_t n) {
  Cell block = make_series(Type::block, series_node(*cell), 0);
  NodeId table = hashtable::new_(at_least_one(n), block, hashtable::Kind::hash, 0);
  *cell = make_series(Type::hash, series_node(block), 0, table);  // before anything allocates
  return cell;
}

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::hash, {
      def<Action::make>(make),       def<Action::to>(to),           def<Action::mold>(mold),
      def<Action::copy>(copy),       def<Action::poke>(poke),       def<Action::clear>(clear),
      def<Action::remove>(remove),   def<Action::reverse>(reverse), def<Action::move>(move),
      inherit(Action::reflect),      inherit(Action::form),         inherit(Action::eval_path),
      inherit(Action::compare),      inherit(Action::append),       inherit(Action::at),
      inherit(Action::back),         inherit(Action::change),       inherit(Action::find),
      inherit(Action::head),         inherit(Action::head_q),       inherit(Action::index_q),
      inherit(Action::insert),       inherit(Action::length_q),     inherit(Action::next),
      inherit(Action::pick),         inherit(Action::put),          inherit(Action::select),
      inherit(Action::sort),         inherit(Action::skip),         inherit(Action::swap),
      inherit(Action::tail),         inherit(Action::tail_q),       inherit(Action::take),
      inherit(Action::trim),         inherit(Action::modify),
  });
}

}  // namespace vyn::hash_block
