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
// Registers the platform routines' C++ bodies now, so that their entry indexes are the same in
// every process that starts the same way (a boot image names bodies by entry index).
void register_platform_routines();

}  // namespace vyn::tui
