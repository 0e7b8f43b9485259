// eval/natives/do_file.hpp: what do does with a script file, and the preprocessor step of
// do/expand.
#pragma once

#include "core/cell.hpp"
#include "core/flow.hpp"

namespace vyn::natives {

// Runs the script file (a rooted file! or url! cell) through the library's do-file, its result in
// the current call's result slot. Before the base library defines do-file, a local file is read,
// loaded from its header on and evaluated in its directory with system/script/args set to args;
// a url! raises internal/not-here.
[[nodiscard]] Flow do_file(Cell* file, const Cell& args, bool expand);

// Passes the block through the preprocessor's expand function (which changes it in place) when
// a preprocessor is loaded; without one the block is left as it is.
[[nodiscard]] Flow expand_block(const Cell& block);

}  // namespace vyn::natives
