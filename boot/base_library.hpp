// boot/base_library.hpp: the parts of the base library that start-up defines in C++ until the
// boot image carries them: routines with C++ bodies, and library functions from their source text.
#pragma once

namespace vyn::boot {

// The routines, before the library functions that use them: shift-right, shift-left,
// shift-logical.
void define_routines();
// mod and modulo, from their source text.
void define_base_arith();
// system/lexer, with exit-states: the words that name the lexer's token kinds in its events.
void define_lexer_object();

// Loads start-up source text and evaluates it in the global context; the text holds no exit.
void eval_startup_text(const char* text);

}  // namespace vyn::boot
