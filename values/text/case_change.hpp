// values/text/case_change.hpp: changing the letter case of a char! or of a text value in place.
#pragma once

#include "core/cell.hpp"

namespace vyn::casefold {

// Changes the case of a char! in place, or of the characters of a text value from its head: all of
// them, or as many as part says (an integer!, or a position in the same series; none or nullptr
// for all). A character that no longer fits the unit widens the buffer. value must be a rooted
// cell (value stack or Root); answers it. May allocate.
Cell* change(Cell* value, const Cell* part, bool upper);

}  // namespace vyn::casefold
