// values/text/file_actions.hpp: the file! actions that go through the platform's file layer.
#pragma once

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::file {

Cell* delete_(Cell* file);
Cell* query(Cell* file);
Cell* read(Cell* file, const ReadOptions& o);
Cell* rename(Cell* from, Cell* to);
Cell* write(Cell* file, Cell* data, const WriteOptions& o);

}  // namespace vyn::file
