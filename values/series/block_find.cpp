// values/series/block_find.cpp: searching blocks: find, select, put and path selection.
#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/error_args.hpp"
#include "values/objects/ownership.hpp"
#include "values/words/typeset.hpp"

namespace vyn::block {
namespace {

// What a search looks for, and how.
struct Target {
  bool by_type = false;   // a datatype! or typeset! matching the cells' types
  bool sequence = false;  // a block-like value matching a run of cells
  int32_t length = 1;     // cells one match covers
  int op = cmp::find;
};

struct Found {
  int32_t at = -1;       // absolute index of the match, -1 for none
  int32_t length = 1;    // cells it covers
  bool backwards = false;
};

Target target_of(const Cell& value, const FindOptions& o) {
  Target t;
  t.op = o.same ? cmp::same : o.case_ ? cmp::strict_equal : cmp::find;
  if (o.only) return t;
  if (value.is(Type::datatype) || value.is(Type::typeset)) {
    t.by_type = true;
  } else if (is_any_block(value.type())) {
    t.sequence = true;
    int32_t n = vs_length(value);
    t.length = n < 0 ? 0 : n;
  }
  return t;
}

bool cell_matches(Cell cell, Cell value, int op) { return compare_value(&cell, &value, op) == 0; }

// Whether the cells of the series from pos match the target.
bool matches_at(const Cell& series, int32_t pos, const Cell& value, const Target& t) {
  Type type = cells(series)[pos].type();
  if (t.by_type) return value.is(Type::datatype) ? type == datatype_of(value) : typeset::has(value, type);
  if (!t.sequence) return cell_matches(cells(series)[pos], value, t.op);
  for (int32_t k = 0; k < t.length; ++k) {
    // read afresh each round, in case a comparison entry allocated
    if (!cell_matches(cells(series)[pos + k], cells(value)[series_head(value) + k], t.op)) return false;
  }
  return true;
}

int32_t skip_size(const FindOptions& o) {
  if (!o.skip) return 1;
  if (!o.skip->is(Type::integer)) fire(Err::script_invalid_refine_arg, {word_arg("skip"), *o.skip});
  if (o.skip->int_value() < 1) fire(Err::script_out_of_range, {*o.skip});
  return o.skip->int_value();
}

// The last cell a search may cover, or -1 when /part leaves nothing to search.
int32_t range_end(const Cell& series, int32_t head, const FindOptions& o) {
  int32_t last = length_total(series) - 1;
  if (!o.part) return last;
  int64_t end;
  if (o.part->is(Type::integer)) {
    if (o.part->int_value() < 1) return -1;
    end = int64_t{head} + o.part->int_value() - 1;
  } else if (o.part->type() == series.type() && series_node(*o.part) == series_node(series)) {
    end = int64_t{series_head(*o.part)} - 1;  // the position itself lies past the range
  } else {
    fire(Err::script_invalid_refine_arg, {word_arg("part"), *o.part});
  }
  return end > last ? last : static_cast<int32_t>(end);
}

// hash! values are searched through their table where the table can answer.
bool through_table(const Cell& series, const Cell& value, const FindOptions& o) {
  if (!series.is(Type::hash) || o.match) return false;
  if (!o.only && (is_any_block(value.type()) || value.is(Type::datatype) || value.is(Type::typeset)))
    return false;
  return o.same || !value.is(Type::object);
}

Found search_table(Cell* series, Cell* value, int32_t head, int32_t step, int32_t end, const FindOptions& o) {
  Found f;
  f.backwards = o.last || o.reverse;
  int op = o.same ? cmp::same : o.case_ ? cmp::strict_equal : cmp::find;
  NodeId table = table_of(*series);
  Cell* hit = hashtable::find(table, *value, head, step, op, o.last, o.reverse);
  if (!hit) return f;
  int32_t at = static_cast<int32_t>(hit - cells(*series));
  if (at <= end) f.at = at;
  return f;
}

Found search(Cell* series, Cell* value, const FindOptions& o) {
  Found f;
  int32_t total = length_total(*series);
  int32_t head = clamped_head(*series);
  if (total == 0 || (head >= total && !o.reverse)) return f;
  int32_t step = skip_size(o);
  int32_t end = range_end(*series, head, o);
  if (end < 0) return f;
  if (through_table(*series, *value, o)) return search_table(series, value, head, step, end, o);
  Target t = target_of(*value, o);
  f.length = t.length;
  f.backwards = o.last || o.reverse;
  int32_t from = head;
  if (o.reverse) {
    from = head - t.length;
  } else if (o.last) {
    // the last record start from the head, as the table search of a hash! counts them
    int32_t last = end - t.length + 1;
    from = last < head ? -1 : head + (last - head) / step * step;
  }
  if (from < 0) return f;
  for (int64_t pos = from; pos >= 0 && pos + t.length - 1 <= end;) {  // wide: /skip may be huge
    if (matches_at(*series, static_cast<int32_t>(pos), *value, t)) {
      f.at = static_cast<int32_t>(pos);
      return f;
    }
    if (o.match) break;
    pos += f.backwards ? -step : step;
  }
  return f;
}

Cell* push_position(const Cell& series, int32_t at) {
  Cell* result = stack::push(series);
  result->w1 = static_cast<uint32_t>(at);
  return result;
}

// The cell after a match: after the whole run for a block, paren or path value searched as a
// sequence, after its first cell otherwise.
int32_t after_match(const Cell& value, const Found& f, bool only) {
  Type t = value.type();
  bool run = !only && is_any_block(t) && t != Type::hash;
  return f.at + (run ? f.length : 1);
}

void index_new(Cell* series, int32_t at) {
  NodeId table = table_of(*series);
  if (table) hashtable::put(table, cells(*series) + at);
}

void append_indexed(Cell* series, const Cell& value) {
  append_copy(*series, value);
  index_new(series, length_total(*series) - 1);
}

}  // namespace

Cell* find(Cell* series, Cell* value, const FindOptions& o) {
  Found f = search(series, value, o);
  if (f.at < 0) return stack::push(make_none());
  int32_t at = f.at;
  if (o.tail) {
    if (through_table(*series, *value, o)) at += 1;
    else if (target_of(*value, o).sequence) at += f.length;
    else if (f.backwards) at += 1;
    else at = skip_size(o) > length_total(*series) - at ? length_total(*series) : at + skip_size(o);
    if (at > length_total(*series)) at = length_total(*series);
  }
  return push_position(*series, at);
}

Cell* select(Cell* series, Cell* value, const FindOptions& o) {
  Found f = search(series, value, o);
  if (f.at < 0) return stack::push(make_none());
  int32_t next = after_match(*value, f, o.only);
  if (next >= length_total(*series)) return stack::push(make_none());
  return stack::push(cells(*series)[next]);
}

Cell* put(Cell* series, Cell* key, Cell* value, bool case_) {
  FindOptions o;
  o.case_ = case_;
  o.only = true;  // a key is one cell, whatever its type
  Found f = search(series, key, o);
  int32_t at = f.at < 0 ? length_total(*series) : f.at + 1;
  bool owned = ownership::before(*series, Action::put, at, 1);
  if (f.at < 0) {
    append_indexed(series, *key);
    append_indexed(series, *value);
  } else if (at >= length_total(*series)) {
    append_indexed(series, *value);
  } else if (!cell_matches(cells(*series)[at], *value, cmp::find)) {
    if (NodeId table = table_of(*series)) hashtable::remove_position(table, at);
    cells(*series)[at] = *value;
    index_new(series, at);
  }
  if (owned) ownership::after(*series, Action::put, at, 1);
  return value;
}

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  if (element->is(Type::integer)) {
    if (value) return actions::get<Action::poke>(parent)(parent, element->int_value(), element, value);
    return actions::get<Action::pick>(parent)(parent, element->int_value(), element);
  }
  if (!value) {
    if (element->is(Type::word) && !parent->is(Type::hash)) {
      Cell* after = select_word(*parent, *element, false);
      return stack::push(after ? *after : make_none());
    }
    return select(parent, element, FindOptions{});
  }
  Found f = search(parent, element, FindOptions{});
  if (f.at < 0) fire(Err::script_bad_path_set, {step.path ? *step.path : make_none(), *element});
  Cell* position = push_position(*parent, after_match(*element, f, false) - 1);
  Cell* index = stack::push(make_integer(2));
  return actions::get<Action::poke>(position)(position, 2, index, value);
}

}  // namespace vyn::block
