// values/callables/routine.hpp: the C++ bodies of routine! values. A routine is a callable whose body is
// native code: its spec is the language's, its body an entry of this registry, and it takes its
// arguments as machine values.
//
// The routine caller (eval/routine_call) converts each argument by the first word of its spec type
// block: logic! becomes 0 or 1, integer! its 32-bit value, float! its double, any other value the
// address of its cell. A routine made with the cells flag receives every argument as its cell
// instead and answers a cell. The return type kept in the routine's last companion cell (a type
// id: logic!, integer! or float!) turns the body's machine answer into the result; any other value
// (-1 for every routine made at start-up) leaves the result slot to the body.
#pragma once

#include <array>
#include <cstdint>
#include <iterator>

#include "core/cell.hpp"

namespace vyn::routine {

inline constexpr int max_arity = 31;

// One argument or answer as a machine value.
struct Machine {
  int32_t i = 0;          // integer! and logic! (0 or 1)
  double f = 0.0;         // float!
  Cell* cell = nullptr;   // any other type: the argument's cell on the value stack
};

// What a body receives. The cells live on the value stack, which never moves.
struct Invocation {
  Cell* result;                  // the call's result slot (the first argument's cell)
  Machine args[max_arity];
  int count;                     // the routine's arity
  Machine answer;                // the machine result, read by the return type
  Cell answer_cell;              // the result of a routine with the cells flag
};

// A body may raise errors (fire); it never evaluates language code that could exit.
using Body = void (*)(Invocation&);

// Registers a body and answers its entry index, from 1.
int32_t register_body(Body body);
// The entry index of each body of a table of definitions (entries with a `body`), registered on
// the table's first use in the process.
template <const auto& Definitions>
const int32_t* entries_of() {
  static const auto table = [] {
    std::array<int32_t, std::size(Definitions)> at{};
    for (size_t i = 0; i < at.size(); ++i) at[i] = register_body(Definitions[i].body);
    return at;
  }();
  return table.data();
}
// The body of an entry index, or nullptr.
Body body(int32_t entry);
// How many bodies are registered.
int32_t body_count();

// Making a routine! from its spec text and C++ body, and binding its word, for start-up and for
// the datatypes and layers that bring routines of their own.

// Pushes the block that spec text scans to.
Cell* push_spec(const char* spec_text);
// Start-up may hold the blocks its spec texts scan to, made at build time (boot/prescanned_specs):
// push_spec asks it first, and scans the text when it answers nullptr. The first stage watches
// every scan instead, to write them.
inline Cell* (*push_prescanned)(const char* spec_text) = nullptr;
inline void (*on_spec_scanned)(const char* spec_text, const Cell& spec) = nullptr;
// Makes a routine! from its spec block (which must be rooted; routines may share one) and body
// entry, and binds the global word to it. The body stores the result itself, whatever the spec's
// return type.
void define(const char* name, const Cell& spec, int32_t entry);
void define(const char* name, const char* spec_text, int32_t entry);

// The cell of argument k on the value stack. The caller hands an integer!, logic! or float!
// argument over as a machine value whatever the spec says, so bodies taking any-type! read the
// cells instead.
inline Cell* arg_cell(const Invocation& inv, int k) { return inv.result + k; }

}  // namespace vyn::routine
