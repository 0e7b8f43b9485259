// map!: extending a map with pairs, the C++ side of the extend native.
#include <gtest/gtest.h>

#include "tests/unit/values/eval_text.hpp"
#include "values/maps/map.hpp"

namespace vyn::test {
namespace {

using Maps = RuntimeTest;

// Extends the map the word m holds with the pairs the text evaluates to.
void extend_with(const char* spec_text, bool case_ = false) {
  Cell* m = stack::push(value_of("m"));
  Cell* spec = stack::push(*eval_text(spec_text));
  map::extend(m, spec, case_);
}

TEST_F(Maps, ExtendAddsRevivesAndOverwrites) {
  eval_text(R"(m: make map! [a 1 "k" 2 b 3] remove/key m 'a)");
  extend_with(R"([c 4 a 5 "K" 6])");
  EXPECT_EQ(mold(value_of("m")), "#[\n    a: 5\n    \"k\" 6\n    b: 3\n    c: 4\n]");
  EXPECT_EQ(eval_text("length? m")->int_value(), 4);
  extend_with(R"(["K" 7])", true);  // /case: another key
  EXPECT_EQ(eval_text("length? m")->int_value(), 5);
  extend_with("#[b 8 z 9]");  // another map's present pairs
  EXPECT_EQ(mold(*eval_text("reduce [m/b m/z length? m]")), "[8 9 6]");
}

// The spec is checked whole before anything is stored.
TEST_F(Maps, ExtendChecksTheSpecFirst) {
  eval_text("m: make map! [a 1]");
  EXPECT_EQ(raised([] { extend_with("[b 2 c]"); }), Err::script_invalid_arg);
  EXPECT_EQ(raised([] { extend_with("[b 2 [x] 3]"); }), Err::script_invalid_path);
  EXPECT_EQ(mold(value_of("m")), "#[\n    a: 1\n]");
}

}  // namespace
}  // namespace vyn::test
