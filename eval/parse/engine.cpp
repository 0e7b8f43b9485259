// eval/parse/engine.cpp: rule blocks, alternatives, repetition and the keyword dispatch.
#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>

#include <vector>

#include "core/error.hpp"
#include "eval/parse/parser.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/numbers/logic.hpp"
#include "values/series/bitset.hpp"
#include "values/text/string_storage.hpp"
#include "values/series/series.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::parse {

using predefined::W;

namespace {

struct KeyRow {
  Key key;
  const char* word;
};

constexpr KeyRow key_rows[] = {
#define VYN_PARSE_KEYWORD(key, word) {Key::key, word},
#include "eval/parse/keywords.def"
#undef VYN_PARSE_KEYWORD
};

// The bits of a bitset, read in place; good until the next allocation.
struct Bits {
  const uint8_t* bytes;
  uint32_t limit;  // numbers below it are in the array
  bool beyond;     // whether the numbers past the array are members
  bool has(uint32_t cp) const { return cp < limit ? bytes[cp >> 3] & (0x80u >> (cp & 7)) : beyond; }
};

// Where the characters from `from` on stop being members, at stop at most.
template <class Unit>
int32_t take_members(const uint8_t* data, int32_t from, int32_t stop, const Bits& set) {
  const Unit* at = reinterpret_cast<const Unit*>(data);
  while (from < stop && set.has(at[from])) ++from;
  return from;
}

// The bitset a rule element is, or holds as a plain word's value; false for anything else.
bool bitset_rule(Parser& p, const Cell& element, Cell& bitset) {
  bitset = element;
  if (element.is(Type::word)) {
    if (keyword(p, element) != Key::none_word) return false;
    bitset = *word::value_cell(element);
  }
  return bitset.is(Type::bitset);
}

// A repeated bitset over text, without a trace: the characters are taken in one loop, as many as
// the rule would take one at a time, and the outcome is the one the rule-by-rule loop gives.
bool repeat_bitset(Parser& p, const Cell& block, int32_t& end, int32_t min, int32_t max, R& outcome) {
  Cell bitset;
  if (p.tracing || !series::is_char_series(p.input->type()) ||
      !bitset_rule(p, element(block, end), bitset))
    return false;
  NodeId bits = series_node(bitset);
  Bits set{buffer_of(bits)->data(), static_cast<uint32_t>(bitset::byte_count(bits)) * 8, bitset::is_complemented(bits)};
  SeriesBuffer* text = buffer_of(series_node(*p.input));
  int32_t from = p.index(), stop = p.end();
  if (max >= 0 && int64_t{from} + max < stop) stop = from + max;
  int32_t to = from;
  switch (unicode::checked_unit(text)) {
    case 1: to = take_members<uint8_t>(text->data(), from, stop, set); break;
    case 2: to = take_members<uint16_t>(text->data(), from, stop, set); break;
    default: to = take_members<uint32_t>(text->data(), from, stop, set); break;
  }
  if (to > from) p.set_index(to);
  outcome = to - from >= min ? R::ok : R::fail;
  ++end;
  return true;
}

// any, some, opt, while and counts: end comes in at the governed rule and leaves past it (the
// first iteration finds where the rule ends).
R repeat(Parser& p, const Cell& block, int32_t& end, int32_t min, int32_t max, bool guard) {
  int32_t start = end;
  grow(p, state_cells);
  R fast;
  if (repeat_bitset(p, block, end, min, max, fast)) {
    grow(p, -state_cells);
    return fast;
  }
  int32_t count = 1;
  R outcome = R::ok;
  for (;;) {
    int32_t at = p.index(), length = p.tail();
    int32_t pos = start;
    R r = rule(p, block, pos);
    end = pos;
    if (r == R::brk) break;
    if (r == R::rej) { outcome = R::fail; break; }
    if (r == R::fail) {
      p.set_index(at);
      if (!(count - 1 >= min || min == 0)) outcome = R::fail;
      break;
    }
    if (guard && p.index() == at && p.tail() >= length) break;  // no progress: stop looping
    if (max >= 0 && count >= max) break;
    ++count;
    fire_event(p, W::iterate, true, block, start);
  }
  grow(p, -state_cells);
  return outcome;
}

// to and thru: the rule is tried at each index until it matches.
R to_thru(Parser& p, const Cell& block, int32_t& pos, bool thru) {
  int32_t start = pos;
  if (is_word(element(block, start), Key::end)) {
    ++pos;
    p.set_index(p.end());
    return R::ok;
  }
  grow(p, state_cells);
  int32_t from = p.index();
  R outcome = R::fail;
  for (int32_t i = from; i <= p.end(); ++i) {
    p.set_index(i);
    int32_t at = start;
    R r = rule(p, block, at);
    pos = at;
    if (r == R::ok || r == R::brk) {
      if (!thru) p.set_index(i);
      outcome = R::ok;
      break;
    }
    fire_event(p, W::pop, false, block, start);
    fire_event(p, W::iterate, false, block, start);
  }
  if (outcome == R::fail) {
    p.set_index(from);
    if (pos == start) pos = extent(block, start);
  }
  grow(p, -state_cells);
  return outcome;
}

// not and ahead: the input comes back to where the rule began.
R look(Parser& p, const Cell& block, int32_t& pos, bool invert) {
  grow(p, state_cells);
  int32_t at = p.index();
  R r = rule(p, block, pos);
  p.set_index(at);
  grow(p, -state_cells);
  bool ok = r == R::ok || r == R::brk;
  return ok != invert ? R::ok : R::fail;
}

R case_rule(Parser& p, const Cell& block, int32_t& pos, const Cell& key) {
  Cell w = element(block, pos);
  if (!w.is(Type::word)) fire(Err::script_parse_end, {key});
  Cell v = word_value(w);
  int saved = p.mode;
  p.mode = (v.is(Type::none_) || logic::falsy(v)) ? 0 : 2;
  ++pos;
  need(block, pos, key);
  grow(p, state_cells);
  R r = rule(p, block, pos);
  grow(p, -state_cells);
  p.mode = saved;
  return r;
}

R if_rule(Parser& p, const Cell& block, int32_t& pos, const Cell& key) {
  if (pos >= block_end(block) || !element(block, pos).is(Type::paren)) fire(Err::script_parse_end, {key});
  Cell v = eval_paren(element(block, pos++));
  return logic::truthy(v) ? R::ok : R::fail;
}

R into_rule(Parser& p, const Cell& block, int32_t& pos, const Cell& key) {
  if (!block::is_any_block(p.input->type())) fire(Err::script_parse_block, {*p.input});
  Cell sub = pos < block_end(block) ? element(block, pos) : make_none();
  if (sub.is(Type::word)) sub = word_value(sub);
  if (!sub.is(Type::block)) fire(Err::script_parse_end, {key});
  ++pos;
  if (p.at_end()) return R::fail;
  Cell item = block::cells(*p.input)[p.index()];
  Type t = item.type();
  if (!(block::is_any_block(t) || series::is_char_series(t) || t == Type::binary)) return R::fail;
  grow(p, state_cells);
  Cell outer = *p.input;
  block::append_copy(*p.inputs, outer);
  ++p.depth;
  *p.input = item;
  R r = match_block(p, sub);
  --p.depth;
  *p.input = block::cells(*p.inputs)[block::length_total(*p.inputs) - 1];
  block::remove_last(*p.inputs);
  grow(p, -state_cells);
  if (r == R::fail || r == R::rej) return R::fail;
  p.set_index(p.index() + 1);
  return R::ok;
}

R count_rule(Parser& p, const Cell& block, int32_t& pos, const Cell& first) {
  int32_t n = first.int_value(), m = n;
  Cell next = pos < block_end(block) ? element(block, pos) : make_none();
  if (next.is(Type::word) && keyword(next) == Key::none_word) {
    Cell v = word_value(next);
    if (v.is(Type::integer)) next = v;
  }
  if (next.is(Type::integer)) {
    m = next.int_value();
    ++pos;
  }
  if (n < 0 || m < 0) fire(Err::script_out_of_range, {n < 0 ? first : next});
  if (m < n) fire(Err::script_parse_rule, {next});
  need(block, pos, first);
  if (m == 0) {
    pos = extent(block, pos);
    return R::ok;
  }
  fire_event(p, W::push, true, block, pos);
  return repeat(p, block, pos, n, m, true);
}

R keyword_rule(Parser& p, const Cell& block, int32_t& pos, Key k, const Cell& key) {
  switch (k) {
    case Key::any: case Key::some: case Key::opt: case Key::while_: {
      need(block, pos, key);
      int32_t min = k == Key::some ? 1 : 0, max = k == Key::opt ? 1 : -1;
      return repeat(p, block, pos, min, max, k != Key::while_);
    }
    case Key::to: case Key::thru: need(block, pos, key); return to_thru(p, block, pos, k == Key::thru);
    case Key::skip:
      if (p.at_end()) return R::fail;
      p.set_index(p.index() + 1);
      return R::ok;
    case Key::end: return p.at_end() ? R::ok : R::fail;
    case Key::none: return R::ok;
    case Key::fail: return R::fail;
    case Key::reject: return R::rej;
    case Key::break_: return R::brk;
    case Key::not_: case Key::ahead: need(block, pos, key); return look(p, block, pos, k == Key::not_);
    case Key::quote:
      need(block, pos, key);
      return match_literal(p, element(block, pos++)) ? R::ok : R::fail;
    case Key::if_: return if_rule(p, block, pos, key);
    case Key::copy: case Key::set: need(block, pos, key); return copy_or_set(p, block, pos, k == Key::copy);
    case Key::into: need(block, pos, key); return into_rule(p, block, pos, key);
    case Key::remove: need(block, pos, key); return remove(p, block, pos);
    case Key::insert: need(block, pos, key); return insert(p, block, pos);
    case Key::change: return change(p, block, pos);
    case Key::case_: need(block, pos, key); return case_rule(p, block, pos, key);
    case Key::collect: need(block, pos, key); return collect(p, block, pos);
    case Key::keep: need(block, pos, key); return keep(p, block, pos);
    default: return R::fail;
  }
}

// A rule element that is a value (a word's value included).
R value_rule(Parser& p, const Cell& block, int32_t& pos, const Cell& v) {
  switch (v.type()) {
    case Type::block: return match_block(p, v);
    case Type::paren: eval_paren(v); return R::ok;
    case Type::integer: return count_rule(p, block, pos, v);
    case Type::datatype: case Type::typeset: return match_type(p, v) ? R::ok : R::fail;
    default: return match_literal(p, v) ? R::ok : R::fail;
  }
}

R matched(Parser& p, R r, const Cell& block, int32_t pos) {
  fire_event(p, W::match, r == R::ok || r == R::brk, block, pos);
  return r;
}

bool pushes_state(Key k) {
  switch (k) {
    case Key::any: case Key::some: case Key::opt: case Key::while_: case Key::to: case Key::thru:
    case Key::not_: case Key::ahead: case Key::copy: case Key::set: case Key::into:
    case Key::remove: case Key::change: case Key::case_: case Key::collect: case Key::keep:
      return true;
    default: return false;
  }
}

}  // namespace

