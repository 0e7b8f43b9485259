// boot/base_sources.hpp: the base library's source files, built into the program (the build
// embeds boot/base/*.vyn in file-name order) and evaluated at start-up.
#pragma once

namespace vyn::boot {

struct BaseSource {
  const char* name;  // the file name, for errors
  const char* text;
};
extern const BaseSource base_sources[];  // ends with {nullptr, nullptr}
extern const int base_source_count;

// Evaluates every base-library file in order in the global context.
void load_base_library();

}  // namespace vyn::boot
