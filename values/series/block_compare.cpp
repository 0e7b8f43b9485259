// values/series/block_compare.cpp: comparing blocks cell by cell.
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/words/word.hpp"

namespace vyn::block {
namespace {

bool is_path_pair(Type a, Type b) {
  auto plain = [](Type t) { return t == Type::path || t == Type::lit_path; };
  return plain(a) && plain(b);
}

bool is_number(Type t) { return t == Type::integer || t == Type::float_ || t == Type::percent; }

// The ops under which blocks of different lengths are simply not equal.
bool is_block_equality(int op) {
  return op == cmp::equal || op == cmp::not_equal || op == cmp::strict_equal || op == 10 ||
         op == 11 || op == cmp::find;
}

int32_t length_from_head(const Cell& b) {
  int32_t n = vs_length(b);
  return n < 0 ? 0 : n;
}

// Two cells of different types compare through an entry only when both are words or both numbers;
// otherwise their type ids order them.
int compare_cells(Cell a, Cell b, int op) {
  if (a.type() != b.type()) {
    bool words = word::any_word_q(a.type()) && word::any_word_q(b.type());
    if (!words && !(is_number(a.type()) && is_number(b.type())))
      return a.type() < b.type() ? -1 : 1;
  }
  return compare_value(&a, &b, op);
}

}  // namespace

int compare(Cell* a, Cell* b, int op) {
  if (a->type() != b->type() && !((op == 10 || op == 11) && is_path_pair(a->type(), b->type())))
    return -2;
  return compare_each(a, b, op);
}

int compare_each(Cell* a, Cell* b, int op) {
  bool same_series = series_node(*a) == series_node(*b) && series_head(*a) == series_head(*b);
  if (op == cmp::same) return same_series ? 0 : -1;
  if (same_series) return 0;
  if (cycles::find(series_node(*a))) return cycles::find(series_node(*b)) ? 0 : -1;
  int32_t na = length_from_head(*a), nb = length_from_head(*b);
  if (na != nb && is_block_equality(op)) return 1;
  if (na == 0) return 0;
  CycleGuard guard_a(series_node(*a));
  CycleGuard guard_b(series_node(*b));
  int32_t n = na < nb ? na : nb;
  for (int32_t i = 0; i < n; ++i) {
    // the lengths are checked again: a comparison entry may change what it compares
    if (i >= length_from_head(*a) || i >= length_from_head(*b)) break;
    int r = compare_cells(vs_head(*a)[i], vs_head(*b)[i], op);
    if (r != 0) return r;
  }
  return na < nb ? -1 : na > nb ? 1 : 0;
}

}  // namespace vyn::block
