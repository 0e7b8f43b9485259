// eval/engine/records.hpp: the engine's explicit stack: one small record per activation that the
// interpreter would make a C++ call for (a block, an expression, a call, a paren, a set-word).
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "eval/engine/plans.hpp"

namespace vyn::engine {

enum class RecKind : uint8_t { block, expression, call, paren, set_word };

struct Record {
  RecKind kind;
  uint8_t stage;
  bool push;       // the value is pushed, else it goes to the current frame's result slot
  bool no_infix;   // expression: no operator lookahead
  bool function;   // call: a function! frame
  int32_t position;  // block: the next expression; call: the argument step under way
  int32_t end;       // block: its end
  int32_t outer;     // block: the record index of the enclosing block
  Cell a;            // block: the code; call: the callable; expression: the operator; set-word: it
  Cell b;            // block: the current code it interrupted; call, expression: the name
  Cell* at;          // expression: its first stack cell; call: the callable's slot; set-word: frame
  Plan* plan;              // block
  const CallPlan* call;    // call
};

// Flags the plans and call plans that records still run (the sweep keeps them).
void flag_running();

}  // namespace vyn::engine
