// boot/runtime.hpp: bringing the runtime up and down.
#pragma once

namespace vyn::runtime {

// Sets up memory, the value stack, the datatype registry and the root block, in that order.
void init();
// Releases every frame the memory manager holds.
void shutdown();

}  // namespace vyn::runtime
