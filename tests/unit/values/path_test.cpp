// The path family and paren!: molding and forming, make and to.
#include <gtest/gtest.h>

#include <string>

#include "eval/front_ends.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::test {
namespace {

using Paths = RuntimeTest;

Cell i(int v) { return make_integer(v); }
Cell w(const char* name) { return word::load(name); }

std::string mold_only(Cell v) {
  Cell* value = stack::push(v);
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  MoldOptions o;
  o.only = true;
  actions::mold_direct(value, buffer, o, nullptr, 0x7FFFFFFF);
  return string::to_utf8(*buffer);
}

TEST_F(Paths, ParenAndPathsMoldTheirOwnWay) {
  Cell* paren = block_of({i(1), i(2)});
  paren->set_type(Type::paren);
  EXPECT_EQ(mold(*paren), "(1 2)");
  EXPECT_EQ(mold_only(*paren), "1 2");
  Cell* lines = block_of({i(1), i(2)});
  lines->set_type(Type::paren);
  block::cells(*lines)[1].set_new_line(true);
  EXPECT_EQ(mold(*lines), "(1\n    2\n)");
  struct Case {
    Type type;
    std::string mold;
  };
  const Case cases[] = {
      {Type::path, "a/b"}, {Type::lit_path, "'a/b"}, {Type::set_path, "a/b:"}, {Type::get_path, ":a/b"},
  };
  for (const Case& c : cases) {
    Cell* p = block_of({w("a"), w("b")});
    p->set_type(c.type);
    EXPECT_EQ(mold(*p), c.mold);
    EXPECT_EQ(form(*p), "a/b");
  }
  Cell* p = block_of({w("a"), *paren, *block_of({i(3)})});
  p->set_type(Type::path);
  EXPECT_EQ(mold(*p), "a/(1 2)/[3]");
}

TEST_F(Paths, MakeAndTo) {
  Cell* proto = stack::push(make_datatype(Type::path));
  Cell* empty = registry::entry<Action::make>(Type::path)(proto, stack::push(i(0)), Type::path);
  EXPECT_TRUE(empty->is(Type::path));
  EXPECT_EQ(block::length_total(*empty), 0);
  EXPECT_EQ(buffer_of(series_node(*empty))->size, sizeof(Cell));
  EXPECT_EQ(raised([&] { registry::entry<Action::make>(Type::path)(proto, string_of("a"), Type::path); }),
            Err::script_bad_make_arg);
  Cell ts = typeset::make_empty();
  Cell* one = registry::entry<Action::to>(Type::path)(proto, stack::push(ts), Type::set_path);
  EXPECT_TRUE(one->is(Type::set_path));
  ASSERT_EQ(block::length_total(*one), 1);
  EXPECT_TRUE(block::cells(*one)[0].is(Type::typeset));
}

}  // namespace
}  // namespace vyn::test
