// eval/interp_call.cpp: calling natives, actions, operators and functions: gathering and checking
// arguments, refinements from a path, and the call itself.
#include <array>
#include <new>
#include <stdexcept>

#include "core/error.hpp"
#include "values/callables/arg_list.hpp"
#include "values/frames.hpp"
#include "eval/front_ends.hpp"
#include "eval/interp.hpp"
#include "eval/interp_internal.hpp"
#include "eval/interp_steps.hpp"
#include "eval/native_table.hpp"
#include "eval/routine_call.hpp"
#include "core/stack.hpp"
#include "eval/trace.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/callables/function.hpp"
#include "values/numbers/logic.hpp"
#include "values/predefined.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::interp {
namespace {

inline constexpr int max_refinements = 32;

// What one call works with while its arguments are gathered.
struct Gather {
  Cell callable;
  Cell list;            // the argument list block
  bool function_like;   // function!/routine!: refinements are logic! cells, arguments none when off
  Cell code;
  int32_t* position;
  int32_t end;
  const CallSite* site;
  int32_t refs[max_refinements];  // the first refinement-count entries are used

  // The context whose words name the arguments (wanted only for errors and refinements).
  NodeId ctx() const {
    if (function_like) return function::context_of(callable);
    return native::context_of(callable);
  }
};

}  // namespace

// Runs a native or an action front-end. An exit raised inside C++ code that could not answer a
// status (a comparator, a change handler) arrives as an Exit exception, the frames already cut to
// its target, and goes on from here as the call's status. The heap refusing a native's buffer is
// internal/no-memory, like a refused series frame: the buffers it had are gone by now.
Flow call_native(const Cell& callable, const Call& call) {
  try {
    if (callable.is(Type::native)) return natives::entry(native::index(callable))(call);
    actions::front_end(native::index(callable))(call);
    return Flow::normal;
  } catch (const Exit& e) {
    return e.code;
  } catch (const std::bad_alloc&) {
    fire(Err::internal_no_memory);
  } catch (const std::length_error&) {
    fire(Err::internal_no_memory);
  }
}

