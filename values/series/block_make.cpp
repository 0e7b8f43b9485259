// values/series/block_make.cpp: make and to for block! and the types that take them over.
#include "core/error.hpp"
#include "values/dispatch_direct.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::block {
namespace {

// An integer!, or a float! truncated toward zero; outside 32 bits raises script/out-of-range.
int32_t capacity_of(const Cell& spec) {
  if (spec.is(Type::integer)) return spec.int_value();
  double d = spec.float_value();
  if (!(d <= 2147483647.0 && d >= -2147483648.0)) fire(Err::script_out_of_range, {spec});
  return static_cast<int32_t>(d);
}

// The body of an object! or map!: its reflect entry with the word body.
Cell* body_of(Cell* spec) {
  Cell* field = word::make_at(predefined::symbol(predefined::S::body), stack::push_unset());
  return actions::get<Action::reflect>(spec)(spec, field);
}

// The elements of a vector! as values of its element type, each picked by its entry.
Cell* elements_of(Cell* spec) {
  int32_t n = actions::get<Action::length_q>(spec)(spec);
  Cell* result = push_only(n < 1 ? 1 : n);
  auto pick = actions::get<Action::pick>(spec);
  for (int32_t i = 1; i <= n; ++i) {
    stack::Mark mark;
    Cell* index = stack::push(make_integer(i));
    Cell* element = pick(spec, i, index);
    append_copy(*result, *element);
  }
  return result;
}

Cell* types_of(const Cell& spec) {
  Cell* result = push_only(8);
  for (int t = 1; t < type_capacity; ++t)  // a complemented set has bits of ids no type has
    if (typeset::has(spec, static_cast<Type>(t)) && registry::registered(static_cast<Type>(t)))
      append_copy(*result, make_datatype(static_cast<Type>(t)));
  return result;
}

Cell* retyped(Cell* result, Type type) {
  *result = make_series(type, series_node(*result), series_head(*result));
  return result;
}

}  // namespace

Cell* make(Cell*, Cell* spec, Type type) {
  Cell* result;
  switch (spec->type()) {
    case Type::integer: case Type::float_: result = push_only(capacity_of(*spec) < 1 ? 1 : capacity_of(*spec)); break;
    case Type::object: case Type::map: result = body_of(spec); break;
    case Type::vector: result = elements_of(spec); break;
    default:
      if (!is_any_block(spec->type())) fire(Err::script_bad_make_arg, {make_datatype(type), *spec});
      result = clone(*spec, false, false);
  }
  return retyped(result, type);
}

Cell* to(Cell*, Cell* spec, Type type) {
  Cell* result;
  switch (spec->type()) {
    case Type::object: case Type::map: result = body_of(spec); break;
    case Type::vector: result = elements_of(spec); break;
    case Type::typeset: result = types_of(*spec); break;
    case Type::string:
      result = stack::push_unset();
      lexer::scan_string(result, spec, static_cast<uint32_t>(string::length(*spec)), lexer::ScanArgs{});
      break;
    default:
      if (is_any_block(spec->type())) {
        result = clone(*spec, false, false);
      } else {
        result = push_only(1);
        append_copy(*result, *spec);
      }
  }
  return retyped(result, type);
}

}  // namespace vyn::block
