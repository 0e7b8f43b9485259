// eval/natives/wait.hpp: what wait lets run once the time has passed.
#pragma once

namespace vyn::natives {

// The text UI, which sits above the evaluator, sets its event pass here at start-up.
void set_wait_hook(void (*fn)());

}  // namespace vyn::natives
