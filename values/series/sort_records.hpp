// values/series/sort_records.hpp: what the sorts of character series and vectors share: the range sorted,
// the record size of /skip, and how a language comparator's answer orders two records.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::sort_records {

// Units sorted from the head, or before it for a negative /part, which moves the head back.
int32_t range_of(Cell* series, Cell* part);
// Units per record: 1 without /skip; else the skip, which must divide the count.
int32_t record_size(Cell* skip, int32_t count);
// true: the first goes first; an integer is negated; a float by its sign, negated; none: first
// goes first; anything else: after.
int answer_order(const Cell& answer);

}  // namespace vyn::sort_records
