// Symbols, contexts, words and the predefined vocabulary.
#include <gtest/gtest.h>

#include "values/frames.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/context.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::test {
namespace {

using Words = RuntimeTest;

// A new context is held by nothing: an object! on the value stack keeps it from the collector.
NodeId held(NodeId ctx) {
  stack::push(make_cell(Type::object, ctx));
  return ctx;
}

TEST_F(Words, CaseVariantsAreAliasesOfTheFirstSpelling) {
  uint32_t foo = symbol::make("foo");
  uint32_t Foo = symbol::make("Foo");
  uint32_t FOO = symbol::make("FOO");
  EXPECT_NE(foo, Foo);
  EXPECT_EQ(symbol::alias_of(foo), -1);
  EXPECT_EQ(symbol::alias_of(Foo), static_cast<int32_t>(foo));
  EXPECT_EQ(symbol::resolve(FOO), foo);
  EXPECT_EQ(symbol::resolve(foo), foo);
  EXPECT_EQ(symbol::make("foo"), foo);
  int32_t before = symbol::count();
  EXPECT_EQ(symbol::make_alt("FoO"), foo);
  EXPECT_EQ(symbol::count(), before);
  uint32_t lower = symbol::make("\xC3\xA4");  // a-umlaut
  uint32_t upper = symbol::make("\xC3\x84");
  EXPECT_EQ(symbol::resolve(upper), upper);  // only ASCII letters fold
  EXPECT_NE(lower, upper);
  EXPECT_EQ(symbol::spelling(Foo), "Foo");
  EXPECT_EQ(string::to_utf8(make_series(Type::string, symbol::ensure_string(lower))), "\xC3\xA4");
}

TEST_F(Words, SpecMakesSlotsInOrder) {
  Cell* spec = block_of({word::load_as("a", Type::word), *string_of("doc"),
                         word::load_as("ref", Type::refinement), word::load_as("b", Type::word),
                         *block_of({word::load("integer!")}), word::load_as("A", Type::get_word)});
  NodeId ctx = held(context::make_from_spec(*spec, false, true, context::Kind::object));
  EXPECT_EQ(context::slot_count(ctx), 3);  // A shares a's slot
  EXPECT_EQ(symbol::spelling(word::symbol(*context::word_at(ctx, 0))), "a");
  EXPECT_EQ(symbol::spelling(word::symbol(*context::word_at(ctx, 1))), "ref");
  EXPECT_EQ(symbol::spelling(word::symbol(*context::word_at(ctx, 2))), "b");
  EXPECT_EQ(word::context(*context::word_at(ctx, 2)), ctx);
  EXPECT_EQ(context::find_word(ctx, symbol::make("B"), true), 2);
  EXPECT_EQ(context::find_word(ctx, symbol::make("B"), false), -1);
}

TEST_F(Words, GlobalWordsReadAndWrite) {
  Cell w = word::load("answer");
  EXPECT_EQ(word::context(w), context::global());
  EXPECT_EQ(raised([&] { word::get(w); }), Err::script_no_value);
  word::set(w, make_integer(42));
  EXPECT_EQ(word::get(w)->int_value(), 42);
  Cell variant = word::load("ANSWER");  // a case variant reads the same slot
  EXPECT_EQ(word::get(variant)->int_value(), 42);
  EXPECT_EQ(symbol::spelling(word::symbol(variant)), "ANSWER");
  Cell* args = stack::push(w);
  stack::push(make_unset());
  stack::set_arguments(args);
  EXPECT_EQ(raised([] { word::set_from_arg(); }), Err::script_need_value);
}

TEST_F(Words, BindingFollowsTheContextAndSelf) {
  Cell* spec = block_of({word::load_as("x", Type::word)});
  NodeId ctx = held(context::make_from_spec(*spec, false, true, context::Kind::object));
  *context::owner(ctx) = make_cell(Type::object, ctx);
  Cell x = word::load("x");
  Cell self = word::load("self");
  Cell y = word::load("y");
  Cell* body = block_of({x, self, y});
  block::append_copy(*body, *body);  // contains itself
  context::bind_block(*body, ctx, true);
  Cell* items = block::cells(*body);
  EXPECT_EQ(word::context(items[0]), ctx);
  EXPECT_EQ(word::context(items[1]), ctx);
  EXPECT_EQ(word::index(items[1]), -1);
  EXPECT_EQ(word::context(items[2]), context::global());
  EXPECT_TRUE(word::value_cell(items[1])->is(Type::object));  // self is the owner
  word::set(items[0], make_integer(7));
  EXPECT_TRUE(context::word_at(ctx, 0)->header & Cell::flag_word_set);
  EXPECT_EQ(context::values(ctx)[0].int_value(), 7);
  Cell global_self = self;
  EXPECT_EQ(raised([&] { word::get(global_self); }), Err::script_no_value);
}

TEST_F(Words, FunctionArgumentsExistOnlyWhileTheCallRuns) {
  Cell* spec = block_of({word::load_as("arg", Type::word)});
  NodeId ctx = held(context::make_from_spec(*spec, true, false, context::Kind::function));
  Cell arg = *context::word_at(ctx, 0);
  stack::mark_func(nullptr, ctx);
  stack::push(make_integer(5));
  stack::mark_func_body(nullptr, ctx);
  EXPECT_EQ(word::value_cell(arg)->int_value(), 5);
  stack::unwind();
  stack::unwind_func();
  EXPECT_EQ(raised([&] { word::value_cell(arg); }), Err::script_not_in_context);
  EXPECT_EQ(raised([&] { word::get_local(ctx, 0); }), Err::script_not_defined);
}

TEST_F(Words, ComparisonByCode) {
  Cell abc = word::load("abc"), ABC = word::load("ABC");
  Cell get_abc = abc;
  get_abc.set_type(Type::get_word);
  Cell lit_abc = abc;
  lit_abc.set_type(Type::lit_word);
  struct Case { Cell a, b; int op, answer; };
  for (Case c : {Case{abc, ABC, cmp::equal, 0}, Case{abc, ABC, cmp::strict_equal, 1},
                 Case{abc, get_abc, cmp::equal, 0}, Case{abc, get_abc, cmp::strict_equal, 1},
                 Case{abc, abc, cmp::same, 0}, Case{abc, ABC, cmp::same, 1},
                 Case{abc, lit_abc, 10, 0}, Case{abc, ABC, 11, 0}, Case{abc, get_abc, 11, 1},
                 Case{abc, make_integer(1), cmp::equal, -2},
                 Case{word::load("apple"), word::load("Banana"), cmp::lesser, -1},
                 Case{word::load("b"), word::load("A"), cmp::case_sort, 1}}) {
    EXPECT_EQ(compare_value(&c.a, &c.b, c.op), c.answer) << c.op;
  }
}

TEST_F(Words, MoldFormAndIndex) {
  struct Case { Type type; const char* mold; };
  for (Case c : {Case{Type::word, "a"}, Case{Type::lit_word, "'a"}, Case{Type::set_word, "a:"},
                 Case{Type::get_word, ":a"}, Case{Type::refinement, "/a"}}) {
    Cell w = word::load_as("a", c.type);
    EXPECT_EQ(mold(w), c.mold);
    EXPECT_EQ(form(w), "a");
  }
  Cell* spec = block_of({word::load("p"), word::load("q"), word::load("r"), word::load("s"),
                         word::load("t")});
  NodeId ctx = held(context::make_from_spec(*spec, false, true, context::Kind::object));
  Cell* args = stack::push(*context::word_at(ctx, 4));
  registry::entry<Action::index_q>(Type::word)(args);
  EXPECT_EQ(args->int_value(), 5);
  *args = make_cell(Type::word, 0, symbol::make("free"), static_cast<uint32_t>(-1));
  registry::entry<Action::index_q>(Type::word)(args);
  EXPECT_TRUE(args->is(Type::none_));
  EXPECT_EQ(registry::entry<Action::index_q>(Type::refinement), nullptr);
}

TEST_F(Words, ToWord) {
  auto to = registry::entry<Action::to>(Type::word);
  Cell* spec = stack::push(make_datatype(Type::integer));
  Cell* r = to(spec, spec, Type::word);
  EXPECT_EQ(symbol::spelling(word::symbol(*r)), "integer!");
  EXPECT_EQ(word::context(*r), context::global());
  Cell* t = stack::push(make_logic(true));
  EXPECT_EQ(symbol::spelling(word::symbol(*to(t, t, Type::set_word))), "true");
  Cell* s = stack::push(word::load_as("x", Type::get_word));
  s->set_new_line(true);
  Cell* w = to(s, s, Type::lit_word);
  EXPECT_TRUE(w->is(Type::lit_word));
  EXPECT_FALSE(w->new_line());  // the header is replaced whole
  Cell* n = stack::push(make_integer(3));
  EXPECT_EQ(raised([&] { to(n, n, Type::word); }), Err::script_bad_to_arg);
}

TEST_F(Words, PredefinedVocabulary) {
  using predefined::W;
  const Cell& body = predefined::word(W::body);
  EXPECT_EQ(symbol::spelling(word::symbol(body)), "<body>");
  EXPECT_EQ(word::context(body), context::global());
  EXPECT_EQ(predefined::symbol(predefined::S::self), word::symbol(word::load("self")));
  EXPECT_EQ(predefined::symbol(predefined::S::code), predefined::symbol(predefined::S::code_2));
  EXPECT_EQ(word::symbol(predefined::word(W::throw_)), word::symbol(predefined::word(W::throw_2)));
  EXPECT_EQ(word::context(predefined::refinement(predefined::R::part)), 0u);
  EXPECT_EQ(symbol::spelling(word::symbol(registry::type_word(Type::point3D))), "point3D!");
}

}  // namespace
}  // namespace vyn::test
