// function! and routine!: the spec dialect, making, the companion series, locals of `function`,
// reflection, text and identity.
#include <gtest/gtest.h>

#include "tests/unit/values/eval_text.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/callables/function.hpp"

namespace vyn::test {
namespace {

using Functions = RuntimeTest;

// The spec dialect: each spec is tried with `make function! [spec []]`.
TEST_F(Functions, SpecDialect) {
  struct Case {
    const char* spec;
    Err error;  // Err::count_: accepted
  };
  const Case cases[] = {
      {"[a [integer!] \"doc\"]", Err::count_},
      {"[a \"doc\" [integer!]]", Err::script_bad_func_def},  // doc string before the type block
      {"[return: [integer!] a]", Err::script_bad_func_def},
      {"[a return: [integer!] /local b]", Err::count_},
      {"[a return: [integer!] /ref]", Err::script_bad_func_def},
      {"[return: a]", Err::script_bad_func_def},
      {"[return: [integer!] return: [integer!]]", Err::script_bad_func_def},
      {"[x: [integer!]]", Err::script_bad_func_def},
      {"[/local a /ref]", Err::script_bad_func_def},
      {"[/local 'a]", Err::script_bad_func_def},
      {"[/ref [integer!]]", Err::script_bad_func_def},
      {"[a /ref b \"doc\" /local c d]", Err::count_},
      {"['a :b [block!] /ref c]", Err::count_},
      {"[a /A]", Err::script_dup_vars},  // symbols compare without regard to case
      {"[a /local a]", Err::script_dup_vars},
      {"[[trace catch] a]", Err::count_},
      {"[[1] a]", Err::script_bad_func_def},
      {"[a 1]", Err::script_bad_func_def},
      {"[a [1]]", Err::script_invalid_type_spec},
      {"[a [integer! none]]", Err::script_invalid_type_spec},  // a word whose value is no type
      {"[a [no-such-type!]]", Err::script_no_value},
      {"[a [number! word!]]", Err::count_},
  };
  eval_text("number!: make typeset! [integer! float!]");
  for (const Case& c : cases) {
    std::string text = std::string("make function! [") + c.spec + " []]";
    if (c.error == Err::count_) {
      EXPECT_TRUE(eval_text(text)->is(Type::function)) << c.spec;
    } else {
      EXPECT_EQ(eval_error(text), c.error) << c.spec;
    }
  }
}

TEST_F(Functions, MakeNeedsSpecAndBody) {
  for (const char* text : {"make function! [[a]]", "make function! [a [a]]", "make function! 1"})
    EXPECT_EQ(eval_error(text), Err::script_bad_func_def) << text;
}

TEST_F(Functions, TraceFlagsAndCompanion) {
  Cell f = *eval_text("make function! [[[trace] a] [a]]");
  EXPECT_EQ(f.header & (function::flag_trace | function::flag_no_trace), function::flag_trace);
  Cell g = *eval_text("make function! [[[no-trace] a] [a]]");
  EXPECT_EQ(g.header & (function::flag_trace | function::flag_no_trace), function::flag_no_trace);
  EXPECT_EQ(buffer_of(f.w3)->tail, 5 * sizeof(Cell));
  Cell* comp = function::companion(f);
  EXPECT_TRUE(comp[function::Companion::body].is(Type::block));
  EXPECT_TRUE(comp[function::Companion::entry].is(Type::unset));
  EXPECT_TRUE(comp[function::Companion::owner].is(Type::unset));
  EXPECT_EQ(function::entry_of(f), 0);
  // the context's owner cell holds the function itself
  EXPECT_EQ(reinterpret_cast<Cell*>(buffer_of(f.w1)->data())[1].w3, f.w3);
}

TEST_F(Functions, CallsBindArgumentsAndCopyTheBody) {
  EXPECT_EQ(eval_text("f: make function! [[x /twice] [either twice [x * 2] [x + 1]]] f 4")->int_value(), 5);
  EXPECT_EQ(eval_text("f/twice 4")->int_value(), 8);
  // the body is a deep copy: changing the block it was made from changes nothing
  Cell* spec = eval_text("[x]");
  Cell* body = eval_text("b: [x + [1]]");
  function::push(*spec, *body, 0, 0, 0, 0);
  Cell g = *stack::last_value();
  eval_text("append b/3 2");
  EXPECT_EQ(mold(g), "func [x][x + [1]]");
}

TEST_F(Functions, SpecStoredFromItsHead) {
  Cell* spec = eval_text("next [a b]");
  Cell* body = eval_text("[b]");
  function::push(*spec, *body, 0, 0, 0, 0);
  Cell f = *stack::last_value();
  EXPECT_EQ(mold(make_series(Type::block, f.w2)), "[b]");
  EXPECT_EQ(block::length_total(make_series(Type::block, f.w2)), 1);
}

TEST_F(Functions, ReflectMoldFormCompare) {
  eval_text("f: make function! [[a /b c] [a + c]]");
  EXPECT_EQ(mold_of("reflect :f 'spec"), "[a /b c]");
  EXPECT_EQ(mold_of("reflect :f 'body"), "[a + c]");
  EXPECT_EQ(mold_of("reflect :f 'words"), "[a b c]");
  Cell* words = eval_text("reflect :f 'words");
  EXPECT_EQ(word::context(block::cells(*words)[2]), value_of("f").w1);  // bound to the function's context
  EXPECT_EQ(eval_error("reflect :f 'class"), Err::internal_not_done);
  EXPECT_EQ(mold_of(":f"), "func [a /b c][a + c]");
  EXPECT_EQ(form_of(":f"), "?function?");
  Cell f = value_of("f"), same = f;
  Cell twin = *eval_text("make function! [[a /b c] [a + c]]");
  EXPECT_EQ(compare_value(&f, &same, cmp::equal), 0);
  EXPECT_NE(compare_value(&f, &twin, cmp::equal), 0);
  EXPECT_EQ(compare_value(&f, &twin, cmp::lesser), -2);
  Cell one = make_integer(1);
  EXPECT_EQ(compare_value(&f, &one, cmp::equal), -2);
}

TEST_F(Functions, WithoutBodyAndRoutines) {
  Cell* spec = block_of({word::load("a"), word::load("b"), word::load_unbound("r", Type::refinement)});
  function::push(*spec, make_none(), 0, 7, 0, 0);
  Cell f = *stack::last_value();
  EXPECT_EQ(mold(f), "func [a b /r] none");
  EXPECT_EQ(function::entry_of(f), 7);
  function::routine_push(*spec, make_none(), 3, -1, true);
  Cell r = *stack::last_value();
  EXPECT_EQ(function::routine_arity(r), 2);
  EXPECT_TRUE(r.header & function::routine_flag);
  EXPECT_EQ(function::companion(r)[function::Companion::owner].int_value(), -1);
  EXPECT_EQ(form(r), "?routine?");
  EXPECT_EQ(mold(r), "routine [a b /r] none");
  Cell* words = stack::push(word::load("words"));
  Cell* rv = stack::push(r);
  EXPECT_EQ(mold(*registry::entry<Action::reflect>(Type::routine)(rv, words)), "[a b r]");
}

TEST_F(Functions, CountRefinementsAndInitLocals) {
  Cell* with = eval_text("[a /local b c \"doc\" d]");
  Cell* without = eval_text("[a /r]");
  EXPECT_EQ(function::count_refinements(*with, 0, false), 4);
  EXPECT_EQ(function::count_refinements(*without, 0, false), 0);
  EXPECT_EQ(function::count_refinements(*without, 0, true), -1);
  Cell* top = stack::top();
  function::init_locals(3);
  EXPECT_EQ(stack::top() - top, 3);
  EXPECT_TRUE(top[0].is(Type::logic) && !logic_of(top[0]));
  EXPECT_TRUE(top[1].is(Type::none_) && top[2].is(Type::none_));
  function::init_locals(0);
  EXPECT_EQ(stack::top() - top, 3);
}

struct SplitCase {
  const char* spec;
  const char* body;
  const char* spec_after;
  const char* collected;
};

TEST_F(Functions, SplitSpecCollectsLocals) {
  const SplitCase cases[] = {
      {"[]", "[x: 1 foreach [k v] blk [] repeat i 3 []]", "[/local x k v i]", "[x k v i]"},
      {"[a]", "[a: 1 b: 2 (c: 3) [d: 4]]", "[a /local b c d]", "[b c d]"},
      {"[/local b]", "[b: 1 c: 2 b: 3]", "[/local b c]", "[c]"},
      {"[/extern x]", "[x: 1 y: 2]", "[/local y]", "[y]"},
      {"[a /extern x /local q]", "[x: 1]", "[a /local q]", "[q]"},
      {"[]", "[remove-each w list [] foreach :z s []]", "[/local w]", "[w]"},
      {"[]", "[local: 1 n: 2]", "[/local n]", "[n]"},
      {"[]", "[1 + 2]", "[]", "[]"},
  };
  for (const SplitCase& c : cases) {
    Cell* spec = eval_text(c.spec);
    Cell* body = eval_text(c.body);
    Cell* collected = function::split_spec(*spec, *body);
    EXPECT_EQ(mold(*spec), c.spec_after) << c.spec << " " << c.body;
    EXPECT_EQ(mold(*collected), c.collected) << c.spec << " " << c.body;
  }
  Cell* spec = eval_text("[/extern 1]");
  Cell* body = eval_text("[x: 1]");
  EXPECT_EQ(raised([&] { function::split_spec(*spec, *body); }), Err::script_bad_func_extern);
}

TEST_F(Functions, SplitSpecOnSelfContainingBody) {
  Cell* spec = eval_text("[]");
  Cell* body = eval_text("b: [x: 1] append/only b b b");
  Cell* collected = function::split_spec(*spec, *body);
  EXPECT_EQ(mold(*collected), "[x]");
}

}  // namespace
}  // namespace vyn::test
