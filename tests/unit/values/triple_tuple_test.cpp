// triple!, tuple! and percent! services that only the runtime reaches: triple!'s text, the tuple
// makers for pixels and constants, and percent! cells made from the halves of a double.
#include <gtest/gtest.h>

#include "tests/unit/support/runtime_fixture.hpp"
#include "values/numbers/percent.hpp"
#include "values/numbers/triple.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn::test {
namespace {

using Services = RuntimeTest;

TEST_F(Services, TripleMoldsAsItsConstruction) {
  Cell t = triple::make(1, -2, 3);
  EXPECT_EQ(mold(t), "make triple! [1 -2 3]");
  EXPECT_EQ(form(triple::make(-2147483647 - 1, 0, 2147483647)),
            "make triple! [-2147483648 0 2147483647]");
  // the part count goes down by everything emitted
  Cell* value = stack::push(t);
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  EXPECT_EQ(registry::entry<Action::form>(Type::triple)(value, buffer, nullptr, 100), 100 - 21);
}

TEST_F(Services, TupleMakers) {
  const int32_t pixel[] = {0x1FF, 2};
  EXPECT_EQ(mold(*tuple::push_from_ints(2, pixel)), "255.2.0");
  const int32_t rgba[] = {1, 2, 3, 4};
  EXPECT_EQ(mold(*tuple::push_from_ints(4, rgba)), "1.2.3.4");
  Cell* c = tuple::push(4, 0x04030201u, 0, 0);
  EXPECT_EQ(mold(*c), "1.2.3.4");
  EXPECT_FALSE(tuple::zero_q(*c));
  EXPECT_TRUE(tuple::zero_q(*tuple::push(5, 0, 0, 0)));
  Cell* longer = tuple::push(5, 0x04030201u, 0, 0);
  EXPECT_EQ(tuple::compare(c, longer, 0), 0);
  EXPECT_EQ(tuple::compare(c, stack::push(make_integer(1)), 0), -2);
}

TEST_F(Services, PercentFromHalves) {
  // 0.5 is 0x3FE0000000000000
  EXPECT_EQ(mold(*percent::push64(0x3FE00000u, 0)), "50%");
  Cell* b = block_of({});
  percent::make_in(*b, 0x3FC00000u, 0);  // 0.125
  EXPECT_EQ(mold(*b), "[12.5%]");
  EXPECT_EQ(form(percent::make(0.0)), "0%");
}

}  // namespace
}  // namespace vyn::test