namespace {

// The list's entry i; good until the next allocation.
inline const Cell& entry(const Gather& g, int32_t i) { return block::cells(g.list)[i]; }
Cell arg_word(const Gather& g, int32_t i) { return *context::word_at(g.ctx(), i); }

[[noreturn]] void type_error(const Gather& g, int32_t i, const Cell& value) {
  fire(Err::script_expect_arg, {g.site->name, make_datatype(value.type()), arg_word(g, i)});
}

inline void check_type(const Gather& g, const Cell& types, int32_t i, const Cell& value) {
  if (!typeset::has(types, value.type())) type_error(g, i, value);
}

// Pushes the quoted argument at the position: a paren evaluated, a get-word's or get-path's value,
// anything else as it stands.
[[nodiscard]] Flow fetch_quoted(Gather& g) {
  Cell v = block::cells(g.code)[*g.position];
  if (v.is(Type::paren)) {
    ++*g.position;
    Cell anon = anon_word();
    stack::mark_interp_native(&anon);
    stack::push_unset();
    Flow f = eval_block(v, true);
    if (f != Flow::normal) return f;
    stack::unwind();
    return Flow::normal;
  }
  if (v.is(Type::get_word)) {
    ++*g.position;
    stack::push(*word::value_cell(v));
    return Flow::normal;
  }
  if (v.is(Type::get_path)) return eval_path_at(v, g.code, *g.position, g.end, false, true, true);
  ++*g.position;
  stack::push(v);
  return Flow::normal;
}

// Pushes the next argument for list entry i (a typeset), checked unless it is a filler.
[[nodiscard]] Flow fetch(Gather& g, int32_t i, bool check) {
  Cell types = entry(g, i);  // a copy: fetching allocates
  args::Kind kind = args::kind_of(types);
  if (*g.position >= g.end) {
    if (g.site->apply) {  // what the block does not give is none, unchecked
      stack::push(make_none());
      return Flow::normal;
    }
    if (kind == args::quoted && typeset::has(types, Type::unset)) {
      stack::push_unset();
      return Flow::normal;
    }
    fire(Err::script_no_arg, {g.site->name, arg_word(g, i)});
  }
  Flow f = Flow::normal;
  if (g.site->literal) kind = args::literal;
  int32_t end = g.site->apply & apply_single ? *g.position + 1 : g.end;
  switch (kind) {
    case args::evaluated: f = eval_expression(g.code, *g.position, end, g.site->infix, true, false); break;
    case args::literal: stack::push(block::cells(g.code)[(*g.position)++]); break;
    default: f = fetch_quoted(g); break;
  }
  if (f != Flow::normal) return f;
  if (check && !g.site->unchecked) check_type(g, types, i, *stack::last_value());
  return Flow::normal;
}

// The value given in an apply block for an argument that is off: fetched and dropped, or with
// one value per argument skipped unevaluated.
[[nodiscard]] Flow consume(Gather& g) {
  if (*g.position >= g.end) return Flow::normal;
  if (g.site->apply & apply_single) {
    ++*g.position;
    return Flow::normal;
  }
  Flow f = eval_expression(g.code, *g.position, g.end, false, true, false);
  if (f == Flow::normal) stack::pop(1);
  return f;
}

// Positional apply: the refinement's switch is the next value of the block, a logic!.
[[nodiscard]] Flow positional_switch(Gather& g, int32_t i, bool* on) {
  *on = false;
  if (*g.position >= g.end) {
    if (g.function_like) stack::push(make_logic(false));
    return Flow::normal;
  }
  int32_t end = g.site->apply & apply_single ? *g.position + 1 : g.end;
  Flow f = eval_expression(g.code, *g.position, end, false, true, false);
  if (f != Flow::normal) return f;
  Cell v = *stack::last_value();
  if (!v.is(Type::logic)) fire(Err::script_expect_arg, {g.site->name, make_datatype(v.type()), arg_word(g, i)});
  *on = logic_of(v) == 1;
  if (!g.function_like) {
    stack::pop(1);
    if (*on) g.refs[callable::ordinal(entry(g, i)) - 1] = static_cast<int32_t>(stack::top() - stack::arguments());
  }
  return Flow::normal;
}

// The fixed arguments; refinements start off (functions get a false cell and none per argument),
// but for a positional apply, whose block switches them.
[[nodiscard]] Flow first_walk(Gather& g) {
  int32_t n = block::length_total(g.list);
  bool active = true;
  bool positional = g.site->apply & apply_positional;
  for (int32_t i = 0; i < n; ++i) {
    Cell e = entry(g, i);
    if (e.is(Type::refinement)) {
      if (positional) {
        Flow f = positional_switch(g, i, &active);
        if (f != Flow::normal) return f;
        continue;
      }
      active = false;
      if (g.function_like) stack::push(make_logic(false));
    } else if (e.is(Type::typeset)) {
      if (!active) {
        if (positional) {
          Flow f = consume(g);
          if (f != Flow::normal) return f;
        }
        if (g.function_like) stack::push(make_none());
      } else if (g.site->infix && i == 0) {
        check_type(g, e, 0, *stack::arguments());
      } else {
        Flow f = fetch(g, i, true);
        if (f != Flow::normal) return f;
      }
    }
  }
  return Flow::normal;
}

// The slot index of the refinement a path element names, binding a word in place.
int32_t refinement_index(Gather& g, const Cell& element, int32_t k) {
  int32_t index;
  NodeId ctx = g.ctx();
  if (word::context(element) == ctx && word::index(element) >= 0) {
    index = word::index(element);
  } else {
    index = context::find_word(ctx, word::symbol(element), true);
    if (index >= 0 && element.is(Type::word)) {
      Cell* stored = block::cells(g.site->path) + k;
      word::bind(*stored, ctx, index);
    }
  }
  if (index < 0 || !entry(g, index).is(Type::refinement)) fire(Err::script_no_refine, {g.site->name, element});
  return index;
}

// Arguments of a refinement met in the path: gathered (on) or fetched and dropped (off).
[[nodiscard]] Flow refinement_args(Gather& g, int32_t index, bool on) {
  Cell* args = stack::arguments();
  int32_t n = block::length_total(g.list);
  for (int32_t i = index + 1; i < n && entry(g, i).is(Type::typeset); ++i) {
    if (!on && g.site->apply) {
      Flow f = consume(g);
      if (f != Flow::normal) return f;
      continue;
    }
    Flow f = fetch(g, i, on);
    if (f != Flow::normal) return f;
    if (!on) {
      stack::pop(1);
    } else if (g.function_like) {
      args[i] = *stack::last_value();
      stack::pop(1);
    }
  }
  return Flow::normal;
}

// A refinement named at the call, in its path or by name (named apply), switched on or off:
// marks it used and takes its arguments. A second use raises script/dup-refine, naming the path.
[[nodiscard, gnu::always_inline]] inline Flow take_refinement(Gather& g, int32_t index, bool on, bool by_name) {
  Cell* args = stack::arguments();
  bool was_on = g.function_like ? logic_of(args[index]) == 1 : g.refs[callable::ordinal(entry(g, index)) - 1] >= 0;
  if (on && was_on) fire(Err::script_dup_refine, {by_name ? make_none() : g.site->path});
  if (on) {
    if (g.function_like) args[index] = make_logic(true);
    else g.refs[callable::ordinal(entry(g, index)) - 1] = static_cast<int32_t>(stack::top() - args);
  }
  return refinement_args(g, index, on);
}

[[nodiscard]] Flow path_refinements(Gather& g) {
  Cell path = g.site->path;
  int32_t len = block::length_total(path);
  for (int32_t k = g.site->path_next; k < len; ++k) {
    Cell element = block::cells(path)[k];
    if (!element.is(Type::word) && !element.is(Type::get_word)) fire(Err::script_bad_refine, {element});
    bool on = true;
    if (element.is(Type::get_word)) {
      Cell v = *word::value_cell(element);
      if (v.is(Type::unset)) fire(Err::script_no_value, {element});
      on = logic::truthy(v);
    }
    Flow f = take_refinement(g, refinement_index(g, element, k), on, false);
    if (f != Flow::normal) return f;
  }
  return Flow::normal;
}

void push_locals(const Gather& g) {
  int32_t n = block::length_total(g.list);
  if (n == 0) return;
  Cell last = entry(g, n - 1);
  if (!last.is(Type::integer)) return;
  stack::push(make_logic(false));
  for (int32_t i = 1; i < last.int_value(); ++i) stack::push(make_none());
}

[[nodiscard]] Flow make_call(Gather& g) {
  Call call{stack::arguments(), g.refs, false};
  switch (g.callable.type()) {
    case Type::native: case Type::action: return call_native(g.callable, call);
    case Type::routine: return exec_routine(g.callable, g.site->name);
    default: {
      push_locals(g);
      NodeId owner = g.site->owner.is(Type::object) ? context::of(g.site->owner) : 0;
      return call_function(g.callable, owner, g.site->name, ordinary);
    }
  }
}

bool has_refinements(const Gather& g) {
  int32_t n = block::length_total(g.list);
  for (int32_t i = 0; i < n; ++i)
    if (entry(g, i).is(Type::refinement)) return true;
  return false;
}

// Named apply: after the fixed arguments, groups of a refinement (or a get-word), the value that
// switches it, and its arguments.
[[nodiscard]] Flow named_refinements(Gather& g) {
  bool any = has_refinements(g);
  while (*g.position < g.end) {
    Cell element = block::cells(g.code)[*g.position];
    if (!element.is(Type::refinement) && !element.is(Type::get_word)) {
      if (!any) return Flow::normal;
      fire(Err::script_bad_refine, {element});
    }
    ++*g.position;
    bool on = false;
    if (*g.position < g.end) {
      Flow f = eval_expression(g.code, *g.position, g.end, false, true, false);
      if (f != Flow::normal) return f;
      Cell v = *stack::last_value();
      stack::pop(1);
      if (v.is(Type::unset)) fire(Err::script_no_value, {element});
      on = logic::truthy(v);
    }
    NodeId ctx = g.ctx();
    int32_t index = context::find_word(ctx, word::symbol(element), true);
    if (index < 0 || !entry(g, index).is(Type::refinement)) fire(Err::script_no_refine, {g.site->name, element});
    Flow f = take_refinement(g, index, on, true);
    if (f != Flow::normal) return f;
  }
  return Flow::normal;
}

[[nodiscard]] Flow gather_and_call(Gather& g) {
  int32_t n = block::length_total(g.list);
  if (n > 0 && !g.function_like && entry(g, n - 1).is(Type::integer)) {
    int32_t count = entry(g, n - 1).int_value();
    for (int32_t k = 0; k < count && k < max_refinements; ++k) g.refs[k] = -1;
  }
  Flow f = first_walk(g);
  if (f != Flow::normal) return f;
  if (g.site->path.is(Type::path) || g.site->path.is(Type::get_path)) {
    f = path_refinements(g);
    if (f != Flow::normal) return f;
  }
  if (g.site->apply & apply_named) {
    f = named_refinements(g);
    if (f != Flow::normal) return f;
  }
  if (trace::active) [[unlikely]] trace::fire(trace::call, g.code, *g.position, g.callable, g.site->name);
  return make_call(g);
}

// The refinements of a plain call: every one off.
constexpr auto make_all_off() {
  std::array<int32_t, max_refinements> a{};
  for (int32_t& r : a) r = -1;
  return a;
}
constexpr std::array<int32_t, max_refinements> all_off_table = make_all_off();
}  // namespace
const int32_t* const all_off = all_off_table.data();

