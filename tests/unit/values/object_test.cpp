// object!: making from specs and prototypes, class ids, fields through paths, select and put,
// on-change*, reflection, modify, copy, text and comparison.
#include <gtest/gtest.h>

#include "tests/unit/values/eval_text.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"

namespace vyn::test {
namespace {

using Objects = RuntimeTest;

int32_t class_of(const char* word) { return static_cast<int32_t>(object::class_id(value_of(word))); }

TEST_F(Objects, ClassIds) {
  eval_text("spec: [a: 1] p: make object! spec q: make object! spec");
  eval_text("same-fields: make p [a: 2] more: make p [b: 3] from-obj: make p q");
  EXPECT_GT(class_of("p"), 1000000);
  EXPECT_NE(class_of("p"), class_of("q"));
  EXPECT_EQ(class_of("same-fields"), class_of("p"));
  EXPECT_NE(class_of("more"), class_of("p"));
  EXPECT_EQ(class_of("from-obj"), class_of("p"));
  EXPECT_EQ(eval_text("same-fields/a")->int_value(), 2);
  EXPECT_EQ(eval_text("p/a")->int_value(), 1);
}

TEST_F(Objects, PrototypeSeriesAreNotShared) {
  eval_text("p: make object! [b: [1 [2]] s: \"ab\" f: make function! [[] [b]]]");
  eval_text("c: make p [] append c/b 3 append c/b/2 4 append c/s \"c\"");
  EXPECT_EQ(mold_of("p/b"), "[1 [2]]");
  EXPECT_EQ(mold_of("p/s"), "\"ab\"");
  EXPECT_EQ(mold_of("c/b"), "[1 [2 4] 3]");
  // the copied function reads the copy's field
  EXPECT_EQ(mold_of("c/f"), "[1 [2 4] 3]");
  EXPECT_EQ(mold_of("p/f"), "[1 [2]]");
  // a spec object: its series are copied, its functions rebound
  eval_text("d: make object! c append c/b 5");
  EXPECT_EQ(mold_of("d/b"), "[1 [2 4] 3]");
}

TEST_F(Objects, SelfAndEvaluation) {
  eval_text("o: make object! [a: 1 b: a + 1 me: self]");
  EXPECT_EQ(eval_text("o/b")->int_value(), 2);
  EXPECT_EQ(object::context(value_of("o")), object::context(*eval_text("o/me")));
  EXPECT_EQ(object::context(*eval_text("o/self")), object::context(value_of("o")));
  EXPECT_EQ(eval_error("o/self: 1"), Err::script_invalid_path);
  EXPECT_EQ(eval_error("make object! 1"), Err::syntax_malconstruct);
}

TEST_F(Objects, PathsSelectAndPut) {
  eval_text("o: make object! [a: 1 u: none]");
  eval_text("o/A: 5");  // fields are found without regard to case
  EXPECT_EQ(eval_text("o/a")->int_value(), 5);
  EXPECT_EQ(eval_error("o/zz"), Err::script_unset_path);
  EXPECT_EQ(eval_error("o/zz: 1"), Err::script_invalid_path);
  EXPECT_EQ(eval_error("o/1"), Err::script_invalid_path);
  EXPECT_TRUE(eval_text("select o 'zz")->is(Type::none_));
  EXPECT_EQ(eval_text("select o 'a")->int_value(), 5);
  EXPECT_EQ(eval_error("select o 1"), Err::script_invalid_type);
  EXPECT_EQ(eval_text("put o 'a 7")->int_value(), 7);
  EXPECT_EQ(eval_text("o/a")->int_value(), 7);
  EXPECT_EQ(eval_error("put o \"a\" 7"), Err::script_invalid_key_type);
  Cell* o = stack::push(value_of("o"));
  Cell* unset_field = stack::push(word::load("u"));
  context::values(object::context(*o))[1] = make_unset();
  PathStep step;
  EXPECT_EQ(raised([&] { object::eval_path(o, unset_field, nullptr, step); }), Err::script_unset_path);
}

TEST_F(Objects, OnChangeHearsFieldChanges) {
  eval_text("log: [] o: make object! [a: 1 b: 2 on-change*: make function! [[w old new] [append log w append log old append log new]]]");
  eval_text("o/a: 10 put o 'b 20");
  EXPECT_EQ(mold_of("log"), "[a 1 10 b 2 20]");
  // a word bound to the object notifies too
  eval_text("clear log");
  Cell a = word::make(Type::word, word::symbol(word::load("a")), object::context(value_of("o")), 0);
  word::set(a, make_integer(11));
  EXPECT_EQ(mold_of("log"), "[a 10 11]");
  EXPECT_EQ(eval_text("o/a")->int_value(), 11);
}

TEST_F(Objects, SetOnAnObject) {
  eval_text("log: [] o: make object! [a: 1 b: 2 on-change*: make function! [[w old new] [append log w]]]");
  Cell* o = stack::push(value_of("o"));
  Cell* src = eval_text("[5 6 7]");
  object::transfer(o, src, false, false, false);
  EXPECT_EQ(eval_text("o/a")->int_value(), 5);
  EXPECT_EQ(eval_text("o/b")->int_value(), 6);
  // setting on-change* itself through set tells nobody
  EXPECT_EQ(mold_of("log"), "[a b]");
  EXPECT_TRUE(eval_text("o/on-change*")->is(Type::integer));
  Cell* short_src = block_of({make_unset()});
  Cell* p = stack::push(*eval_text("make object! [x: 1 y: 2]"));
  EXPECT_EQ(raised([&] { object::transfer(p, short_src, false, false, false); }), Err::script_need_value);
  Cell* nones = block_of({make_none(), make_integer(9)});
  object::transfer(p, nones, false, false, true);  // some: none! values are skipped
  EXPECT_EQ(mold(*p), "make object! [\n    x: 1\n    y: 9\n]");
  Cell* one = stack::push(make_integer(4));
  object::transfer(p, one, false, false, false);
  EXPECT_EQ(mold(*p), "make object! [\n    x: 4\n    y: 4\n]");
}

TEST_F(Objects, EventsRecord) {
  EXPECT_EQ(eval_error("make object! [on-change*: 1]"), Err::script_bad_field_set);
  Cell o = *eval_text("make object! [a: 1 on-change*: make function! [[w o n /local x y] []]]");
  ASSERT_NE(object::events(o), 0u);
  Cell* events = reinterpret_cast<Cell*>(buffer_of(object::events(o))->data());
  EXPECT_EQ(object::entry_packed(events[0]), (1u << 16) | 3u);  // field 1, /local x y: three slots
  EXPECT_EQ(object::entry_field(events[1]), object::absent_handler);  // no on-deep-change*
  EXPECT_EQ(object::events(*eval_text("make object! [a: 1]")), 0u);
  EXPECT_TRUE(logic_of(*eval_text("reflect o2: make object! [on-change*: make function! [[w o n] []]] 'events?")));
  // a handler field that no longer holds a function
  eval_text("o3: make object! [h: 1 on-change*: make function! [[w o n] []]]");
  EXPECT_EQ(eval_error("o3/on-change*: none"), Err::script_invalid_obj_evt);
  EXPECT_EQ(eval_error("o3/h: 2"), Err::script_invalid_obj_evt);
}

TEST_F(Objects, Reflection) {
  eval_text("o: make object! [a: 'w b: 'p/q c: 3]");
  EXPECT_EQ(mold_of("reflect o 'words"), "[a b c]");
  EXPECT_EQ(mold_of("reflect o 'values"), "[w p/q 3]");
  EXPECT_EQ(mold_of("reflect o 'body"), "[\n    a: 'w\n    b: 'p/q\n    c: 3\n]");
  Cell* body = eval_text("reflect o 'body");
  EXPECT_TRUE(block::cells(*body)[1].is(Type::lit_word));
  EXPECT_TRUE(block::cells(*body)[3].is(Type::lit_path));
  EXPECT_EQ(word::context(block::cells(*body)[0]), object::context(value_of("o")));
  EXPECT_EQ(eval_text("reflect o 'class")->int_value(), class_of("o"));
  EXPECT_FALSE(logic_of(*eval_text("reflect o 'owner")));
  EXPECT_FALSE(logic_of(*eval_text("reflect o 'events?")));
  EXPECT_EQ(eval_error("reflect o 'spec"), Err::internal_not_done);
  EXPECT_EQ(mold_of("reflect o 'changed"), "[]");
  eval_text("o/c: 4 o/a: 1");
  EXPECT_EQ(mold_of("reflect o 'changed"), "[a c]");
  eval_text("modify o 'changed none");
  EXPECT_EQ(mold_of("reflect o 'changed"), "[]");
  EXPECT_EQ(eval_error("modify o 'changed 1"), Err::script_invalid_arg);
  eval_text("modify o 'owner true");
  EXPECT_TRUE(logic_of(*eval_text("reflect o 'owner")));
}

TEST_F(Objects, MoldAndForm) {
  eval_text("o: make object! [a: 1 s: \"x\" w: 'v n: make object! [b: [1 2]] on-change*: make function! [[w o n] []]]");
  EXPECT_EQ(mold_of("o"),
            "make object! [\n    a: 1\n    s: \"x\"\n    w: 'v\n    n: make object! [\n        b: [1 2]\n    ]\n]");
  EXPECT_EQ(mold_of("o/n"), "make object! [\n    b: [1 2]\n]");
  EXPECT_EQ(form_of("o/n"), "b: [1 2]");
  EXPECT_EQ(form_of("make object! [a: 1 b: 2]"), "a: 1\nb: 2");
  EXPECT_EQ(mold_of("make object! []"), "make object! []");
  EXPECT_EQ(form_of("make object! []"), "");
  EXPECT_EQ(eval_text("mold/flat o/n")->is(Type::string), true);
  EXPECT_EQ(string::to_utf8(*eval_text("mold/flat make object! [a: 1 b: [2]]")), "make object! [a: 1 b: [2]]");
  EXPECT_EQ(string::to_utf8(*eval_text("mold/all make object! [on-change*: make function! [[w o n] []]]")),
            "make object! [\n    on-change*: func [w o n][]\n]");
  // an object that holds itself
  eval_text("r: make object! [me: none] r/me: r");
  EXPECT_EQ(mold_of("r"), "make object! [\n    me: make object! [...]\n]");
}

TEST_F(Objects, Comparison) {
  Cell a = *eval_text("make object! [x: 1 y: \"s\"]");
  Cell b = *eval_text("make object! [x: 1 y: \"S\"]");
  Cell c = *eval_text("make object! [x: 1 z: \"s\"]");
  Cell d = *eval_text("make object! [x: 1]");
  Cell e = *eval_text("make object! [x: 1.0 y: \"s\"]");
  EXPECT_EQ(compare_value(&a, &b, cmp::equal), 0);
  EXPECT_NE(compare_value(&a, &b, cmp::strict_equal), 0);
  EXPECT_EQ(compare_value(&a, &a, cmp::same), 0);
  EXPECT_EQ(compare_value(&a, &b, cmp::same), -1);
  EXPECT_EQ(compare_value(&a, &c, cmp::equal), -1);   // y before z
  EXPECT_EQ(compare_value(&d, &a, cmp::equal), -1);   // fewer fields
  EXPECT_EQ(compare_value(&a, &e, cmp::equal), 0);    // numbers compare across types
  Cell one = make_integer(1);
  EXPECT_EQ(compare_value(&a, &one, cmp::equal), -2);
  eval_text("r1: make object! [me: none] r1/me: r1 r2: make object! [me: none] r2/me: r2");
  Cell r1 = value_of("r1"), r2 = value_of("r2");
  EXPECT_EQ(compare_value(&r1, &r2, cmp::equal), 0);
}

TEST_F(Objects, Copy) {
  eval_text("o: make object! [b: [1 [2]] f: make function! [[] [b]]]");
  eval_text("c: copy o d: copy/deep o append o/b 3 append o/b/2 4");
  EXPECT_EQ(mold_of("c/b"), "[1 [2 4] 3]");
  EXPECT_EQ(mold_of("d/b"), "[1 [2]]");
  EXPECT_EQ(mold_of("d/f"), "[1 [2]]");
  EXPECT_NE(object::context(value_of("c")), object::context(value_of("o")));
  EXPECT_EQ(class_of("c"), class_of("o"));
  EXPECT_EQ(eval_error("copy/part o 1"), Err::script_invalid_refine_arg);
}

TEST_F(Objects, Construct) {
  Cell* spec = eval_text("[a: b: 1 c: true d: off e: none f: word g:]");
  Cell* o = object::make_push(*spec, nullptr, false);
  EXPECT_EQ(mold(*o), "make object! [\n    a: 1\n    b: 1\n    c: true\n    d: false\n    e: none\n    f: 'word\n    g: none\n]");
  EXPECT_GT(object::class_id(*o), object::first_class_id);
  Cell* kept = object::make_push(*eval_text("[c: true]"), nullptr, true);
  EXPECT_EQ(mold(*kept), "make object! [\n    c: 'true\n]");
  Cell* derived = object::make_push(*eval_text("[x: 2]"), o, false);
  EXPECT_EQ(form(*derived), "a: 1\nb: 1\nc: true\nd: false\ne: none\nf: 'word\ng: none\nx: 2");
}

}  // namespace
}  // namespace vyn::test
