// boot/routines_tuples.cpp: tuples made from integers (colours and addresses), and the count of
// UTF-8 characters between two positions of a binary.
#include <algorithm>

#include "boot/routine_bodies.hpp"
#include "core/error.hpp"
#include "core/series.hpp"
#include "core/text/unicode.hpp"
#include "values/series/series.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn::boot::bodies {
namespace {

// The first negative component is refused with its value.
void check_components(const Invocation& inv) {
  for (int k = 0; k < inv.count; ++k)
    if (inv.args[k].i < 0) fire(Err::script_invalid_arg, {make_integer(inv.args[k].i)});
}

}  // namespace

// Each component taken modulo 256.
void as_color(Invocation& inv) {
  check_components(inv);
  uint8_t bytes[3];
  for (int k = 0; k < 3; ++k) bytes[k] = static_cast<uint8_t>(inv.args[k].i & 0xFF);
  *inv.result = tuple::make(bytes, 3);
}

// One 32-bit word, a + b << 8 + c << 16 + d << 24 combined by or, with no reduction: a component
// above 255 spills into the next ones, and bits above the fourth byte are lost.
void as_ipv4(Invocation& inv) {
  check_components(inv);
  uint32_t word = 0;
  for (int k = 0; k < 4; ++k) word |= static_cast<uint32_t>(inv.args[k].i) << (8 * k);
  uint8_t bytes[4];
  for (int k = 0; k < 4; ++k) bytes[k] = static_cast<uint8_t>(word >> (8 * k));
  *inv.result = tuple::make(bytes, 4);
}

// Steps through start's buffer by the length each lead byte announces, from start's index up to
// pos's index (both in start's buffer). The walk stops at the buffer's tail, so a pos beyond it
// (another, longer binary) never reads past the data.
void count_chars(Invocation& inv) {
  const Cell& start = *arg_cell(inv, 0);
  const Cell& pos = *arg_cell(inv, 1);
  int32_t i = std::max(series_head(start), 0);
  int32_t end = std::min(series_head(pos), series::length_total(start));
  const uint8_t* data = buffer_of(series_node(start))->data();
  int32_t count = 0;
  while (i < end) {
    int n = unicode::utf8_lead_length(data[i]);
    i += n > 0 ? n : 1;
    ++count;
  }
  *inv.result = make_integer(count);
}

}  // namespace vyn::boot::bodies
