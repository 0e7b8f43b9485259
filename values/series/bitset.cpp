// values/series/bitset.cpp: making bitsets (from sizes, specs, binaries, other bitsets), the membership
// actions (pick, find, poke, append, remove, clear, paths) and the datatype's registration.
#include "values/series/bitset.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/bitset_entries.hpp"
#include "values/series/block.hpp"
#include "values/objects/object.hpp"
#include "values/objects/ownership.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/words/symbol.hpp"

namespace vyn::bitset {
namespace {

bool is_word(const Cell& v, predefined::S s) {
  return v.is(Type::word) && symbol::resolve(word::symbol(v)) == symbol::resolve(predefined::symbol(s));
}

// make bitset! n: n bits rounded up to whole bytes, all clear.
Cell* from_size(Cell* spec) {
  double d = spec->is(Type::integer) ? spec->int_value() : spec->float_value();
  if (!(d > -1.0 && d < 2147483648.0)) fire(Err::script_out_of_range, {*spec});
  auto n = static_cast<int64_t>(d);
  return push_new(static_cast<int32_t>((n + 7) / 8), 0, false);
}

// The binary's bytes from its head, each inverted under not. Taken by value: it may be a cell
// of the spec block, which the allocation below can move.
Cell* from_binary(Cell bin, bool complement) {
  int32_t n = static_cast<int32_t>(buffer_of(series_node(bin))->used()) - std::max(series_head(bin), 0);
  n = std::max(n, 0);
  Cell* result = push_new(n, 0, complement);
  SeriesBuffer* from = buffer_of(series_node(bin));
  uint8_t* to = buffer_of(series_node(*result))->data();
  const uint8_t* at = from->head_ptr() + std::max(series_head(bin), 0);
  for (int32_t i = 0; i < n; ++i) to[i] = complement ? static_cast<uint8_t>(~at[i]) : at[i];
  return result;
}

// A size pass gives the byte count; under not the bits start full and the spec clears them.
Cell* from_walk(Cell* spec, bool complement, Caller caller) {
  NodeId probe = series_node(*push_new(0, 0, false));
  int32_t bytes = process_spec(spec, probe, Op::size, caller);
  Cell* result = push_new(bytes, complement ? 0xFF : 0, complement);
  process_spec(spec, series_node(*result), complement ? Op::clear : Op::set, caller);
  return result;
}

Cell* make(Cell*, Cell* spec, Type) { return make_from_spec(spec, false); }
Cell* to(Cell*, Cell* spec, Type) { return make_from_spec(spec, true); }

bool truthy(const Cell& v) {
  switch (v.type()) {
    case Type::none_: return false;
    case Type::logic: return logic_of(v) != 0;
    case Type::integer: return v.int_value() != 0;
    case Type::float_: return v.float_value() != 0.0;
    default: return true;
  }
}

// Runs a change of the bits with the owner (if any) told before and after.
template <class F>
void changing(Cell* b, Action a, F&& change) {
  bool owned = ownership::before(*b, a, 0, 0);
  change();
  if (owned) ownership::after(*b, a, 0, 0);
}

Cell* pick(Cell* b, int32_t, Cell* spec) {
  bool member = process_spec(spec, series_node(*b), Op::test, Caller::other);
  return stack::push(make_logic(member));
}

Cell* find(Cell* b, Cell* spec, const FindOptions&) {
  bool member = process_spec(spec, series_node(*b), Op::test, Caller::other);
  return stack::push(member ? make_logic(true) : make_none());
}

Cell* poke(Cell* b, int32_t, Cell* spec, Cell* value) {
  Op op = truthy(*value) ? Op::set : Op::clear;
  changing(b, Action::poke, [&] { process_spec(spec, series_node(*b), op, Caller::other); });
  return value;
}

Cell* append(Cell* b, Cell* value, int32_t, bool, int32_t, bool) {
  changing(b, Action::insert, [&] { process_spec(value, series_node(*b), Op::set, Caller::other); });
  return b;
}

// The stored bits are the membership on a complemented set too, so removing always clears them.
Cell* remove(Cell* b, Cell*, Cell* key) {
  if (!key) fire(Err::script_missing_arg);
  changing(b, Action::remove, [&] { process_spec(key, series_node(*b), Op::clear, Caller::other); });
  return b;
}

// Leaves no member at all: every byte 0 and the complement flag dropped (the length is kept).
Cell* clear(Cell* b) {
  changing(b, Action::clear, [&] {
    SeriesBuffer* buf = buffer_of(series_node(*b));
    std::memset(buf->data(), 0, buf->tail);
    buf->flags &= ~complemented;
  });
  return b;
}

// The largest array (2^28 bytes, for the number 2^31 - 1) has one bit more than an integer! holds.
int32_t length_q(Cell* b) {
  int64_t bits = int64_t{byte_count(series_node(*b))} * 8;
  if (bits > INT32_MAX) fire(Err::script_out_of_range, {make_float(static_cast<double>(bits))});
  return static_cast<int32_t>(bits);
}

Cell* copy(Cell* value, Cell*, Cell*, bool, Cell*) { return push(*value); }

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep&) {
  if (!element->is(Type::integer) && !element->is(Type::char_))
    fire(Err::script_invalid_type, {make_datatype(element->type())});
  if (value) return poke(parent, 0, element, value);
  return pick(parent, 0, element);
}

// A bitset's only reflected field is its owner; any other field answers internal/not-done.
Cell* reflect(Cell* b, Cell* field) {
  if (!is_word(*field, predefined::S::owned)) fire(Err::internal_not_done);
  Cell* owner = ownership::get(series_node(*b));
  return stack::push(owner ? *owner : make_none());
}

Cell* modify(Cell* b, Cell* field, Cell* value, bool) {
  if (!is_word(*field, predefined::S::owned)) fire(Err::script_invalid_arg, {*field});
  if (value->is(Type::none_)) {
    ownership::unbind(*b);
  } else if (value->is(Type::block) && block::vs_length(*value) >= 2 &&
             object::is_object_like(block::vs_head(*value)[0].type())) {  // the owner is told as an object
    Cell owner = block::vs_head(*value)[0];
    Cell word = block::vs_head(*value)[1];
    ownership::set_owner(*b, owner, word);
  } else {
    fire(Err::script_invalid_arg, {*value});
  }
  return value;
}

}  // namespace

