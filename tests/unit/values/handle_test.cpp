// handle! values as native code makes them: text by kind, comparison, the constructors.
#include "values/ports/handle.hpp"

#include <gtest/gtest.h>

#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {
namespace {

using Handle = RuntimeTest;

TEST_F(Handle, FormAndMoldByKind) {
  struct Case {
    uint32_t value;
    int32_t kind;
    const char* formed;
    const char* molded_all;
  };
  for (Case c : {
           Case{255, handle::window, "000000FFh", "#[handle! 000000FFh window]"},
           Case{0, handle::none, "00000000h", "#[handle! 00000000h]"},
           Case{0xDEADBEEF, handle::rich_text, "DEADBEEFh", "#[handle! DEADBEEFh rich-text]"},
           Case{7, handle::fd, "00000007h", "#[handle! 00000007h fd]"},
           Case{7, 6, "00000007h", "#[handle! 00000007h]"},    // a kind past the table: no name
           Case{7, -1, "00000007h", "#[handle! 00000007h]"},
       }) {
    Cell h = *handle::push(c.value, c.kind);
    EXPECT_EQ(form(h), c.formed);
    EXPECT_EQ(mold(h), "handle!");
    EXPECT_EQ(mold(h, true), c.molded_all);
  }
}

TEST_F(Handle, ComparesValuesAsSignedWhateverTheKind) {
  auto compare = registry::entry<Action::compare>(Type::handle);
  Cell* a = handle::push(5, handle::fd);
  Cell* b = handle::push(5, handle::font);
  Cell* minus = handle::push(0xFFFFFFFF, handle::fd);
  Cell* five = stack::push(make_integer(5));
  EXPECT_EQ(compare(a, b, 0), 0);
  EXPECT_EQ(compare(minus, a, 0), -1);
  EXPECT_EQ(compare(a, minus, 0), 1);
  EXPECT_EQ(compare(a, five, 0), 1);
}

TEST_F(Handle, ConstructorsKeepNoRegistrySlot) {
  Cell* null = handle::push_null();
  EXPECT_TRUE(null->is(Type::handle));
  EXPECT_EQ(null->w1, 0u);
  EXPECT_EQ(null->w2, 0u);
  EXPECT_EQ(null->w3, 0xFFFFFFFFu);
  Cell* b = block_of({});
  handle::make_in(*b, 42, handle::monitor);
  Cell in = block::cells(*b)[0];
  EXPECT_EQ(mold(in, true), "#[handle! 0000002Ah monitor]");
  EXPECT_EQ(in.w3, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace vyn::test
