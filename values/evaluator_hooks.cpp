// values/evaluator_hooks.cpp: the evaluator's routines as start-up handed them over.
#include "values/evaluator_hooks.hpp"

namespace vyn::evaluator {
namespace {

Cell& no_code() {
  static Cell none = make_unset();
  return none;
}

Hooks hooks{nullptr, nullptr, nullptr, no_code};

}  // namespace

void set_hooks(const Hooks& h) { hooks = h; }

Flow eval_block(Cell block, bool chain) { return hooks.eval_block(block, chain); }

Flow call_with(const Cell& callable, const Cell* values, int32_t count, const Cell& name) {
  return hooks.call_with(callable, values, count, name);
}

Flow call_function(const Cell& function, NodeId context, const Cell& name, int callback_class) {
  return hooks.call_function(function, context, name, callback_class);
}

Cell& current_code() { return hooks.current_code(); }

}  // namespace vyn::evaluator
