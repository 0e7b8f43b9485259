// typeset!, native!, action! and op! values.
#include <gtest/gtest.h>

#include "eval/native_table.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::test {
namespace {

using Callables = RuntimeTest;

Cell types(std::initializer_list<Type> ts) {
  Cell s = typeset::make_empty();
  for (Type t : ts) typeset::add(s, t);
  return s;
}

TEST_F(Callables, TypesetFormMoldAndFind) {
  Cell ts = types({Type::integer, Type::float_});
  EXPECT_EQ(form(ts), "integer! float!");
  EXPECT_EQ(mold(types({Type::integer})), "make typeset! [integer!]");
  EXPECT_EQ(mold(typeset::make_empty()), "make typeset! []");
  Cell* s = stack::push(ts);
  Cell* i = stack::push(make_datatype(Type::integer));
  auto find = registry::entry<Action::find>(Type::typeset);
  EXPECT_TRUE(logic_of(*find(s, i, FindOptions{})));
  Cell* one = stack::push(make_integer(1));
  EXPECT_EQ(raised([&] { find(s, one, FindOptions{}); }), Err::script_invalid_arg);
  EXPECT_FALSE(typeset::has(typeset::make_default(), Type::unset));
  EXPECT_TRUE(typeset::has(typeset::make_default(), Type::event));
}

TEST_F(Callables, TypesetMakeFromWordsAndSets) {
  word::set(*stack::push(word::load("number-ish")), types({Type::integer, Type::float_}));
  Cell* spec = block_of({word::load("number-ish"), make_datatype(Type::block), word::load("char!")});
  // char! is a word whose value is the datatype once the type words are set
  word::set(*stack::push(word::load("char!")), make_datatype(Type::char_));
  Cell* r = registry::entry<Action::make>(Type::typeset)(spec, spec, Type::typeset);
  EXPECT_EQ(form(*r), "block! char! integer! float!");
  Cell* bad = block_of({make_integer(3)});
  EXPECT_EQ(raised([&] { registry::entry<Action::make>(Type::typeset)(bad, bad, Type::typeset); }),
            Err::script_invalid_arg);
  Cell* none = stack::push(make_none());
  EXPECT_EQ(raised([&] { registry::entry<Action::to>(Type::typeset)(none, none, Type::typeset); }),
            Err::script_bad_to_arg);
}

TEST_F(Callables, TypesetComplementCompareAndBitwise) {
  Cell* c = registry::entry<Action::complement>(Type::typeset)(stack::push(typeset::make_empty()));
  EXPECT_TRUE(typeset::has(*c, static_cast<Type>(95)));  // past the highest registered id too
  Cell a = types({Type::integer}), b = types({Type::integer, Type::block});
  EXPECT_EQ(compare_value(&a, &b, cmp::sort), -1);
  EXPECT_EQ(compare_value(&a, &a, cmp::equal), 0);
  EXPECT_EQ(compare_value(&a, &b, cmp::lesser), -2);
  Cell* args = stack::push(b);
  stack::push(make_datatype(Type::integer));
  registry::entry<Action::xor_t>(Type::typeset)(args);
  EXPECT_EQ(form(*args), "block!");
}

Cell* native_spec(std::initializer_list<Cell> spec_items, int index) {
  Cell spec = *block_of(spec_items);
  return block_of({spec, make_integer(index)});
}

TEST_F(Callables, NativesAndActionsFromSpecAndIndex) {
  Cell* ok = native_spec({word::load("test"), word::load("then"), *block_of({word::load("block!")})}, 1);
  Cell* n = registry::entry<Action::make>(Type::native)(ok, ok, Type::native);
  EXPECT_TRUE(n->is(Type::native));
  EXPECT_EQ(n->w1, 1u);
  EXPECT_EQ(form(*n), "?native?");
  Cell* add_spec = native_spec({word::load("value1"), word::load("value2")}, 11);
  Cell* add = registry::entry<Action::make>(Type::action)(add_spec, add_spec, Type::action);
  Cell* body = stack::push(word::load("body"));
  EXPECT_EQ(registry::entry<Action::reflect>(Type::action)(add, body)->int_value(), 11);
  Cell* words = stack::push(word::load("words"));
  EXPECT_EQ(raised([&] { registry::entry<Action::reflect>(Type::action)(add, words); }), Err::internal_not_done);
  EXPECT_STREQ(natives::word_of(107), "apply");
  EXPECT_NE(natives::entry(1), nullptr);
  EXPECT_EQ(natives::entry(108), nullptr);
}

// The entry reads its arguments by position and trusts its own spec's types: a spec that moves,
// adds, drops or widens any of them, or an index with no built-in, would make it read past its
// frame or take what it cannot handle.
TEST_F(Callables, NativesAndActionsKeepTheShapeOfTheBuiltIn) {
  struct Case { Type type; std::vector<Cell> spec; int index; };
  Cell a = word::load("a"), b = word::load("b"), extra = word::load_unbound("extra", Type::refinement);
  for (const Case& c : {Case{Type::native, {a}, 120}, Case{Type::native, {}, 121},
                        Case{Type::native, {a, b}, 1}, Case{Type::native, {}, 1},
                        Case{Type::action, {a}, 62}, Case{Type::action, {}, 63},
                        Case{Type::action, {a, b}, 8}, Case{Type::action, {a}, 11},
                        Case{Type::action, {a, b, a}, 11}, Case{Type::action, {a, b, extra}, 11}}) {
    Cell* spec = block::push_only(4);
    for (const Cell& item : c.spec) block::append_copy(*spec, item);
    Cell* made = block_of({*spec, make_integer(c.index)});
    EXPECT_EQ(raised([&] { registry::entry<Action::make>(c.type)(made, made, c.type); }), Err::script_bad_make_arg)
        << c.index;
  }
}

TEST_F(Callables, OperatorsNeedTwoEvaluatedArguments) {
  struct Case { std::vector<Cell> spec; bool ok; };
  Cell a = word::load("a"), b = word::load("b");
  Cell lit_a = word::load_as("a", Type::lit_word), get_b = word::load_as("b", Type::get_word);
  Cell local = word::load_unbound("local", Type::refinement), only = word::load_unbound("only", Type::refinement);
  Cell ret = word::load_as("return", Type::set_word);
  for (const Case& c : {Case{{a, b}, true}, Case{{lit_a, b}, false}, Case{{a, get_b}, true},
                        Case{{a, b, local, word::load("x")}, true}, Case{{a, b, only}, false},
                        Case{{a}, false}, Case{{a, b, ret, a}, true}, Case{{a, b, a}, false}}) {
    Cell* spec = block::push_only(4);
    for (const Cell& item : c.spec) block::append_copy(*spec, item);
    Cell* n = stack::push(make_cell(Type::native, 1, series_node(*spec)));
    auto make_op = registry::entry<Action::make>(Type::op);
    if (c.ok) {
      Cell* op = make_op(n, n, Type::op);
      EXPECT_TRUE(op->is(Type::op));
      EXPECT_EQ((op->header >> 16) & 0xFF, static_cast<uint32_t>(Type::native));
      EXPECT_EQ(form(*op), "?op?");
    } else {
      EXPECT_EQ(raised([&] { make_op(n, n, Type::op); }), Err::script_bad_op_spec);
    }
  }
  Cell* i = stack::push(make_integer(1));
  EXPECT_EQ(raised([&] { registry::entry<Action::make>(Type::op)(i, i, Type::op); }), Err::script_invalid_type);
}

TEST_F(Callables, CompareByEntry) {
  Cell x = make_cell(Type::native, 3), y = make_cell(Type::native, 5), z = make_cell(Type::action, 3);
  EXPECT_EQ(compare_value(&x, &y, cmp::equal), -1);
  EXPECT_EQ(compare_value(&x, &x, cmp::same), 0);
  EXPECT_EQ(compare_value(&x, &z, cmp::equal), -2);
  EXPECT_EQ(compare_value(&x, &y, cmp::lesser), -2);
}

}  // namespace
}  // namespace vyn::test
