// values/ownership.hpp: notifying the owner of a series before and after it changes.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"
#include "values/action_sigs.hpp"

namespace vyn::ownership {

// Called with the action before a change; answers whether the series has an owner, in which case
// the caller calls after() with the same series once the change is made.
// TODO(ownership): owners are recorded by the ownership table; until it exists no series has one.
inline bool before(const Cell& series, Action, int32_t index, int32_t count) {
  return buffer_of(series_node(series))->flags & SeriesBuffer::owned;
}
inline void after(const Cell&, Action, int32_t, int32_t) {}

}  // namespace vyn::ownership
