// values/series/bitset_entries.hpp: the bitset! entries defined in values/series/bitset_ops.cpp, for the
// registration in values/series/bitset.cpp.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::bitset {

int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit);
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
int compare(Cell* a, Cell* b, int op);
Cell* complement_(Cell* value);
void and_(Cell* args);
void or_(Cell* args);
void xor_(Cell* args);

}  // namespace vyn::bitset
