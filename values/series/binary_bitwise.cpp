// values/series/binary_bitwise.cpp: and~, or~, xor~ and complement on binaries.
#include <algorithm>
#include <vector>

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/binary.hpp"

namespace vyn::binary {
namespace {

enum class Op { and_, or_, xor_ };

// A new binary as long as the longer operand, both read from their heads: the common bytes
// combined, the rest zero for and~ and the longer operand's bytes for or~ and xor~. It replaces
// the first argument.
void combine(Cell* args, Op op) {
  Cell* a = &args[0];
  Cell* b = &args[1];
  if (!b->is(Type::binary)) fire(Err::script_invalid_arg, {*b});
  int32_t la = length(*a), lb = length(*b);
  const uint8_t* pa = head_bytes(*a);
  const uint8_t* pb = head_bytes(*b);
  std::vector<uint8_t> out(static_cast<size_t>(std::max(la, lb)));
  for (size_t i = 0; i < out.size(); ++i) {
    bool in_a = i < static_cast<size_t>(la), in_b = i < static_cast<size_t>(lb);
    uint8_t x = in_a ? pa[i] : 0, y = in_b ? pb[i] : 0;
    if (in_a && in_b) out[i] = op == Op::and_ ? x & y : op == Op::or_ ? x | y : x ^ y;
    else out[i] = op == Op::and_ ? 0 : (in_a ? x : y);
  }
  stack::Mark mark;
  *a = *push_bytes(out.data(), out.size());
}

}  // namespace

void and_t(Cell* args) { combine(args, Op::and_); }
void or_t(Cell* args) { combine(args, Op::or_); }
void xor_t(Cell* args) { combine(args, Op::xor_); }

// Inverts every byte from the head, in place.
Cell* complement(Cell* value) {
  uint8_t* p = const_cast<uint8_t*>(head_bytes(*value));
  for (int32_t i = 0; i < length(*value); ++i) p[i] = static_cast<uint8_t>(~p[i]);
  return value;
}

}  // namespace vyn::binary
