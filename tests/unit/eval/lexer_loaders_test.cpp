// The lexer's token loaders: what each literal loads as, and which literals are refused.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/unit/eval/lexer_support.hpp"

namespace vyn::test {
namespace {

using LexerLoaders = RuntimeTest;

struct Case {
  const char* text;
  const char* expected;
};

void expect_loads(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    stack::Mark mark;
    std::string got;
    try {
      got = loaded(c.text);
    } catch (const Raised&) {
      got = std::string("error ") + error_info(pending_error().id).word;
    }
    EXPECT_EQ(got, c.expected) << "text: " << c.text;
  }
}

TEST_F(LexerLoaders, Words) {
  expect_loads({
      {"abc", "abc"},        {"abc:", "abc:"},     {":abc", ":abc"},   {"'abc", "'abc"},
      {"/ref", "/ref"},      {"#iss", "#iss"},     {"/", "/"},         {"//", "//"},
      {"/:", "/:"},          {":/", ":/"},         {"+", "+"},         {"-", "-"},
      {"<", "<"},            {"<=", "<="},         {"<>", "<>"},       {">=", ">="},
      {"%", "%"},            {"a.b", "a.b"},       {"a-b", "a-b"},     {"-a", "-a"},
      {"+a1", "+a1"},        {"é", "é"},         {"é:", "é:"},     {"a!?", "a!?"},
      {"Ah", "error invalid"},                      {"'a:", "error invalid"},
      {"#", "error invalid"},                       {":a:", "error invalid"},
  });
}

TEST_F(LexerLoaders, WordsAreBoundInTheGlobalContext) {
  Cell b = load("foo foo: :foo");
  Cell* cells = block::cells(b);
  EXPECT_NE(word::context(cells[0]), 0u);
  EXPECT_EQ(word::context(cells[0]), word::context(cells[1]));
  EXPECT_EQ(word::symbol(cells[0]), word::symbol(cells[2]));
}

TEST_F(LexerLoaders, Integers) {
  expect_loads({
      {"0", "0"},
      {"7", "7"},
      {"-7", "-7"},
      {"+7", "7"},
      {"2147483647", "2147483647"},
      {"2147483648", "2147483648.0"},
      {"-2147483648", "-2147483648"},
      {"-2147483649", "-2147483649.0"},
      {"1'000'000", "1000000"},
      {"12345678901", "12345678901.0"},
      {"00000000001", "1.0"},
      {"1''000", "error invalid"},
      {"FFh", "255"},
      {"0FFh", "255"},
      {"FFFFFFFFh", "-1"},
      {"7FFFFFFFh", "2147483647"},
      {"123456789h", "error invalid"},
      {"1h", "error invalid"},
  });
}

TEST_F(LexerLoaders, Floats) {
  expect_loads({
      {"1.5", "1.5"},          {".5", "0.5"},           {"-.5", "-0.5"},
      {"1e3", "1000.0"},       {"1.5E-3", "0.0015"},    {"1'000.25", "1000.25"},
      {"1.", "1.0"},           {"+1.5", "1.5"},         {"0.1", "0.1"},
      {"1.#INF", "1.#INF"},    {"-1.#inf", "-1.#INF"},  {"1.#NaN", "1.#NaN"},
      {"1.#XYZ", "error invalid"},                      {"1.5e", "error invalid"},
      {"1e400", "1.#INF"},
  });
  Cell nan = block::cells(load("1.#nan"))[0];
  EXPECT_TRUE(std::isnan(nan.float_value()));
}

TEST_F(LexerLoaders, Strings) {
  expect_loads({
      {R"~("abc")~", R"~("abc")~"},
      {R"~("")~", R"~("")~"},
      {R"~("a^/b^-c")~", "\"a\nb\tc\""},
      {R"~("^(41)^(tab)^(line)^(ESC)")~", "\"A\t\n\x1B\""},
      {R"~("^"q^"")~", R"~(""q"")~"},
      {R"~("^^")~", R"~("^")~"},
      {R"~("^a^Z^~")~", "\"\x01\x1A\x7F\"" },
      {R"~("é€")~", R"~("é€")~"},
      {R"~("^(20AC)")~", R"~("€")~"},
      {R"~({a {b} c})~", R"~("a {b} c")~"},
      {"{a\nb}", "\"a\nb\""},
      {R"~({a^}b})~", R"~("a}b")~"},
      {R"~(%{a}b}%)~", R"~("a}b")~"},
      {R"~(%%{a}%b}%%)~", R"~("a}%b")~"},
      {R"~(%%{a}%}%%)~", R"~("a}%")~"},
      {R"~(%%{a}% b}%%)~", R"~("a}% b")~"},
      {R"~(%%{a}%%%)~", "error invalid"},
      {R"~(%%{a}%)~", "error invalid"},
      {R"~(%%{a}%%b)~", "error invalid"},
      {R"~(%%{x^/}%%)~", R"~("x^/")~"},
      {R"~(%{a}%%)~", "error invalid"},
      {R"~("a^(zz)")~", "error invalid"},
      {R"~("^(110000)")~", "error invalid"},
      {"\"a\nb\"", "error invalid"},
      {"{a", "error invalid"},
      {"}", "error bad-char"},
  });
}

