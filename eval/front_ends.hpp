// eval/front_ends.hpp: the action front-ends, one per action slot, and their table.
#pragma once

#include "eval/call.hpp"
#include "values/action_sigs.hpp"

namespace vyn::actions {

// The front-end of a slot (nullptr for slot 8). Filled once at start-up in slot order.
FrontEnd front_end(int slot);
void init();

// Direct variants used by C++ callers: they look up the entry by the first value's type.
int32_t form_direct(Cell* value, Cell* buffer, Cell* part, int32_t limit);
int32_t mold_direct(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
Cell* copy_direct(Cell* value, Cell* result, Cell* part, bool deep, Cell* types);

}  // namespace vyn::actions
