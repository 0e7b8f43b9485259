// values/ports/event_routines.hpp: the bodies of the event routines that start-up defines.
#pragma once

#include "values/callables/routine.hpp"

namespace vyn::event {

// find-flag? facet flag: whether a word facet is the flag, or a block facet holds it.
void find_flag_q(routine::Invocation& inv);
// send-event-os event queued?: hands an event to the back end; this one takes none (false).
void send_event_os(routine::Invocation& inv);

}  // namespace vyn::event