// The plain call's argument i failed its type check.
[[noreturn, gnu::cold, gnu::noinline]] void plain_type_error(const Cell& callable, const Cell& name, int32_t i,
                                                            const Cell& value) {
  NodeId ctx = args::is_function_like(callable.type())
                   ? function::context_of(callable)
                   : native::context_of(callable);
  fire(Err::script_expect_arg, {name, make_datatype(value.type()), *context::word_at(ctx, i)});
}

// The plain call ran out of code before argument i.
[[gnu::cold, gnu::noinline]] void plain_missing(const Cell& callable, const Cell& name, int32_t i,
                                                const Cell& types) {
  if (args::kind_of(types) == args::quoted && typeset::has(types, Type::unset)) {
    stack::push_unset();
    return;
  }
  NodeId ctx = args::is_function_like(callable.type())
                   ? function::context_of(callable)
                   : native::context_of(callable);
  fire(Err::script_no_arg, {name, *context::word_at(ctx, i)});
}

[[nodiscard, gnu::noinline]] Flow plain_quoted(Cell code, int32_t& position, int32_t end) {
  CallSite site{anon_word(), make_none(), 0, make_none(), false};
  Gather g;
  g.code = code;
  g.position = &position;
  g.end = end;
  g.site = &site;
  return fetch_quoted(g);
}


