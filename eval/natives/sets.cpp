// eval/natives/sets.cpp: unique, union, intersect, exclude and difference over blocks, hash!es,
// strings, bitsets and typesets, and difference of two dates; complement?.
#include "core/error.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/series/bitset.hpp"
#include "values/series/block_actions.hpp"
#include "values/numbers/date.hpp"
#include "values/objects/error_args.hpp"
#include "values/text/string_actions.hpp"
#include "values/words/typeset.hpp"

namespace vyn::natives {
namespace {

constexpr int op_unique = 8, op_union = 9, op_intersect = 10, op_exclude = 11, op_difference = 12;

const char* word_of_op(int op) {
  switch (op) {
    case op_unique: return "unique";
    case op_union: return "union";
    case op_intersect: return "intersect";
    case op_exclude: return "exclude";
    default: return "difference";
  }
}

bool is_list(Type t) { return t == Type::block || t == Type::hash; }

// The two arguments must be of one type; block! and hash! mix.
void check_same_type(const Cell& a, const Cell& b) {
  if (a.type() == b.type() || (is_list(a.type()) && is_list(b.type()))) return;
  fire(Err::script_expect_val, {make_datatype(a.type()), make_datatype(b.type())});
}

// The typeset combination reads the current call's arguments.
void typeset_op(const Call& c, int op) {
  Cell* saved = stack::arguments();
  stack::set_arguments(c.args);
  typeset::do_bitwise(op);
  stack::set_arguments(saved);
}

// The set natives share one entry, so /case and /skip sit at the same place in each spec.
using SetRef = Refs<Native::union_>;
template <Native N>
constexpr bool same_refs =
    same_position(Refs<N>::case_, SetRef::case_) && same_position(Refs<N>::skip, SetRef::skip);
static_assert(same_refs<Native::intersect> && same_refs<Native::unique> &&
              same_refs<Native::difference> && same_refs<Native::exclude>);

template <int Op>
Flow set_op(const Call& c) {
  constexpr bool two = Op != op_unique;
  Cell* a = &c.args[0];
  Cell* b = two ? &c.args[1] : nullptr;
  if (two) check_same_type(*a, *b);
  bool case_ = c.has(SetRef::case_);
  Cell* skip = c.ref(SetRef::skip);
  switch (a->type()) {
    case Type::block: case Type::hash: block::set_operation(a, b, Op, case_, skip); break;
    case Type::string: string::set_operation(a, b, Op, case_, skip); break;
    case Type::bitset:
      if (two) *a = *bitset::do_bitwise(Op, a, b);
      break;
    case Type::typeset: typeset_op(c, Op); break;
    case Type::date:
      if (Op == op_difference) {
        date::difference(a, b);
        break;
      }
      [[fallthrough]];
    default:
      fire(Err::script_expect_arg,
           {word_arg(word_of_op(Op)), make_datatype(a->type()), word_arg(two ? "set2" : "set")});
  }
  return Flow::normal;
}

}  // namespace

Flow complement_q(const Call& c) {
  const Cell& bits = c.args[0];
  if (!bits.is(Type::bitset)) fire(Err::script_invalid_arg, {bits});
  c.args[0] = make_logic(bitset::is_complemented(series_node(bits)));
  return Flow::normal;
}

Flow unique(const Call& c) { return set_op<op_unique>(c); }
Flow union_(const Call& c) { return set_op<op_union>(c); }
Flow intersect(const Call& c) { return set_op<op_intersect>(c); }
Flow exclude(const Call& c) { return set_op<op_exclude>(c); }
Flow difference(const Call& c) { return set_op<op_difference>(c); }

}  // namespace vyn::natives
