// values/ports/port.cpp: port!: making ports from specs, their mold, and read and write as
// open-copy-close. Every other action goes to the actor (values/ports/port_entries.cpp).
#include "values/ports/port.hpp"

#include <string>

#include "core/error.hpp"
#include "core/flow.hpp"
#include "core/stack.hpp"
#include "values/evaluator_hooks.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::port {
namespace {

Cell field_of(const Cell& obj, const char* name) {
  if (!object::is_object_like(obj.type())) return make_none();
  Cell* v = context::value_cell_of(object::context(obj), symbol::make(name));
  return v ? *v : make_none();
}

// The spec object: the spec itself when it is one, the parsed URL for a url!, else url-parts
// made with the spec by the rules of make object!.
Cell* spec_object(Cell* spec) {
  if (spec->is(Type::object)) return spec;
  if (spec->is(Type::url)) return parse_url(spec);
  Cell* proto = stack::push(system_value("standard", "url-parts"));
  if (!proto->is(Type::object)) fire(Err::access_no_scheme, {*spec});
  return registry::entry<Action::make>(Type::object)(proto, spec, Type::object);
}

// The scheme object registered under the word in system/schemes (name and object in pairs).
Cell find_scheme(const Cell& name) {
  Cell schemes = system_value("schemes", nullptr);
  if (!schemes.is(Type::block)) return make_none();
  int32_t n = static_cast<int32_t>(buffer_of(series_node(schemes))->tail / sizeof(Cell));
  for (int32_t i = series_head(schemes); i + 1 < n; i += 2) {
    const Cell* cells = reinterpret_cast<const Cell*>(buffer_of(series_node(schemes))->data());
    if (word::any_word_q(cells[i].type()) && symbol::resolve(word::symbol(cells[i])) == symbol::resolve(word::symbol(name)))
      return cells[i + 1];
  }
  return make_none();
}

int32_t put_text(Cell* buffer, const char* text, int32_t limit) {
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(std::char_traits<char>::length(text));
}

}  // namespace

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  limit = put_text(buffer, "make port! [", limit);
  limit = object::serialize(*value, buffer, false, o.all, o.flat, limit, o.indent + 1);
  if (!o.flat) {
    limit = put_text(buffer, "\n", limit);
    for (int32_t i = 0; i < o.indent; ++i) limit = put_text(buffer, "    ", limit);
  }
  return put_text(buffer, "]", limit);
}

int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  return mold(value, buffer, MoldOptions{}, part, limit);
}

Cell system_value(const char* object, const char* field) {
  Cell* system = word::get(predefined::word(predefined::W::system));
  Cell v = field_of(*system, object);
  return field ? field_of(v, field) : v;
}

Cell* make(Cell*, Cell* spec, Type) {
  Cell* spec_obj = stack::push(*spec_object(spec));
  Cell scheme = context::values(object::context(*spec_obj))[0];
  if (context::slot_count(object::context(*spec_obj)) < 1 || !scheme.is(Type::word))
    fire(Err::access_no_scheme, {*spec});
  Cell* result = stack::push_unset();
  Cell proto = system_value("standard", "port");
  if (!proto.is(Type::object)) fire(Err::access_invalid_port);
  object::clone(proto, result, false, make_none(), false);
  result->header = static_cast<uint32_t>(Type::port);
  object::store_self(*result);
  Cell* values = context::values(object::context(*result));
  values[Field::spec] = *spec_obj;
  values[Field::scheme] = context::values(object::context(*spec_obj))[0];
  Cell definition = find_scheme(values[Field::scheme]);
  if (!definition.is(Type::object)) fire(Err::access_unknown_scheme, {*spec});
  Cell actor = field_of(definition, "actor");
  if (!actor.is(Type::object) && !actor.is(Type::handle)) fire(Err::access_invalid_actor);
  context::values(object::context(*result))[Field::actor] = actor;

  return result;
}

// Errors of the actor's open or copy leave the port as the actor left it: no close follows.
Cell* read(Cell* port, const ReadOptions& o) {
  Cell none = make_none(), no = make_logic(false);
  forward(Action::open, {*port, no, no, no, make_logic(o.seek), no, none});
  Cell* data = forward(Action::copy, {*port, make_logic(o.part), o.part ? *o.part : none, no, no, none});
  forward(Action::close, {*port});
  stack::set_top(data + 1);
  return data;
}

Cell* write(Cell* port, Cell* data, const WriteOptions& o) {
  Cell none = make_none(), no = make_logic(false), yes = make_logic(true);
  forward(Action::open, {*port, no, no, yes, make_logic(o.seek), no, none});
  bool count = o.part && o.part->is(Type::integer);
  forward(Action::insert, {*port, *data, make_logic(count), count ? *o.part : none, no, no, none});
  Cell* copied = forward(Action::copy, {*port, no, none, no, no, none});
  forward(Action::close, {*port});
  stack::set_top(copied + 1);
  return copied;
}

// Ports made from url! values through the URL parser of the base library.

Cell* parse_url(Cell* url) {
  Cell* result = stack::push(make_none());
  Cell parser = *word::get(predefined::word(predefined::W::url_parser));
  Cell name = predefined::word(predefined::W::parse_url);
  Cell fn = object::is_object_like(parser.type()) ? *object::select_word(parser, name) : make_none();
  if (fn.is(Type::function)) {
    Cell* f = stack::push(fn);
    Cell* base = stack::top();
    Flow flow = evaluator::call_with(*f, url, 1, name);
    if (flow != Flow::normal) to_exception(flow);
    *result = *stack::last_value();
    stack::set_top(base);
  }
  if (!result->is(Type::object)) fire(Err::script_invalid_arg, {*url});
  stack::set_top(result + 1);
  return result;
}

Cell* open_url(Cell* url, bool open) {
  Cell* spec = parse_url(url);
  Cell* port = stack::push(*make(spec, spec, Type::port));
  if (open) {
    Cell no = make_logic(false);
    forward(Action::open, {*port, no, no, no, no, no, make_none()});
  }
  stack::set_top(port + 1);
  return port;
}

}  // namespace vyn::port
