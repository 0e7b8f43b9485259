// The series! entries on blocks and strings: positions, queries, pick/poke and the changes.
#include <gtest/gtest.h>

#include "tests/unit/support/runtime_fixture.hpp"
#include "values/series/series.hpp"

namespace vyn::test {
namespace {

using Series = RuntimeTest;

Cell i(int v) { return make_integer(v); }

// The integers of a block from its head, as text: "1 2 3".
std::string ints(const Cell& b) {
  std::string out;
  Cell copy = b;
  int32_t n = block::vs_length(copy);
  for (int32_t k = 0; k < n; ++k) {
    if (!out.empty()) out += ' ';
    out += std::to_string(block::vs_head(copy)[k].int_value());
  }
  return out;
}

// Calls an entry that works on the call's cells in place: the series, then its argument.
template <Action A>
Cell simple(Cell series, Cell arg = make_none()) {
  Cell* args = stack::push(series);
  stack::push(arg);
  registry::entry<A>(series.type())(args);
  return *args;
}

TEST_F(Series, AtAndSkipStayInsideTheSeries) {
  Cell b = *block_of({i(1), i(2), i(3), i(4)});
  struct Case { int head, offset, at, skip; };
  for (Case c : {Case{0, 0, 0, 0}, Case{0, 1, 0, 1}, Case{2, -1, 1, 1}, Case{2, 0, 2, 2},
                 Case{1, 10, 4, 4}, Case{1, -10, 0, 0}, Case{4, 1, 4, 4}}) {
    Cell s = b;
    s.w1 = c.head;
    EXPECT_EQ(series_head(simple<Action::at>(s, i(c.offset))), c.at) << c.head << " " << c.offset;
    EXPECT_EQ(series_head(simple<Action::skip>(s, i(c.offset))), c.skip) << c.head << " " << c.offset;
  }
  EXPECT_EQ(raised([&] { simple<Action::at>(b, make_none()); }), Err::script_invalid_arg);
}

TEST_F(Series, NavigationAndQueries) {
  Cell b = *block_of({i(1), i(2)});
  Cell s = simple<Action::next>(simple<Action::next>(b));
  EXPECT_EQ(series_head(s), 2);
  EXPECT_EQ(series_head(simple<Action::next>(s)), 2);  // not past the tail
  EXPECT_TRUE(logic_of(simple<Action::tail_q>(s)));
  EXPECT_EQ(series_head(simple<Action::back>(simple<Action::head>(s))), 0);
  EXPECT_EQ(series_head(simple<Action::tail>(b)), 2);
  EXPECT_EQ(simple<Action::index_q>(s).int_value(), 3);
  EXPECT_TRUE(logic_of(simple<Action::head_q>(b)));
  Cell* p = stack::push(s);
  EXPECT_EQ(registry::entry<Action::length_q>(Type::block)(p), 0);
}

TEST_F(Series, HeadPastAShortenedBufferIsClamped) {
  Cell b = *block_of({i(1), i(2), i(3), i(4)});
  Cell far = b;
  far.w1 = 3;
  block::truncate_at(b, 1);
  Cell* p = stack::push(far);
  EXPECT_EQ(simple<Action::index_q>(far).int_value(), 4);  // the stored position, unclamped
  EXPECT_EQ(registry::entry<Action::length_q>(Type::block)(p), 0);
  EXPECT_EQ(series_head(*p), 1);  // reading clamped it to the tail
  Cell other = b;
  other.w1 = 5;
  EXPECT_EQ(block::vs_head(other), block::vs_tail(b));
  EXPECT_EQ(series_head(other), 1);
}

TEST_F(Series, PickByPosition) {
  Cell b = *block_of({i(10), i(20), i(30)});
  b.w1 = 1;
  Cell* s = stack::push(b);
  auto pick = registry::entry<Action::pick>(Type::block);
  struct Case { int index; int value; };  // 0 stands for none
  for (Case c : {Case{1, 20}, Case{2, 30}, Case{3, 0}, Case{0, 0}, Case{-1, 10}, Case{-2, 0}}) {
    Cell* r = pick(s, c.index, s);
    if (c.value) EXPECT_EQ(r->int_value(), c.value) << c.index;
    else EXPECT_TRUE(r->is(Type::none_)) << c.index;
  }
  Cell* str = string_of("abc");
  Cell* r = registry::entry<Action::pick>(Type::series)(str, 2, str);
  EXPECT_TRUE(r->is(Type::char_));
  EXPECT_EQ(char_of(*r), uint32_t{'b'});
}

TEST_F(Series, PokeStoresOrRaises) {
  Cell* s = stack::push(*block_of({i(1), i(2)}));
  Cell* v = stack::push(i(9));
  Cell* index = stack::push(i(0));
  auto poke = registry::entry<Action::poke>(Type::block);
  poke(s, 2, index, v);
  EXPECT_EQ(ints(*s), "1 9");
  EXPECT_EQ(raised([&] { poke(s, 0, index, v); }), Err::script_out_of_range);
  EXPECT_EQ(raised([&] { poke(s, 3, index, v); }), Err::script_out_of_range);
  Cell* str = string_of("abc");
  EXPECT_EQ(raised([&] { registry::entry<Action::poke>(Type::series)(str, 1, index, v); }),
            Err::script_invalid_arg);
  Cell* wide = stack::push(make_char(0x263A));
  registry::entry<Action::poke>(Type::series)(str, 2, index, wide);
  EXPECT_EQ(string::to_utf8(*str), "a\xE2\x98\xBA" "c");  // widened in place
}

TEST_F(Series, RemoveWithAndWithoutPart) {
  auto remove = registry::entry<Action::remove>(Type::block);
  Cell* s = stack::push(*block_of({i(1), i(2), i(3), i(4)}));
  remove(s, nullptr, nullptr);
  EXPECT_EQ(ints(*s), "2 3 4");
  Cell* two = stack::push(i(2));
  remove(s, two, nullptr);
  EXPECT_EQ(ints(*s), "4");
  Cell* negative = stack::push(i(-1));
  remove(s, negative, nullptr);
  EXPECT_EQ(ints(*s), "4");
  Cell* bad = stack::push(make_none());
  EXPECT_EQ(raised([&] { remove(s, bad, nullptr); }), Err::script_invalid_refine_arg);
  // a position in the same series counts from the head; one before the head changes nothing
  Cell* t = stack::push(*block_of({i(1), i(2), i(3), i(4)}));
  t->w1 = 1;
  Cell* at3 = stack::push(*t);
  at3->w1 = 3;
  remove(t, at3, nullptr);
  t->w1 = 0;
  EXPECT_EQ(ints(*t), "1 4");
  at3->w1 = 0;
  t->w1 = 1;
  remove(t, at3, nullptr);
  t->w1 = 0;
  EXPECT_EQ(ints(*t), "1 4");
}

TEST_F(Series, ClearCutsAtTheHead) {
  Cell* s = stack::push(*block_of({i(1), i(2), i(3)}));
  s->w1 = 1;
  registry::entry<Action::clear>(Type::block)(s);
  s->w1 = 0;
  EXPECT_EQ(ints(*s), "1");
}

TEST_F(Series, ReverseRecordsAndItsErrors) {
  auto reverse = registry::entry<Action::reverse>(Type::block);
  Cell* s = stack::push(*block_of({i(1), i(2), i(3), i(4), i(5), i(6)}));
  reverse(s, nullptr, nullptr);
  EXPECT_EQ(ints(*s), "6 5 4 3 2 1");
  Cell* two = stack::push(i(2));
  reverse(s, nullptr, two);
  EXPECT_EQ(ints(*s), "2 1 4 3 6 5");
  Cell* part = stack::push(i(3));
  reverse(s, part, nullptr);
  EXPECT_EQ(ints(*s), "4 1 2 3 6 5");
  Cell* four = stack::push(i(4));
  EXPECT_EQ(raised([&] { reverse(s, nullptr, four); }), Err::script_invalid_refine_arg);
  Cell* zero = stack::push(i(0));
  EXPECT_EQ(raised([&] { reverse(s, nullptr, zero); }), Err::script_out_of_range);
  Cell* six = stack::push(i(6));
  reverse(s, nullptr, six);
  EXPECT_EQ(ints(*s), "4 1 2 3 6 5");
}

TEST_F(Series, TakeFromBlocks) {
  auto take = registry::entry<Action::take>(Type::block);
  Cell* s = stack::push(*block_of({i(1), i(2), i(3), i(4), i(5)}));
  EXPECT_EQ(take(s, nullptr, false, false)->int_value(), 1);
  EXPECT_EQ(take(s, nullptr, false, true)->int_value(), 5);
  EXPECT_EQ(ints(*s), "2 3 4");
  Cell* two = stack::push(i(2));
  EXPECT_EQ(ints(*take(s, two, false, true)), "3 4");
  EXPECT_EQ(ints(*s), "2");
  Cell* zero = stack::push(i(0));
  EXPECT_EQ(ints(*take(s, zero, false, false)), "");  // a count of 0 takes nothing
  EXPECT_EQ(ints(*s), "2");
  // a negative count takes the units before the head
  Cell* t = stack::push(*block_of({i(1), i(2), i(3)}));
  t->w1 = 2;
  Cell* minus = stack::push(i(-5));
  EXPECT_EQ(ints(*take(t, minus, false, false)), "1 2");
  EXPECT_EQ(series_head(*t), 0);
  EXPECT_EQ(ints(*t), "3");
  take(t, nullptr, false, false);
  EXPECT_TRUE(take(t, nullptr, false, false)->is(Type::none_));
}

TEST_F(Series, CopyKeepsTypeAndCountsParts) {
  auto copy = registry::entry<Action::copy>(Type::block);
  Cell* s = stack::push(*block_of({i(1), i(2), i(3), i(4)}));
  s->w1 = 1;
  s->set_new_line(true);
  Cell* result = stack::push_unset();
  Cell* c = copy(s, result, nullptr, false, nullptr);
  EXPECT_EQ(ints(*c), "2 3 4");
  EXPECT_NE(series_node(*c), series_node(*s));
  EXPECT_TRUE(c->new_line());
  Cell* minus = stack::push(i(-1));
  EXPECT_EQ(ints(*copy(s, result, minus, false, nullptr)), "1");
  Cell* big = stack::push(i(99));
  EXPECT_EQ(ints(*copy(s, result, big, false, nullptr)), "2 3 4");
  Cell* str = string_of("hello");
  str->w1 = 1;
  Cell* two = stack::push(i(2));
  Cell* sc = registry::entry<Action::copy>(Type::series)(str, stack::push_unset(), two, false, nullptr);
  EXPECT_TRUE(sc->is(Type::string));
  EXPECT_EQ(string::to_utf8(*sc), "el");
}

TEST_F(Series, DeepCopyCopiesNestedBlocks) {
  Cell inner = *block_of({i(1)});
  Cell* outer = stack::push(*block_of({inner, i(2)}));
  Cell* c = registry::entry<Action::copy>(Type::block)(outer, stack::push_unset(), nullptr, true, nullptr);
  Cell copied_inner = block::cells(*c)[0];
  EXPECT_NE(series_node(copied_inner), series_node(inner));
  EXPECT_EQ(ints(copied_inner), "1");
  Cell* shallow = registry::entry<Action::copy>(Type::block)(outer, stack::push_unset(), nullptr, false, nullptr);
  EXPECT_EQ(series_node(block::cells(*shallow)[0]), series_node(inner));
}

TEST_F(Series, MoveWithinAndBetweenSeries) {
  auto move = registry::entry<Action::move>(Type::block);
  Cell* s = stack::push(*block_of({i(1), i(2), i(3), i(4)}));
  Cell* target = stack::push(*s);
  target->w1 = 3;
  move(s, target, nullptr);
  EXPECT_EQ(ints(*s), "2 3 1 4");
  // onto a position inside the moved range: nothing moves
  Cell* two = stack::push(i(2));
  target->w1 = 1;
  move(s, target, two);
  EXPECT_EQ(ints(*s), "2 3 1 4");
  Cell* other = stack::push(*block_of({i(9)}));
  move(s, other, two);
  EXPECT_EQ(ints(*other), "2 3 9");
  EXPECT_EQ(ints(*s), "1 4");
  Cell* str = string_of("ab");
  EXPECT_EQ(raised([&] { move(s, str, nullptr); }), Err::script_move_bad);
  Cell* none = stack::push(make_none());
  EXPECT_EQ(raised([&] { move(s, none, nullptr); }), Err::script_expect_arg);
}

TEST_F(Series, MoveBetweenStringsOfDifferentWidths) {
  Cell* from = string_of("xy");
  Cell* to = string_of("ab");
  string::append_char(series_node(*to), 0x1F600);
  to->w1 = 1;
  Cell* one = stack::push(i(2));
  registry::entry<Action::move>(Type::series)(from, to, one);
  to->w1 = 0;
  EXPECT_EQ(string::to_utf8(*to), "axyb\xF0\x9F\x98\x80");
  EXPECT_EQ(string::length(*from), 0);
}

}  // namespace
}  // namespace vyn::test
