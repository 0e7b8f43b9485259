// values/core_hooks.hpp: what values/ hands to core at start-up: the roots it owns, for the
// collector, and the datatypes' comparison, for the hash tables.
#pragma once

namespace vyn::core_hooks {

// Registers both; the runtime initialiser calls it before anything is allocated. Idempotent.
void install();

}  // namespace vyn::core_hooks
