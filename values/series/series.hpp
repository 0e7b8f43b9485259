// values/series/series.hpp: series!, the entries every series type shares, and their helpers.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/series.hpp"

namespace vyn::series {

inline SeriesBuffer* buffer(const Cell& s) { return buffer_of(series_node(s)); }
inline int32_t length_total(const Cell& s) {
  SeriesBuffer* b = buffer(s);
  return static_cast<int32_t>(b->tail >> b->shift());
}
inline bool at_tail(const Cell& s) { return series_head(s) >= length_total(s); }
bool is_cell_series(Type t);
bool is_char_series(Type t);

bool skip_checked(Cell& s, int32_t n);
// Units from the head (from 0 with from_start) to the tail; a head past the tail is clamped.
int32_t units_left(Cell& s, bool from_start);
// The head index at and skip give, from the call's series args[0] and offset args[1].
int32_t offset_by(Cell* args, bool at);
// Up to max bytes (max <= 8) of a binary from its head, read big-endian into the low end of the
// answer: fewer when the binary is shorter. Never allocates.
uint64_t head_bytes_be(const Cell& bin, int32_t max);
// The count a /part argument gives for the series: a count, or a position in the same series.
int32_t part_count(const Cell& s, const Cell& part);
// A new series of the source's type and unit holding count units from index, into result (which
// must be rooted); copy/part's road. May allocate; the source is read through its node afterwards.
Cell* push_copy_range(const Cell& source, int32_t index, int32_t count, Cell* result);

}  // namespace vyn::series
