// values/text/string_split.cpp: a string cut at every character of a bitset, in one pass over its
// characters that counts the pieces first, so the block is made once at its final size.
#include "values/text/string_split.hpp"

#include <cstdint>

#include "core/series.hpp"
#include "core/stack.hpp"
#include "values/series/bitset.hpp"
#include "values/series/block.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::string {
namespace {

// Membership of the delimiters: the first 256 code points from a table, the rest asked of the
// bitset (which never allocates).
struct Delimiters {
  const Cell* bitset;
  bool low[256];
  bool has(uint32_t cp) const { return cp < 256 ? low[cp] : bitset::has(*bitset, cp); }
};

void fill(Delimiters& d) {
  for (uint32_t c = 0; c < 256; ++c) d.low[c] = bitset::has(*d.bitset, c);
}

template <class Unit>
int32_t next_in(const uint8_t* data, int32_t from, int32_t end, const Delimiters& d) {
  const Unit* at = reinterpret_cast<const Unit*>(data);
  while (from < end && !d.has(at[from])) ++from;
  return from;
}

template <>
int32_t next_in<uint8_t>(const uint8_t* data, int32_t from, int32_t end, const Delimiters& d) {
  while (from < end && !d.low[data[from]]) ++from;
  return from;
}

// The index of the first delimiter from `from` on, or end. Never allocates.
int32_t next_delimiter(NodeId text, int32_t from, int32_t end, const Delimiters& d) {
  SeriesBuffer* b = buffer_of(text);
  switch (unicode::checked_unit(b)) {
    case 1: return next_in<uint8_t>(b->data(), from, end, d);
    case 2: return next_in<uint16_t>(b->data(), from, end, d);
    default: return next_in<uint32_t>(b->data(), from, end, d);
  }
}

// How many delimiters lie in [from, end). Never allocates.
int32_t count_delimiters(NodeId text, int32_t from, int32_t end, const Delimiters& d) {
  SeriesBuffer* b = buffer_of(text);
  int32_t n = 0;
  if (unicode::checked_unit(b) == 1) {
    const uint8_t* at = b->data();
    for (int32_t i = from; i < end; ++i) n += d.low[at[i]];  // no branch to mispredict
    return n;
  }
  for (int32_t at = next_delimiter(text, from, end, d); at < end; at = next_delimiter(text, at + 1, end, d)) ++n;
  return n;
}

}  // namespace

void split_at_bitset(Cell* text, Cell* delimiters, Cell* out) {
  Delimiters d{delimiters, {}};
  fill(d);
  NodeId node = series_node(*text);
  int32_t end = length_total(*text);
  int32_t head = series_head(*text) < 0 ? 0 : series_head(*text) > end ? end : series_head(*text);
  block::make_at(out, count_delimiters(node, head, end, d) + 1);
  stack::Mark mark;
  Cell* piece = stack::push_unset();
  for (int32_t from = head;;) {
    int32_t at = next_delimiter(node, from, end, d);
    series::push_copy_range(*text, from, at - from, piece);
    block::append_copy(*out, *piece);
    if (at == end) break;
    from = at + 1;
  }
}

}  // namespace vyn::string
