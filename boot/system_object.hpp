// boot/system_object.hpp: the part of the `system` object the runtime needs from its first error
// on, built by C++ until the boot image provides the whole object.
#pragma once

namespace vyn::system_object {

// Builds `system` (catalog/errors from values/errors.def, standard/error, state, options/float)
// and binds the word `system` to it; hands the catalog, the error prototype and system/state to
// the error machinery. Needs the registry, the global context and the predefined words.
void init();

}  // namespace vyn::system_object