TEST_F(LexerLoaders, StringUnits) {
  struct Unit {
    const char* text;
    uint32_t unit;
  } cases[] = {
      {R"~("abc")~", 1},        {R"~("é")~", 2},        {R"~("€")~", 2},
      {"\"\xF0\x9F\x98\x80\"", 4}, {R"~("^(2030)")~", 2}, {R"~("^(1F600)")~", 4},
      {R"~("^(41)")~", 1},      {R"~("^(tab)")~", 1},   {R"~({é})~", 2},
  };
  for (const Unit& c : cases) {
    stack::Mark mark;
    Cell s = block::cells(load(c.text))[0];
    EXPECT_EQ(buffer_of(series_node(s))->unit(), c.unit) << c.text;
  }
}

TEST_F(LexerLoaders, Characters) {
  expect_loads({
      {R"~(#"a")~", "char:97"},         {R"~(#"^(41)")~", "char:65"},   {R"~(#"^(tab)")~", "char:9"},
      {R"~(#"^/")~", "char:10"},        {R"~(#"^-")~", "char:9"},       {R"~(#"é")~", "char:233"},
      {R"~(#"^(10FFFF)")~", "char:1114111"}, {R"~(#"^")~", "error invalid"},
      {R"~(#"ab")~", "error invalid"},  {R"~(#"")~", "error invalid"},
      {R"~(#"^(110000)")~", "error invalid"}, {R"~(#"^(1234567)")~", "error invalid"},
  });
}