Cell* push_new(int32_t n, uint8_t fill, bool complement) {
  NodeId node = alloc::new_bytes_filled(static_cast<uint32_t>(n), fill);
  SeriesBuffer* b = buffer_of(node);
  b->tail = static_cast<uint32_t>(n);
  if (complement) b->flags |= complemented;
  return stack::push(make_series(Type::bitset, node));
}

Cell* push(const Cell& b) {
  NodeId node = alloc::copy_series(series_node(b));
  buffer_of(node)->flags &= ~SeriesBuffer::owned;
  return stack::push(make_series(Type::bitset, node));
}

Cell* make_from_spec(Cell* spec, bool to) {
  Caller caller = to ? Caller::to : Caller::make;
  if (spec->is(Type::block) && block::vs_length(*spec) > 0 && is_word(block::vs_head(*spec)[0], predefined::S::not_)) {
    Cell* rest = stack::push(*spec);
    rest->w1 = static_cast<uint32_t>(series_head(*spec) + 1);
    if (block::vs_length(*rest) > 0 && block::vs_head(*rest)[0].is(Type::binary))
      return from_binary(block::vs_head(*rest)[0], true);
    return from_walk(rest, true, caller);
  }
  switch (spec->type()) {
    case Type::integer: case Type::float_:
      if (to) fire(Err::script_bad_to_arg, {make_datatype(Type::bitset), *spec});
      return from_size(spec);
    case Type::bitset: return push(*spec);
    case Type::binary: return from_binary(*spec, false);
    default: return from_walk(spec, false, caller);
  }
}

void install() {
  using registry::def;
  registry::define(Type::bitset, {
      def<Action::make>(make),           def<Action::reflect>(reflect), def<Action::to>(to),
      def<Action::form>(form),           def<Action::mold>(mold),
      def<Action::eval_path>(eval_path), def<Action::compare>(compare),
      def<Action::negate>(complement_),  def<Action::and_t>(and_),
      def<Action::complement>(complement_), def<Action::or_t>(or_),
      def<Action::xor_t>(xor_),          def<Action::append>(append),
      def<Action::clear>(clear),         def<Action::copy>(copy),
      def<Action::find>(find),           def<Action::insert>(append),
      def<Action::length_q>(length_q),   def<Action::pick>(pick),
      def<Action::poke>(poke),           def<Action::remove>(remove),
      def<Action::modify>(modify),
  });
}

}  // namespace vyn::bitset
