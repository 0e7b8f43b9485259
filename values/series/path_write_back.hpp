// values/series/path_write_back.hpp: putting a changed scalar back where a path found it.
#pragma once

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::path {

// A scalar (pair, time, tuple) changed through a path element goes back where it came from: the
// word at the path's head, or the container one step up, through that container's own path entry
// (so an object's change handler runs).
void write_back(const Cell& changed, const PathStep& step);

}  // namespace vyn::path
