// boot/system_object.hpp: the `system` object, built by C++ at start-up until the boot image
// provides it.
#pragma once

#include <string>
#include <vector>

namespace vyn::system_object {

// Keeps the program's arguments (the program path first) for system/script/args; main calls it
// before the runtime starts.
void set_command_line(int argc, char** argv);
const std::vector<std::string>& command_line_arguments();

// Builds `system` with its nineteen fields in order (catalog/errors from core/errors.def, state,
// options, script, standard) and binds the word `system` to it; hands the catalog, the error
// prototype and system/state to the error machinery. Needs the registry, the global context and
// the predefined words.
void init();
// What init leaves outside the heap, done again without it: the C++ bodies it registers (in its
// order) and the float-printing flags. A start that replays the boot heap calls it.
void register_bodies();

// Fills the fields that hold language functions or need the base library (build, accessors,
// locale, the options' change hooks, state/callbacks) and makes the version a tuple.
void finish_library();
// What a boot image cannot hold, since it depends on the machine or the run: the current
// directory, the command line, the build's commit date in the local zone, and the text UI's
// set-up (terminal size and colours).
void refresh_for_image();
// Sets options/cache and splits the command line with extract-boot-args.
void finish_run();

}  // namespace vyn::system_object