// A copy of a word's value, read in place: nothing is left on the value stack, which a rule
// repeated in a loop would otherwise fill up.
Cell word_value(const Cell& word) {
  Cell* v = word::value_cell(word);
  if (v->is(Type::unset)) fire(Err::script_no_value, {word});
  return *v;
}

// The keywords indexed by canonical symbol: start-up interns them early, so their ids are small
// and the index stays short.
struct KeyIndex {
  std::vector<Key> by_symbol;
  KeyIndex() {
    for (const KeyRow& row : key_rows) {
      uint32_t sym = symbol::resolve(symbol::make(row.word));
      if (sym >= by_symbol.size()) by_symbol.resize(sym + 1, Key::none_word);
      by_symbol[sym] = row.key;
    }
  }
};

const KeyIndex& key_index() {
  static const KeyIndex index;
  return index;
}

// A keyword spelled canonically is found by its own symbol; any other symbol is resolved first.
Key keyword(const Cell& word) {
  const std::vector<Key>& by_symbol = key_index().by_symbol;
  uint32_t sym = word::symbol(word);
  if (sym < by_symbol.size() && by_symbol[sym] != Key::none_word) return by_symbol[sym];
  sym = symbol::resolve(sym);
  return sym < by_symbol.size() ? by_symbol[sym] : Key::none_word;
}

