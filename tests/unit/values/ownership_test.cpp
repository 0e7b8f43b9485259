// The owners table: series held in an owner object's fields tell its on-deep-change* of changes
// made to them in place.
#include <gtest/gtest.h>

#include "core/gc.hpp"
#include "tests/unit/values/eval_text.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/objects/ownership.hpp"

namespace vyn::test {
namespace {

using Ownership = RuntimeTest;

// An owner whose on-deep-change* logs each notice as word action index part, and keeps the owner
// and target it was given.
void make_owner() {
  eval_text(
      "log: [] o: make object! [list: [1 [2 [3]]] text: \"ab\" "
      "on-change*: make function! [[w o n] []] "
      "on-deep-change*: make function! [[owner word target action new index part] ["
      "last-owner: owner last-target: target "
      "append log word append log action append log index append log part]]]");
}

TEST_F(Ownership, AppendTellsTheOwnerBeforeAndAfter) {
  make_owner();
  eval_text("append o/list 9");
  EXPECT_EQ(mold_of("log"), "[list append 2 1 list appended 2 1]");
  EXPECT_EQ(object::context(value_of("last-owner")), object::context(value_of("o")));
  EXPECT_EQ(series_node(value_of("last-target")), series_node(*eval_text("o/list")));
  // two levels down: the same owner, the same field word
  eval_text("clear log append o/list/2/2 4");
  EXPECT_EQ(mold_of("log"), "[list append 1 1 list appended 1 1]");
  eval_text("clear log append o/text \"c\"");
  EXPECT_EQ(mold_of("log"), "[text append 2 1 text appended 2 1]");
  EXPECT_TRUE(logic_of(*eval_text("reflect o 'owner")));
}

TEST_F(Ownership, ActionWordsAndPastForms) {
  struct Case {
    const char* code;
    const char* log;
  };
  const Case cases[] = {
      {"insert o/list 0", "[list insert 0 1 list inserted 0 1]"},
      {"clear next o/list", "[list clear 1 0 list cleared 1 0]"},
      {"remove o/list", "[list remove 0 1 list removed 0 1]"},
      {"poke o/list 1 5", "[list poke 0 1 list poked 0 1]"},
  };
  for (const Case& c : cases) {
    make_owner();
    eval_text(c.code);
    EXPECT_EQ(mold_of("log"), c.log) << c.code;
  }
}

TEST_F(Ownership, NewValueAndCheck) {
  eval_text("seen: none o: make object! [list: [] on-deep-change*: make function! "
            "[[owner word target action new index part] [seen: new]]]");
  Cell* list = eval_text("o/list");
  Cell* added = eval_text("\"x\"");
  EXPECT_TRUE(ownership::check(*list, word::load("append"), added, 0, 1));
  EXPECT_EQ(mold_of("seen"), "\"x\"");
  EXPECT_TRUE(ownership::check(*list, word::load("clear"), nullptr, 0, 0));
  EXPECT_TRUE(value_of("seen").is(Type::none_));
}

TEST_F(Ownership, FirstOwnerKeepsTheSeries) {
  eval_text("shared: [1] log: [] "
            "mk: make function! [[tag] [make object! [list: shared t: tag "
            "on-deep-change*: make function! [[owner word target action new index part] [append log owner/t]]]]] "
            "a: mk 'first b: mk 'second append shared 2");
  EXPECT_EQ(mold_of("log"), "[first first]");
}

TEST_F(Ownership, SelfContainingBlockAndUnbind) {
  eval_text("b: [1] append/only b b log: [] "
            "o: make object! [list: b on-change*: make function! [[w o n] []] "
            "on-deep-change*: make function! [[owner word target action new index part] [append log action]]]");
  eval_text("append o/list 2");
  EXPECT_EQ(mold_of("log"), "[append appended]");
  // unbinding walks the same cycle and ends
  eval_text("clear log modify o 'owned none append o/list 3");
  EXPECT_EQ(mold_of("log"), "[]");
  EXPECT_EQ(ownership::get(series_node(*eval_text("o/list"))), nullptr);
  // and binding again through modify with [owner word]
  Cell* o = stack::push(value_of("o"));
  Cell* field = stack::push(word::load("owned"));
  Cell* how = block_of({*o, word::load("list")});
  registry::entry<Action::modify>(Type::object)(o, field, how, false);
  eval_text("append o/list 4");
  EXPECT_EQ(mold_of("log"), "[append appended]");
}

TEST_F(Ownership, DeepHandlerAloneRegisters) {
  eval_text("log: [] o: make object! [list: [] "
            "on-deep-change*: make function! [[owner word target action new index part] [append log action]]]");
  eval_text("append o/list 1");
  EXPECT_EQ(mold_of("log"), "[append appended]");
}

TEST_F(Ownership, ObjectsWithoutHandlersOwnNothing) {
  eval_text("o: make object! [list: [1]]");
  EXPECT_EQ(ownership::get(series_node(*eval_text("o/list"))), nullptr);
  EXPECT_FALSE(ownership::check(*eval_text("o/list"), word::load("append"), nullptr, 0, 1));
  EXPECT_EQ(eval_text("append o/list 2 length? o/list")->int_value(), 2);
}

TEST_F(Ownership, DeadOwnerIsForgotten) {
  Cell* top = stack::top();  // the code bound to the object goes with it
  eval_text("log: [] keep: none "
            "o: make object! [list: [1] on-change*: make function! [[w o n] []] "
            "on-deep-change*: make function! [[owner word target action new index part] [append log action]]] "
            "keep: o/list o: none");
  stack::set_top(top);
  NodeId list = series_node(value_of("keep"));
  ASSERT_NE(ownership::get(list), nullptr);
  gc::set_enabled(true);
  gc::collect();
  EXPECT_EQ(ownership::get(list), nullptr);
  eval_text("append keep 2");
  EXPECT_EQ(mold_of("log"), "[]");
  EXPECT_EQ(mold_of("keep"), "[1 2]");
}

}  // namespace
}  // namespace vyn::test
