// The routine caller: machine arguments, return types and the cells flag, which no start-up
// routine uses yet.
#include <gtest/gtest.h>

#include "tests/unit/support/script.hpp"
#include "values/callables/function.hpp"
#include "values/callables/routine.hpp"
#include "values/words/word.hpp"

namespace vyn::test {
namespace {

using RoutineCall = RuntimeTest;

// Answers in every machine form, so that the return type picks which one becomes the result.
void halve(routine::Invocation& inv) {
  inv.answer.i = inv.args[0].i / 2;
  inv.answer.f = inv.args[1].f / 2;
}
void keep_second_cell(routine::Invocation& inv) { inv.answer_cell = *inv.args[1].cell; }

void define(const char* name, const char* spec, routine::Body body, int32_t ret, bool cells) {
  static const int32_t halve_entry = routine::register_body(halve);
  static const int32_t cells_entry = routine::register_body(keep_second_cell);
  int32_t entry = body == halve ? halve_entry : cells_entry;
  stack::Mark mark;
  Cell* s = load(spec);
  function::routine_push(*s, make_none(), entry, ret, cells);
  Cell w = word::load(name);
  word::set(w, *stack::last_value());
}

TEST_F(RoutineCall, ReturnTypeMakesTheResult) {
  const char* spec = "a [integer!] b [float!]";
  define("as-int", spec, halve, static_cast<int32_t>(Type::integer), false);
  define("as-float", spec, halve, static_cast<int32_t>(Type::float_), false);
  define("as-logic", spec, halve, static_cast<int32_t>(Type::logic), false);
  define("as-none", spec, halve, -1, false);
  EXPECT_EQ(run("as-int 9 3.0").int_value(), 4);
  EXPECT_EQ(run("as-float 9 3.0").float_value(), 1.5);
  EXPECT_TRUE(run("as-logic 1 3.0").is(Type::logic));
  EXPECT_EQ(logic_of(run("as-logic 1 3.0")), 0u);
  EXPECT_EQ(logic_of(run("as-logic 2 3.0")), 1u);
  EXPECT_EQ(run("as-none 9 3.0").int_value(), 9);  // the result slot stays as it was
}

TEST_F(RoutineCall, CellsFlagPassesCellsAndAnswersACell) {
  define("second", "a [any-type!] b [any-type!]", keep_second_cell, -1, true);
  EXPECT_TRUE(run("second 1 \"x\"").is(Type::string));
  EXPECT_EQ(run("second 1 [a b]").type(), Type::block);
}

TEST_F(RoutineCall, ArgumentsAreChecked) {
  define("as-int", "a [integer!] b [float!]", halve, static_cast<int32_t>(Type::integer), false);
  EXPECT_EQ(raised([] { run("as-int 1 2"); }), Err::script_expect_arg);
  EXPECT_EQ(raised([] { run("as-int 1.0 2.0"); }), Err::script_expect_arg);
}

}  // namespace
}  // namespace vyn::test
