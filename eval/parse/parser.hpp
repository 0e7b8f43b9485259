// eval/parse/parser.hpp: the parse dialect's matcher: one Parser per parse call.
//
// Rule blocks are matched by recursion over their elements; every block entered is appended to
// the rule stack block (which keeps it alive while a paren may rebind the word that held it), and
// the cells the nesting would take are counted so that too deep rules raise script/parse-stack
// before the machine stack runs out. The input lives in a value-stack cell whose head is the
// input index; into swaps it for the nested series and puts it back.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/predefined.hpp"
#include "values/series/block.hpp"
#include "values/words/word.hpp"

namespace vyn::parse {

// What one rule answers: ok and fail, or break and reject, which leave the innermost loop.
enum class R { fail, ok, brk, rej };

// A false answer of the trace callback: parsing stops with the match flag of that moment.
struct Stop {
  bool matched;
};

inline constexpr int max_cells = 10000;
inline constexpr int block_cells = 2;  // cells a rule block takes on the rule stack
inline constexpr int state_cells = 3;  // cells a rule state takes

struct Parser {
  Cell* input;        // value stack: the current input, head = index
  Cell* rule_stack;   // value stack: block of the rule blocks entered
  Cell* inputs;       // value stack: block of the outer inputs while into runs
  Cell* collects;     // value stack: block of collect targets, innermost last
  Cell* result;       // value stack: none, or the block of a top-level collect
  Cell* callback;     // none or the /trace function
  int mode = 0;       // 0 ignores case, 2 compares strictly
  int32_t limit = -1; // /part index on the outermost input, or -1
  int cells = 0;
  int depth = 0;      // into levels
  int collect_depth = 0;
  bool tracing = false;         // callback is a function: every step tells it
  uintptr_t stack_limit = 0;    // machine stack addresses below it are too deep (see grow)
  // Words met in the rules, by their symbol's low bits: the symbol and its keyword (none_word
  // for any other word). A symbol's canonical spelling never changes, so one look-up per word and
  // parse call suffices.
  struct Known {
    uint32_t symbol;
    uint8_t key;
  };
  Known known[16] = {};

  int32_t index() const { return series_head(*input); }
  void set_index(int32_t i) { set_series_head(*input, i); }
  int32_t tail() const;
  int32_t end() const;  // the tail, or the /part limit on the outermost input
  bool at_end() const { return index() >= end(); }
};

// The keywords (eval/parse/keywords.def), by their canonical symbol; none_word for any other word.
enum class Key : uint8_t {
  none_word,
#define VYN_PARSE_KEYWORD(key, word) key,
#include "eval/parse/keywords.def"
#undef VYN_PARSE_KEYWORD
};
Key keyword(const Cell& word);
bool is_word(const Cell& v, Key k);
// The same, with the parser's memory of plain words.
Key remember_keyword(Parser& p, const Cell& word);
inline Key keyword(Parser& p, const Cell& word) {
  uint32_t sym = word::symbol(word);
  const Parser::Known& slot = p.known[sym & 15];
  if (slot.symbol == sym && sym != 0) return static_cast<Key>(slot.key);
  return remember_keyword(p, word);
}
inline bool is_word(Parser& p, const Cell& v, Key k) { return v.is(Type::word) && keyword(p, v) == k; }

// engine.cpp
R match_block(Parser& p, const Cell& block);
R rule(Parser& p, const Cell& block, int32_t& pos);
[[noreturn]] void parse_end(const Cell& culprit);
inline int32_t block_end(const Cell& block) { return block::length_total(block); }
// The rule that follows a keyword at pos: parse-end with the keyword when there is none.
inline void need(const Cell& block, int32_t pos, const Cell& keyword) {
  if (pos >= block_end(block)) parse_end(keyword);
}
// A paren or the trace callback may cut the rule block under a loop that goes back to its rule:
// a rule that is gone is an end of rule, not a read past the block's tail.
inline Cell element(const Cell& block, int32_t pos) {
  if (pos >= block_end(block)) parse_end(block);
  return block::cells(block)[pos];
}
// A copy of a word's value, leaving nothing on the value stack (rules repeat in loops).
Cell word_value(const Cell& word);
// Where the machine stack of a parse starting at floor becomes too deep.
uintptr_t stack_limit(const char* floor);
[[noreturn]] void too_deep();
// Counts cells pushed; parse-stack past the cell limit or the machine stack's.
inline void grow(Parser& p, int n) {
  p.cells += n;
  if (n <= 0) return;
  char here;
  if (p.cells > max_cells || reinterpret_cast<uintptr_t>(&here) < p.stack_limit) too_deep();
}

// matching.cpp
bool match_literal(Parser& p, const Cell& value);
bool match_type(Parser& p, const Cell& type);
// Where the rule at pos ends, without running it.
int32_t extent(const Cell& block, int32_t pos);

// capture.cpp
R copy_or_set(Parser& p, const Cell& block, int32_t& pos, bool copy);
R collect(Parser& p, const Cell& block, int32_t& pos);
R keep(Parser& p, const Cell& block, int32_t& pos);
Cell part_copy(Parser& p, int32_t from, int32_t to);
Cell value_at(Parser& p, int32_t index);  // the input's item as a value: char! for text

// modify.cpp
R remove(Parser& p, const Cell& block, int32_t& pos);
R insert(Parser& p, const Cell& block, int32_t& pos);
R change(Parser& p, const Cell& block, int32_t& pos);

// native.cpp
void call_event(Parser& p, predefined::W event, bool matched, const Cell& block, int32_t pos);
// Tells the trace callback, when there is one.
inline void fire_event(Parser& p, predefined::W event, bool matched, const Cell& block, int32_t pos) {
  if (p.tracing) [[unlikely]] call_event(p, event, matched, block, pos);
}
// Evaluates a paren of the rules; its value is answered. Exits pass up as the Exit exception.
Cell eval_paren(Cell paren);

}  // namespace vyn::parse
