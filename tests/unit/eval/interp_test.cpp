// The interpreter: expressions, operators, words, paths and calls, and their errors.
#include <gtest/gtest.h>

#include "core/series.hpp"
#include "tests/unit/support/script.hpp"
#include "values/words/symbol.hpp"

namespace vyn::test {
namespace {

using Interp = RuntimeTest;

TEST_F(Interp, OperatorsChainLeftToRight) {
  struct Case { const char* text; int value; };
  for (Case c : {Case{"1 + 2 * 3", 9}, Case{"negate 1 + 2", -3}, Case{"1 + negate 2 * 3", -5},
                 Case{"x: 4 x * x", 16}, Case{"add 1 2", 3}, Case{"(1 + 2) * 3", 9},
                 Case{"1 + (2 * 3)", 7}, Case{"x: y: 5 x + y", 10}}) {
    Cell v = run(c.text);
    EXPECT_TRUE(v.is(Type::integer)) << c.text;
    EXPECT_EQ(v.int_value(), c.value) << c.text;
  }
}

TEST_F(Interp, WordsOfEveryKind) {
  EXPECT_TRUE(run("").is(Type::unset));
  EXPECT_TRUE(run("[]").is(Type::block));
  EXPECT_TRUE(run(":never-set").is(Type::unset));  // a get-word of an unset word: no error
  Cell w = run("'abc");
  EXPECT_TRUE(w.is(Type::word));
  EXPECT_FALSE(w.new_line());
  EXPECT_EQ(symbol::spelling(word::symbol(w)), "abc");
  EXPECT_TRUE(run("x: to lit-word! 'q x").is(Type::lit_word));  // a lit-word value stays one
  EXPECT_TRUE(run("p: 'a/b p").is(Type::path));
}

TEST_F(Interp, ErrorsOfTheEvaluator) {
  struct Case { const char* text; Err error; };
  for (Case c : {Case{"never-set", Err::script_no_value}, Case{"x:", Err::script_need_value},
                 Case{"x: ()", Err::script_need_value}, Case{"+ 1 2", Err::script_no_op_arg},
                 Case{"negate", Err::script_no_arg}, Case{"append/only/only [] 1", Err::script_dup_refine},
                 Case{"append/nothing [] 1", Err::script_no_refine}, Case{":append/only", Err::script_invalid_path_get},
                 Case{"append/1 [] 1", Err::script_bad_refine}, Case{"negate \"a\"", Err::script_expect_arg},
                 Case{"x: 1 x/y", Err::script_bad_path_type}}) {
    Cell* code = load(c.text);
    EXPECT_EQ(raised([&] { (void)interp::eval_block(*code, false); }), c.error) << c.text;
    stack::set_top(code + 1);
  }
}

TEST_F(Interp, RefinementsThroughPaths) {
  EXPECT_EQ(block::vs_length(run("append/only [] [1 2]")), 1);
  EXPECT_EQ(block::vs_length(run("append [] [1 2]")), 2);
  EXPECT_EQ(block::vs_length(run("only: true append/:only [] [1 2]")), 1);  // a true get-word: on
  EXPECT_EQ(block::vs_length(run("only: none append/:only [] [1 2]")), 2);  // none: off
  EXPECT_EQ(block::vs_length(run("x: [9 8 7] copy/part x 2")), 2);
}

TEST_F(Interp, IntegerLoopsAllocateNothing) {
  Cell* code = load("x: 0 loop 1000 [x: x + 1 if x > 5000 [x: 0]] x");
  (void)eval(code);  // the first run builds the argument lists the calls cache
  uint64_t before = alloc::memory().buffers_made;
  Cell v = eval(code);
  EXPECT_EQ(v.int_value(), 1000);
  EXPECT_EQ(alloc::memory().buffers_made, before);
}

}  // namespace
}  // namespace vyn::test
