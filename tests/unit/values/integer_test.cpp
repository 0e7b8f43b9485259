// integer!: arithmetic with overflow into float!, division, power, rounding, conversion, form.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "core/text/float_text.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/numbers/number.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::test {
namespace {

using Integer = RuntimeTest;

Cell flt(double d) { return make_float(d); }
Cell typed(Type t, double d) {
  Cell c = make_float(d);
  c.set_type(t);
  return c;
}

// "integer! 3", "float! 3.5", or the error raised: "!math/overflow".
std::string describe(const Cell& c) {
  if (c.is(Type::logic)) return logic_of(c) ? "true" : "false";
  std::string s = registry::type_name(c.type());
  if (c.is(Type::integer) || c.is(Type::char_)) return s + " " + std::to_string(c.int_value());
  if (c.is(Type::float_) || c.is(Type::percent) || c.is(Type::time))
    return s + " " + std::string(float_text::mold(c.float_value()).view());
  return s;
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

// A simple two-operand entry of a's datatype, run on stack cells.
std::string run(Action a, Cell x, Cell y) {
  return outcome([&] {
    stack::Mark mark;
    Cell* args = stack::push(x);
    stack::push(y);
    reinterpret_cast<SimpleEntry>(registry::raw_entry(x.type(), a))(args);
    return *args;
  });
}

struct MathCase {
  Action op;
  Cell a, b;
  const char* expected;
};

TEST_F(Integer, ArithmeticOverflowsIntoFloatAndDividesExactly) {
  using A = Action;
  const MathCase cases[] = {
      {A::add, make_integer(2), make_integer(3), "integer! 5"},
      {A::add, make_integer(INT_MAX), make_integer(1), "float! 2147483648.0"},
      {A::subtract, make_integer(INT_MIN), make_integer(1), "float! -2147483649.0"},
      {A::multiply, make_integer(65536), make_integer(65536), "float! 4294967296.0"},
      {A::multiply, make_integer(-46341), make_integer(46341), "float! -2147488281.0"},
      {A::divide, make_integer(6), make_integer(2), "integer! 3"},
      {A::divide, make_integer(7), make_integer(2), "float! 3.5"},
      {A::divide, make_integer(-7), make_integer(2), "float! -3.5"},
      {A::divide, make_integer(INT_MIN), make_integer(-1), "!math/overflow"},
      {A::divide, make_integer(1), make_integer(0), "!math/zero-divide"},
      {A::remainder, make_integer(-7), make_integer(2), "integer! -1"},
      {A::remainder, make_integer(7), make_integer(-2), "integer! 1"},
      {A::remainder, make_integer(5), make_integer(0), "!math/zero-divide"},
      {A::remainder, make_integer(INT_MIN), make_integer(-1), "!math/overflow"},
      {A::and_t, make_integer(12), make_integer(10), "integer! 8"},
      {A::or_t, make_integer(12), make_integer(10), "integer! 14"},
      {A::xor_t, make_integer(12), make_integer(10), "integer! 6"},
      // right operands of other types
      {A::add, make_integer(5), make_char('a'), "integer! 102"},
      {A::add, make_integer(1), typed(Type::percent, 0.1), "float! 1.1"},
      {A::add, make_integer(1), typed(Type::time, 1.0), "time! 2.0"},
      {A::multiply, make_integer(3), flt(0.5), "float! 1.5"},
      {A::divide, make_integer(1), flt(0.0), "float! 1.#INF"},
      {A::add, make_integer(1), make_none(), "!script/invalid-type"},
      {A::subtract, make_integer(5), make_cell(Type::tuple), "!script/not-related"},
      {A::divide, make_integer(5), make_cell(Type::pair), "!script/not-related"},
      {A::multiply, make_integer(5), make_cell(Type::date), "!script/not-related"},
      // power: integral while the result fits, else computed on doubles
      {A::power, make_integer(2), make_integer(30), "integer! 1073741824"},
      {A::power, make_integer(2), make_integer(31), "float! 2147483648.0"},
      {A::power, make_integer(-2), make_integer(31), "integer! -2147483648"},
      {A::power, make_integer(3), make_integer(0), "integer! 1"},
      {A::power, make_integer(-1), make_integer(INT_MAX), "integer! -1"},
      {A::power, make_integer(2), make_integer(-2), "float! 0.25"},
      {A::power, make_integer(2), flt(2.0), "float! 4.0"},
      {A::power, make_integer(10), make_integer(10), "float! 10000000000.0"},
      {A::power, make_integer(2), typed(Type::percent, 0.5), "!script/expect-arg"},
  };
  for (const MathCase& c : cases)
    EXPECT_EQ(run(c.op, c.a, c.b), c.expected) << registry::action_word(c.op) << " " << c.a.int_value();
}

TEST_F(Integer, CharTargetKeepsItsType) {
  // a 32-bit answer goes into the payload only, so a char! target stays a char!
  Cell target = make_char('a');
  EXPECT_EQ(integer::do_math('a', 1, Arith::add, &target), 'b');
  EXPECT_EQ(describe(target), "char! 98");
  // without a target a division truncates, as char! arithmetic wants
  EXPECT_EQ(integer::do_math(7, 2, Arith::divide, nullptr), 3);
}

TEST_F(Integer, UnaryEntries) {
  struct Case {
    const char* what;
    Cell value;
    const char* expected;
  };
  auto unary = [](Action a, Cell v) {
    return outcome([&] {
      Cell* c = stack::push(v);
      switch (a) {
        case Action::negate: return *registry::entry<Action::negate>(v.type())(c);
        case Action::complement: return *registry::entry<Action::complement>(v.type())(c);
        case Action::even_q: return make_logic(registry::entry<Action::even_q>(v.type())(c));
        case Action::odd_q: return make_logic(registry::entry<Action::odd_q>(v.type())(c));
        default: registry::entry<Action::absolute>(v.type())(c); return *c;
      }
    });
  };
  EXPECT_EQ(unary(Action::negate, make_integer(5)), "integer! -5");
  EXPECT_EQ(unary(Action::negate, make_integer(INT_MIN)), "!math/overflow");
  EXPECT_EQ(unary(Action::absolute, make_integer(-7)), "integer! 7");
  EXPECT_EQ(unary(Action::absolute, make_integer(INT_MIN)), "!math/overflow");
  EXPECT_EQ(unary(Action::complement, make_integer(0)), "integer! -1");
  EXPECT_EQ(unary(Action::even_q, make_integer(0)), "true");
  EXPECT_EQ(unary(Action::odd_q, make_integer(-1)), "true");
  EXPECT_EQ(unary(Action::odd_q, make_integer(-3)), "true");
  EXPECT_EQ(unary(Action::even_q, make_integer(7)), "false");
}

enum Flag { E = 1, D = 2, HD = 4, F = 8, C = 16, HC = 32 };

std::string round_int(Cell v, const Cell* scale, int flags) {
  return outcome([&] {
    Cell* value = stack::push(v);
    Cell* s = scale ? stack::push(*scale) : nullptr;
    return *registry::entry<Action::round>(v.type())(value, s, flags & E, flags & D, flags & HD,
                                                     flags & F, flags & C, flags & HC);
  });
}

TEST_F(Integer, RoundToMultiplesOfTheScale) {
  struct Case {
    int32_t value;
    Cell scale;  // unset: no /to
    int flags;
    const char* expected;
  };
  const Cell none = make_unset();
  const Case cases[] = {
      {7, none, 0, "integer! 7"},
      {INT_MIN, none, 0, "integer! -2147483648"},
      {5, make_integer(0), 0, "integer! 5"},
      {17, make_integer(5), 0, "integer! 15"},
      {18, make_integer(5), 0, "integer! 20"},
      {-17, make_integer(5), 0, "integer! -15"},
      {-18, make_integer(5), 0, "integer! -20"},
      {25, make_integer(10), E, "integer! 20"},
      {35, make_integer(10), E, "integer! 40"},
      {35, make_integer(10), 0, "integer! 40"},
      {-25, make_integer(10), 0, "integer! -30"},
      {25, make_integer(10), HD, "integer! 20"},
      {-25, make_integer(10), HC, "integer! -20"},
      {25, make_integer(10), HC, "integer! 30"},
      {-17, make_integer(5), D, "integer! -15"},
      {-17, make_integer(5), F, "integer! -20"},
      {17, make_integer(5), F, "integer! 15"},
      {-17, make_integer(5), C, "integer! -15"},
      {17, make_integer(5), C, "integer! 20"},
      {17, make_integer(-5), 0, "integer! 15"},
      {17, make_integer(INT_MIN), 0, "!math/overflow"},
      {7, flt(2.5), 0, "float! 7.5"},
      {7, make_cell(Type::money), 0, "!script/not-related"},
      // a result away from zero that leaves 32 bits overflows ...
      {INT_MAX, make_integer(10), 0, "!math/overflow"},
      {INT_MAX, make_integer(10), C, "!math/overflow"},
      {INT_MAX - 1, make_integer(4), E, "!math/overflow"},
      // ... but the direction a flag does not take never does, and a result that fits is kept
      {INT_MAX, make_integer(10), F, "integer! 2147483640"},
      {-INT_MAX, make_integer(10), C, "integer! -2147483640"},
      {-INT_MAX, make_integer(2), F, "integer! -2147483648"},
      {-INT_MAX, make_integer(2), 0, "integer! -2147483648"},
  };
  for (const Case& c : cases) {
    const Cell* scale = c.scale.is(Type::unset) ? nullptr : &c.scale;
    EXPECT_EQ(round_int(make_integer(c.value), scale, c.flags), c.expected) << c.value << " flags " << c.flags;
  }
}

Cell* binary_of(std::initializer_list<uint8_t> bytes, int32_t head = 0) {
  NodeId node = alloc::new_bytes(static_cast<uint32_t>(bytes.size()));
  SeriesBuffer* b = buffer_of(node);
  uint32_t i = 0;
  for (uint8_t byte : bytes) b->data()[i++] = byte;
  b->tail = i;
  return stack::push(make_series(Type::binary, node, head));
}

Cell* issue_of(const char* name) {
  return word::make_at(symbol::make(name), stack::push_unset(), Type::issue);
}

std::string to_int(const Cell& spec, bool make = false) {
  return outcome([&] {
    Cell* proto = stack::push(make_datatype(Type::integer));
    Cell* s = stack::push(spec);
    auto fn = make ? registry::entry<Action::make>(Type::integer) : registry::entry<Action::to>(Type::integer);
    return *fn(proto, s, Type::integer);
  });
}

TEST_F(Integer, Conversions) {
  struct Case {
    Cell spec;
    const char* expected;
  };
  const Case cases[] = {
      {make_integer(-4), "integer! -4"},
      {make_char('A'), "integer! 65"},
      {flt(2147483647.0), "integer! 2147483647"},
      {flt(2147483647.5), "!script/type-limit"},
      {flt(-2147483648.0), "integer! -2147483648"},
      {flt(-2147483649.0), "!script/type-limit"},
      {flt(NAN), "!script/type-limit"},
      {flt(INFINITY), "!script/type-limit"},
      {flt(1.9), "integer! 1"},
      {flt(-1.9), "integer! -1"},
      {typed(Type::percent, 1.5), "integer! 1"},
      // seconds plus a half, truncated; a time beyond 32 bits of seconds is refused
      {typed(Type::time, 1.5), "integer! 2"},
      {typed(Type::time, -1.5), "integer! -1"},
      {typed(Type::time, -1.2), "integer! 0"},
      {typed(Type::time, 3e9), "!script/type-limit"},
      {typed(Type::time, NAN), "!script/type-limit"},
      {make_logic(true), "!script/bad-to-arg"},
      {make_none(), "!script/bad-to-arg"},
  };
  for (const Case& c : cases) EXPECT_EQ(to_int(c.spec), c.expected) << describe(c.spec);
  EXPECT_EQ(to_int(make_logic(true), true), "integer! 1");
  EXPECT_EQ(to_int(make_logic(false), true), "integer! 0");
  // to integer! of an integer! answers the spec cell itself
  Cell* spec = stack::push(make_integer(3));
  EXPECT_EQ(registry::entry<Action::to>(Type::integer)(spec, spec, Type::integer), spec);
}

TEST_F(Integer, FromBinaryAndIssue) {
  EXPECT_EQ(to_int(*binary_of({1, 2, 3, 4})), "integer! 16909060");
  EXPECT_EQ(to_int(*binary_of({1, 2})), "integer! 258");
  EXPECT_EQ(to_int(*binary_of({})), "integer! 0");
  EXPECT_EQ(to_int(*binary_of({1, 2, 3, 4, 5})), "integer! 16909060");
  EXPECT_EQ(to_int(*binary_of({0xFF, 0xFF, 0xFF, 0xFE})), "integer! -2");
  EXPECT_EQ(to_int(*binary_of({1, 2, 3, 4}, 1)), "integer! 131844");
  EXPECT_EQ(to_int(*binary_of({1, 2}, 5)), "integer! 0");  // head past the tail
  EXPECT_EQ(to_int(*issue_of("FF")), "integer! 255");
  EXPECT_EQ(to_int(*issue_of("ff")), "integer! 255");
  EXPECT_EQ(to_int(*issue_of("FFFFFFFF")), "integer! -1");
  EXPECT_EQ(to_int(*issue_of("7fffffff")), "integer! 2147483647");
  for (const char* bad : {"123456789", "G1", "1 2", "-1"})
    EXPECT_EQ(to_int(*issue_of(bad)), "!script/invalid-data") << bad;
  // letters beyond ASCII whose low 7 bits spell a hex digit (U+00C1 -> 'A', U+0146 -> 'F', U+0130 -> '0')
  for (const char* bad : {"\xC3\x81", "1\xC5\x86", "\xC4\xB0"})
    EXPECT_EQ(to_int(*issue_of(bad)), "!script/invalid-data") << bad;
  int32_t v = 0;
  EXPECT_FALSE(integer::hex_name_to_int("", &v));
  EXPECT_TRUE(integer::hex_name_to_int("aBc", &v));
  EXPECT_EQ(v, 0xABC);
}

TEST_F(Integer, Compare) {
  struct Case {
    Cell a, b;
    int op;
    int expected;
  };
  const Case cases[] = {
      {make_integer(3), make_integer(5), cmp::lesser, -1},
      {make_integer(INT_MIN), make_integer(INT_MAX), cmp::lesser, -1},
      {make_integer(5), make_integer(5), cmp::equal, 0},
      {make_integer(97), make_char('a'), cmp::equal, 0},
      {make_integer(97), make_char('a'), cmp::strict_equal, 1},
      {make_integer(97), make_char('a'), cmp::find, 1},
      {make_integer(1), flt(1.0), cmp::equal, 0},
      {make_integer(1), flt(1.0), cmp::strict_equal, 1},
      {make_integer(2), flt(1.5), cmp::greater, 1},
      {make_integer(1), typed(Type::percent, 1.0), cmp::equal, 0},
      {make_integer(1), make_none(), cmp::equal, -2},
  };
  for (Case c : cases) EXPECT_EQ(compare_value(&c.a, &c.b, c.op), c.expected) << c.a.int_value() << " op " << c.op;
}

TEST_F(Integer, FormAndMold) {
  EXPECT_EQ(form(make_integer(INT_MIN)), "-2147483648");
  EXPECT_EQ(form(make_integer(0)), "0");
  EXPECT_EQ(form(make_integer(INT_MAX)), "2147483647");
  EXPECT_EQ(mold(make_integer(-5)), "-5");
  EXPECT_EQ(mold(make_integer(-5), true), "-5");
  EXPECT_EQ(integer::form_decimal(-120).view(), "-120");
}

TEST_F(Integer, RandomZeroStaysZero) {
  Cell* v = stack::push(make_integer(0));
  EXPECT_EQ(registry::entry<Action::random>(Type::integer)(v, false, false, false)->int_value(), 0);
}

}  // namespace
}  // namespace vyn::test
