// eval/engine/engine.hpp: the evaluation engine: blocks evaluated in one flat loop over an
// explicit stack of records, with what each cell is remembered per block position (plans) and
// per call site (call plans), every remembered decision checked against the live cell and value at
// the moment the interpreter would read them. It takes exactly the interpreter's steps: the same
// frames, value-stack cells, errors and exits. Blocks entered while a tracer is installed stay on
// the interpreter (eval/interp*.cpp).
#pragma once

#include "core/cell.hpp"
#include "core/flow.hpp"

namespace vyn::engine {

// VYN_ENGINE=1 gives blocks to the engine (the interpreter keeps them by default while the engine
// is slower than it); VYN_ENGINE_VERIFY=1 checks every plan entry and call plan used against one
// made afresh and stops the program on a difference.
inline bool on = false;
inline bool verify = false;

void init();
// interp::eval_block_here on the engine: the block evaluated inside the current frame, whose
// result slot receives the value.
[[nodiscard]] Flow run_block_here(Cell block);

}  // namespace vyn::engine
