// values/lexer/tables.cpp: the transition table, state types and the float automaton.
#include "values/lexer/tables.hpp"

namespace vyn::lexer {
namespace {

// Each row: the entry most columns hold, "|", then groups "classes: next state" separated by ";".
// Row 26 (an exponent) goes on to a percent as the mantissa rows do: percents mold with exponents.
// Row 28 (the special forms "1.#INF", "1.#NaN") does too: an infinite or NaN percent! molds so.
// The text is turned into the table at compile time, so a malformed row fails the build.
constexpr const char* rows[state_count] = {
    "52|0 1 35: 0; 2 3: 23; 4: 68; 5: 69; 6: 70; 7: 71; 8: 72; 9 22 36 38: 67; 10: 2; 11: 16; 12 13: 51; 18 20: 40; 21: 13; 23: 43; 25: 58; 26: 6; 27: 78; 28: 1; 29: 57; 30: 49; 31: 36; 32 33: 47; 39: 66",
    "1|1 39: 77; 38: 67",
    "2|1 38 39: 67; 10: 79; 34: 3",
    "2|38 39: 67",
    "4|8: 72; 9: 73; 34: 5; 38 39: 67",
    "4|38 39: 67",
    "7|0 1 4 5 6 7 9 28 29 35 39: 80; 8: 10; 10: 8; 13: 54; 26: 9; 38: 67",
    "7|0 1 4 5 6 7 8 9 13 28 29 39: 85; 10 38: 67",
    "8|1 38 39: 67; 10: 85",
    "7|0 1 4 5 6 7 9 10 22 28 35 39: 80; 8: 10; 26: 9; 38: 67",
    "10|9: 11; 38 39: 67",
    "10|9: 11; 26: 12; 38 39: 67",
    "67|0 1 4 5 6 7 8 10 23 28 35 39: 100; 26: 12",
    "14|0 1 4 5 6 7 8 9 10 11 28 29 35 39: 80; 13: 53; 21: 15; 27 38: 67",
    "14|0 1 4 5 6 7 8 9 10 21 28 29 35 39: 83; 13 27 38: 67",
    "52|0 1 4 5 6 7 8 9 10 11 28 29 35 39: 80; 21: 15; 26 27 31 38: 67",
    "22|0 1 5 7 9 13 23 24 27 38: 67; 4: 74; 6: 21; 8: 17; 10: 19; 28 29 35 39: 81",
    "67|0 1 2 3 14 15 16 17 18 19 20 21 25 32 37: 17; 9: 86; 28: 18",
    "18|1: 17; 38 39: 67",
    "19|10: 84; 34: 20; 38 39: 67",
    "19|38 39: 67",
    "21|7: 76; 38 39: 67",
    "22|0 1 4 5 6 7 8 9 10 28 29 35 39: 81; 13 21 38: 67",
    "82|2 3 12: 23; 11: 16; 13: 31; 14: 33; 15 21 33: 30; 16: 42; 17: 26; 18: 27; 19 22 24 25 31 32 34 36 37 38: 67; 20: 39; 26: 87; 29: 56; 30: 24",
    "67|0 1 4 5 6 7 8 9 10 21 23 27 28 35 39: 88; 2 3 12: 25; 11: 28; 14: 33; 17 18: 26; 26: 87",
    "88|2 3 12: 25; 11 15 16 19 20 22 24 25 31 32 33 34 36 37 38: 67; 14: 33; 17 18: 26; 26: 87; 29: 56; 30: 29",
    "67|0 1 4 5 6 7 8 9 10 13 21 23 27 28 35 39: 88; 2 3 32 33: 26; 26: 87; 29: 56",
    "88|2 3: 27; 11 12 14 15 17 19 22 24 25 28 31 34 36 37 38: 67; 16: 42; 18 20: 40; 26: 87; 29: 56; 30: 29; 32 33: 26",
    "89|2: 88; 11 12 13 29 31 34 38: 67; 14 15 16 17 18 19 20 24 25 30 32 33 36 37: 28; 26: 87",
    "67|0 1 4 5 6 7 8 9 10 13 21 23 28 35 39: 90; 2 3 30: 29",
    "30|0 1 4 5 6 7 8 9 10 23 28 31 35 39: 91; 26 27 29 34 36 38: 67",
    "67|2 3: 32",
    "67|0 1 4 5 6 7 8 9 10 21 23 28 35 39: 94; 2 3 13 30: 32",
    "67|2 3 32 33: 34; 29: 56",
    "67|0 1 4 5 6 7 8 9 10 13 21 23 28 35 39: 92; 2 3 17 18 30: 34; 29: 56",
    "67|0 2 3 5 11 17 18 19 20 27 30 32 33 37: 35; 7: 93",
    "67|2 3: 37",
    "67|0 1 4 5 6 7 8 9 10 11 13 21 23 28 35 39: 95; 2 3 12: 37; 30: 38",
    "67|0 1 4 5 6 7 8 9 10 11 13 21 23 28 35 39: 95; 2 3 12: 38",
    "67|2 3 18 20: 39; 16: 41; 29: 56",
    "80|2 3 18 20: 40; 12 14 15 17 19 23 24 25 30 32 33 34 36 37: 52; 13: 53; 16: 41; 21: 75; 26 27 38: 67; 29: 56; 31: 37",
    "52|0 1 4 5 6 7 8 9 10 22 28 35 39: 99; 11 26 27 38: 67; 13: 53; 21: 75; 29: 56; 31: 37",
    "67|0 1 4 5 6 7 8 9 10 22 23 28 35 39: 99; 21: 75; 29: 56; 31: 37",
    "44|0 1 4 5 6 7 8 9 10 28 35 39: 80; 12: 46; 13: 53; 23: 43; 24 25 33: 52; 38: 67",
    "44|10: 45; 12: 46; 24: 96; 38 39: 67",
    "45|10: 44; 38 39: 67",
    "46|12: 44; 38 39: 67",
    "52|0 1 4 5 6 7 8 9 10 11 22 28 35 39: 80; 2 3: 23; 12 26 34 38: 67; 21: 75; 30: 49; 31: 37",
    "52|0 1 4 5 6 7 8 9 10 11 22 28 35 39: 80; 12 26 31 34 38: 67; 21: 75",
    "52|0 1 4 5 6 7 8 9 10 11 22 28 35 39: 80; 2 3 32 33: 50; 13: 53; 21: 75; 26 27 31 38: 67; 29: 56",
    "67|0 1 4 5 6 7 8 9 10 13 21 23 35 39: 88; 2 3 17 18 32 33: 50; 14: 33; 26: 87; 29: 56",
    "67|14 15 16 17 18 19 20 24 30 34 36 37: 52; 21: 13; 23: 43; 25: 58; 26: 54; 32 33: 48",
    "52|0 1 4 5 6 7 8 9 10 11 22 23 28 35 39: 80; 13: 53; 21: 75; 26 27 38: 67; 29: 56; 31: 36",
    "55|0 1 4 5 6 7 8 9 10 22 28 35 39: 80; 23 38: 67",
    "67|0 1 4 5 6 7 8 9 22 28 35 39: 80; 26: 54",
    "55|0 1 4 5 6 7 8 9 10 22 23 28 35 39: 97; 24 34 38: 67",
    "98|2 3 14 15 16 17 18 19 20 26 30 32 33 36 37: 56; 11 12 13 24 25 27 29 31 34 38: 67",
    "57|0 1 4 5 6 7 8 9 10 23 28 35 39: 101; 11 12 22 24 25 27 29 31 34 38: 67",
    "52|0 1 4 5 6 7 8 9 10 13 22 28 35 39: 80; 11 26 27 29 31 38: 67; 21: 75",
    "67|2 3: 60; 6: 70; 7: 71; 10: 2; 11: 63; 12 13: 61; 14 15 16 17 18 19 20 24 25 30 36 37: 62; 23: 43; 29: 57; 31: 36; 32 33: 64",
    "67|0 1 4 5 6 7 8 9 10 13 21 23 28 35 39: 82; 2 3 12: 60; 14: 33; 17 18: 26; 26: 87; 29: 56; 30: 24",
    "67|14 15 16 17 18 19 20 23 24 25 30 32 33 36 37: 62",
    "62|0 1 4 5 6 7 8 9 10 13 21 22 28 35 39: 80; 11 26 27 38: 67; 29: 56; 31: 36",
    "22|0 1 5 6 7 8 9 13 21 23 24 25 27 28 29 35 38 39: 67; 4: 21; 10: 19",
    "80|2 3: 60; 11 12 23 26 27 34 38: 67; 14 15 16 17 18 19 20 24 25 30 36 37: 62; 29: 56; 31: 36; 32 33: 64",
};

struct RowReader {
  const char* p;
  constexpr bool at(char c) const { return *p == c; }
  constexpr void skip_blanks() {
    while (*p == ' ') ++p;
  }
  constexpr int number() {
    skip_blanks();
    if (*p < '0' || *p > '9') throw "lexer table: number expected";
    int n = 0;
    while (*p >= '0' && *p <= '9') n = n * 10 + (*p++ - '0');
    return n;
  }
};

constexpr uint8_t checked_state(int n) {
  if (n > last_final || n == 65 || n < 0) throw "lexer table: bad next state";
  return static_cast<uint8_t>(n);
}

constexpr std::array<uint8_t, cls::count> parse_row(const char* text) {
  std::array<uint8_t, cls::count> row{};
  RowReader r{text};
  uint8_t most = checked_state(r.number());
  for (auto& e : row) e = most;
  if (!r.at('|')) throw "lexer table: '|' expected";
  ++r.p;
  while (*r.p) {
    int classes[cls::count];
    int n = 0;
    r.skip_blanks();
    while (!r.at(':')) {
      if (n == cls::count) throw "lexer table: too many classes";
      classes[n++] = r.number();
      r.skip_blanks();
    }
    ++r.p;
    uint8_t next = checked_state(r.number());
    for (int i = 0; i < n; ++i) {
      if (classes[i] >= cls::count) throw "lexer table: bad class";
      row[classes[i]] = next;
    }
    r.skip_blanks();
    if (r.at(';')) ++r.p;
  }
  return row;
}

constexpr auto make_transitions() {
  std::array<std::array<uint8_t, cls::count>, state_count> t{};
  for (int s = 0; s < state_count; ++s) t[s] = parse_row(rows[s]);
  return t;
}

constexpr auto table = make_transitions();

// Spot checks that the rows were read as written.
static_assert(table[0][cls::blank] == 0 && table[0][cls::digit] == 23 && table[0][cls::end] == 66);
static_assert(table[0][cls::other] == 52 && table[23][cls::dot] == 24 && table[64][cls::other] == 62);
static_assert(table[35][cls::paren_close] == 93 && table[28][cls::digit] == 88);

constexpr auto make_state_types() {
  std::array<Type, last_final + 1> t{};
  for (auto& e : t) e = Type::nothing;
  auto set = [&](std::initializer_list<int> states, Type type) {
    for (int s : states) t[s] = type;
  };
  set({2, 3, 4, 5, 10, 11, 12}, Type::string);
  set({6, 7, 8, 9}, Type::file);
  set({14}, Type::refinement);
  set({16, 22, 63}, Type::issue);
  set({17}, Type::binary);
  set({19, 20}, Type::char_);
  set({23, 40, 42, 60}, Type::integer);
  set({24, 25, 26, 27, 28, 50}, Type::float_);
  set({29}, Type::tuple);
  set({30}, Type::date);
  set({31, 32}, Type::time);
  set({33, 34}, Type::pair);
  set({35}, Type::point2D);
  set({36, 37, 38}, Type::money);
  set({43, 44, 45, 46}, Type::tag);
  set({53}, Type::set_word);
  set({55}, Type::url);
  set({56}, Type::email);
  set({57}, Type::ref);
  set({59}, Type::path);
  set({13, 15, 41, 47, 48, 49, 51, 52, 54, 58, 61, 62, 64}, Type::word);
  // final states: the type of each token kind
  set({67}, Type::error);
  set({73, 79, 100}, Type::string);
  set({80}, Type::word);
  set({81}, Type::issue);
  set({82, 99}, Type::integer);
  set({83}, Type::refinement);
  set({84}, Type::char_);
  set({85}, Type::file);
  set({86}, Type::binary);
  set({87}, Type::percent);
  set({88, 89}, Type::float_);
  set({90}, Type::tuple);
  set({91}, Type::date);
  set({92}, Type::pair);
  set({93}, Type::point2D);
  set({94}, Type::time);
  set({95}, Type::money);
  set({96}, Type::tag);
  set({97}, Type::url);
  set({98}, Type::email);
  set({101}, Type::ref);
  return t;
}

constexpr auto state_types = make_state_types();

// The float automaton: classes 0 other, 1 sign, 2 digit, 3 "e"/"E", 4 ".", 5 "'"; column 6 is the
// end. State 10 refuses, 9 accepts whatever follows.
constexpr uint8_t dfa[11][7] = {
    {10, 0, 1, 10, 4, 10, 10}, {10, 10, 1, 6, 5, 2, 9},    {10, 10, 1, 10, 10, 10, 9},
    {10, 10, 3, 6, 10, 4, 9},  {10, 10, 3, 10, 10, 10, 9}, {10, 10, 3, 10, 10, 10, 9},
    {10, 7, 8, 10, 10, 10, 10}, {10, 10, 8, 10, 10, 10, 10}, {10, 10, 8, 10, 10, 10, 9},
    {9, 9, 9, 9, 9, 9, 9},     {10, 10, 10, 10, 10, 10, 10},
};

constexpr uint8_t dfa_class(uint8_t b) {
  if (b > 0x67) return 0;
  if (b == '+' || b == '-') return 1;
  if (b >= '0' && b <= '9') return 2;
  if (b == 'e' || b == 'E') return 3;
  if (b == '.') return 4;
  if (b == '\'') return 5;
  return 0;
}

}  // namespace

const std::array<std::array<uint8_t, cls::count>, state_count>& transitions() { return table; }

Type state_type(uint8_t state) { return state <= last_final ? state_types[state] : Type::nothing; }

bool check_dfa(const uint8_t* start, const uint8_t* end) {
  if (end - start > 312) return false;
  uint8_t state = 0;
  for (const uint8_t* p = start; p < end; ++p) state = dfa[state][dfa_class(*p)];
  return dfa[state][6] != 10;
}

}  // namespace vyn::lexer