TEST_F(LexerLoaders, FilesUrlsAndOtherText) {
  expect_loads({
      {"%a/b.txt", R"~(file!"a/b.txt")~"},
      {"%a%20b", R"~(file!"a b")~"},
      {"%a%C3%A9", R"~(file!"aé")~"},
      {"%a%E9", R"~(file!"a%E9")~"},
      {"%a%A9%", R"~(file!"a©%")~"},
      {R"~(%"a b^/")~", "file!\"a b\n\""},
      {"%a^b", R"~(file!"a^b")~"},
      {"http://a.b/c%20d", R"~(url!"http://a.b/c d")~"},
      {"a@b.c", R"~(email!"a@b.c")~"},
      {"<a href=\"x\">", R"~(tag!"a href="x"")~"},
      {"@ref", R"~(ref!"ref")~"},
      {"'a:b", "error invalid"},
  });
}

TEST_F(LexerLoaders, Binaries) {
  expect_loads({
      {"#{}", "#{}"},
      {"#{DEADbeef}", "#{DEADBEEF}"},
      {"#{00 01\n02 ; comment }\n03}", "#{00010203}"},
      {"16#{FF}", "#{FF}"},
      {"2#{00000001 11111111}", "#{01FF}"},
      {"64#{AQID}", "#{010203}"},
      {"64#{AQI=}", "#{0102}"},
      {"64#{AQ==}", "#{01}"},
      {"#{F}", "error invalid"},
      {"#{GG}", "error invalid"},
      {"2#{0101}", "error invalid"},
      {"8#{00}", "error invalid"},
      {"64#{A}", "error invalid"},
      {"64#{AQ=I}", "error invalid"},
  });
}

TEST_F(LexerLoaders, ConstructionSyntax) {
  expect_loads({
      {"#(true)", "true"},
      {"#(FALSE)", "false"},
      {"#(none)", "none"},
      {"#(unset)", "unset"},
      {"#(integer!)", "integer!"},
      {"#(Block!)", "block!"},
      {"#(foo)", "error malconstruct"},
  });
}

// Literals of datatypes made elsewhere are checked here: a checking scan names their type, or
// error! when the text is malformed.
TEST_F(LexerLoaders, ChecksOfOtherDatatypes) {
  struct Guess {
    const char* text;
    Type type;
  } cases[] = {
      {"1.2.3", Type::tuple},           {"1.2.3.4.5.6.7.8.9.10.11.12", Type::tuple},
      {"1.2.256", Type::error},         {"1.2.3.4.5.6.7.8.9.10.11.12.13", Type::error},
      {"1.2..3", Type::error},          {"1x2", Type::pair},
      {"-1x+2", Type::pair},            {"1x", Type::error},
      {"1x2.5", Type::error},           {"10%", Type::percent},
      {"1.5%", Type::percent},          {"(1, 2)", Type::point2D},
      {"(1.5, -2, 3e2)", Type::point3D}, {"(1, 2, 3, 4)", Type::error},
      {"(1.#INF, 2)", Type::point2D},   {"(1 , )", Type::error},
      {"$1.50", Type::money},           {"-$0.99", Type::money},
      {"USD$1'000.50", Type::money},    {"$1.234567", Type::error},
      {"$1''000", Type::error},         {"US$1", Type::error},
      {"USDD$1", Type::error},          {"$123456789012345678", Type::error},
      {"$12345678901234567", Type::money}, {"$000", Type::money},
      {"$1'", Type::error},             {"10:20", Type::time},
      {"10:20:30.5", Type::time},       {"10:20.5", Type::time},
      {"-0:30", Type::time},            {"1:75", Type::time},
      {"10:20:", Type::error},          {"10:2e", Type::error},
  };
  for (const Guess& c : cases) {
    stack::Mark mark;
    EXPECT_EQ(guessed(c.text), c.type) << c.text;
  }
}

TEST_F(LexerLoaders, Dates) {
  struct Guess {
    const char* text;
    bool ok;
  } cases[] = {
      {"2023-01-15", true},       {"15-01-2023", true},          {"15/Jan/2023", true},
      {"15-january-2023", true},  {"15-Jan/2023", false},        {"2023-Ju-01", false},
      {"1-1-99", true},           {"1-1-49", true},              {"1-1-0099", true},
      {"29-Feb-2024", true},      {"29-Feb-2023", false},        {"2023-04-31", false},
      {"2023-01-15/10:20:30+01:00", true}, {"2023-01-15T10:20Z", true},
      {"2023-01-15/24:00", false}, {"20230115T1020Z", true},     {"20230115T102030+0100", true},
      {"20230115T1020", false},   {"2023-W01-1", true},          {"2023-W01-8", false},
      {"2023-W01", true},         {"2023-032", true},            {"2023-000", false},
      {"2023-13-01", false},      {"2023-01-15/10:20:60", false}, {"2023-01-15/10:20-16", false},
      {"2023-01-15x", false},     {"15-Foo-2023", false},
  };
  for (const Guess& c : cases) {
    stack::Mark mark;
    EXPECT_EQ(guessed(c.text), c.ok ? Type::date : Type::error) << c.text;
  }
}

}  // namespace
}  // namespace vyn::test
