// values/maps/map_reflect.cpp: the keys, values and body of a map (reflect) and comparing maps.
#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/cycles.hpp"
#include "values/maps/map.hpp"
#include "values/maps/map_entries.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::map {
namespace {

using predefined::S;

enum class Field { words, values, body };

bool names(const Cell& field, S s) {
  return field.is(Type::word) && symbol::resolve(word::symbol(field)) == symbol::resolve(predefined::symbol(s));
}

// Appends the present pairs' keys, values or both to a new block.
Cell* collect(const Cell& m, Field what) {
  Cell* result = block::push_only(what == Field::body ? 2 * count(m) : count(m));
  for (int32_t p = 0; p + 1 < cells_total(m); p += 2) {
    if (!present(m, p)) continue;
    stack::Mark mark;
    if (what != Field::values) {
      Cell* key = push_key_out(entries(m)[p], what == Field::words);
      key->set_new_line(what == Field::body);  // the body molds one pair to a line
      block::append_copy(*result, *key);
    }
    if (what != Field::words) {
      Cell value = entries(m)[p + 1];
      value.set_new_line(false);
      block::append_copy(*result, value);
    }
  }
  return result;
}

bool is_number(Type t) { return t == Type::integer || t == Type::float_ || t == Type::percent; }

// Values of different types are equal only through an entry that knows both: words, numbers.
bool values_equal(Cell a, Cell b, int op) {
  if (a.type() != b.type()) {
    bool words = word::any_word_q(a.type()) && word::any_word_q(b.type());
    if (!words && !(is_number(a.type()) && is_number(b.type()))) return false;
  }
  return compare_value(&a, &b, op) == 0;
}

// Whether m holds the key with the value: strictly, or any entry of an equal key with an equal
// value. Key and value are copies: comparing may move the buffers they came from.
bool holds(const Cell& m, Cell key, Cell value, bool strict) {
  if (strict) {
    int32_t p = find_key(m, key, cmp::strict_equal);
    return p >= 0 && present(m, p) && values_equal(value, entries(m)[p + 1], cmp::strict_equal);
  }
  hashtable::Cursor cursor;
  while (Cell* found = hashtable::find_next(table_node(m), key, cursor)) {
    int32_t p = static_cast<int32_t>(found - entries(m));
    if (present(m, p) && values_equal(value, entries(m)[p + 1], cmp::equal)) return true;
  }
  return false;
}

bool is_map_equality(int op) {
  return op == cmp::equal || op == cmp::not_equal || op == cmp::strict_equal || op == 10 ||
         op == 11 || op == cmp::find;
}

}  // namespace

Cell* reflect(Cell* value, Cell* field) {
  if (names(*field, S::words)) return collect(*value, Field::words);
  if (names(*field, S::values)) return collect(*value, Field::values);
  if (names(*field, S::body)) return collect(*value, Field::body);
  fire(Err::internal_not_done);  // a map has no spec, class or owner to reflect
}

// Equal maps hold the same number of entries and each entry of a is found in b; the orderings
// are not defined (sorting orders maps by identity).
int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::map)) return -2;
  NodeId x = block_node(*a), y = block_node(*b);
  if (op == cmp::sort || op == cmp::case_sort) return x < y ? -1 : x > y ? 1 : 0;
  bool same_map = x == y && series_head(*a) == series_head(*b);
  if (op == cmp::same) return same_map ? 0 : -1;
  if (!is_map_equality(op)) return -2;
  if (same_map) return 0;
  if (cycles::find(x)) return cycles::find(y) ? 0 : 1;
  int32_t n = count(*a);
  if (n != count(*b)) return 1;
  if (n == 0) return 0;
  block::CycleGuard guard_a(x);
  block::CycleGuard guard_b(y);
  bool strict = op == cmp::strict_equal;
  int32_t seen = 0;
  for (int32_t p = 0; seen < n && p + 1 < cells_total(*a); p += 2) {
    if (!present(*a, p)) continue;
    ++seen;
    if (!holds(*b, entries(*a)[p], entries(*a)[p + 1], strict)) return 1;
  }
  return 0;
}

}  // namespace vyn::map
