// values/series/block_sort_text.hpp: sorting a block whose records are all strings, by their own order.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::block {

// Sorts the n strings from head on; false (and nothing done) when a record is not a string!.
// Allocates nothing the collector sees.
bool sort_strings(const Cell& series, int32_t head, uint32_t n, bool case_sort, bool reverse, bool stable);

}  // namespace vyn::block
