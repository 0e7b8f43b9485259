// eval/front_ends.hpp: the action front-ends, one per action slot, and their table.
#pragma once

#include "eval/call.hpp"
#include "values/action_sigs.hpp"
#include "values/dispatch_direct.hpp"

namespace vyn::actions {

// The front-end of a slot (nullptr for slot 8). Filled once at start-up in slot order.
FrontEnd front_end(int slot);
void init();

}  // namespace vyn::actions