Flow eval_code(const Cell& callable_in, Cell code, int32_t& position, int32_t end, bool push,
               const CallSite& site_in) {
  Cell callable = callable_in;
  CallSite site = site_in;
  if (!site.name.is(Type::word)) site.name = anon_word();
  if (trace::active) [[unlikely]] trace::fire(trace::open, code, position, site.name, make_none());
  Cell* slot = site.infix ? nullptr : stack::push(callable);
  Cell* left = site.infix ? stack::top() - 1 : nullptr;
  if (left) stack::set_top(left);
  bool function_like = args::is_function_like(callable.type()) && callable.is(Type::function);
  if (function_like) stack::mark_interp_func(&site.name, function::context_of(callable));
  else stack::mark_interp_native(&site.name);
  if (left) stack::set_top(left + 1);
  Cell list = args::list(callable);
  Gather g;
  g.callable = callable;
  g.list = list;
  g.function_like = args::is_function_like(callable.type());
  g.code = code;
  g.position = &position;
  g.end = end;
  g.site = &site;
  Flow f = gather_and_call(g);
  if (f != Flow::normal) return f;
  if (function_like) {
    if (push) stack::unwind_func(); else stack::unwind_func_last();
  } else {
    if (push) stack::unwind(); else stack::unwind_last();
  }
  if (trace::active) [[unlikely]] trace::returned(code, position, push, site.name);
  if (slot) {
    if (push) {
      *slot = slot[1];
      stack::set_top(slot + 1);
    } else {
      stack::set_top(slot);
    }
  } else if (!push) {
    stack::set_top(left);
  }
  return Flow::normal;
}

