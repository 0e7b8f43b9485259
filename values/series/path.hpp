// values/series/path.hpp: making values of the path family and paren!.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::path {

// Makes the cell an empty path! with room for capacity cells (at least one).
Cell* make_at(Cell* cell, int32_t capacity);
// Gives the cell the type (path!, lit-path!, set-path!, get-path! or paren!) and pushes a copy of
// it on the value stack.
Cell* push_as(Cell* cell, Type type);

}  // namespace vyn::path
