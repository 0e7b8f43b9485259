// values/series/block_set.cpp: the set operations over blocks and hash!es: unique, union, intersect,
// exclude and difference, on records of one or more cells keyed by their first cell.
#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/error_args.hpp"

namespace vyn::block {
namespace {

constexpr int op_unique = 8, op_union = 9, op_intersect = 10, op_exclude = 11, op_difference = 12;

// A series with a hash table over it, for asking whether a key is among its record keys. Keys
// that are blocks, parens or paths hash by identity, so they are looked for cell by cell instead.
class Index {
 public:
  // Indexes series from its head; a hash! brings its own table.
  Index(const Cell& series, Cell* size_cell, bool case_) : size_cell_(size_cell), case_(case_) {
    NodeId table = table_of(series);
    if (!table) {
      table = hashtable::new_(vs_length(series) < 0 ? 0 : vs_length(series), series, hashtable::Kind::hash, 0);
    }
    held_ = stack::push(make_series(Type::hash, series_node(series), series_head(series), table));
  }
  // Wraps a table made by the caller over its own block, which it fills with put().
  Index(NodeId table, Cell* size_cell, bool case_) : size_cell_(size_cell), case_(case_) {
    held_ = stack::push(make_series(Type::hash, hashtable::record(table)->values, 0, table));
  }

  bool has(const Cell& key) const {
    int32_t size = size_cell_->int_value();
    if (is_any_block(key.type())) {
      stack::Mark mark;
      Cell* plain = stack::push(*held_);
      plain->set_type(Type::block);  // a linear search, not the table's identity lookup
      Cell* wanted = stack::push(key);
      FindOptions o;
      o.only = true;
      o.case_ = case_;
      o.skip = size_cell_;
      return !find(plain, wanted, o)->is(Type::none_);
    }
    int op = case_ ? cmp::strict_equal : cmp::equal;
    return hashtable::find(held_->w3, key, clamped_head(*held_), size, op, false, false) != nullptr;
  }

  // Appends the record of `from` at pos (cut at its tail) and indexes its cells.
  void put(const Cell& from, int32_t pos) {
    int32_t size = size_cell_->int_value();
    for (int32_t i = 0; i < size && pos + i < length_total(from); ++i) {
      append_copy(*held_, cells(from)[pos + i]);
      hashtable::put(held_->w3, cells(*held_) + length_total(*held_) - 1);
    }
  }

  Cell* held() const { return held_; }

 private:
  Cell* held_;  // on the value stack: a hash! cell over the series and the table
  Cell* size_cell_;
  bool case_;
};

// Takes every record of the series whose key `wanted` accepts and the result does not hold yet.
template <class Wanted>
void collect(Index& result, const Cell& series, int32_t size, Wanted wanted) {
  for (int32_t pos = clamped_head(series); pos < length_total(series); pos += size) {
    stack::Mark mark;
    Cell* key = stack::push(cells(series)[pos]);  // lookups may rebuild a table and allocate
    if (wanted(*key) && !result.has(*key)) result.put(series, pos);
  }
}

int32_t record_size(Cell* skip) {
  if (!skip) return 1;
  if (!skip->is(Type::integer) || skip->int_value() < 1)
    fire(Err::script_invalid_refine_arg, {word_arg("skip"), *skip});
  return skip->int_value();
}

}  // namespace

Cell* set_operation(Cell* series1, Cell* series2, int op, bool case_, Cell* skip) {
  int32_t size = record_size(skip);
  bool two = op != op_unique;
  if (two && !series2) fire(Err::script_invalid_arg, {make_integer(op)});
  bool as_hash = series1->is(Type::hash) || (two && series2->is(Type::hash));
  int32_t first = vs_length(*series1) < 0 ? 0 : vs_length(*series1);
  int32_t second = two && vs_length(*series2) > 0 ? vs_length(*series2) : 0;
  stack::Mark mark;
  Cell* size_cell = stack::push(make_integer(size));
  Index result(hashtable::new_(first + (op == op_union ? second : 0), make_none(), hashtable::Kind::hash, 0),
               size_cell, case_);
  auto any = [](const Cell&) { return true; };
  switch (op) {
    case op_unique: collect(result, *series1, size, any); break;
    case op_union:
      collect(result, *series1, size, any);
      collect(result, *series2, size, any);
      break;
    case op_intersect: {
      Index in_second(*series2, size_cell, case_);
      collect(result, *series1, size, [&](const Cell& k) { return in_second.has(k); });
      break;
    }
    case op_exclude: case op_difference: {
      Index in_second(*series2, size_cell, case_);
      collect(result, *series1, size, [&](const Cell& k) { return !in_second.has(k); });
      if (op == op_exclude) break;
      Index in_first(*series1, size_cell, case_);
      collect(result, *series2, size, [&](const Cell& k) { return !in_first.has(k); });
      break;
    }
    default: fire(Err::script_invalid_arg, {make_integer(op)});
  }
  Cell out = *result.held();
  if (!as_hash) out = make_series(Type::block, series_node(out));
  *series1 = out;
  return series1;
}

}  // namespace vyn::block
