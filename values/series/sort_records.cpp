// values/series/sort_records.cpp: the range, record size and comparator answer of series sorts.
#include "values/series/sort_records.hpp"

#include "core/error.hpp"
#include "values/objects/error_args.hpp"
#include "values/objects/ownership.hpp"
#include "values/series/series.hpp"

namespace vyn::sort_records {

int32_t range_of(Cell* series, Cell* part) {
  int32_t left = series::units_left(*series, false);
  if (!part) return left;
  int32_t n = series::part_count(*series, *part);
  if (n >= 0) return n < left ? n : left;
  int32_t head = series_head(*series);
  n = -n < head ? -n : head;
  series->w1 = static_cast<uint32_t>(head - n);
  return n;
}

int32_t record_size(Cell* skip, int32_t count) {
  if (!skip) return 1;
  if (!skip->is(Type::integer)) fire(Err::script_invalid_refine_arg, {word_arg("skip"), *skip});
  int32_t size = skip->int_value();
  if (size < 1 || size > count || count % size) fire(Err::script_out_of_range, {*skip});
  return size;
}

int answer_order(const Cell& answer) {
  switch (answer.type()) {
    case Type::logic: return logic_of(answer) ? -1 : 1;
    case Type::integer: return answer.int_value() > 0 ? -1 : answer.int_value() < 0 ? 1 : 0;
    case Type::float_: return answer.float_value() > 0 ? -1 : answer.float_value() < 0 ? 1 : 0;
    case Type::none_: return -1;
    default: return 1;
  }
}

Layout layout_of(Cell* series, const SortOptions& o) {
  int32_t count = range_of(series, o.part);
  if (o.all && !o.skip) fire(Err::script_bad_refines);
  return {count, count ? record_size(o.skip, count) : 1};
}

void read_compare(Cell* compare, int32_t size, int32_t& key, Cell*& function) {
  if (compare->is(Type::integer)) {
    int32_t offset = compare->int_value();
    if (offset < 1 || offset > size) fire(Err::script_out_of_range, {*compare});
    key = offset - 1;
  } else if (compare->is(Type::function)) {
    function = compare;
  } else {
    fire(Err::script_invalid_refine_arg, {word_arg("compare"), *compare});
  }
}

void sort_in_place(Cell* series, Layout l, uint32_t unit, bool stable, intptr_t order, sort::Compare compare) {
  int32_t head = series_head(*series);
  bool owned = ownership::before(*series, Action::sort, head, l.count);
  sort::Records records{series_node(*series), static_cast<uint32_t>(head) * unit};
  uint32_t n = static_cast<uint32_t>(l.count / l.size), bytes = static_cast<uint32_t>(l.size) * unit;
  if (stable) sort::merge(records, n, bytes, order, 0, compare);
  else sort::quick(records, n, bytes, order, 0, compare);
  if (owned) ownership::after(*series, Action::sort, head, l.count);
}

}  // namespace vyn::sort_records
