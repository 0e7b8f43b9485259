// float!: the number tower, tolerant comparison, rounding, conversion, form and mold.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "core/text/float_text.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/number.hpp"

namespace vyn::test {
namespace {

using Float = RuntimeTest;

Cell flt(double d) { return make_float(d); }
Cell typed(Type t, double d) {
  Cell c = make_float(d);
  c.set_type(t);
  return c;
}
Cell pct(double d) { return typed(Type::percent, d); }
Cell tim(double d) { return typed(Type::time, d); }

// "float! 3.5", "integer! 8", or the error raised: "!math/overflow".
std::string describe(const Cell& c) {
  if (c.is(Type::logic)) return logic_of(c) ? "true" : "false";
  std::string s = registry::type_name(c.type());
  if (c.is(Type::integer)) return s + " " + std::to_string(c.int_value());
  return s + " " + std::string(float_text::mold(c.float_value()).view());
}
template <class F>
std::string outcome(F&& f) {
  try {
    return describe(f());
  } catch (const Raised&) {
    const ErrorInfo& i = error_info(pending_error().id);
    return std::string("!") + category_word(i.category) + "/" + i.word;
  }
}

// The simple entry of the left operand's datatype (integer! or float!: percent! and time! take
// float!'s once they register), run on stack cells.
std::string run(Action a, Cell x, Cell y) {
  return outcome([&] {
    stack::Mark mark;
    Cell* args = stack::push(x);
    stack::push(y);
    Type entry_type = x.is(Type::integer) ? Type::integer : Type::float_;
    reinterpret_cast<SimpleEntry>(registry::raw_entry(entry_type, a))(args);
    return *args;
  });
}

TEST_F(Float, NumberTowerDecidesTheResultType) {
  using A = Action;
  struct Case {
    Action op;
    Cell a, b;
    const char* expected;
  };
  const Case cases[] = {
      {A::add, flt(0.1), flt(0.2), "float! 0.30000000000000004"},
      {A::add, flt(1.5), make_integer(2), "float! 3.5"},
      {A::add, flt(1.0), make_char('a'), "float! 98.0"},
      {A::add, make_integer(1), pct(0.1), "float! 1.1"},
      {A::add, pct(0.1), make_integer(1), "percent! 1.1"},
      {A::add, pct(0.1), pct(0.1), "percent! 0.2"},
      {A::multiply, flt(2.0), tim(1.0), "time! 2.0"},
      {A::add, make_integer(1), tim(1.0), "time! 2.0"},
      {A::add, pct(0.5), tim(1.0), "time! 1.5"},
      {A::add, pct(0.1), make_char('a'), "!script/invalid-type"},
      {A::add, tim(1.0), make_char('a'), "!script/invalid-type"},
      {A::add, flt(1.0), make_none(), "!script/invalid-type"},
      // the floating-point side never traps
      {A::divide, flt(1.0), make_integer(0), "float! 1.#INF"},
      {A::divide, flt(-1.0), make_integer(0), "float! -1.#INF"},
      {A::divide, flt(0.0), make_integer(0), "float! 1.#NaN"},
      {A::multiply, flt(DBL_MAX), flt(2.0), "float! 1.#INF"},
      {A::remainder, flt(5.0), flt(0.0), "float! 1.#NaN"},
      {A::remainder, flt(5.5), make_integer(2), "float! 1.5"},
      {A::remainder, flt(-5.5), make_integer(2), "float! -1.5"},
      {A::remainder, flt(5.0), flt(INFINITY), "float! 5.0"},
      {A::remainder, flt(INFINITY), flt(2.0), "float! 1.#NaN"},
      {A::remainder, flt(INFINITY), flt(INFINITY), "float! 1.#NaN"},
      {A::remainder, flt(5.0), flt(NAN), "float! 1.#NaN"},
      // compound right operands
      {A::subtract, flt(1.0), make_cell(Type::pair), "!script/not-related"},
      {A::divide, flt(1.0), make_cell(Type::point2D), "!script/not-related"},
      {A::subtract, tim(1.0), make_cell(Type::pair), "!script/invalid-type"},
      // power: the base's type stays
      {A::power, flt(2.0), make_integer(-1), "float! 0.5"},
      {A::power, flt(4.0), flt(0.5), "float! 2.0"},
      {A::power, pct(0.5), make_integer(2), "percent! 0.25"},
      {A::power, flt(-8.0), flt(1.0 / 3), "float! 1.#NaN"},
      {A::power, flt(2.0), pct(0.5), "!script/expect-arg"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(run(c.op, c.a, c.b), c.expected) << registry::action_word(c.op) << " " << describe(c.a);
  EXPECT_EQ(outcome([] { return flt(float_::do_math_op(1, 2, Arith::or_)); }), "!script/cannot-use");
}

TEST_F(Float, UnaryEntries) {
  auto unary = [](Action a, Cell v) {
    return outcome([&] {
      Cell* c = stack::push(v);
      switch (a) {
        case Action::negate: return *registry::entry<Action::negate>(Type::float_)(c);
        case Action::even_q: return make_logic(registry::entry<Action::even_q>(Type::float_)(c));
        case Action::odd_q: return make_logic(registry::entry<Action::odd_q>(Type::float_)(c));
        default: registry::entry<Action::absolute>(Type::float_)(c); return *c;
      }
    });
  };
  EXPECT_EQ(unary(Action::negate, flt(0.0)), "float! 0.0");
  EXPECT_EQ(unary(Action::negate, flt(-0.0)), "float! 0.0");
  EXPECT_EQ(unary(Action::negate, flt(2.5)), "float! -2.5");
  EXPECT_EQ(unary(Action::absolute, flt(-0.0)), "float! 0.0");
  EXPECT_EQ(unary(Action::absolute, flt(-INFINITY)), "float! 1.#INF");
  EXPECT_EQ(unary(Action::even_q, flt(3.7)), "false");
  EXPECT_EQ(unary(Action::even_q, flt(4.2)), "true");
  EXPECT_EQ(unary(Action::odd_q, flt(-3.7)), "true");
  // parity needs the value as a 32-bit integer
  EXPECT_EQ(unary(Action::even_q, flt(1e10)), "!script/type-limit");
  EXPECT_EQ(unary(Action::odd_q, flt(NAN)), "!script/type-limit");
  EXPECT_EQ(unary(Action::odd_q, flt(-INFINITY)), "!script/type-limit");
}

TEST_F(Float, CompareWithinTenUnitsInTheLastPlace) {
  double nan = NAN;
  double one = 1.0;
  struct Case {
    Cell a, b;
    int op;
    int expected;
  };
  const Case cases[] = {
      {flt(0.1 + 0.2), flt(0.3), cmp::equal, 0},
      {flt(0.1 + 0.2), flt(0.3), cmp::strict_equal, 1},
      {flt(0.1 + 0.2), flt(0.3), cmp::find, 1},
      {flt(one), flt(one + 10 * DBL_EPSILON), cmp::equal, 0},
      {flt(one), flt(one + 11 * DBL_EPSILON), cmp::equal, 1},
      {flt(1e16), flt(1e16 + 20), cmp::equal, 0},
      {flt(1e16), flt(1e16 + 22), cmp::equal, 1},
      {flt(5e-324), flt(-5e-324), cmp::equal, 0},
      {flt(0.0), flt(-0.0), cmp::equal, 0},
      {flt(0.0), flt(-0.0), cmp::strict_equal, 0},
      {flt(0.0), flt(-0.0), cmp::same, 1},
      {flt(nan), flt(nan), cmp::equal, 1},
      {flt(nan), flt(nan), cmp::same, 0},
      {flt(nan), flt(one), cmp::lesser, 1},
      {flt(nan), flt(one), cmp::lesser_or_equal, 1},
      {flt(nan), flt(one), cmp::greater, -1},
      {flt(nan), flt(one), cmp::sort, 0},
      // an infinity is never equal to the largest finite double, its neighbour in bit order
      {flt(INFINITY), flt(DBL_MAX), cmp::equal, 1},
      {flt(INFINITY), flt(INFINITY), cmp::equal, 0},
      // find and select: NaN finds NaN only
      {flt(nan), flt(one), cmp::find, 1},
      {flt(one), flt(nan), cmp::find, 1},
      {flt(nan), flt(nan), cmp::find, 0},
      {flt(1.0), make_integer(1), cmp::equal, 0},
      {flt(1.0), make_integer(1), cmp::strict_equal, 1},
      {flt(1.5), make_integer(2), cmp::lesser, -1},
      {flt(0.5), pct(0.5), cmp::equal, 0},
      {flt(0.5), pct(0.5), cmp::strict_equal, 1},
      {flt(1.0), make_char(1), cmp::equal, -2},
      {flt(1.0), make_none(), cmp::lesser, -2},
  };
  for (Case c : cases)
    EXPECT_EQ(compare_value(&c.a, &c.b, c.op), c.expected) << describe(c.a) << " op " << c.op << " " << describe(c.b);
}

TEST_F(Float, SmallPrecisionEquality) {
  EXPECT_TRUE(float_::f32_equal_q(1.0f, std::nextafter(1.0f, 2.0f)));
  EXPECT_FALSE(float_::f32_equal_q(1.0f, 1.001f));
  EXPECT_FALSE(float_::f32_equal_q(NAN, NAN));
  EXPECT_TRUE(float_::f32_equal_q(0.0f, -0.0f));
  EXPECT_TRUE(float_::f32_equal_q(FLT_MAX, INFINITY));
  EXPECT_FALSE(float_::f32_equal_q(FLT_MAX, -INFINITY));
}

enum Flag { E = 1, D = 2, HD = 4, F = 8, C = 16, HC = 32 };

std::string round_of(Cell v, Cell scale, int flags) {
  return outcome([&] {
    Cell* value = stack::push(v);
    Cell* s = scale.is(Type::unset) ? nullptr : stack::push(scale);
    return *float_::round(value, s, flags & E, flags & D, flags & HD, flags & F, flags & C, flags & HC);
  });
}

TEST_F(Float, Round) {
  const Cell none = make_unset();
  struct Case {
    Cell value, scale;
    int flags;
    const char* expected;
  };
  const Case cases[] = {
      {flt(2.5), none, 0, "float! 3.0"},
      {flt(-2.5), none, 0, "float! -3.0"},
      {flt(1.4), none, 0, "float! 1.0"},
      {flt(2.5), none, E, "float! 2.0"},
      {flt(3.5), none, E, "float! 4.0"},
      {flt(2.5), none, HD, "float! 2.0"},
      {flt(-2.5), none, HC, "float! -2.0"},
      {flt(-2.7), none, D, "float! -2.0"},
      {flt(-2.2), none, F, "float! -3.0"},
      {flt(-2.2), none, C, "float! -2.0"},
      {flt(1.2345), flt(0.01), 0, "float! 1.23"},
      {flt(7.3), make_integer(2), 0, "integer! 8"},
      {flt(5.3), tim(2.0), 0, "time! 6.0"},
      {flt(1.25), pct(0.5), 0, "percent! 1.5"},
      {pct(0.12345), none, 0, "percent! 0.12"},
      {flt(1e300), make_integer(1), 0, "float! 1.0e300"},  // below the value's resolution
      {flt(1.0), make_cell(Type::money), 0, "!script/not-related"},
      // a subnormal unit: x is scaled instead of taking the unit's reciprocal
      {flt(6 * 5e-324), flt(4 * 5e-324), 0, "float! 4.0e-323"},
      {flt(1e-310), flt(5e-324), 0, "float! 1.0e-310"},
      // an integer! scale whose result leaves 32 bits, and a NaN, are refused
      {flt(1e15 + 0.5), make_integer(1), 0, "!script/type-limit"},
      {flt(NAN), make_integer(1), 0, "!script/type-limit"},
      {flt(NAN), none, 0, "float! 1.#NaN"},
      // a zero unit leaves the value as it is (rather than making it NaN)
      {flt(0.0), make_integer(0), 0, "float! 0.0"},
      {flt(5.5), flt(0.0), 0, "float! 5.5"},
      // a rounded magnitude that reaches infinity overflows
      {flt(1.7e308), flt(1e308), 0, "!math/overflow"},
      {flt(-1.7e308), flt(1e308), 0, "!math/overflow"},
  };
  for (const Case& c : cases) EXPECT_EQ(round_of(c.value, c.scale, c.flags), c.expected) << describe(c.value);
}

std::string make_from(Type t, const Cell& spec, Action a = Action::to) {
  return outcome([&] {
    Cell* proto = stack::push(make_datatype(t));
    Cell* s = stack::push(spec);
    auto fn = a == Action::to ? registry::entry<Action::to>(Type::float_) : registry::entry<Action::make>(Type::float_);
    return *fn(proto, s, t);
  });
}

Cell binary_of(std::initializer_list<uint8_t> bytes) {
  NodeId node = alloc::new_bytes(static_cast<uint32_t>(bytes.size()));
  SeriesBuffer* b = buffer_of(node);
  uint32_t i = 0;
  for (uint8_t byte : bytes) b->data()[i++] = byte;
  b->tail = i;
  return *stack::push(make_series(Type::binary, node));
}

TEST_F(Float, Conversions) {
  EXPECT_EQ(make_from(Type::float_, make_integer(-3)), "float! -3.0");
  EXPECT_EQ(make_from(Type::float_, make_char('A')), "float! 65.0");
  EXPECT_EQ(make_from(Type::float_, pct(0.5)), "float! 0.5");
  EXPECT_EQ(make_from(Type::percent, flt(0.5)), "percent! 0.5");
  EXPECT_EQ(make_from(Type::float_, tim(90.0)), "float! 90.0");
  EXPECT_EQ(make_from(Type::float_, make_none()), "!script/bad-to-arg");
  EXPECT_EQ(make_from(Type::float_, *string_of("")), "!script/bad-to-arg");
  EXPECT_EQ(make_from(Type::float_, binary_of({0x3F, 0xF0, 0, 0, 0, 0, 0, 0})), "float! 1.0");
  EXPECT_EQ(make_from(Type::float_, binary_of({0x3F, 0xF0, 0, 0, 0, 0, 0, 0, 0xFF})), "float! 1.0");
  EXPECT_EQ(make_from(Type::float_, binary_of({0x01})), "float! 5.0e-324");
  EXPECT_EQ(make_from(Type::float_, binary_of({})), "float! 0.0");
  struct Case {
    std::vector<Cell> items;
    const char* expected;
  };
  const Case blocks[] = {
      {{make_integer(15), make_integer(-1)}, "float! 1.5"},
      {{make_integer(1), make_integer(3)}, "float! 1000.0"},
      {{make_integer(3), make_integer(-1)}, "float! 0.3"},
      {{flt(2.5), flt(2.9)}, "float! 250.0"},
      {{make_integer(1), make_integer(400)}, "float! 1.#INF"},
      {{make_integer(1), make_integer(-400)}, "float! 0.0"},
      {{make_integer(1)}, "!script/bad-to-arg"},
      {{make_integer(1), make_integer(2), make_integer(3)}, "!script/bad-to-arg"},
      {{make_none(), make_integer(2)}, "!script/bad-to-arg"},
      {{make_integer(1), flt(1e10)}, "!script/type-limit"},
  };
  for (const Case& c : blocks) {
    Cell* b = block_of({});
    for (const Cell& item : c.items) block::append_copy(*b, item);
    EXPECT_EQ(make_from(Type::float_, *b, Action::make), c.expected) << describe(c.items[0]);
  }
}

TEST_F(Float, FormAndMold) {
  struct Case {
    double x;
    const char* form;
    const char* mold;
  };
  const Case cases[] = {
      {0.1 + 0.2, "0.3", "0.30000000000000004"},
      {1.0, "1.0", "1.0"},
      {1e16, "1.0e16", "10000000000000000.0"},
      {1.5e-7, "1.5e-7", "0.00000015"},
      {1e-20, "0.0", "1.0e-20"},
      {-0.0, "0.0", "-0.0"},
      {0.7 + 0.1, "0.8", "0.7999999999999999"},
      {INFINITY, "1.#INF", "1.#INF"},
      {-INFINITY, "-1.#INF", "-1.#INF"},
      {NAN, "1.#NaN", "1.#NaN"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(form(flt(c.x)), c.form) << c.mold;
    EXPECT_EQ(mold(flt(c.x)), c.mold);
  }
  // form and mold answer the limit less what they appended
  Cell* v = stack::push(flt(2.5));
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  EXPECT_EQ(registry::entry<Action::form>(Type::float_)(v, buffer, nullptr, 10), 7);
}

}  // namespace
}  // namespace vyn::test
