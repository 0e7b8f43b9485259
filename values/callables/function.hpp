// values/callables/function.hpp: function! and routine!: user functions made from a spec and a body, and
// functions whose body is C++ code registered at start-up.
//
// A function! cell (routine! alike): header flags (0x200 no-trace, 0x400 trace; routine! 0x8000 a
// flag and bits 25-29 its arity), w1 the node of its context (one slot per argument, refinement
// and local; the values live in the running call's stack frame; the context's owner cell holds a
// copy of the value), w2 the node of its spec block (stored from its head), w3 the node of a
// five-cell companion series:
//   0 body  the body block (a copy of the given body, bound to the context), or none!
//   1 args  the interpreter's cached argument list, unset! until the first call
//   2 entry integer!: the index of the function's C++ body (function::compiled_body), else unset!
//   3 spare unset!
//   4 owner integer!: the context node of the object the function belongs to, else unset!
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"
#include "core/flow.hpp"
#include "values/callables/callable.hpp"

namespace vyn::function {

inline constexpr uint32_t flag_no_trace = 0x200;
inline constexpr uint32_t flag_trace = 0x400;
inline constexpr uint32_t routine_flag = 0x8000;
inline constexpr int routine_arity_shift = 25;

enum Companion : int { body = 0, arg_list = 1, entry = 2, spare = 3, owner = 4, companion_cells = 5 };
static_assert(Companion::arg_list == callable::arg_list_cell, "every callable caches its list in cell 1");

// The context node of a function! or routine! (or of an op! made from one).
inline NodeId context_of(const Cell& fn) { return fn.w1; }
inline Cell make_value(Type type, NodeId ctx, NodeId spec, NodeId companion) {
  return make_cell(type, ctx, spec, companion);
}
// The first companion cell of a function! or routine!. Never allocates; good until the next
// allocation.
inline Cell* companion(const Cell& fn) { return callable::extra_cells(fn); }
inline int routine_arity(const Cell& r) { return static_cast<int>((r.header >> routine_arity_shift) & 31); }

// Checks a spec block against the spec dialect and answers the header flags its attribute block
// asks for. Raises script/bad-func-def (with the spec), invalid-type-spec (with the element) or
// dup-vars (with the later entry); reading a type word without value raises script/no-value.
uint32_t validate_spec(Cell spec);

// Pushes a new function! and answers its context node. body is a block or none!; ctx 0 makes a
// context from the spec and binds the body copy to it; entry 0 means no C++ body; owner 0 no
// owning object. The spec and body must be rooted by the caller.
NodeId push(Cell spec, Cell body, NodeId ctx, int32_t entry, NodeId owner, uint32_t flags);
// Pushes a new routine!: its context from the spec, the companion holding the body (or none!),
// the entry and last (an integer), the arity in the header.
void routine_push(Cell spec, Cell body, int32_t entry, int32_t last, bool flag);

// For the `function` maker: collects the body's set-words and loop words as locals of the spec
// (which it changes in place: /extern and what follows go, /local and the words are appended).
// Pushes the block of the collected words and answers it.
Cell* split_spec(Cell spec, Cell body);
// The local slots of a spec from start: 1 for /local and one per word! after it; 0 without
// /local, or -1 then when require is set.
int32_t count_refinements(const Cell& spec, int32_t start, bool require);
// Pushes the initial values of n local slots: false for /local itself, then none!.
void init_locals(int32_t n);

// C++ bodies of functions made at start-up (change handlers of system objects, say). A body
// receives the call's argument cells and the owner object's context node (0 when none); it
// answers a status like a native.
using CompiledBody = Flow (*)(Cell* args, NodeId owner);
// Registers a body and answers its entry index, from 1.
int32_t register_body(CompiledBody body);
// The body of an entry index, or nullptr.
CompiledBody compiled_body(int32_t entry);
// How many bodies are registered.
int32_t compiled_body_count();
// The entry index of a function value's C++ body, or 0.
inline int32_t entry_of(const Cell& fn) {
  if (!fn.is(Type::function) && !fn.is(Type::routine)) return 0;
  const Cell& e = companion(fn)[Companion::entry];
  return e.is(Type::integer) ? e.int_value() : 0;
}

}  // namespace vyn::function
