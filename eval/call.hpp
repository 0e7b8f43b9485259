// eval/call.hpp: one native or action invocation as the callee sees it.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/flow.hpp"

namespace vyn {

// The frame's cells live on the value stack, which never moves. args[0] is the first argument and
// the result slot; refinement r is unused when refs[r] is -1, else refs[r] is the frame index of
// its first argument cell (any value of 0 or more marks a refinement without argument as used).
struct Call {
  Cell* args;
  const int32_t* refs;
  bool check = false;  // natives: check each argument against its spec's typeset

  bool has(int r) const { return refs[r] >= 0; }
  Cell* ref(int r) const { return refs[r] < 0 ? nullptr : args + refs[r]; }
};

using FrontEnd = void (*)(const Call&);
// Natives answer a status: normal, or an exit under way (core/flow.hpp).
using NativeFn = Flow (*)(const Call&);

}  // namespace vyn
