// eval/routine_call.cpp: the routine caller. The arguments are already in the call's frame; each
// is checked against the first word of its spec type block and handed to the body as a machine
// value, and the return type turns the body's answer into the result.
#include "eval/routine_call.hpp"

#include <new>
#include <stdexcept>

#include "core/error.hpp"
#include "values/frames.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/callables/function.hpp"
#include "values/predefined.hpp"
#include "values/callables/routine.hpp"
#include "values/words/symbol.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::interp {
namespace {

bool is_any_type(const Cell& w) {
  return symbol::resolve(word::symbol(w)) == symbol::resolve(predefined::symbol(predefined::S::any_type_type));
}

// Whether the value of a type word (a datatype or a typeset) accepts the argument.
bool accepts(const Cell& type_word, const Cell& arg) {
  Cell t = *word::value_cell(type_word);
  if (t.is(Type::datatype)) return datatype_of(t) == arg.type();
  if (t.is(Type::typeset)) return typeset::has(t, arg.type());
  fire(Err::script_invalid_type_spec, {type_word});
}

routine::Machine to_machine(Cell* arg) {
  routine::Machine m;
  switch (arg->type()) {
    case Type::logic: m.i = logic_of(*arg) ? 1 : 0; break;
    case Type::integer: m.i = arg->int_value(); break;
    case Type::float_: m.f = arg->float_value(); break;
    default: m.cell = arg; break;
  }
  return m;
}

// The spec positions of the first n argument words (word! entries, in spec order).
int collect_argument_words(const Cell& spec, int n, int32_t* at) {
  int found = 0;
  int32_t len = block::length_total(spec);
  for (int32_t i = 0; i < len && found < n; ++i)
    if (block::cells(spec)[i].is(Type::word)) at[found++] = i;
  return found;
}

// Checks the arguments from the last to the first and fills the invocation.
void convert(const Cell& r, const Cell& name, Cell* args, routine::Invocation& inv) {
  Cell spec = make_series(Type::block, r.w2);
  int32_t at[routine::max_arity];
  int n = collect_argument_words(spec, inv.count, at);
  int32_t len = block::length_total(spec);
  for (int k = n - 1; k >= 0; --k) {
    Cell types = at[k] + 1 < len ? block::cells(spec)[at[k] + 1] : make_none();
    Cell first = types.is(Type::block) && block::vs_length(types) > 0 ? *block::vs_head(types) : types;
    if (!first.is(Type::word)) fire(Err::script_invalid_type_spec, {first});
    if (!is_any_type(first) && !accepts(first, args[k]))
      fire(Err::script_expect_arg, {name, make_datatype(args[k].type()), block::cells(spec)[at[k]]});
    inv.args[k] = to_machine(args + k);
  }
}

// The machine answer as a value of the return type kept in the last companion cell.
void store_answer(const Cell& r, const routine::Invocation& inv) {
  const Cell& ret = function::companion(r)[function::Companion::owner];
  if (!ret.is(Type::integer)) return;
  switch (static_cast<Type>(ret.int_value())) {
    case Type::logic: *inv.result = make_logic(inv.answer.i != 0); break;
    case Type::integer: *inv.result = make_integer(inv.answer.i); break;
    case Type::float_: *inv.result = make_float(inv.answer.f); break;
    default: break;  // no result: the slot stays as the body left it
  }
}

// A routine with the cells flag: every argument as its cell, run in a frame of its own, its
// answer copied into the result slot once that frame is gone.
void exec_with_cells(routine::Body body, Cell* args, routine::Invocation& inv) {
  for (int k = 0; k < inv.count; ++k) inv.args[k].cell = args + k;
  inv.answer_cell = make_unset();
  Cell* top = stack::top();
  stack::mark_native(&predefined::word(predefined::W::body));
  body(inv);
  stack::unwind_frame();
  stack::set_top(top);
  *inv.result = inv.answer_cell;
}

}  // namespace

namespace {

Flow run_routine(const Cell& routine_value, const Cell& name) {
  Cell r = routine_value;
  routine::Body body = routine::body(function::entry_of(r));
  if (!body) fire(Err::internal_routines);
  Cell* args = stack::arguments();
  if (stack::top() == args) stack::push_unset();  // no argument: the result slot starts unset
  routine::Invocation inv{};
  inv.result = args;
  inv.count = function::routine_arity(r);
  if (r.header & function::routine_flag) {
    exec_with_cells(body, args, inv);
    return Flow::normal;
  }
  convert(r, name, args, inv);
  body(inv);
  store_answer(r, inv);
  return Flow::normal;
}

}  // namespace

// The heap refusing a body's buffer is internal/no-memory, as for natives.
Flow exec_routine(const Cell& routine_value, const Cell& name) {
  try {
    return run_routine(routine_value, name);
  } catch (const std::bad_alloc&) {
    fire(Err::internal_no_memory);
  } catch (const std::length_error&) {
    fire(Err::internal_no_memory);
  }
}

}  // namespace vyn::interp
