// char!: making from numbers, binaries and text, form and mold, comparison and arithmetic that
// stays inside the code range.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "tests/unit/support/runtime_fixture.hpp"
#include "core/compare_ops.hpp"

namespace vyn::test {
namespace {

using Char = RuntimeTest;

Cell* text(std::string_view utf8) {
  Cell* s = string::make_at(stack::push_unset(), static_cast<uint32_t>(utf8.size()));
  const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
  const uint8_t* end = p + utf8.size();
  for (uint32_t i = 0; p < end; ++i) {
    int32_t cp = 0;
    p = unicode::fast_decode_utf8_char(p, end, cp);
    string::overwrite_char(series_node(*s), i, static_cast<uint32_t>(cp));
  }
  return s;
}

Cell binary(std::initializer_list<uint8_t> bytes) {
  Cell* b = stack::push_unset();
  b->w2 = alloc::new_bytes(static_cast<uint32_t>(bytes.size()));
  SeriesBuffer* buf = buffer_of(b->w2);
  for (uint8_t x : bytes) buf->data()[buf->tail++] = x;
  b->set_type(Type::binary);
  return *b;
}

// The code point to char! makes from spec, or the error it raises.
struct Made {
  std::optional<uint32_t> cp;
  Err error = Err::count_;
};
Made to_char(Cell spec) {
  stack::Mark mark;
  Cell* s = stack::push(spec);
  try {
    Cell* r = registry::entry<Action::to>(Type::char_)(nullptr, s, Type::char_);
    EXPECT_TRUE(r->is(Type::char_));
    return {char_of(*r)};
  } catch (const Raised&) {
    return {std::nullopt, pending_error().id};
  }
}

TEST_F(Char, ToCharFromNumbersBinariesAndText) {
  struct Case {
    Cell spec;
    std::optional<uint32_t> cp;
    Err error;
  };
  const Case cases[] = {
      {make_integer(65), 'A', Err::count_},
      {make_integer(0x10FFFF), 0x10FFFF, Err::count_},
      {make_integer(0x110000), std::nullopt, Err::script_out_of_range},
      {make_integer(-1), std::nullopt, Err::script_out_of_range},
      {make_float(65.9), 'A', Err::count_},
      {make_float(-0.5), 0, Err::count_},
      {make_float(NAN), std::nullopt, Err::script_out_of_range},
      {make_float(1114112.0), std::nullopt, Err::script_out_of_range},
      {make_char(0xE9), 0xE9, Err::count_},
      {*text(""), std::nullopt, Err::script_bad_to_arg},
      {*text("abc"), 'a', Err::count_},
      {*text("\xE2\x82\xAC"), 0x20AC, Err::count_},
      {binary({0xC3, 0xA9}), 233, Err::count_},
      {binary({'x', 'y'}), 'x', Err::count_},
      {binary({}), std::nullopt, Err::script_bad_to_arg},
      {binary({0xC3}), std::nullopt, Err::script_bad_to_arg},
      {make_none(), std::nullopt, Err::script_bad_to_arg},
  };
  for (const Case& c : cases) {
    Made m = to_char(c.spec);
    EXPECT_EQ(m.cp, c.cp) << &c - cases;
    EXPECT_EQ(m.error, c.error) << &c - cases;
  }
}

TEST_F(Char, FormAndMold) {
  EXPECT_EQ(form(make_char('a')), "a");
  EXPECT_EQ(form(make_char(0x20AC)), "\xE2\x82\xAC");
  EXPECT_EQ(mold(make_char('a')), "#\"a\"");
  EXPECT_EQ(mold(make_char('\n')), "#\"^/\"");
  EXPECT_EQ(mold(make_char('"')), "#\"^\"\"");
  EXPECT_EQ(mold(make_char(0)), "#\"^@\"");
  EXPECT_EQ(mold(make_char(0xE9)), "#\"\xC3\xA9\"");
  EXPECT_EQ(mold(make_char(0xE9), true), "#\"^(E9)\"");
}

TEST_F(Char, CompareWithCharsAndIntegers) {
  auto compare = [](Cell a, Cell b, int op) {
    stack::Mark mark;
    Cell* x = stack::push(a);
    Cell* y = stack::push(b);
    return registry::entry<Action::compare>(Type::char_)(x, y, op);
  };
  EXPECT_EQ(compare(make_char('a'), make_integer(97), cmp::equal), 0);
  EXPECT_EQ(compare(make_char('a'), make_integer(97), cmp::strict_equal), 1);
  EXPECT_EQ(compare(make_char('a'), make_integer(97), cmp::find), 1);
  EXPECT_EQ(compare(make_char('a'), make_char('b'), cmp::lesser), -1);
  EXPECT_EQ(compare(make_char('a'), make_char('A'), cmp::equal), 1) << "chars compare exactly";
  EXPECT_EQ(compare(make_char('a'), make_float(1.0), cmp::lesser), -2);
}

// The char! left combined with right by the slot's entry; the result or the error raised.
struct Sum {
  std::optional<uint32_t> cp;
  Err error = Err::count_;
};
Sum math(Action slot, uint32_t left, Cell right) {
  stack::Mark mark;
  Cell* args = stack::push(make_char(left));
  stack::push(right);
  auto fn = reinterpret_cast<SimpleEntry>(registry::raw_entry(Type::char_, slot));
  try {
    fn(args);
    EXPECT_TRUE(args->is(Type::char_));
    return {char_of(*args)};
  } catch (const Raised&) {
    return {std::nullopt, pending_error().id};
  }
}

TEST_F(Char, ArithmeticStaysInTheCodeRange) {
  struct Case {
    Action slot;
    uint32_t left;
    Cell right;
    std::optional<uint32_t> cp;
    Err error;
  };
  const Case cases[] = {
      {Action::add, 'a', make_integer(1), 'b', Err::count_},
      {Action::subtract, 'a', make_integer(32), 'A', Err::count_},
      {Action::add, 'a', make_float(1.9), 'b', Err::count_},
      {Action::add, 'a', make_char(1), 'b', Err::count_},
      {Action::divide, 'd', make_integer(2), '2', Err::count_},
      {Action::divide, 'a', make_integer(0), std::nullopt, Err::math_zero_divide},
      {Action::remainder, 'a', make_integer(10), 7, Err::count_},
      {Action::remainder, 'a', make_integer(0), std::nullopt, Err::math_zero_divide},
      {Action::multiply, 2, make_integer(0x10000), 0x20000, Err::count_},
      {Action::multiply, 0x10000, make_integer(0x10000), std::nullopt, Err::math_overflow},
      {Action::subtract, 'a', make_char('b'), std::nullopt, Err::math_overflow},
      {Action::add, 0x10FFFF, make_integer(1), std::nullopt, Err::math_overflow},
      {Action::add, 'a', make_integer(INT32_MAX), std::nullopt, Err::math_overflow},
      {Action::add, 'a', make_float(1e12), std::nullopt, Err::math_overflow},
      {Action::and_t, 'a', make_integer(0xDF), 'A', Err::count_},
      {Action::or_t, 'A', make_integer(0x20), 'a', Err::count_},
      {Action::xor_t, 'a', make_integer(0x20), 'A', Err::count_},
      {Action::add, 'a', make_none(), std::nullopt, Err::script_invalid_type},
  };
  for (const Case& c : cases) {
    Sum s = math(c.slot, c.left, c.right);
    EXPECT_EQ(s.cp, c.cp) << &c - cases;
    EXPECT_EQ(s.error, c.error) << &c - cases;
  }
}

TEST_F(Char, TakesItsParityAndAbsoluteFromInteger) {
  for (Action a : {Action::random, Action::absolute, Action::even_q, Action::odd_q})
    EXPECT_EQ(registry::raw_entry(Type::char_, a), registry::raw_entry(Type::integer, a));
  for (Action a : {Action::negate, Action::power, Action::round, Action::complement})
    EXPECT_EQ(registry::raw_entry(Type::char_, a), nullptr);
  Cell* c = stack::push(make_char('a'));
  ASSERT_NE(registry::raw_entry(Type::char_, Action::odd_q), nullptr);
  EXPECT_TRUE(registry::entry<Action::odd_q>(Type::char_)(c));
}

}  // namespace
}  // namespace vyn::test
