// values/maps/map.cpp: map! keys (which types, their stored form, lookup), making a map over a block of
// pairs, storing under a key, and the registration of the datatype's entries.
#include "values/maps/map.hpp"

#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/maps/map_entries.hpp"
#include "values/registry.hpp"

namespace vyn::map {
namespace {

// Keys of these types are stored as private copies of their series from its head.
bool copied_key(Type t) {
  switch (t) {
    case Type::string: case Type::file: case Type::url: case Type::tag: case Type::email:
    case Type::ref: case Type::binary:
      return true;
    default:
      return false;
  }
}

// Replaces a series held on the value stack by a fresh copy of it from its head: by its own copy
// entry, or series!'s, which copies the units of any one-buffer series.
void copy_in_place(Cell* series) {
  auto copy = registry::entry<Action::copy>(series->type());
  if (!copy) copy = registry::entry<Action::copy>(Type::series);
  stack::Mark mark;
  Cell* result = stack::push_unset();
  Cell copied = *copy(series, result, nullptr, false, nullptr);
  *series = copied;
}

// Appends key (normalised, on the value stack) with an unset! value and indexes it under hash, the
// one its look-up made (normalising keeps a key's hash); answers the key's position.
int32_t append_pair(const Cell& m, const Cell& key, uint32_t hash) {
  Cell block = make_series(Type::block, block_node(m));
  *block::alloc_tail(block) = key;  // stored before the next allocation can move the block
  *block::alloc_tail(block) = make_unset();
  int32_t p = cells_total(m) - 2;
  hashtable::put_hashed(table_node(m), entries(m) + p, hash);
  return p;
}

}  // namespace

bool valid_key(Type t) {
  switch (t) {
    case Type::string: case Type::file: case Type::url: case Type::char_: case Type::integer:
    case Type::float_: case Type::word: case Type::set_word: case Type::lit_word:
    case Type::get_word: case Type::refinement: case Type::issue: case Type::pair:
    case Type::percent: case Type::tuple: case Type::binary: case Type::time: case Type::tag:
    case Type::email: case Type::date: case Type::money: case Type::ref: case Type::point2D:
    case Type::point3D:
      return true;
    default:
      return false;
  }
}

int lookup_op(bool case_, bool same) {
  return same ? cmp::same : case_ ? cmp::strict_equal : cmp::equal;
}

int32_t find_key(const Cell& m, const Cell& key, int op) {
  Cell* found = hashtable::find(table_node(m), key, 0, 1, op, false, false);
  return found ? static_cast<int32_t>(found - entries(m)) : -1;
}

void check_key(const Cell& key, const Cell& path) {
  if (!valid_key(key.type())) fire(Err::script_invalid_path, {path, make_datatype(key.type())});
}

void normalise(Cell* key, const Cell& path) {
  check_key(*key, path);
  Type t = key->type();
  if (is_word_key(t)) {
    key->header = static_cast<uint32_t>(Type::set_word);  // the word's flags go with its header
    return;
  }
  key->set_new_line(false);
  if (copied_key(t)) copy_in_place(key);
}

int32_t store(const Cell& m, Cell* key, const Cell& value, int op, const Cell& path) {
  uint32_t hash = 0;
  Cell* found = hashtable::find_unique(table_node(m), *key, op, hash);
  int32_t p = found ? static_cast<int32_t>(found - entries(m)) : -1;
  if (p < 0) {
    normalise(key, path);
    p = append_pair(m, *key, hash);
  } else if (!present(m, p)) {
    hashtable::record(table_node(m))->live++;  // the removed pair comes back in its place
  }
  entries(m)[p + 1] = value;
  return p;
}

Cell* push_key_out(const Cell& key, bool as_word) {
  Cell* out = stack::push(key);
  out->set_new_line(false);
  if (as_word && out->is(Type::set_word)) out->set_type(Type::word);
  if (copied_key(out->type())) copy_in_place(out);
  return out;
}

Cell* make_at(Cell* cell, Cell block, int32_t size) {
  stack::Mark mark;
  Cell* pairs = stack::push(make_series(Type::block, series_node(block)));
  int32_t n = block::length_total(*pairs);
  if (n % 2) block::truncate_at(*pairs, --n);  // a key without a value has no place in a map
  Cell none = make_none();
  for (int32_t p = 0; p < n; p += 2) check_key(block::cells(*pairs)[p], none);
  for (int32_t p = 0; p < n; p += 2) {
    Cell* key = stack::push(block::cells(*pairs)[p]);
    normalise(key, none);
    block::cells(*pairs)[p] = *key;
    stack::pop(1);
  }
  int32_t keys = n / 2;
  NodeId table = hashtable::new_(size > keys ? size : keys, *pairs, hashtable::Kind::map, 0);
  *cell = make_series(Type::map, series_node(*pairs), 0, table);  // before anything allocates
  return cell;
}

Cell* make_at(Cell* cell, Cell block) { return make_at(cell, block, 0); }

int32_t count(const Cell& m) { return hashtable::record(table_node(m))->live; }

void install() {
  using registry::def;
  registry::define(Type::map, {
      def<Action::make>(make),         def<Action::reflect>(reflect), def<Action::to>(to),
      def<Action::form>(form),         def<Action::mold>(mold),
      def<Action::eval_path>(eval_path), def<Action::compare>(compare),
      def<Action::clear>(clear),       def<Action::copy>(copy),       def<Action::find>(find),
      def<Action::length_q>(length_q), def<Action::put>(put),         def<Action::remove>(remove),
      def<Action::select>(select),
  });
}

}  // namespace vyn::map
