// Concatenation with a symbol!: a symbol source stands for its name; a symbol target is refused,
// since its name is shared by every word spelled so.
#include <gtest/gtest.h>

#include "core/stack.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::test {
namespace {

using SymbolConcat = RuntimeTest;

TEST_F(SymbolConcat, ASymbolSourceGivesItsName) {
  // one name never spelled as a string yet (made from its UTF-8), one whose string exists
  Cell* fresh = stack::push(*symbol::entry(symbol::make("na\xC3\xAFve")));
  uint32_t known = symbol::make("word");
  symbol::ensure_string(known);
  Cell* made = stack::push(*symbol::entry(known));
  Cell* s = string_of("<");
  string::concatenate(s, fresh, -1, 0, false, string::Concat::append);
  string::concatenate(s, made, 2, 0, false, string::Concat::append);
  string::concatenate(s, made, -1, 1, false, string::Concat::insert);
  EXPECT_EQ(string::to_utf8(*s), "<wordna\xC3\xAFvewo");
  EXPECT_EQ(symbol::spelling(known), "word");
}

TEST_F(SymbolConcat, ASymbolTargetIsRefused) {
  Cell* target = stack::push(*symbol::entry(symbol::make("fixed")));
  Cell* s = string_of("x");
  EXPECT_EQ(raised([&] { string::concatenate(target, s, -1, 0, false, string::Concat::append); }),
            Err::script_invalid_arg);
  EXPECT_EQ(symbol::spelling(symbol::make("fixed")), "fixed");
}

}  // namespace
}  // namespace vyn::test
