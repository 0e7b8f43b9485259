// values/text/string_make.cpp: making and converting character series, and the registration of string!
// and the text types that take its entries.
#include <algorithm>

#include "core/error.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/installers.hpp"
#include "values/text/markup.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"
#include "values/text/url.hpp"

namespace vyn::string {
namespace {

// The room a number spec asks for; negative sizes are out of range.
uint32_t room_of(Cell* spec) {
  if (spec->is(Type::integer)) {
    if (spec->int_value() < 0) fire(Err::script_out_of_range, {*spec});
    return static_cast<uint32_t>(spec->int_value());
  }
  double d = spec->float_value();
  if (!(d >= 0)) fire(Err::script_out_of_range, {*spec});
  if (d > 0x7FFFFFF0) fire(Err::internal_no_memory);
  return static_cast<uint32_t>(d);
}

Cell* empty_of(Type type, uint32_t room) {
  Cell* result = stack::push_unset();
  if (type == Type::binary) {
    result->w2 = alloc::new_bytes(room);
    result->set_type(Type::binary);
    return result;
  }
  make_at(result, room);
  result->set_type(type);
  return result;
}

Cell* formed(Cell* value, bool mold) {
  Cell* v = stack::push(*value);
  Cell* out = make_at(stack::push_unset(), 16);
  if (mold) actions::mold_direct(v, out, MoldOptions{}, nullptr, 0x7FFFFFFF);
  else actions::form_direct(v, out, nullptr, 0x7FFFFFFF);
  return out;
}

Cell* from_binary(Cell* value) {
  int32_t left = series::units_left(*value, false);
  uint32_t head = static_cast<uint32_t>(std::max(series_head(*value), 0));
  return load_utf8_checked(unicode::in_series(series_node(*value), head), static_cast<uint32_t>(left));
}

}  // namespace

Cell* make(Cell* proto, Cell* spec, Type type) {
  if (spec->is(Type::integer) || spec->is(Type::float_)) return empty_of(type, room_of(spec));
  if (type != Type::binary) return to(proto, spec, type);
  if (spec->is(Type::money)) fire(Err::script_bad_make_arg, {make_datatype(type), *spec});
  auto binary_to = registry::entry<Action::to>(Type::binary);
  if (!binary_to) fire(Err::script_bad_make_arg, {make_datatype(type), *spec});
  return binary_to(proto, spec, type);
}

Cell* to(Cell*, Cell* value, Type type) {
  Cell* result;
  switch (value->type()) {
    case Type::string: case Type::file: case Type::url: case Type::tag: case Type::email: case Type::ref:
      result = registry::entry<Action::copy>(Type::series)(value, stack::push_unset(), nullptr, false, nullptr);
      break;
    case Type::binary: result = from_binary(value); break;
    case Type::block: case Type::paren: case Type::hash:
      result = make_at(stack::push_unset(), 16);
      append_value(result, value, -1, false, 1, true, false);
      break;
    case Type::refinement: result = formed(value, type != Type::string); break;
    case Type::none_: fire(Err::script_bad_to_arg, {make_datatype(type), *value});
    default: result = formed(value, false); break;
  }
  *result = make_series(type, series_node(*result));
  return result;
}

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::string, {
      def<Action::make>(make), inherit(Action::random), inherit(Action::reflect),
      def<Action::to>(to), def<Action::form>(form), def<Action::mold>(mold),
      def<Action::eval_path>(eval_path), def<Action::compare>(compare),
      def<Action::append>(append), def<Action::change>(change), def<Action::find>(find),
      def<Action::insert>(append), def<Action::select>(select), def<Action::sort>(sort),
      def<Action::swap>(swap), def<Action::take>(take), def<Action::trim>(trim),
      inherit(Action::at), inherit(Action::back), inherit(Action::clear), inherit(Action::copy),
      inherit(Action::head), inherit(Action::head_q), inherit(Action::index_q),
      inherit(Action::length_q), inherit(Action::move), inherit(Action::next),
      inherit(Action::pick), inherit(Action::poke), inherit(Action::remove),
      inherit(Action::reverse), inherit(Action::skip), inherit(Action::tail),
      inherit(Action::tail_q), inherit(Action::modify),
  });
}

// The series entries every character series but string! takes from its parent.
constexpr Action text_series_slots[] = {
    Action::make, Action::to, Action::compare, Action::at, Action::back, Action::change,
    Action::clear, Action::copy, Action::find, Action::head, Action::head_q, Action::index_q,
    Action::insert, Action::length_q, Action::move, Action::next, Action::pick, Action::poke,
    Action::remove, Action::reverse, Action::select, Action::skip, Action::swap, Action::tail,
    Action::tail_q, Action::take, Action::modify,
};

void install_url() { url::install(text_series_slots); }
void install_file() { file::install(text_series_slots); }

void install_tag() { markup::install_tag(text_series_slots); }
void install_email() { markup::install_email(text_series_slots); }
void install_ref() { markup::install_ref(text_series_slots); }

}  // namespace vyn::string
