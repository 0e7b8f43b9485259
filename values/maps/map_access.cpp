// values/maps/map_access.cpp: reading and storing entries: paths (m/key, m/key: value), select, find,
// put, remove, clear, length?, extend and the steps of foreach.
#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/maps/map.hpp"
#include "values/maps/map_entries.hpp"
#include "values/words/word.hpp"

namespace vyn::map {
namespace {

// The value stored under the key, or none when the key is missing or its pair removed.
Cell* push_value(const Cell& m, const Cell& key, int op) {
  int32_t p = find_key(m, key, op);
  return stack::push(p >= 0 && present(m, p) ? entries(m)[p + 1] : make_none());
}

// Room for n more cells in the entry block, so that the pairs to come never grow it one by one.
void reserve(const Cell& m, int32_t n) {
  NodeId node = block_node(m);
  uint64_t need = buffer_of(node)->tail + uint64_t(n) * sizeof(Cell);
  if (need > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  if (need > buffer_of(node)->size) alloc::expand_series_copy(node, static_cast<uint32_t>(need));
}

void extend_from_block(Cell* m, Cell* spec, int op) {
  int32_t n = block::vs_length(*spec);
  if (n < 0) n = 0;
  if (n % 2) fire(Err::script_invalid_arg, {*spec});
  Cell none = make_none();
  for (int32_t i = 0; i < n; i += 2) check_key(block::vs_head(*spec)[i], none);  // nothing stored yet
  reserve(*m, n);
  for (int32_t i = 0; i + 1 < block::vs_length(*spec); i += 2) {
    stack::Mark mark;
    Cell* key = stack::push(block::vs_head(*spec)[i]);
    Cell* value = stack::push(block::vs_head(*spec)[i + 1]);
    store(*m, key, *value, op, none);
  }
}

void extend_from_map(Cell* m, Cell* source, int op) {
  reserve(*m, 2 * count(*source));
  Cell none = make_none();
  for (int32_t p = 0; p + 1 < cells_total(*source); p += 2) {
    if (!present(*source, p)) continue;
    stack::Mark mark;
    Cell* key = stack::push(entries(*source)[p]);
    Cell* value = stack::push(entries(*source)[p + 1]);
    store(*m, key, *value, op, none);
  }
}

}  // namespace

namespace {
bool case_paths = false;  // set by CasePaths
}  // namespace

CasePaths::CasePaths() : saved_(case_paths) { case_paths = true; }
CasePaths::~CasePaths() { case_paths = saved_; }

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  int op = case_paths ? cmp::strict_equal : cmp::equal;
  if (!value) return push_value(*parent, *element, op);
  Cell* path = stack::push(step.path ? *step.path : make_none());
  Cell* key = stack::push(*element);
  store(*parent, key, *value, op, *path);
  return value;
}

Cell* select(Cell* series, Cell* value, const FindOptions& o) {
  return push_value(*series, *value, lookup_op(o.case_, o.same));
}

Cell* find(Cell* series, Cell* value, const FindOptions& o) {
  int32_t p = find_key(*series, *value, lookup_op(o.case_, o.same));
  if (p < 0 || !present(*series, p)) return stack::push(make_none());
  return push_key_out(entries(*series)[p], true);
}

Cell* put(Cell* series, Cell* key, Cell* value, bool case_) {
  Cell* k = stack::push(*key);
  store(*series, k, *value, lookup_op(case_, false), make_none());
  return value;
}

// Removal compares letter case: only the very key goes.
Cell* remove(Cell* series, Cell*, Cell* key) {
  if (!key) fire(Err::script_missing_arg);
  int32_t p = find_key(*series, *key, cmp::strict_equal);
  if (p >= 0) hashtable::remove_position(table_node(*series), p);
  return series;
}

Cell* clear(Cell* series) {
  hashtable::clear(table_node(*series));
  return series;
}

int32_t length_q(Cell* series) { return count(*series); }

Cell* extend(Cell* m, Cell* spec, bool case_) {
  int op = lookup_op(case_, false);
  if (spec->is(Type::map)) extend_from_map(m, spec, op);
  else extend_from_block(m, spec, op);
  return m;
}

bool foreach_step(const Cell& words, const Cell& m, int32_t& position) {
  if (position < 0) position = 0;
  while (position + 1 < cells_total(m) && !present(m, position)) position += 2;
  if (position + 1 >= cells_total(m)) return false;
  stack::Mark mark;
  Cell* key = push_key_out(entries(m)[position], true);
  Cell* value = stack::push(entries(m)[position + 1]);
  position += 2;
  Cell list = words;
  for (int32_t k = 0; k < 2; ++k) {
    Cell w = block::vs_head(list)[k];
    w.header = static_cast<uint32_t>(Type::word);
    word::set(w, k == 0 ? *key : *value);
  }
  return true;
}

}  // namespace vyn::map
