// eval/natives/makers.cpp: func, function, does and has.
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/callables/function.hpp"
#include "values/words/word.hpp"

namespace vyn::natives {
namespace {

// Makes the function from the (rooted) spec and body into the call's result slot.
void make_function(const Call& c, Cell spec, Cell body) {
  uint32_t flags = function::validate_spec(spec);
  function::push(spec, body, 0, 0, 0, flags);
  c.args[0] = *stack::last_value();
  stack::keep();
}

}  // namespace

Flow func_(const Call& c) {
  make_function(c, c.args[0], c.args[1]);
  return Flow::normal;
}

// Copies spec and body, and collects the body's set-words as locals (but for /extern words).
Flow function_(const Call& c) {
  Cell* spec = block::clone(c.args[0], true, false);
  Cell* body = block::clone(c.args[1], true, false);
  function::split_spec(*spec, *body);
  make_function(c, *spec, *body);
  return Flow::normal;
}

Flow does_(const Call& c) {
  Cell* spec = block::push_only(1);
  make_function(c, *spec, c.args[0]);
  return Flow::normal;
}

Flow has_(const Call& c) {
  Cell* spec = block::clone(c.args[0], false, false);
  *spec = block::insert_cell(*spec, word::load_unbound("local", Type::refinement), false, true);
  make_function(c, *spec, c.args[1]);
  return Flow::normal;
}

}  // namespace vyn::natives