namespace {
Flow call_literal(const Cell& callable, const Cell* values, int32_t count, const Cell& name, bool unchecked) {
  Cell fn = callable;
  if (fn.is(Type::op)) fn = op::callee(fn);
  Cell* code = block::push_only(count);
  for (int32_t i = 0; i < count; ++i) block::append_copy(*code, values[i]);
  int32_t position = 0;
  CallSite site{name, make_none(), 0, make_none(), false, true, 0, unchecked};
  return eval_code(fn, *code, position, count, true, site);
}
}  // namespace

Flow call_with(const Cell& callable, const Cell* values, int32_t count, const Cell& name) {
  return call_literal(callable, values, count, name, false);
}

Flow call_unchecked(const Cell& callable, const Cell* values, int32_t count, const Cell& name) {
  return call_literal(callable, values, count, name, true);
}

namespace {

// call_function's steps, in line in the plain call.
[[gnu::always_inline]] inline Flow function_call(const Cell& function, NodeId owner) {
  Cell fn = function;
  NodeId ctx = function::context_of(fn);
  Cell* args = stack::arguments();
  stack::set_context_values(ctx, stack::index_of(args) + 1);
  stack::set_frame_flag(true);
  if (int32_t entry = function::entry_of(fn)) {
    Flow f = function::compiled_body(entry)(args, owner);
    if (f == Flow::return_ || f == Flow::exit) {
      stack::set_top(stack::arguments() + 1);
      f = Flow::normal;
    }
    if (f == Flow::normal) stack::set_frame_flag(false);
    return f;
  }
  Cell body = function::companion(fn)[function::Companion::body];
  trace::Body traced(fn);  // prolog; the header's trace and no-trace flags
  Flow f = Flow::normal;
  if (body.is(Type::block)) {  // eval_block's steps, in line
    Cell name = predefined::word(predefined::W::body);
    stack::mark_eval(&name);
    stack::push_unset();
    f = eval_block_here(body);
    if (f == Flow::normal) stack::unwind_last();
  }
  traced.leave(f);  // epilog
  if (f == Flow::return_ || f == Flow::exit) {
    stack::set_top(stack::arguments() + 1);
    f = Flow::normal;
  }
  if (f == Flow::normal) stack::set_frame_flag(false);
  return f;
}

}  // namespace

Flow call_function(const Cell& function, NodeId owner, const Cell&, int) { return function_call(function, owner); }

}  // namespace vyn::interp

