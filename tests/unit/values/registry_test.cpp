// The datatype registry, and the datatype!, unset!, none! and logic! entries.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/unit/support/runtime_fixture.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/logic.hpp"

namespace vyn::test {
namespace {

using Registry = RuntimeTest;

TEST_F(Registry, EveryTypeRegisteredWithItsParent) {
  EXPECT_EQ(registry::highest_type(), 54);
  struct Case { Type type, parent; const char* name; };
  for (Case c : {Case{Type::datatype, Type::nothing, "datatype!"}, Case{Type::block, Type::series, "block!"},
                 Case{Type::binary, Type::string, "binary!"}, Case{Type::char_, Type::integer, "char!"},
                 Case{Type::file, Type::url, "file!"}, Case{Type::routine, Type::function, "routine!"},
                 Case{Type::error, Type::object, "error!"}, Case{Type::image, Type::series, "image!"},
                 Case{Type::event, Type::nothing, "event!"}, Case{Type::point2D, Type::nothing, "point2D!"}}) {
    EXPECT_TRUE(registry::registered(c.type)) << c.name;
    EXPECT_EQ(registry::parent_of(c.type), c.parent) << c.name;
    EXPECT_STREQ(registry::type_name(c.type), c.name);
  }
  EXPECT_EQ(registry::type_name_length(Type::integer), 7);
  EXPECT_STREQ(registry::action_word(Action::xor_t), "xor~");
  EXPECT_STREQ(registry::action_word(Action::compare), "");
}

int32_t fake_form(Cell*, Cell*, Cell*, int32_t limit) { return limit - 1; }
int32_t other_form(Cell*, Cell*, Cell*, int32_t limit) { return limit - 2; }

TEST_F(Registry, InheritedEntriesAreCopiedAtRegistration) {
  using registry::def;
  using registry::inherit;
  registry::define(Type::string, {def<Action::form>(fake_form)});
  registry::define(Type::url, {inherit(Action::form)});
  registry::define(Type::file, {inherit(Action::form), inherit(Action::mold)});
  EXPECT_EQ(registry::entry<Action::form>(Type::file), fake_form);
  EXPECT_EQ(registry::entry<Action::mold>(Type::file), nullptr);  // the parent had none
  // changing the parent later leaves the children as they were
  registry::define(Type::string, {def<Action::form>(other_form)});
  EXPECT_EQ(registry::entry<Action::form>(Type::file), fake_form);
  // a slot a type does not list has no entry, even where its parent has one
  EXPECT_NE(registry::entry<Action::pick>(Type::series), nullptr);
  EXPECT_EQ(registry::entry<Action::pick>(Type::block), registry::entry<Action::pick>(Type::series));
  EXPECT_EQ(registry::entry<Action::form>(Type::series), nullptr);
}

TEST_F(Registry, FormAndMoldOfTheSmallTypes) {
  struct Case { Cell value; const char* form; const char* mold; const char* mold_all; };
  for (Case c : {Case{make_datatype(Type::integer), "integer", "integer!", "#(integer!)"},
                 Case{make_datatype(Type::point2D), "point2D", "point2D!", "#(point2D!)"},
                 Case{make_unset(), "", "unset", "#(unset)"},
                 Case{make_none(), "none", "none", "#(none)"},
                 Case{make_logic(true), "true", "true", "#(true)"},
                 Case{make_logic(false), "false", "false", "#(false)"}}) {
    EXPECT_EQ(form(c.value), c.form);
    EXPECT_EQ(mold(c.value), c.mold);
    EXPECT_EQ(mold(c.value, true), c.mold_all);
  }
}

TEST_F(Registry, FormReducesTheLimitByWhatItWrites) {
  Cell* value = stack::push(make_datatype(Type::block));
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  EXPECT_EQ(registry::entry<Action::form>(Type::datatype)(value, buffer, nullptr, 100), 95);
  MoldOptions all;
  all.all = true;
  EXPECT_EQ(registry::entry<Action::mold>(Type::datatype)(value, buffer, all, nullptr, 100), 91);
}

TEST_F(Registry, Comparisons) {
  struct Case { Cell a, b; int op, answer; };
  Cell i1 = make_datatype(Type::integer), i2 = make_datatype(Type::integer), b = make_datatype(Type::block);
  for (Case c : {Case{i1, i2, cmp::equal, 0}, Case{i1, b, cmp::equal, 1}, Case{i1, make_integer(1), cmp::equal, 1},
                 Case{i1, b, cmp::lesser, -2}, Case{i1, i2, cmp::sort, -2}, Case{i1, i2, cmp::same, 0},
                 Case{make_none(), make_none(), cmp::find, 0}, Case{make_none(), make_unset(), cmp::equal, -2},
                 Case{make_none(), make_none(), cmp::lesser, -2}, Case{make_unset(), make_unset(), cmp::sort, 0},
                 Case{make_logic(false), make_logic(true), cmp::sort, -1},
                 Case{make_logic(true), make_logic(false), cmp::equal, 1},
                 Case{make_logic(true), make_none(), cmp::equal, -2}}) {
    EXPECT_EQ(compare_value(&c.a, &c.b, c.op), c.answer) << "op " << c.op;
  }
}

TEST_F(Registry, MakeAndToLogic) {
  struct Case { Action action; Cell spec; bool result; };
  for (Case c : {Case{Action::to, make_integer(0), true}, Case{Action::to, make_none(), false},
                 Case{Action::to, make_logic(false), false}, Case{Action::make, make_integer(0), false},
                 Case{Action::make, make_integer(-3), true}, Case{Action::make, make_float(0.0), false},
                 Case{Action::make, make_float(std::nan("")), true}, Case{Action::make, make_none(), false}}) {
    Cell* proto = stack::push(make_datatype(Type::logic));
    Cell* spec = stack::push(c.spec);
    auto fn = c.action == Action::to ? registry::entry<Action::to>(Type::logic)
                                     : registry::entry<Action::make>(Type::logic);
    Cell* r = fn(proto, spec, Type::logic);
    EXPECT_TRUE(r->is(Type::logic));
    EXPECT_EQ(logic_of(*r) == 1, c.result);
  }
  Cell* spec = stack::push(make_integer(5));
  EXPECT_TRUE(registry::entry<Action::make>(Type::none_)(spec, spec, Type::none_)->is(Type::none_));
  EXPECT_TRUE(registry::entry<Action::to>(Type::unset)(spec, spec, Type::unset)->is(Type::unset));
}

TEST_F(Registry, LogicBitwiseAndComplement) {
  Cell* args = stack::push(make_logic(true));
  stack::push(make_logic(false));
  registry::entry<Action::xor_t>(Type::logic)(args);
  EXPECT_EQ(logic_of(*args), 1u);
  registry::entry<Action::complement>(Type::logic)(args);
  EXPECT_EQ(logic_of(*args), 0u);
  args[1] = make_integer(1);
  EXPECT_EQ(raised([&] { registry::entry<Action::and_t>(Type::logic)(args); }), Err::script_expect_arg);
}

TEST_F(Registry, TruthAndChecks) {
  EXPECT_TRUE(logic::truthy(make_integer(0)));
  EXPECT_TRUE(logic::truthy(make_unset()));
  EXPECT_FALSE(logic::truthy(make_none()));
  EXPECT_FALSE(logic::truthy(make_logic(false)));
  EXPECT_EQ(raised([] { logic::true_value(make_unset(), true, make_none()); }), Err::script_no_value);
  *stack::arguments() = make_unset();
  stack::set_top(stack::arguments() + 1);
  EXPECT_FALSE(logic::result_false());
  EXPECT_EQ(raised([] { logic::result_true(); }), Err::script_no_return);
  *stack::arguments() = make_none();
  EXPECT_TRUE(logic::last_false());
}

TEST_F(Registry, NoneAnswersNoneToSeriesActions) {
  Cell* none = stack::push(make_none());
  EXPECT_EQ(registry::entry<Action::length_q>(Type::none_)(none), -1);
  EXPECT_TRUE(registry::entry<Action::select>(Type::none_)(none, none, FindOptions{})->is(Type::none_));
  EXPECT_TRUE(registry::entry<Action::take>(Type::none_)(none, nullptr, false, false)->is(Type::none_));
}

}  // namespace
}  // namespace vyn::test
