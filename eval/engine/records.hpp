// eval/engine/records.hpp: the engine's explicit stack: one small record per activation that the
// interpreter would make a C++ call for and that must wait for a child: a block, a call, a paren,
// a set-word, an infix operator waiting for its right operand. An expression whose value is found
// without a child (a value, a word's value, integer operators) takes no record; one that waits
// keeps its continuation (its first stack cell, whether its value is pushed, whether operators may
// follow) in the record it waits on.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "eval/engine/plans.hpp"

namespace vyn::engine {

enum class RecKind : uint8_t { block, infix, call, paren, set_word };

struct Record {
  RecKind kind;
  uint8_t stage;
  bool push;       // the expression's value is pushed, else it goes to the current frame's result slot
  bool no_infix;   // the expression takes no operator lookahead
  bool function;   // call: a function! frame
  int32_t position;  // block: the next expression; call: the argument step under way; infix: its kind
  int32_t end;       // block: its end
  int32_t outer;     // block: the record index of the enclosing block
  Cell a;            // block: the code; call: the callable; infix: the operator; set-word: it
  Cell b;            // block: the current code it interrupted; call, infix: the name
  Cell* at;          // the waiting expression's first stack cell (a call's: the callable's slot)
  Plan* plan;              // block
  const CallPlan* call;    // call
};

// Flags the plans and call plans that records still run (the sweep keeps them).
void flag_running();

}  // namespace vyn::engine
