// values/series/sort_records.hpp: what the sorts of character series and vectors share: the range sorted,
// the record size of /skip, and how a language comparator's answer orders two records.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/sort.hpp"
#include "values/action_sigs.hpp"

namespace vyn::sort_records {

// Units sorted from the head, or before it for a negative /part, which moves the head back.
int32_t range_of(Cell* series, Cell* part);
// Units per record: 1 without /skip; else the skip, which must divide the count.
int32_t record_size(Cell* skip, int32_t count);
// true: the first goes first; an integer is negated; a float by its sign, negated; none: first
// goes first; anything else: after.
int answer_order(const Cell& answer);

// The records a sort orders: count units from the head (range_of), size units to a record
// (record_size). /all wants /skip.
struct Layout {
  int32_t count;
  int32_t size;
  bool worth_sorting() const { return count / size >= 2; }
};
Layout layout_of(Cell* series, const SortOptions& o);

// /compare: an offset into the record, from 1 to size (key becomes it, from 0), or a function.
void read_compare(Cell* compare, int32_t size, int32_t& key, Cell*& function);

// Sorts the records from the series' head in place, unit bytes to a unit, stable or not; order is
// the comparator's first word. The series' owner hears of it before and after.
void sort_in_place(Cell* series, Layout l, uint32_t unit, bool stable, intptr_t order, sort::Compare compare);

}  // namespace vyn::sort_records
