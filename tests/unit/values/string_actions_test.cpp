// string!'s action entries: form and mold, comparison, find and select, append, insert and change,
// take, swap, trim, make and to, paths, sort, the set operations and the parse helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/unit/support/runtime_fixture.hpp"
#include "core/compare_ops.hpp"
#include "values/text/string_actions.hpp"

namespace vyn::test {
namespace {

using StringActions = RuntimeTest;

// A string! (or another text type) on the value stack from UTF-8 text, in the narrowest unit.
Cell* text(std::string_view utf8, Type t = Type::string) {
  Cell* s = string::make_at(stack::push_unset(), static_cast<uint32_t>(utf8.size()));
  const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
  const uint8_t* end = p + utf8.size();
  for (uint32_t i = 0; p < end; ++i) {
    int32_t cp = 0;
    p = unicode::fast_decode_utf8_char(p, end, cp);
    string::overwrite_char(series_node(*s), i, static_cast<uint32_t>(cp));
  }
  s->set_type(t);
  return s;
}

Cell* binary(std::initializer_list<uint8_t> bytes) {
  Cell* b = stack::push_unset();
  b->w2 = alloc::new_bytes(static_cast<uint32_t>(bytes.size()));
  SeriesBuffer* buf = buffer_of(b->w2);
  for (uint8_t x : bytes) buf->data()[buf->tail++] = x;
  b->set_type(Type::binary);
  return b;
}

std::string utf8(const Cell& s) { return string::to_utf8(s); }
uint32_t unit_of(const Cell& s) { return buffer_of(series_node(s))->unit(); }

// ---- form and mold

TEST_F(StringActions, MoldChoosesQuotesOrBracesAndEscapes) {
  struct Case {
    std::string in;
    bool all;
    std::string out;
  };
  const Case cases[] = {
      {std::string(49, 'a'), false, "\"" + std::string(49, 'a') + "\""},
      {std::string(50, 'a'), false, "{" + std::string(50, 'a') + "}"},
      {"a\"b", false, "{a\"b}"},
      {"\t\n\x1E", false, "\"^-^/^(1E)\""},
      {"\x01\x1F\x7F^\"", false, "{^A^_^~^^\"}"},
      {"\xC3\xA9", false, "\"\xC3\xA9\""},
      {"\xC3\xA9", true, "\"^(E9)\""},
      {"\xC2\x85", false, "\"^(85)\""},
      {"\xF0\x9F\x98\x80", true, "\"^(1F600)\""},
      {"a\nb\nc\nd", false, "{a^/b^/c^/d}"},
      {"\"{x}", false, "{\"{x}}"},             // balanced braces stay plain
      {"\"{x", false, "{\"^{x}"},              // an opening brace without partner
      {"\"x}", false, "{\"x^}}"},              // a closing brace without partner
      {"\"{{x}", false, "{\"^{^{x^}}"},        // from the first unpaired one on, all escaped
      {"\"{a}{", false, "{\"{a}^{}"},
  };
  for (const Case& c : cases) EXPECT_EQ(mold(*text(c.in), c.all), c.out) << c.in;
}

TEST_F(StringActions, FormAppendsTheTextUpToThePartLimit) {
  EXPECT_EQ(form(*text("h\xC3\xA9llo")), "h\xC3\xA9llo");
  Cell* v = text("abcdef");
  v->w1 = 1;
  Cell* buffer = string::make_at(stack::push_unset(), 4);
  Cell* part = stack::push(make_integer(3));
  EXPECT_EQ(string::form(v, buffer, part, 3), 0);
  EXPECT_EQ(utf8(*buffer), "bcd");
}

// ---- comparison

TEST_F(StringActions, CompareFoldsCaseUnlessStrict) {
  struct Case {
    const char* a;
    const char* b;
    int op;
    int answer;
  };
  const Case cases[] = {
      {"abc", "ABC", cmp::equal, 0},      {"abc", "ABC", cmp::strict_equal, 1},
      {"abc", "abd", cmp::lesser, -1},    {"ab", "abc", cmp::equal, 1},
      {"ab", "abc", cmp::lesser, -1},     {"abc", "ab", cmp::greater, 1},
      {"", "", cmp::equal, 0},            {"", "a", cmp::lesser, -1},
      {"b", "", cmp::greater, 1},         {"\xC3\xA9", "\xC3\x89", cmp::equal, 0},
      {"\xC3\x9F", "s", cmp::equal, 0},   {"a", "B", cmp::sort, -1},
      {"a", "B", cmp::case_sort, 1},      {"abc", "ABC", cmp::same, -1},
  };
  for (const Case& c : cases) {
    stack::Mark mark;
    EXPECT_EQ(string::compare(text(c.a), text(c.b), c.op), c.answer) << c.a << " " << c.b << " " << c.op;
  }
  Cell* s = text("x");
  EXPECT_EQ(string::compare(s, stack::push(*s), cmp::same), 0);
}

TEST_F(StringActions, CompareAcrossTextTypesOnlyForEquality) {
  EXPECT_EQ(string::compare(text("a"), text("A", Type::file), cmp::equal), 0);
  EXPECT_NE(string::compare(text("a"), text("b", Type::file), cmp::not_equal), 0);
  EXPECT_EQ(string::compare(text("a"), text("a", Type::file), cmp::lesser), -2);
  EXPECT_EQ(string::compare(text("a"), text("a", Type::file), cmp::strict_equal), -2);
  EXPECT_EQ(string::compare(text("a"), stack::push(make_integer(1)), cmp::equal), -2);
}

TEST_F(StringActions, PrefixMatch) {
  EXPECT_EQ(string::compare_strings(text("abc"), text("AB"), cmp::equal, true), 0);
  EXPECT_NE(string::compare_strings(text("ab"), text("abc"), cmp::equal, true), 0);
  EXPECT_EQ(string::compare_strings(text("ab"), text(""), cmp::find, true), 1);
}

// A value from a short spec: "#c" a char!, "%x" a file!, digits an integer!, else a string!.
Cell* val(std::string_view spec) {
  if (spec.size() == 2 && spec[0] == '#') return stack::push(make_char(static_cast<uint8_t>(spec[1])));
  if (!spec.empty() && spec[0] == '%') return text(spec.substr(1), Type::file);
  if (!spec.empty() && spec[0] >= '0' && spec[0] <= '9') return stack::push(make_integer(std::stoi(std::string(spec))));
  return text(spec);
}

// ---- find and select

TEST_F(StringActions, FindByRefinements) {
  Cell two = make_integer(2);
  struct Case {
    const char* series;
    int head;
    const char* value;
    FindOptions o;
    int found;  // 0-based index of the answer, -1 for none
  };
  const Case cases[] = {
      {"abcabc", 0, "bc", {}, 1},
      {"abcabc", 2, "bc", {}, 4},
      {"abcabc", 0, "B", {}, 1},
      {"abcabc", 0, "B", {.case_ = true}, -1},
      {"abcabc", 0, "#C", {}, 2},
      {"abcabc", 0, "bc", {.last = true}, 4},
      {"abcabc", 6, "bc", {.reverse = true}, 4},
      {"abcabc", 4, "bc", {.reverse = true}, 1},
      {"abcabc", 0, "bc", {.tail = true}, 3},
      {"abcabc", 0, "ab", {.match = true}, 0},
      {"abcabc", 0, "bc", {.match = true}, -1},
      {"ab", 0, "abc", {.match = true}, -1},
      {"abcabc", 0, "#c", {.skip = &two}, 2},
      {"acbcab", 0, "#c", {.skip = &two}, -1},
      {"abcabc", 0, "#c", {.part = &two}, -1},
      {"abcabc", 0, "B", {.part = &two}, 1},
      {"x\xC3\x89y", 0, "\xC3\xA9", {}, 1},
      {"a12b", 0, "12", {}, 1},
      {"abc", 0, "%bc", {}, 1},
      {"abc", 0, "", {}, -1},
      {"", 0, "#c", {}, -1},
      {"abc", 3, "#c", {}, -1},
  };
  for (const Case& c : cases) {
    stack::Mark mark;
    Cell* s = text(c.series);
    s->w1 = static_cast<uint32_t>(c.head);
    Cell* r = string::find(s, val(c.value), c.o);
    std::string what = std::string(c.series) + " / " + c.value + " case " + std::to_string(&c - cases);
    if (c.found < 0) EXPECT_TRUE(r->is(Type::none_)) << what;
    else EXPECT_EQ(r->is(Type::string) ? series_head(*r) : -2, c.found) << what;
  }
}

TEST_F(StringActions, FindErrors) {
  Cell zero = make_integer(0);
  EXPECT_EQ(raised([&] { string::find(text("abc"), val("#a"), {.skip = &zero}); }), Err::script_out_of_range);
  EXPECT_EQ(raised([&] { string::find(text("abc"), binary({'a'}), {}); }), Err::script_invalid_arg);
  EXPECT_EQ(raised([&] { string::find(text("abc"), val("#a"), {.any = true}); }), Err::internal_not_done);
}

TEST_F(StringActions, FindInABinary) {
  Cell* b = binary({1, 'a', 0xC3, 0xA9, 7});
  EXPECT_EQ(series_head(*string::find(stack::push(*b), val("7"), {})), 4);
  EXPECT_EQ(series_head(*string::find(stack::push(*b), text("\xC3\xA9"), {})), 2) << "text as UTF-8";
  EXPECT_TRUE(string::find(stack::push(*b), val("300"), {})->is(Type::none_));
}

TEST_F(StringActions, SelectAnswersTheCharacterAfterTheMatch) {
  Cell* r = string::select(text("abc"), val("#B"), {});
  ASSERT_TRUE(r->is(Type::char_));
  EXPECT_EQ(char_of(*r), uint32_t{'c'});
  EXPECT_TRUE(string::select(text("abc"), val("#c"), {})->is(Type::none_));
  EXPECT_EQ(string::select(binary({1, 2}), val("1"), {})->int_value(), 2);
}

// ---- append, insert, change

Cell* add(Cell* s, Cell* v, int32_t part = -1, int32_t dup = 1, bool is_append = true) {
  return string::append(s, v, part, false, dup, is_append);
}

std::string from_head(Cell s) {
  s.w1 = 0;
  return utf8(s);
}

TEST_F(StringActions, AppendAndInsert) {
  Cell* s = text("ab");
  s->w1 = 1;
  add(s, text("cd"));
  EXPECT_EQ(series_head(*s), 0) << "append answers the series at its head";
  EXPECT_EQ(utf8(*s), "abcd");
  add(s, text("xyz"), 1, 3);
  EXPECT_EQ(utf8(*s), "abcdxxx");
  s->w1 = 2;
  add(s, text("_"), -1, 2, false);
  EXPECT_EQ(series_head(*s), 4) << "insert answers the position after the inserted text";
  EXPECT_EQ(from_head(*s), "ab__cdxxx");
  add(s, val("#!"), -1, 2, false);
  EXPECT_EQ(from_head(*s), "ab__!!cdxxx");
  Cell* t = text("x");
  add(t, block_of({*text("a"), make_char('b'), *text("c")}));
  EXPECT_EQ(utf8(*t), "xabc") << "a block's elements are formed one by one";
}

TEST_F(StringActions, AppendingAStringToItself) {
  Cell* s = text("abc");
  add(s, stack::push(*s));
  EXPECT_EQ(utf8(*s), "abcabc");
  Cell* t = text("abc");
  Cell source = *t;
  t->w1 = 1;
  add(t, stack::push(source), -1, 2, false);
  EXPECT_EQ(from_head(*t), "aabcabcbc");
}

TEST_F(StringActions, WideningOnAppendInsertAndChange) {
  Cell* s = text("ab");
  add(s, val("#\xE9"));
  EXPECT_EQ(unit_of(*s), 2u) << "appending a char above ASCII widens";
  Cell* t = text("ab");
  string::change(t, val("#\xE9"), -1, false, 1);
  EXPECT_EQ(unit_of(*t), 1u) << "changing to a Latin-1 char keeps one byte";
  EXPECT_EQ(from_head(*t), "\xC3\xA9" "b");
  Cell* u = text("ab");
  u->w1 = 1;
  add(u, text("\xE2\x82\xAC"), -1, 1, false);
  EXPECT_EQ(unit_of(*u), 2u);
  EXPECT_EQ(from_head(*u), "a\xE2\x82\xAC" "b");
  add(u, text("\xF0\x9F\x98\x80"));
  EXPECT_EQ(unit_of(*u), 4u);
  EXPECT_EQ(utf8(*u), "a\xE2\x82\xAC" "b\xF0\x9F\x98\x80");
}

TEST_F(StringActions, ChangeReplacesWhatItWritesOrThePart) {
  struct Case {
    const char* series;
    int head;
    const char* value;
    int part;
    int dup;
    const char* out;
    int after;
  };
  const Case cases[] = {
      {"abcd", 0, "XY", -1, 1, "XYcd", 2},
      {"abcd", 1, "XY", -1, 1, "aXYd", 3},
      {"ab", 1, "WXYZ", -1, 1, "aWXYZ", 5},
      {"abcd", 0, "X", 3, 1, "Xd", 1},
      {"abcd", 0, "WXYZ", 1, 1, "WXYZbcd", 4},
      {"abcd", 0, "xy", -1, 2, "xyxy", 4},
      {"abcd", 1, "#-", 2, 1, "a-d", 2},
      {"abcd", 0, "#-", -1, 3, "---d", 3},
      {"abcd", 0, "12", -1, 1, "12cd", 2},
  };
  for (const Case& c : cases) {
    stack::Mark mark;
    Cell* s = text(c.series);
    s->w1 = static_cast<uint32_t>(c.head);
    string::change(s, val(c.value), c.part, false, c.dup);
    EXPECT_EQ(from_head(*s), c.out) << c.series << " " << c.value;
    EXPECT_EQ(series_head(*s), c.after) << c.series << " " << c.value;
  }
}

TEST_F(StringActions, ChangeWithItsOwnText) {
  Cell* s = text("abcd");
  Cell source = *s;
  source.w1 = 2;
  s->w1 = 1;
  string::change(s, stack::push(source), -1, false, 1);
  EXPECT_EQ(from_head(*s), "acdd");
}

// ---- take and swap

TEST_F(StringActions, TakeAnswersACharOrAString) {
  Cell* s = text("abc");
  Cell* r = string::take(s, nullptr, false, false);
  ASSERT_TRUE(r->is(Type::char_));
  EXPECT_EQ(char_of(*r), uint32_t{'a'});
  EXPECT_EQ(char_of(*string::take(s, nullptr, false, true)), uint32_t{'c'});
  EXPECT_EQ(utf8(*s), "b");
  Cell* t = text("abcd");
  Cell* part = stack::push(make_integer(2));
  EXPECT_EQ(utf8(*string::take(t, part, false, false)), "ab");
  EXPECT_TRUE(string::take(text(""), nullptr, false, false)->is(Type::none_));
  EXPECT_EQ(string::take(binary({9, 8}), nullptr, false, false)->int_value(), 9);
}

TEST_F(StringActions, SwapExchangesTheHeadCharacters) {
  Cell* a = text("ab");
  Cell* b = text("\xE2\x82\xACy");
  string::swap(a, b);
  EXPECT_EQ(utf8(*a), "\xE2\x82\xAC" "b");
  EXPECT_EQ(utf8(*b), "ay");
  EXPECT_EQ(raised([&] { string::swap(a, val("1")); }), Err::script_invalid_arg);
  Cell* empty = text("");
  string::swap(a, empty);
  EXPECT_EQ(utf8(*a), "\xE2\x82\xAC" "b");
}

// ---- trim

TEST_F(StringActions, TrimModes) {
  enum Mode { plain, head, tail, lines, all };
  struct Case {
    std::string in;
    Mode mode;
    std::string out;
  };
  const Case cases[] = {
      {"  a  \n  b  \n\n", plain, "a\nb\n"},
      {"\t a b \t", plain, "a b"},
      {"x\r\n  y", plain, "x\r\ny"},
      {"\xE3\x80\x80" "a\xC2\xA0", plain, "a"},
      {"  a  ", head, "a  "},
      {"  a \n", tail, "  a"},
      {" a \n\t b  c ", lines, "a b c"},
      {" a\tb\nc\r ", all, "abc"},
      {std::string("\0a\0", 3), plain, std::string("\0a\0", 3)},  // NUL is not whitespace
  };
  for (const Case& c : cases) {
    stack::Mark mark;
    Cell* s = text(c.in);
    string::trim(s, c.mode == head, c.mode == tail, false, c.mode == lines, c.mode == all, nullptr);
    EXPECT_EQ(utf8(*s), c.out) << c.in;
  }
}

TEST_F(StringActions, TrimWithRemovesTheGivenCharacters) {
  Cell* s = text("axbxc");
  string::trim(s, false, false, false, false, false, val("#x"));
  EXPECT_EQ(utf8(*s), "abc");
  Cell* t = text("abcab\xE2\x82\xAC");
  t->w1 = 1;
  string::trim(t, false, false, false, false, true, text("a\xE2\x82\xAC"));
  EXPECT_EQ(from_head(*t), "abcb");
  string::trim(t, false, false, false, false, false, text(""));
  EXPECT_EQ(from_head(*t), "abcb");
  EXPECT_EQ(raised([&] { string::trim(t, false, false, true, false, false, nullptr); }), Err::internal_not_done);
}

// ---- make, to and paths

TEST_F(StringActions, MakeAndTo) {
  Cell* made = string::make(nullptr, val("10"), Type::file);
  EXPECT_TRUE(made->is(Type::file));
  EXPECT_EQ(string::length_q(*made), 0);
  EXPECT_EQ(raised([] { string::make(nullptr, stack::push(make_integer(-1)), Type::string); }),
            Err::script_out_of_range);
  Cell* source = text("abc");
  source->w1 = 1;
  Cell* copy = string::to(nullptr, source, Type::url);
  EXPECT_TRUE(copy->is(Type::url));
  EXPECT_EQ(utf8(*copy), "bc");
  EXPECT_NE(series_node(*copy), series_node(*source));
  EXPECT_EQ(utf8(*string::to(nullptr, binary({'x', 0xC3, 0xA9}), Type::string)), "x\xC3\xA9");
  EXPECT_EQ(raised([] { string::to(nullptr, binary({'x', 0xC3}), Type::string); }), Err::access_invalid_utf8);
  EXPECT_EQ(utf8(*string::to(nullptr, block_of({*text("a"), make_char('b')}), Type::string)), "ab");
  EXPECT_EQ(utf8(*string::to(nullptr, val("#q"), Type::string)), "q");
  EXPECT_EQ(raised([] { string::to(nullptr, stack::push(make_none()), Type::string); }), Err::script_bad_to_arg);
}

TEST_F(StringActions, PathsPickPokeAndSelect) {
  PathStep step;
  Cell* s = text("abc");
  EXPECT_EQ(char_of(*string::eval_path(s, val("2"), nullptr, step)), uint32_t{'b'});
  string::eval_path(s, val("2"), val("#X"), step);
  EXPECT_EQ(utf8(*s), "aXc");
  EXPECT_EQ(char_of(*string::eval_path(s, val("#a"), nullptr, step)), uint32_t{'X'});
  string::eval_path(s, val("#x"), val("#y"), step);
  EXPECT_EQ(utf8(*s), "aXy") << "the character after the folded match";
  Cell* w = stack::push(make_cell(Type::word, 0, 1));
  EXPECT_EQ(raised([&] { string::eval_path(s, w, nullptr, step); }), Err::script_invalid_path);
  EXPECT_EQ(raised([&] { string::eval_path(s, val("#q"), val("#y"), step); }), Err::script_bad_path_set);
}

// ---- sort

TEST_F(StringActions, SortCharactersAndRecords) {
  Cell two = make_integer(2);
  struct Case {
    const char* in;
    SortOptions o;
    const char* out;
  };
  const Case cases[] = {
      {"cba", {}, "abc"},
      {"bAaB", {.stable = true}, "AabB"},
      {"bAaB", {.case_ = true}, "ABab"},
      {"abc", {.reverse = true}, "cba"},
      {"b1a2", {.skip = &two}, "a2b1"},
      {"a2b1", {.skip = &two, .compare = &two}, "b1a2"},
      {"b_A", {}, "Ab_"},  // letter case folds up, as for every unit
  };
  for (const Case& c : cases) {
    stack::Mark mark;
    Cell* s = text(c.in);
    string::sort(s, c.o);
    EXPECT_EQ(utf8(*s), c.out) << c.in;
  }
  Cell* wide = text("b_A\xE2\x82\xAC");
  string::sort(wide, {});
  EXPECT_EQ(utf8(*wide), "Ab_\xE2\x82\xAC") << "a two-byte string folds like a one-byte one";
}

TEST_F(StringActions, SortABinaryFoldsOnlyAsciiLetters) {
  Cell* b = binary({'b', 'A', 0xE9, 'a', 0xC9, 'B'});
  string::sort(b, {.stable = true});
  SeriesBuffer* buf = buffer_of(series_node(*b));
  EXPECT_EQ(std::vector<uint8_t>(buf->data(), buf->data() + buf->tail),
            (std::vector<uint8_t>{'A', 'a', 'b', 'B', 0xC9, 0xE9}));
}

// /stable keeps records of equal keys in their order with /case as without.
TEST_F(StringActions, StableSortWithCase) {
  std::string in;
  for (int i = 0; i < 40; ++i) in += std::string(1, i % 3 ? 'b' : 'a') + static_cast<char>('0' + i % 10);
  std::vector<std::string> records;
  for (size_t i = 0; i < in.size(); i += 2) records.push_back(in.substr(i, 2));
  std::stable_sort(records.begin(), records.end(), [](auto& x, auto& y) { return x[0] < y[0]; });
  std::string expected;
  for (auto& r : records) expected += r;
  Cell two = make_integer(2);
  for (bool case_sensitive : {false, true}) {
    Cell* s = text(in);
    string::sort(s, {.case_ = case_sensitive, .skip = &two, .stable = true});
    EXPECT_EQ(utf8(*s), expected) << case_sensitive;
  }
}

TEST_F(StringActions, SortPartAndErrors) {
  Cell* s = text("dcba");
  s->w1 = 2;
  Cell back = make_integer(-2);
  string::sort(s, {.part = &back});
  EXPECT_EQ(series_head(*s), 0) << "a negative part sorts before the head and moves it there";
  EXPECT_EQ(utf8(*s), "cdba");
  Cell two = make_integer(2), three = make_integer(3);
  EXPECT_EQ(raised([&] { string::sort(text("abc"), {.skip = &two}); }), Err::script_out_of_range);
  EXPECT_EQ(raised([&] { string::sort(text("abcd"), {.skip = &two, .compare = &three}); }), Err::script_out_of_range);
  EXPECT_EQ(raised([&] { string::sort(text("abcd"), {.all = true}); }), Err::script_bad_refines);
}

// ---- set operations

TEST_F(StringActions, SetOperations) {
  Cell two = make_integer(2), zero = make_integer(0);
  struct Case {
    const char* a;
    const char* b;
    int op;
    bool case_sensitive;
    Cell* skip;
    const char* out;
  };
  const Case cases[] = {
      {"aabbca", nullptr, 8, false, nullptr, "abc"},
      {"aA", nullptr, 8, false, nullptr, "a"},
      {"aA", nullptr, 8, true, nullptr, "aA"},
      {"ab", "bcb", 9, false, nullptr, "abc"},
      {"abcb", "bcd", 10, false, nullptr, "bc"},
      {"abca", "B", 11, false, nullptr, "ac"},
      {"abc", "bcd", 12, false, nullptr, "ad"},
      {"a1a2b3", nullptr, 8, false, &two, "a1b3"},
  };
  for (const Case& c : cases) {
    stack::Mark mark;
    Cell* a = text(c.a);
    Cell* r = string::set_operation(a, c.b ? text(c.b) : nullptr, c.op, c.case_sensitive, c.skip);
    EXPECT_EQ(utf8(*r), c.out) << c.a << " " << c.op;
  }
  Cell* kept = text("aab");
  Cell original = *kept;
  string::set_operation(kept, nullptr, 8, false, nullptr);
  EXPECT_EQ(utf8(original), "aab") << "the first argument's own text is left alone";
  EXPECT_EQ(raised([&] { string::set_operation(text("a"), nullptr, 8, false, &zero); }),
            Err::script_invalid_refine_arg);
}

// ---- parse helpers and the text types

TEST_F(StringActions, ParseHelpers) {
  EXPECT_TRUE(string::match_value(text("Abc"), text("ab"), cmp::equal));
  EXPECT_FALSE(string::match_value(text("Abc"), text("ab"), cmp::strict_equal));
  EXPECT_TRUE(string::match_value(text("abc"), val("#A"), cmp::equal));
  EXPECT_FALSE(string::match_value(text("abc"), val("#A"), cmp::strict_equal));
  Cell* tag = text("b", Type::tag);
  EXPECT_TRUE(string::tag_delimited_q(*text("<a>x"), *tag));
  EXPECT_FALSE(string::tag_delimited_q(*text("<ab>"), *tag));
  EXPECT_TRUE(string::match_value(text("<B>x"), tag, cmp::equal));
  EXPECT_FALSE(string::match_value(text("<a>x"), tag, cmp::equal));
  EXPECT_FALSE(string::match_value(text("abc"), val("1"), cmp::equal));
}

TEST_F(StringActions, TextTypesTakeStringEntries) {
  for (Type t : {Type::url, Type::file, Type::tag, Type::email, Type::ref}) {
    EXPECT_EQ(registry::raw_entry(t, Action::find), registry::raw_entry(Type::string, Action::find));
    EXPECT_EQ(registry::raw_entry(t, Action::copy), registry::raw_entry(Type::series, Action::copy));
    EXPECT_EQ(registry::raw_entry(t, Action::sort), nullptr);
  }
  EXPECT_EQ(registry::raw_entry(Type::ref, Action::append), nullptr);
  EXPECT_EQ(registry::raw_entry(Type::email, Action::form), registry::raw_entry(Type::string, Action::form));
}

}  // namespace
}  // namespace vyn::test
