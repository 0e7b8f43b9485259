// values/ports/port_url.cpp: ports made from url! values through the URL parser of the base library.
#include "core/error.hpp"
#include "core/flow.hpp"
#include "values/evaluator_hooks.hpp"
#include "core/stack.hpp"
#include "values/objects/object.hpp"
#include "values/ports/port.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::port {

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
