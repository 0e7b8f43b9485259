// block!'s action entries: form and mold, comparison, find, select, put, paths, sort, change, swap,
// trim, copy, make and to, and the set operations.
#include <gtest/gtest.h>

#include <string>

#include "core/hashtable.hpp"
#include "core/sort.hpp"
#include "eval/front_ends.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/series/block_actions.hpp"
#include "core/compare_ops.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::test {
namespace {

using BlockActions = RuntimeTest;

Cell i(int v) { return make_integer(v); }
Cell w(const char* name) { return word::load(name); }

// Sets the new-line marker of the cells at the given positions.
Cell* lines(Cell* b, std::initializer_list<int> at) {
  for (int k : at) block::cells(*b)[k].set_new_line(true);
  return b;
}

Cell* at(Cell* b, int32_t head) {
  Cell* p = stack::push(*b);
  p->w1 = static_cast<uint32_t>(head);
  return p;
}

std::string molded(Cell v, MoldOptions o, Cell* part = nullptr, int32_t limit = 0x7FFFFFFF) {
  Cell* value = stack::push(v);
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  actions::mold_direct(value, buffer, o, part, limit);
  return string::to_utf8(*buffer);
}

MoldOptions only() {
  MoldOptions o;
  o.only = true;
  return o;
}
MoldOptions flat() {
  MoldOptions o;
  o.flat = true;
  return o;
}

// ---- form and mold

TEST_F(BlockActions, MoldWritesNewLineMarkersAsIndentedLines) {
  struct Case {
    Cell* block;
    MoldOptions options;
    std::string out;
  };
  Cell* inner = lines(block_of({i(2)}), {0});
  const Case cases[] = {
      {block_of({i(1), i(2)}), {}, "[1 2]"},
      {block_of({}), {}, "[]"},
      {lines(block_of({i(1), i(2)}), {1}), {}, "[1\n    2\n]"},
      {lines(block_of({i(1), i(2)}), {0}), {}, "[\n    1 2\n]"},
      {lines(block_of({i(1), i(2), i(3)}), {1, 2}), {}, "[1\n    2\n    3\n]"},
      {block_of({i(1), *inner}), {}, "[1 [\n    2\n]]"},
      {lines(block_of({i(1), *inner}), {0}), {}, "[\n    1 [\n        2\n    ]\n]"},
      {lines(block_of({i(1), i(2)}), {1}), flat(), "[1 2]"},
      {block_of({i(1), i(2)}), only(), "1 2"},
      {lines(block_of({i(1), i(2)}), {0, 1}), only(), "1\n2"},
      {at(block_of({i(1), i(2), i(3)}), 1), {}, "[2 3]"},
      {at(block_of({i(1)}), 5), {}, "[]"},
      {block_of({w("a"), *block_of({w("b")}), make_none()}), {}, "[a [b] none]"},
  };
  for (const Case& c : cases) EXPECT_EQ(molded(*c.block, c.options), c.out) << c.out;
}

TEST_F(BlockActions, FormSpacesValuesUnlessALineEnded) {
  EXPECT_EQ(form(*block_of({i(1), *string_of("a"), *block_of({i(2), i(3)})})), "1 a 2 3");
  EXPECT_EQ(form(*block_of({*string_of("a\n"), *string_of("b\t"), *string_of("c")})), "a\nb\tc");
  EXPECT_EQ(form(*block_of({})), "");
}

TEST_F(BlockActions, ABlockThatContainsItselfPrintsAPlaceholder) {
  Cell* b = block_of({i(1)});
  block::append_copy(*b, *b);
  EXPECT_EQ(mold(*b), "[1 [...]]");
  EXPECT_EQ(form(*b), "1 ...");
  Cell* p = block_of({i(1)});
  p->set_type(Type::paren);
  block::append_copy(*p, *p);
  EXPECT_EQ(mold(*p), "(1 (...))");
  EXPECT_EQ(cycles::depth(), 0);
}

// The entries stop at the first value met with no limit left; the front-end cuts the rest.
TEST_F(BlockActions, PartLimitStopsMoldingEarly) {
  Cell* part = stack::push(i(3));
  EXPECT_EQ(molded(*block_of({i(1), i(2), i(3), i(4)}), {}, part, 3), "[1 2]");
  Cell* value = block_of({i(10), i(20), i(30)});
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  EXPECT_EQ(block::form(value, buffer, part, 3), -2);
  EXPECT_EQ(string::to_utf8(*buffer), "10 20");
}

// ---- comparison

TEST_F(BlockActions, CompareCellByCell) {
  struct Case {
    Cell* a;
    Cell* b;
    int op;
    int answer;
  };
  Cell* shared = block_of({i(1)});
  Cell* paren = block_of({i(1)});
  paren->set_type(Type::paren);
  Cell* path = block_of({w("a")});
  path->set_type(Type::path);
  Cell* lit = block_of({w("a")});
  lit->set_type(Type::lit_path);
  const Case cases[] = {
      {block_of({i(1), i(2)}), block_of({i(1), i(2)}), cmp::equal, 0},
      {block_of({i(1), i(2)}), block_of({i(1), i(3)}), cmp::sort, -1},
      {block_of({i(1), i(2)}), block_of({i(1)}), cmp::equal, 1},     // lengths differ
      {block_of({i(1)}), block_of({i(1), i(2)}), cmp::sort, -1},     // shorter first
      {block_of({i(1)}), block_of({make_float(1.0)}), cmp::equal, 0},  // numbers compare across types
      {block_of({w("a")}), block_of({word::load_as("a", Type::set_word)}), cmp::equal, 0},
      {block_of({i(1)}), block_of({w("a")}), cmp::sort, -1},         // else by type id
      {block_of({i(1)}), paren, cmp::equal, -2},
      {path, lit, cmp::equal, -2},
      {path, lit, 11, 0},
      {shared, stack::push(*shared), cmp::same, 0},
      {shared, block_of({i(1)}), cmp::same, -1},
      {block_of({}), block_of({}), cmp::sort, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(block::compare(c.a, c.b, c.op), c.answer) << mold(*c.a) << " " << mold(*c.b);
}

TEST_F(BlockActions, BlocksThatContainThemselvesCompareWithoutEnd) {
  Cell* a = block_of({i(1)});
  block::append_copy(*a, *a);
  Cell* b = block_of({i(1)});
  block::append_copy(*b, *b);
  EXPECT_EQ(block::compare(a, b, cmp::equal), 0);
  EXPECT_EQ(cycles::depth(), 0);
}

// ---- find and select

int32_t found(Cell* series, Cell value, const FindOptions& o = {}) {
  Cell* v = stack::push(value);
  Cell* r = block::find(series, v, o);
  return r->is(Type::none_) ? -1 : series_head(*r);
}

TEST_F(BlockActions, FindWithEachRefinement) {
  Cell* s = block_of({w("a"), w("b"), w("c"), w("b"), i(1)});
  Cell* sk = stack::push(i(2));
  Cell* part2 = stack::push(i(2));
  Cell* part0 = stack::push(i(0));
  auto opts = [](auto set) {
    FindOptions o;
    set(o);
    return o;
  };
  struct Case {
    Cell* series;
    Cell value;
    FindOptions o;
    int32_t at;
  };
  const Case cases[] = {
      {s, w("b"), {}, 1},
      {s, w("B"), {}, 1},                                                  // words fold case
      {s, w("B"), opts([](FindOptions& o) { o.case_ = true; }), -1},
      {s, w("b"), opts([](FindOptions& o) { o.last = true; }), 3},
      {at(s, 3), w("b"), opts([](FindOptions& o) { o.reverse = true; }), 1},
      {at(s, 5), w("c"), opts([](FindOptions& o) { o.reverse = true; }), 2},  // from the tail
      {s, w("b"), opts([&](FindOptions& o) { o.skip = sk; }), -1},        // only a, c, 1 are tried
      {s, w("c"), opts([&](FindOptions& o) { o.skip = sk; }), 2},
      {s, w("c"), opts([&](FindOptions& o) { o.part = part2; }), -1},
      {s, w("b"), opts([&](FindOptions& o) { o.part = part2; }), 1},
      {s, w("a"), opts([&](FindOptions& o) { o.part = part0; }), -1},
      {s, w("b"), opts([](FindOptions& o) { o.match = true; }), -1},
      {at(s, 1), w("b"), opts([](FindOptions& o) { o.match = true; }), 1},
      {s, w("b"), opts([](FindOptions& o) { o.tail = true; }), 2},
      {s, w("b"), opts([&](FindOptions& o) { o.tail = true; o.skip = part2; }), -1},
      {s, w("c"), opts([&](FindOptions& o) { o.tail = true; o.skip = sk; }), 4},
      {s, w("b"), opts([](FindOptions& o) { o.tail = true; o.last = true; }), 4},
      {s, make_datatype(Type::integer), {}, 4},
      {s, *block_of({w("b"), w("c")}), {}, 1},
      {s, *block_of({w("b"), w("c")}), opts([](FindOptions& o) { o.tail = true; }), 3},
      {s, *block_of({w("b"), i(1)}), {}, 3},
      {s, *block_of({i(1), w("z")}), {}, -1},                              // runs into the end
      {s, *block_of({w("b"), w("c")}), opts([](FindOptions& o) { o.only = true; }), -1},
      {at(s, 5), w("a"), {}, -1},
      {block_of({}), w("a"), {}, -1},
  };
  for (size_t k = 0; k < std::size(cases); ++k) EXPECT_EQ(found(cases[k].series, cases[k].value, cases[k].o), cases[k].at) << "case " << k;
  Cell ts = typeset::make_empty();
  typeset::add(ts, Type::integer);
  EXPECT_EQ(found(s, ts), 4);
  FindOptions last_record;  // /last counts records from the head
  last_record.last = true;
  last_record.skip = sk;
  EXPECT_EQ(found(block_of({w("a"), i(1), w("b"), i(2), w("a"), i(3)}), w("a"), last_record), 4);
  EXPECT_EQ(found(block_of({w("a"), i(1), w("b"), i(2), w("a")}), w("a"), last_record), 4);
  Cell* nested = block_of({w("x"), *block_of({w("b"), w("c")})});
  FindOptions o;
  o.only = true;
  EXPECT_EQ(found(nested, *block_of({w("b"), w("c")}), o), 1);
}

TEST_F(BlockActions, FindRefinementErrors) {
  Cell* s = block_of({w("a")});
  Cell* zero = stack::push(i(0));
  Cell* text = string_of("x");
  FindOptions o;
  o.skip = zero;
  EXPECT_EQ(raised([&] { found(s, w("a"), o); }), Err::script_out_of_range);
  o.skip = text;
  EXPECT_EQ(raised([&] { found(s, w("a"), o); }), Err::script_invalid_refine_arg);
  FindOptions p;
  p.part = text;
  EXPECT_EQ(raised([&] { found(s, w("a"), p); }), Err::script_invalid_refine_arg);
}

std::string selected(Cell* series, Cell value, bool only = false) {
  FindOptions o;
  o.only = only;
  return mold(*block::select(series, stack::push(value), o));
}

TEST_F(BlockActions, SelectAnswersTheValueAfterTheMatch) {
  Cell* s = block_of({w("a"), i(1), w("b")});
  EXPECT_EQ(selected(s, w("a")), "1");
  EXPECT_EQ(selected(s, w("b")), "none");
  EXPECT_EQ(selected(s, w("z")), "none");
  Cell* runs = block_of({w("a"), w("b"), w("c"), *block_of({w("a"), w("b")}), w("d")});
  EXPECT_EQ(selected(runs, *block_of({w("a"), w("b")})), "c");
  EXPECT_EQ(selected(runs, *block_of({w("a"), w("b")}), true), "d");
}

TEST_F(BlockActions, PutReplacesOrAppendsThePair) {
  Cell* s = block_of({w("a"), i(1)});
  auto put = [&](Cell key, Cell value) { block::put(s, stack::push(key), stack::push(value), false); };
  NodeId before = series_node(*s);
  put(w("a"), i(1));
  EXPECT_EQ(mold(*s), "[a 1]");
  put(w("A"), i(2));
  EXPECT_EQ(mold(*s), "[a 2]");
  put(w("c"), i(3));
  EXPECT_EQ(mold(*s), "[a 2 c 3]");
  Cell* tail_key = block_of({w("k")});
  block::put(tail_key, stack::push(w("k")), stack::push(i(5)), false);
  EXPECT_EQ(mold(*tail_key), "[k 5]");
  EXPECT_EQ(series_node(*s), before);
}

TEST_F(BlockActions, PathsPickSelectAndSet) {
  Cell* s = block_of({w("a"), i(1), w("b"), i(2)});
  PathStep step;
  auto get = [&](Cell sel) { return mold(*block::eval_path(s, stack::push(sel), nullptr, step)); };
  EXPECT_EQ(get(i(2)), "1");
  EXPECT_EQ(get(i(9)), "none");
  EXPECT_EQ(get(w("b")), "2");
  EXPECT_EQ(get(word::load_as("b", Type::set_word)), "2");  // not a word!: compared as a value
  block::eval_path(s, stack::push(w("b")), stack::push(i(7)), step);
  EXPECT_EQ(mold(*s), "[a 1 b 7]");
  block::eval_path(s, stack::push(i(1)), stack::push(w("z")), step);
  EXPECT_EQ(mold(*s), "[z 1 b 7]");
  EXPECT_EQ(raised([&] { block::eval_path(s, stack::push(w("q")), stack::push(i(0)), step); }),
            Err::script_bad_path_set);
}

// ---- sort

Cell* sorted(Cell* s, const SortOptions& o = {}) { return block::sort(s, o); }

TEST_F(BlockActions, SortByValueRecordsAndKeys) {
  EXPECT_EQ(mold(*sorted(block_of({i(3), i(1), i(2)}))), "[1 2 3]");
  SortOptions rev;
  rev.reverse = true;
  EXPECT_EQ(mold(*sorted(block_of({i(3), i(1), i(2)}), rev)), "[3 2 1]");
  EXPECT_EQ(mold(*sorted(block_of({w("b"), i(2), make_none(), w("a")}))), "[none 2 a b]");  // types apart
  Cell* two = stack::push(i(2));
  SortOptions rec;
  rec.skip = two;
  EXPECT_EQ(mold(*sorted(block_of({w("b"), i(1), w("a"), i(2)}), rec)), "[a 2 b 1]");
  SortOptions by_second = rec;
  by_second.compare = two;
  EXPECT_EQ(mold(*sorted(block_of({w("a"), i(2), w("b"), i(1)}), by_second)), "[b 1 a 2]");
  SortOptions all = rec;
  all.all = true;
  EXPECT_EQ(mold(*sorted(block_of({w("a"), i(2), w("a"), i(1)}), all)), "[a 1 a 2]");
  Cell* s = block_of({i(5), i(4), i(3), i(2), i(1)});
  Cell* part = stack::push(i(-2));
  SortOptions back;
  back.part = part;
  Cell* r = sorted(at(s, 3), back);  // sorts the two cells before the head
  EXPECT_EQ(series_head(*r), 1);
  EXPECT_EQ(mold(*s), "[5 3 4 2 1]");
}

TEST_F(BlockActions, SortRefinementErrors) {
  Cell* four = stack::push(i(4));
  Cell* zero = stack::push(i(0));
  Cell* three = stack::push(i(3));
  Cell* text = string_of("x");
  auto six = [] { return block_of({i(1), i(2), i(3), i(4), i(5), i(6)}); };
  struct Case {
    SortOptions o;
    Err error;
  };
  SortOptions skip4, skip0, all, key_without_skip, key_too_big, bad_compare;
  skip4.skip = four;
  skip0.skip = zero;
  all.all = true;
  key_without_skip.compare = three;
  key_too_big.skip = three;
  key_too_big.compare = four;
  bad_compare.compare = text;
  const Case cases[] = {
      {skip4, Err::script_invalid_refine_arg}, {skip0, Err::script_invalid_refine_arg},
      {all, Err::script_bad_refines},          {key_without_skip, Err::script_bad_refines},
      {key_too_big, Err::script_out_of_range}, {bad_compare, Err::script_invalid_refine_arg},
  };
  for (const Case& c : cases) EXPECT_EQ(raised([&] { sorted(six(), c.o); }), c.error);
}

// A comparator function stands in for the interpreter: it orders by the integer each argument is,
// or starts with when it is a record block, and answers true when its first argument is lesser.
int comparator_calls = 0;
Cell lesser_first(Cell*, Cell* first, Cell* second) {
  ++comparator_calls;
  auto key = [](Cell* v) { return v->is(Type::block) ? block::vs_head(*v)->int_value() : v->int_value(); };
  return make_logic(key(first) < key(second));
}

TEST_F(BlockActions, SortWithAComparatorFunctionIsStableWhenAsked) {
  auto saved = sort::call_comparator;
  sort::call_comparator = lesser_first;
  Cell* fn = stack::push(make_cell(Type::function));
  Cell* two = stack::push(i(2));
  SortOptions o;
  o.compare = fn;
  o.stable = true;
  o.skip = two;
  o.all = true;
  Cell* s = block_of({i(2), w("a"), i(1), w("b"), i(2), w("c"), i(1), w("d"), i(2), w("e")});
  sorted(s, o);
  EXPECT_EQ(mold(*s), "[1 b 1 d 2 a 2 c 2 e]");
  EXPECT_GT(comparator_calls, 0);
  SortOptions plain;
  plain.compare = fn;
  plain.reverse = true;
  EXPECT_EQ(mold(*sorted(block_of({i(2), i(3), i(1)}), plain)), "[3 2 1]");
  sort::call_comparator = saved;
}

// ---- change, swap, trim

TEST_F(BlockActions, ChangeReplacesAndAnswersThePositionAfter) {
  struct Case {
    Cell* series;
    Cell value;
    int32_t part;
    bool only;
    int32_t dup;
    std::string out;
    int32_t head;
  };
  auto abc = [] { return block_of({i(1), i(2), i(3)}); };
  Cell pair = *block_of({i(8), i(9)});
  const Case cases[] = {
      {abc(), i(9), -1, false, 1, "[9 2 3]", 1},
      {abc(), pair, -1, false, 1, "[8 9 3]", 2},
      {abc(), pair, 1, false, 1, "[8 9 2 3]", 2},
      {abc(), pair, 3, false, 1, "[8 9]", 2},
      {abc(), pair, -1, true, 1, "[[8 9] 2 3]", 1},
      {abc(), i(7), -1, false, 2, "[7 7 3]", 2},
      {abc(), pair, -1, false, 2, "[8 9 8 9]", 4},
      {at(abc(), 3), i(4), -1, false, 1, "[1 2 3 4]", 4},
      {at(abc(), 1), *block_of({}), 1, false, 1, "[1 3]", 1},
  };
  for (const Case& c : cases) {
    Cell* r = block::change(c.series, stack::push(c.value), c.part, c.only, c.dup);
    EXPECT_EQ(mold(*stack::push(make_series(Type::block, series_node(*r)))), c.out);
    EXPECT_EQ(series_head(*r), c.head) << c.out;
  }
  Cell* self = block_of({i(1), i(2)});
  block::change(stack::push(*self), self, -1, false, 1);
  EXPECT_EQ(mold(*self), "[1 2]");
}

TEST_F(BlockActions, SwapAndTrim) {
  Cell* a = block_of({i(1), i(2)});
  Cell* b = block_of({i(3), i(4)});
  block::swap(a, at(b, 1));
  EXPECT_EQ(mold(*a), "[4 2]");
  EXPECT_EQ(mold(*b), "[3 1]");
  block::swap(a, at(b, 2));  // at its tail: nothing
  EXPECT_EQ(mold(*a), "[4 2]");
  EXPECT_EQ(raised([&] { block::swap(a, stack::push(i(1))); }), Err::script_invalid_arg);
  Cell* t = block_of({make_none(), i(1), make_none(), make_none(), i(2), make_none()});
  block::trim(at(t, 1), false, false, false, false, false, nullptr);
  EXPECT_EQ(mold(*t), "[none 1 2]");
}

// ---- copy, make, to

TEST_F(BlockActions, DeepCopyCopiesNestedSeriesAndRefusesCycles) {
  Cell* inner = string_of("x");
  Cell* b = block_of({*inner, *block_of({i(1)})});
  Cell* result = stack::push_unset();
  Cell* copied = block::copy(b, result, nullptr, true, nullptr);
  EXPECT_NE(series_node(block::cells(*copied)[0]), series_node(*inner));
  EXPECT_NE(series_node(block::cells(*copied)[1]), series_node(block::cells(*b)[1]));
  Cell* self = block_of({i(1)});
  block::append_copy(*self, *self);
  EXPECT_EQ(raised([&] { block::copy(self, stack::push_unset(), nullptr, true, nullptr); }), Err::internal_no_cycle);
  EXPECT_EQ(cycles::depth(), 0);
  Cell* shallow = block::copy(self, stack::push_unset(), nullptr, false, nullptr);
  EXPECT_EQ(block::length_total(*shallow), 2);
}

TEST_F(BlockActions, MakeAndTo) {
  Cell* proto = stack::push(make_datatype(Type::block));
  auto make = [&](Cell spec, Type t = Type::block) { return block::make(proto, stack::push(spec), t); };
  auto to = [&](Cell spec, Type t = Type::block) { return block::to(proto, stack::push(spec), t); };
  Cell* empty = make(i(0));
  EXPECT_EQ(mold(*empty), "[]");
  EXPECT_EQ(buffer_of(series_node(*empty))->size, sizeof(Cell));
  EXPECT_GE(buffer_of(series_node(*make(make_float(10.7))))->size, 10 * sizeof(Cell));
  EXPECT_EQ(raised([&] { make(make_float(1e10)); }), Err::script_out_of_range);
  EXPECT_EQ(raised([&] { make(*string_of("a")); }), Err::script_bad_make_arg);
  Cell* source = block_of({i(1), i(2)});
  Cell* made = make(*at(source, 1), Type::paren);
  EXPECT_EQ(mold(*made), "(2)");
  EXPECT_NE(series_node(*made), series_node(*source));
  EXPECT_EQ(mold(*to(i(1))), "[1]");
  Cell ts = typeset::make_empty();
  typeset::add(ts, Type::integer);
  typeset::add(ts, Type::block);
  EXPECT_EQ(mold(*to(ts)), "[block! integer!]");
  EXPECT_EQ(mold(*to(*source, Type::path)), "1/2");
  EXPECT_EQ(mold(*to(*string_of("a [b] 1"), Type::paren)), "(a [b] 1)");
}

// ---- set operations

std::string set_op(Cell a, Cell b, int op, bool case_ = false, Cell* skip = nullptr) {
  Cell* first = stack::push(a);
  Cell* second = stack::push(b);
  return mold(*block::set_operation(first, op == 8 ? nullptr : second, op, case_, skip));
}

TEST_F(BlockActions, SetOperationsKeepFirstOccurrences) {
  Cell x = *block_of({w("a"), w("b"), w("a"), w("c")});
  Cell y = *block_of({w("c"), w("d"), w("d")});
  EXPECT_EQ(set_op(x, x, 8), "[a b c]");
  EXPECT_EQ(set_op(x, y, 9), "[a b c d]");
  EXPECT_EQ(set_op(x, y, 10), "[c]");
  EXPECT_EQ(set_op(x, y, 11), "[a b]");
  EXPECT_EQ(set_op(x, y, 12), "[a b d]");
  Cell cased = *block_of({w("a"), w("A")});
  EXPECT_EQ(set_op(cased, cased, 8), "[a]");
  EXPECT_EQ(set_op(cased, cased, 8, true), "[a A]");
  Cell nested = *block_of({*block_of({i(1)}), *block_of({i(1)}), *block_of({i(2)})});
  EXPECT_EQ(set_op(nested, nested, 8), "[[1] [2]]");  // blocks by content, not identity
  Cell* two = stack::push(i(2));
  Cell records = *block_of({w("k"), i(1), w("j"), i(2), w("k"), i(3)});
  EXPECT_EQ(set_op(records, records, 8, false, two), "[k 1 j 2]");
  Cell* zero = stack::push(i(0));
  EXPECT_EQ(raised([&] { set_op(x, x, 8, false, zero); }), Err::script_invalid_refine_arg);
}

TEST_F(BlockActions, SetOperationOnAHashAnswersAHash) {
  Cell* b = block_of({w("a"), w("b")});
  NodeId table = hashtable::new_(2, *b, hashtable::Kind::hash, 0);
  b->set_type(Type::hash);
  b->w3 = table;
  Cell* args = stack::push(*block_of({w("c"), w("a")}));
  block::set_operation(args, b, 9, false, nullptr);
  ASSERT_TRUE(args->is(Type::hash));
  EXPECT_NE(hashtable::find(args->w3, w("b"), 0, 1, cmp::equal, false, false), nullptr);
  EXPECT_EQ(block::length_total(*args), 3);
}

}  // namespace
}  // namespace vyn::test
