// eval/interp_internal.hpp: what the interpreter's files share.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/flow.hpp"
#include "core/stack.hpp"
#include "eval/call.hpp"
#include "eval/trace.hpp"

namespace vyn::interp {

// How a call was reached: through a word or a path, and from which element of the path on its
// refinements follow.
struct CallSite {
  Cell name;              // the word (or path element) naming the call; <anon> when none
  Cell path;              // the path of a call made through one, else none
  int32_t path_next = 0;  // index in the path of the first refinement element
  Cell owner;             // the object of a method call, else none
  bool infix = false;
  bool literal = false;   // every argument is the next value as it stands (calls made from C++)
  int apply = 0;          // apply: 1 positional, 2 named refinements; + 4 one value per argument
  bool unchecked = false; // no argument is checked against its types (the tracer's call)
};
inline constexpr int apply_positional = 1, apply_named = 2, apply_single = 4;

// Calls the callable with arguments taken from code at position; position moves past them.
[[nodiscard]] Flow eval_code(const Cell& callable, Cell code, int32_t& position, int32_t end, bool push,
                             const CallSite& site);
// An expression's operators after its first value, which is at start (pushed) or in the current
// frame's result slot: eval_expression's lookahead.
[[nodiscard]] Flow infix_tail(Cell code, int32_t& position, int32_t end, bool push, Cell* start);
// Evaluates the path met at code[position] (moving position on).
[[nodiscard]] Flow eval_path_at(Cell path, Cell code, int32_t& position, int32_t end, bool set, bool get,
                                bool push);

// Calls the callable named by a word (no refinements, no apply) with arguments from code.
[[nodiscard]] Flow eval_word_call(Cell callable, const Cell& name, Cell code, int32_t& position, int32_t end,
                                  bool push);
// The same for a callable known to be a native or action, or a function.
[[nodiscard]] Flow eval_native_word_call(Cell callable, const Cell& name, Cell code, int32_t& position,
                                         int32_t end, bool push);
[[nodiscard]] Flow eval_function_word_call(Cell callable, const Cell& name, Cell code, int32_t& position,
                                           int32_t end, bool push);

// The value as the expression's result: pushed, or stored in the current frame's result slot.
inline void put(const Cell& value, bool push) {
  if (push) stack::push(value);
  else *stack::arguments() = value;
  if (trace::active) [[unlikely]] trace::pushed(value);
}
bool is_callable(Type t);

// What the evaluation engine (eval/engine) shares with this evaluator, so that both take the same
// steps: the value kinds other than words, values, parens and set-words (the value already read,
// position past it); the error of a word whose value cannot start an expression; a native or
// action call; and the plain call's pieces.
[[nodiscard]] Flow single_rare(Cell v, Cell code, int32_t& position, int32_t end, bool push,
                               bool literal_functions);
[[noreturn]] void word_error(const Cell& w, Type t);
[[nodiscard]] Flow call_native(const Cell& callable, const Call& call);
extern const int32_t* const all_off;  // every refinement off
[[noreturn]] void plain_type_error(const Cell& callable, const Cell& name, int32_t i, const Cell& value);
void plain_missing(const Cell& callable, const Cell& name, int32_t i, const Cell& types);
[[nodiscard]] Flow plain_quoted(Cell code, int32_t& position, int32_t end);
Cell anon_word();
// Points the C++ callback hooks (sort comparators) at the interpreter.
void install_callbacks();

}  // namespace vyn::interp
