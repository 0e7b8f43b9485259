// view/tui/platform_routines.hpp: the routines start-up defines for the view engine's platform
// object.
#pragma once

#include "values/callables/routine.hpp"

namespace vyn::tui {

// _gui-routine name: a new routine! for the platform field of that name (script/invalid-arg for
// any other name).
void platform_routine(routine::Invocation& inv);
// _gui-init platform: gui/init on the platform object being built.
void gui_init_body(routine::Invocation& inv);

}  // namespace vyn::tui
