// values/series/path.hpp: making values of the path family and paren!.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::path {

// Makes the cell an empty path! with room for capacity cells (at least one).
Cell* make_at(Cell* cell, int32_t capacity);
// Gives the cell the type (path!, lit-path!, set-path!, get-path! or paren!) and pushes a copy of
// it on the value stack.
Cell* push_as(Cell* cell, Type type);

// Putting a changed scalar back where a path found it.

// A scalar (pair, time, tuple) changed through a path element goes back where it came from: the
// word at the path's head, or the container one step up, through that container's own path entry
// (so an object's change handler runs).
void write_back(const Cell& changed, const PathStep& step);

}  // namespace vyn::path