namespace vyn::interp {
namespace {

// The plain call's argument i, just pushed, against its typeset (read again: evaluating the
// argument may have moved the list).
inline void check_plain(const Cell& callable, const Cell& name, const Cell& list, int32_t i) {
  const Cell& types = block::cells(list)[i];
  const Cell& value = *stack::last_value();
  if (!typeset::has(types, value.type())) plain_type_error(callable, name, i, value);
}

}  // namespace

namespace {

// The common call: through a word, its fixed arguments from the code, every refinement off; made
// once for each kind of callable (a native or action, a function, a routine), so that each takes
// only its own steps.
template <Type K>
Flow word_call(Cell callable, const Cell& name, Cell code, int32_t& position, int32_t end, bool push) {
  if (trace::active) [[unlikely]] trace::fire(trace::open, code, position, name, make_none());
  Cell* slot = stack::push(callable);
  constexpr bool is_function = K == Type::function;
  if constexpr (is_function) stack::mark_interp_func(&name, function::context_of(callable));
  else stack::mark_interp_native(&name);
  Cell list = args::list(callable);
  constexpr bool function_like = K != Type::native;
  int32_t n = block::length_total(list);
  int32_t locals = 0;
  bool active = true;
  // the list's cells, read again after each step that may allocate (and so move them)
  const Cell* entries = block::cells(list);
  for (int32_t i = 0; i < n; ++i) {
    const Cell* e = entries + i;
    switch (e->type()) {
      case Type::typeset: {
        if (!active) {
          if constexpr (function_like) stack::push(make_none());
          continue;
        }
        if (position >= end) {
          plain_missing(callable, name, i, *e);
          entries = block::cells(list);
          continue;
        }
        if (args::kind_of(*e) == args::evaluated) {
          // a value that stands for itself, or a word's plain value with no operator after it:
          // pushed and checked here, no evaluation made and nothing allocated on the way
          const Cell* at = block::cells(code) + position;
          const Cell* v = inert_at(at, position, end);
          if (!v && (v = plain_word_at(at)) && position + 1 < end && at[1].is(Type::word)) {
            // operators may follow: the expression goes on from its first value
            Cell* start = stack::push(*v);
            ++position;
            Flow f = infix_tail(code, position, end, true, start);
            if (f != Flow::normal) return f;
            check_plain(callable, name, list, i);
            entries = block::cells(list);
            break;
          }
          if (v) {
            const Cell* pushed = stack::push(*v);
            ++position;
            if (!typeset::has(*e, pushed->type())) plain_type_error(callable, name, i, *pushed);
            break;
          }
        }
        Flow f;
        switch (args::kind_of(*e)) {
          case args::evaluated: f = eval_expression(code, position, end, false, true, false); break;
          case args::literal: stack::push(block::cells(code)[position++]); f = Flow::normal; break;
          default: f = plain_quoted(code, position, end); break;
        }
        if (f != Flow::normal) return f;
        check_plain(callable, name, list, i);
        entries = block::cells(list);
        break;
      }
      case Type::refinement:
        if constexpr (!function_like) {  // every refinement stays off, and no local follows
          i = n;
          break;
        }
        active = false;
        stack::push(make_logic(false));
        break;
      case Type::integer: locals = e->int_value(); break;
      default: break;
    }
  }
  if (trace::active) [[unlikely]] trace::fire(trace::call, code, position, callable, name);
  Flow f;
  if constexpr (K == Type::native) {
    f = call_native(callable, Call{stack::arguments(), all_off, false});
  } else if constexpr (K == Type::routine) {
    f = exec_routine(callable, name);
  } else {
    if (locals > 0) {
      stack::push(make_logic(false));
      for (int32_t i = 1; i < locals; ++i) stack::push(make_none());
    }
    f = function_call(callable, 0);
  }
  if (f != Flow::normal) return f;
  if constexpr (is_function) {
    if (push) stack::unwind_func(); else stack::unwind_func_last();
  } else {
    if (push) stack::unwind(); else stack::unwind_last();
  }
  if (trace::active) [[unlikely]] trace::returned(code, position, push, name);
  if (push) {
    *slot = slot[1];
    stack::set_top(slot + 1);
  } else {
    stack::set_top(slot);
  }
  return Flow::normal;
}

}  // namespace

Flow eval_native_word_call(Cell callable, const Cell& name, Cell code, int32_t& position, int32_t end, bool push) {
  return word_call<Type::native>(callable, name, code, position, end, push);
}

Flow eval_function_word_call(Cell callable, const Cell& name, Cell code, int32_t& position, int32_t end,
                             bool push) {
  return word_call<Type::function>(callable, name, code, position, end, push);
}

Flow eval_word_call(Cell callable, const Cell& name, Cell code, int32_t& position, int32_t end, bool push) {
  switch (callable.type()) {
    case Type::function: return word_call<Type::function>(callable, name, code, position, end, push);
    case Type::routine: return word_call<Type::routine>(callable, name, code, position, end, push);
    default: return word_call<Type::native>(callable, name, code, position, end, push);
  }
}

}  // namespace vyn::interp
