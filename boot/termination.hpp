// boot/termination.hpp: the runtime's answer to a termination signal (save, then end).
#pragma once

namespace vyn::boot {

// Makes acting on a termination request save the console's settings before the process ends.
void install_termination();

}  // namespace vyn::boot