Key remember_keyword(Parser& p, const Cell& word) {
  uint32_t sym = word::symbol(word);
  Key k = keyword(word);
  p.known[sym & 15] = {sym, static_cast<uint8_t>(k)};
  return k;
}

bool is_word(const Cell& v, Key k) { return v.is(Type::word) && keyword(v) == k; }

void parse_end(const Cell& culprit) { fire(Err::script_parse_end, {culprit}); }

// The running thread's stack: its top address and its size, or zeros when they cannot be read.
struct ThreadStack {
  uintptr_t top = 0;
  size_t size = 0;
};
static ThreadStack thread_stack() {
  pthread_attr_t attr;
  void* low = nullptr;
  size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return {};
  pthread_attr_getstack(&attr, &low, &size);
  pthread_attr_destroy(&attr);
  return {reinterpret_cast<uintptr_t>(low) + size, size};
}

// How much machine stack one parse may take before the recursion is cut off: half the stack of the
// thread it runs on, at most 48 MB. On the runtime's large stack the cell limit comes first in every
// build, sanitized or not; this only guards a small stack (a thread of the process's own size).
static long stack_budget() {
  static thread_local long budget = [] {
    size_t size = thread_stack().size;
    if (size == 0) {
      rlimit r{};
      size = 8u << 20;
      if (getrlimit(RLIMIT_STACK, &r) == 0 && r.rlim_cur != RLIM_INFINITY) size = r.rlim_cur;
    }
    return static_cast<long>(std::min<size_t>(size / 2, size_t{48} << 20));
  }();
  return budget;
}

