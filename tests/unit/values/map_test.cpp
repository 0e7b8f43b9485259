// map!: extending a map with pairs, the C++ side of the extend native.
#include <gtest/gtest.h>

#include "tests/unit/values/eval_text.hpp"
#include "core/hashtable.hpp"
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

// A map is sized for its keys (a block of pairs holds half as many keys as cells), and
// make map! n for n keys; both still grow as keys are put.
TEST_F(Maps, ATableIsSizedForItsKeys) {
  struct Case { const char* make; int32_t buckets; };
  for (Case c : {Case{"make map! []", 8}, Case{"make map! [a 1 b 2 c 3 d 4]", 8},
                 Case{"make map! [a 1 b 2 c 3 d 4 e 5 f 6 g 7 h 8]", 16},
                 Case{"make map! [a 1 a 2 a 3 a 4 a 5 a 6 a 7 a 8]", 16}, Case{"make map! 8", 16},
                 Case{"make map! 20", 32}}) {
    eval_text((std::string("m: ") + c.make).c_str());
    EXPECT_EQ(hashtable::record(map::table_node(value_of("m")))->buckets, c.buckets) << c.make;
  }
  eval_text("m: make map! [a 1 b 2] repeat i 100 [put m i i * 2]");
  EXPECT_EQ(mold(*eval_text("reduce [length? m m/a m/b select m 1 select m 100]")), "[102 1 2 2 200]");
}

}  // namespace
}  // namespace vyn::test
