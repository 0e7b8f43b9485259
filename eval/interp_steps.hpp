// eval/interp_steps.hpp: small steps the interpreter and the evaluation engine take alike: the
// operator lookahead, the integer work of an infix step, and the argument that stands for itself.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "eval/fast_ops.hpp"
#include "eval/trace.hpp"
#include "values/objects/context.hpp"
#include "values/series/block.hpp"
#include "values/words/word.hpp"

namespace vyn::interp {

// Whether the next value is a word whose value is an operator; the operator goes to op. A word
// not yet looked up has its index found and stored back.
inline bool infix_operator(const Cell& code, int32_t position, int32_t end, Cell* op) {
  if (position >= end) return false;
  Cell* next = block::cells(code) + position;
  if (!next->is(Type::word) || !word::context(*next)) return false;
  Cell* values = context::values(word::context(*next));
  if (!values) return false;
  int32_t index = word::index(*next);
  if (index < 0) {
    index = context::find_word(word::context(*next), word::symbol(*next), true);
    if (index < 0) return false;
    word::set_index(*next, index);
  }
  if (!values[index].is(Type::op)) return false;
  *op = values[index];
  return true;
}

// The right operand of an integer operation when it is an integer as it stands or a bound word
// whose value is one; nullptr sends the operation the long way (which also raises the errors).
inline const Cell* number_operand(const Cell& code, int32_t position) {
  const Cell* v = block::cells(code) + position;
  if (v->is(Type::integer) || v->is(Type::float_)) return v;
  if (!v->is(Type::word) || !word::context(*v) || word::index(*v) < 0) return nullptr;
  const Cell* values = context::values(word::context(*v));
  if (!values) return nullptr;
  const Cell* value = values + word::index(*v);
  return value->is(Type::integer) || value->is(Type::float_) ? value : nullptr;
}

// An infix operation on two numbers done in place of the left operand, the operator at position
// and its right operand after it; false when it must be called (any other operand, an integer
// overflow, a zero divisor, a float comparison, a tracer listening).
inline bool integer_step(const Cell& op, const Cell& code, int32_t& position, int32_t end, Cell* left) {
  bool integer = left->is(Type::integer);
  if ((!integer && !left->is(Type::float_)) || position + 1 >= end || trace::active) return false;
  Fast kind = fast_kind(op);
  if (kind == Fast::none) return false;
  const Cell* right = number_operand(code, position + 1);
  if (!right) return false;
  Cell result;
  if (integer && right->is(Type::integer)) {
    if (!integer_op(kind, left->int_value(), right->int_value(), &result)) return false;
  } else if (!float_op(kind, number_of(*left), number_of(*right), &result)) {
    return false;
  }
  *left = result;
  position += 2;
  return true;
}

// The value at position when it stands for itself and no operator can follow it (the next value
// is not a word), so that its evaluation is the value itself: block and scalar arguments skip the
// evaluator. Never while a tracer listens, which must see every step.
inline const Cell* inert_at(const Cell* v, int32_t position, int32_t end) {
  switch (v->type()) {
    case Type::block: case Type::integer: case Type::string: case Type::float_: case Type::none_:
    case Type::logic: case Type::char_:
      break;
    default: return nullptr;
  }
  if (position + 1 < end && v[1].is(Type::word)) return nullptr;
  return trace::active ? nullptr : v;
}
inline const Cell* inert_argument(const Cell& code, int32_t position, int32_t end) {
  return inert_at(block::cells(code) + position, position, end);
}

// The value of the word at position when it stands for a value: a bound word whose value is
// neither a callable nor unset nor an operator, which is what the evaluator's first step pushes
// for it (the look-up is the one the evaluator makes, so an index found on the way is kept). Never
// while a tracer listens.
inline const Cell* plain_word_at(const Cell* v) {
  if (!v->is(Type::word) || !word::context(*v) || trace::active) return nullptr;
  const Cell* value = word::value_cell(*v);
  switch (value->type()) {
    case Type::native: case Type::action: case Type::function: case Type::routine: case Type::unset:
    case Type::op:
      return nullptr;
    default: return value;
  }
}

}  // namespace vyn::interp
