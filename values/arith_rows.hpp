// values/arith_rows.hpp: the arithmetic action rows the number-like datatypes register alike.
//
// integer!, float!, pair!, point!, money!, tuple! and vector! each do their arithmetic in one
// routine taking the call's operands and an operation code; their add, subtract, multiply,
// divide and remainder entries (and, for the integer-like ones, and, or and xor) only pass their
// code on. A datatype hands these rows to registry::define beside its own.
#pragma once

#include <array>

#include "values/numbers/number.hpp"
#include "values/registry.hpp"

namespace vyn::registry {

// A datatype's arithmetic routine: args[0] (also the result) and args[1], and the operation.
using MathFn = void (*)(Cell* args, Arith op);

// The entry of one operation: the datatype's routine with that operation's code.
template <MathFn Math, Arith Op>
void arith_entry(Cell* args) {
  Math(args, Op);
}

// add, subtract, multiply, divide and remainder, each through Math.
template <MathFn Math>
std::array<Entry, 5> arith_rows() {
  return {def<Action::add>(arith_entry<Math, Arith::add>),
          def<Action::subtract>(arith_entry<Math, Arith::subtract>),
          def<Action::multiply>(arith_entry<Math, Arith::multiply>),
          def<Action::divide>(arith_entry<Math, Arith::divide>),
          def<Action::remainder>(arith_entry<Math, Arith::remainder>)};
}

// The same and the bitwise and, or and xor.
template <MathFn Math>
std::array<Entry, 8> arith_bitwise_rows() {
  auto a = arith_rows<Math>();
  return {a[0], a[1], a[2], a[3], a[4],
          def<Action::and_t>(arith_entry<Math, Arith::and_>),
          def<Action::or_t>(arith_entry<Math, Arith::or_>),
          def<Action::xor_t>(arith_entry<Math, Arith::xor_>)};
}

}  // namespace vyn::registry