// How low on the machine stack a parse may go: three quarters of the stack, at most 48 MB (deeper
// unwinding is more than the sanitizers follow). Parses nested through the parens of other parses
// each count their own budget from where they start, so only this bounds their sum. Kept for each
// thread: a fuzzer runs every input on a fresh one.
static uintptr_t stack_low_water() {
  static thread_local uintptr_t mark = [] {
    ThreadStack t = thread_stack();
    if (t.size == 0) return uintptr_t{0};
    return t.top - std::min<size_t>(t.size / 4 * 3, size_t{48} << 20);
  }();
  return mark;
}

// The lower of the two bounds: the budget below the parse's floor and the thread's low-water mark.
uintptr_t stack_limit(const char* floor) {
  uintptr_t at = reinterpret_cast<uintptr_t>(floor);
  uintptr_t budget = static_cast<uintptr_t>(stack_budget());
  uintptr_t limit = at > budget ? at - budget : 0;
  return std::max(limit, stack_low_water());
}

void too_deep() { fire(Err::script_parse_stack); }

namespace {

// The rule element v, fetched from pos - 1 (pos is past it); k is its keyword when it is a word.
R step(Parser& p, const Cell& block, int32_t& pos, const Cell& v, Key k) {
  fire_event(p, W::fetch, true, block, pos - 1);
  switch (v.type()) {
    case Type::paren:
      eval_paren(v);
      fire_event(p, W::paren, true, block, pos);
      return R::ok;
    case Type::set_word: {
      Cell w = v, at = *p.input;
      word::set(w, at);
      return R::ok;
    }
    case Type::get_word: {
      Cell target = word_value(v);
      if (target.type() != p.input->type() || series_node(target) != series_node(*p.input))
        fire(Err::script_parse_invalid_ref, {v});
      p.set_index(series_head(target));
      return R::ok;
    }
    case Type::word: {
      if (k == Key::none_word) {
        Cell held = word_value(v);
        if (held.is(Type::unset)) fire(Err::script_no_value, {v});
        R r = held.is(Type::word) ? (match_literal(p, held) ? R::ok : R::fail)
                                  : value_rule(p, block, pos, held);
        return matched(p, r, block, pos);
      }
      if (pushes_state(k)) fire_event(p, W::push, true, block, pos);
      return matched(p, keyword_rule(p, block, pos, k, v), block, pos);
    }
    default: return matched(p, value_rule(p, block, pos, v), block, pos);
  }
}

}  // namespace

R rule(Parser& p, const Cell& block, int32_t& pos) {
  Cell v = element(block, pos++);
  return step(p, block, pos, v, v.is(Type::word) ? keyword(p, v) : Key::none_word);
}

R match_block(Parser& p, const Cell& block) {
  grow(p, block_cells);
  block::append_copy(*p.rule_stack, block);
  int32_t entry = p.index();
  int32_t pos = series_head(block) < 0 ? 0 : series_head(block);
  R outcome = R::ok;
  int32_t end;
  while (pos < (end = block_end(block))) {
    Cell v = block::cells(block)[pos];
    Key k = v.is(Type::word) ? keyword(p, v) : Key::none_word;
    if (k == Key::bar) {
      if (pos + 1 >= end) fire(Err::script_parse_end, {v});
      break;  // an alternative succeeded: the rest is skipped
    }
    R r = step(p, block, ++pos, v, k);
    if (r == R::ok) continue;
    if (r != R::fail) { outcome = r; break; }
    p.set_index(entry);
    while (pos < block_end(block) && !is_word(p, element(block, pos), Key::bar)) ++pos;
    if (pos >= block_end(block)) { outcome = R::fail; break; }
    if (++pos >= block_end(block)) fire(Err::script_parse_end, {element(block, pos - 1)});
  }
  block::remove_last(*p.rule_stack);
  grow(p, -block_cells);
  fire_event(p, W::pop, outcome == R::ok, block, pos);
  return outcome;
}

int32_t Parser::tail() const { return series::length_total(*input); }

int32_t Parser::end() const {
  int32_t t = tail();
  return depth == 0 && limit >= 0 && limit < t ? limit : t;
}

}  // namespace vyn::parse
