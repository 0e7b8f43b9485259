// values/text/string_compare.cpp: comparing texts, string!'s comparison entry and the parse helpers.
#include "core/text/casefold.hpp"
#include "core/stack.hpp"
#include "values/words/symbol.hpp"
#include "values/series/bitset.hpp"
#include "core/compare_ops.hpp"
#include "values/series/series.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::string {
namespace {

// The text a cell stands for: a symbol! its name (a string made from the spelling, pushed),
// anything else itself.
Cell* text_of(Cell* c) {
  if (!c->is(Type::symbol)) return c;
  if (symbol::entry_string(*c)) return stack::push(make_series(Type::string, symbol::entry_string(*c)));
  Cell* s = stack::push(make_unset());
  uint32_t length = buffer_of(symbol::entry_utf8(*c))->used();
  s->w2 = unicode::load_utf8_new(unicode::in_series(symbol::entry_utf8(*c), 0), length);
  s->set_type(Type::string);
  return s;
}

// A view of a text from its head, for loops that do not allocate.
struct View {
  const uint8_t* at;
  uint32_t unit;
  int32_t length;
  uint32_t operator[](int32_t i) const { return get_char(at + static_cast<uint32_t>(i) * unit, unit); }
};

View view_of(Cell& s) {
  const uint8_t* at = vs_head(s);
  SeriesBuffer* b = buffer_of(series_node(s));
  return {at, unicode::checked_unit(b), length(s)};
}

bool is_equality(int op) {
  return op == cmp::equal || op == cmp::not_equal || op == cmp::strict_equal || op == cmp::find;
}

// Pairwise from the heads over n characters; the answer of the first pair that differs, else 0.
int compare_chars(const View& x, const View& y, int32_t n, bool fold) {
  for (int32_t i = 0; i < n; ++i) {
    uint32_t c = x[i], d = y[i];
    if (fold) {
      c = casefold::to_upper(c);
      d = casefold::to_upper(d);
    }
    if (c != d) return c < d ? -1 : 1;
  }
  return 0;
}

}  // namespace

int compare_strings(Cell* a, Cell* b, int op, bool match) {
  if (series_node(*a) == series_node(*b) && series_head(*a) == series_head(*b) &&
      !a->is(Type::symbol) && !b->is(Type::symbol)) {
    if (op == cmp::same || is_equality(op)) return 0;
  } else if (op == cmp::same) {
    return -1;
  }
  stack::Mark mark;
  Cell* ta = text_of(a);
  Cell* tb = text_of(b);
  View x = view_of(*ta), y = view_of(*tb);
  int32_t n = y.length;
  if (!match) {
    if (x.length != y.length && (is_equality(op) || y.length == 0)) return 1;
    if (x.length < n) n = x.length;
  } else {
    if (y.length == 0) return op == cmp::find ? 1 : 0;
    if (x.length < y.length) return 1;
  }
  if (x.length == 0) return y.length == 0 ? 0 : -1;
  bool fold = op != cmp::strict_equal && op != cmp::case_sort;
  int answer = compare_chars(x, y, n, fold);
  if (answer != 0 || match) return answer;
  return x.length < y.length ? -1 : x.length > y.length ? 1 : 0;
}

int compare(Cell* a, Cell* b, int op) {
  if (a->type() == b->type()) return compare_strings(a, b, op, false);
  if (!series::is_char_series(b->type())) return -2;
  if (op != cmp::equal && op != cmp::not_equal) return -2;
  return compare_strings(a, b, op, false);
}

bool bitset_has(const Cell& bitset, uint32_t cp) { return bitset::has(bitset, cp); }

bool char_in_bitset_q(Cell& str, const Cell& bitset) {
  if (at_tail_q(str)) return false;
  return bitset_has(bitset, get_char(vs_head(str), buffer_of(series_node(str))->unit()));
}

bool tag_delimited_q(Cell& str, const Cell& tag) {
  View s = view_of(str);
  int32_t close = length(tag) + 1;
  return s.length > close && s[0] == '<' && s[close] == '>';
}

bool match_value(Cell* str, Cell* value, int op) {
  switch (value->type()) {
    case Type::string: case Type::file: case Type::url: case Type::email: case Type::ref:
      return compare_strings(str, value, op, true) == 0;
    case Type::char_: {
      if (at_tail_q(*str)) return false;
      uint32_t c = view_of(*str)[0];
      return op == cmp::strict_equal ? c == char_of(*value) : casefold::same_folded(c, char_of(*value));
    }
    case Type::tag: {
      if (!tag_delimited_q(*str, *value)) return false;
      stack::Mark mark;
      Cell* inner = stack::push(*str);
      inner->w1 = static_cast<uint32_t>(series_head(*str) + 1);
      return compare_strings(inner, value, op, true) == 0;
    }
    default: return false;
  }
}

}  // namespace vyn::string
