// The lexer's byte classes, transitions and float automaton.
#include <gtest/gtest.h>

#include "values/lexer/tables.hpp"

namespace vyn::lexer {
namespace {

TEST(LexerTables, ClassesAndFlags) {
  struct Case {
    uint8_t byte;
    uint8_t cls;
    uint32_t flags;
  } cases[] = {
      {'\t', cls::blank, 0},      {'\r', cls::blank, 0},        {'\n', cls::line_feed, 0},
      {'0', cls::zero, 0},        {'9', cls::digit, 0},         {'#', cls::hash, flag::hash},
      {'\'', cls::quote, flag::quote}, {'X', cls::x, 0},        {'T', cls::t, 0},
      {'t', cls::other, 0},       {'h', cls::h, 0},             {'H', cls::other, 0},
      {'e', cls::e_lower, flag::exp}, {'E', cls::e_upper, flag::exp}, {'f', cls::hex_lower, 0},
      {'F', cls::hex_upper, 0},   {'G', cls::other, 0},         {'^', cls::caret, flag::caret},
      {'.', cls::dot, flag::dot}, {',', cls::comma, flag::comma}, {'-', cls::minus, flag::sign},
      {0x0B, cls::control, 0},    {0x7F, cls::continuation, 0}, {0xBF, cls::continuation, 0},
      {0xC0, cls::never, 0},      {0xC2, cls::other, flag::utf8_2_3},
      {0xEF, cls::other, flag::utf8_2_3}, {0xF0, cls::other, flag::utf8_4},
      {0xF7, cls::other, flag::utf8_4}, {0xF8, cls::never, 0}, {0, cls::end, flag::nul},
      {'|', cls::other, 0},       {'~', cls::other, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(class_of(c.byte), c.cls) << "byte " << int(c.byte);
    EXPECT_EQ(flags_of(c.byte), c.flags) << "byte " << int(c.byte);
  }
}

// Each case walks the machine from a start state over a text and names the final state reached.
TEST(LexerTables, TransitionsEndTokensInTheirKinds) {
  struct Case {
    uint8_t start;
    const char* text;
    uint8_t final;
  } cases[] = {
      {0, "   ", 66},     {0, "[", 68},        {0, "}", 67},        {0, "abc ", 80},
      {0, "abc:", 80},    {0, "abc/", 75},     {0, "#abc ", 81},    {0, "#[", 74},
      {0, "#(none)", 76}, {0, "; x\n", 77},    {0, ",", 78},        {0, "\"a\"", 79},
      {0, "123 ", 82},    {0, "/ref ", 83},    {0, "#\"a\"", 84},   {0, "%a.txt ", 85},
      {0, "#{00}", 86},   {0, "5%", 87},       {0, "1.5 ", 88},     {0, "1.#INF ", 89},
      {0, "1.2.3 ", 90},  {0, "1-2-3 ", 91},   {0, "1x2 ", 92},     {0, "10:20 ", 94},
      {0, "$1.5 ", 95},   {0, "<a>", 96},      {0, "a:b ", 97},     {0, "a@b ", 98},
      {0, "FFh ", 99},    {0, "%{a}% ", 100},  {0, "@ref ", 101},   {35, "1, 2)", 93},
      {4, "abc}", 73},    {4, "ab{", 72},      {59, "b ", 80},      {59, "1 ", 82},
      {0, "\"a\nb\"", 67}, {0, "1''", 82},     {0, "1a", 67},       {0, "-", 80},
  };
  const auto& table = transitions();
  for (const Case& c : cases) {
    uint8_t state = c.start;
    const char* p = c.text;
    for (;;) {
      uint8_t cl = *p ? class_of(static_cast<uint8_t>(*p)) : cls::end;
      uint8_t next = table[state][cl];
      if (next >= first_final || !*p) {
        state = next >= first_final ? next : table[next][cls::end];
        break;
      }
      state = next;
      ++p;
    }
    EXPECT_EQ(state, c.final) << c.text;
  }
}

TEST(LexerTables, FloatAutomaton) {
  struct Case {
    const char* text;
    bool ok;
  } cases[] = {
      {"1", true},    {"1.5", true},   {".5", true},   {"1.", true},    {"-1.5e-3", true},
      {"1'000.5", true}, {"+1e10", true}, {"1e", false}, {"e5", false},  {"1.5.5", false},
      {"1x", false},  {"", false},     {"'1", false},  {"1e+", false},
  };
  for (const Case& c : cases) {
    auto p = reinterpret_cast<const uint8_t*>(c.text);
    EXPECT_EQ(check_dfa(p, p + std::strlen(c.text)), c.ok) << c.text;
  }
  std::string long_text(313, '1');
  auto p = reinterpret_cast<const uint8_t*>(long_text.data());
  EXPECT_FALSE(check_dfa(p, p + 313));
  EXPECT_TRUE(check_dfa(p, p + 312));
}

TEST(LexerTables, StateTypes) {
  EXPECT_EQ(state_type(0), Type::nothing);
  EXPECT_EQ(state_type(23), Type::integer);
  EXPECT_EQ(state_type(53), Type::set_word);
  EXPECT_EQ(state_type(67), Type::error);
  EXPECT_EQ(state_type(93), Type::point2D);
  EXPECT_EQ(state_type(99), Type::integer);
  EXPECT_EQ(state_type(68), Type::nothing);
}

}  // namespace
}  // namespace vyn::lexer
