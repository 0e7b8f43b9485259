// boot/base_library.hpp: the parts of the base library that start-up defines in C++ until the
// boot image carries them: routines with C++ bodies, and library functions from their source text.
#pragma once

namespace vyn::boot {

// The routines, before the library functions that use them (process exit, quiet setting, the
// shifts, directories, tuples from integers, the stack, the clipboard, standard output).
void define_routines();
// Registers the routines' bodies only, in the order defining them does.
void register_routine_bodies();
// `_raise-fault`, for the tests of fault reports: only when VYN_TEST_FAULTS is set.
void define_fault_trigger();
// The constant words and the colour tuples.
void define_constants();
// The type predicates: one per datatype (bitset? .. vector?) and one per typeset (any-list? ..
// planar?).
void define_predicates();
// The predicates' bodies registered, and the typeset words' symbols noted, without defining them.
void register_predicate_bodies();
void note_typeset_symbols();
// mod and modulo, from their source text.
void define_base_arith();
// system/lexer, with exit-states: the words that name the lexer's token kinds in its events.
void define_lexer_object();

// Gives the library functions whose common cases run in C++ (split, sum) their C++ bodies, once
// the library is loaded; the rest of their cases still run their language bodies.
void bind_compiled_bodies();

// Loads start-up source text and evaluates it in the global context; the text holds no exit.
void eval_startup_text(const char* text);

}  // namespace vyn::boot
