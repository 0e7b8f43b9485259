// values/series/vector_series.cpp: the series actions vector! answers in element values: find, select
// and take (sort is in vector_sort.cpp).
#include <cstring>

#include "core/error.hpp"
#include "core/series.hpp"
#include "core/stack.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"
#include "values/series/vector.hpp"

namespace vyn::vector {
namespace {

bool same_value(const Cell& v, int32_t i, const Cell& value) {
  if (is_float_elem(elem_type(v))) {
    bool fl = value.is(Type::float_) || value.is(Type::percent);
    if (!fl && !value.is(Type::integer)) return false;
    return get_float(v, i) == (fl ? value.float_value() : value.int_value());
  }
  if (!value.is(Type::integer) && !value.is(Type::char_)) return false;
  return get_int(v, i) == value.int_value();
}

// Wildcard matching (/any, /with) is defined for text only; it is left not done here as there.
// A /skip below 1 would never move: out of range.
int32_t step_of(const FindOptions& o) {
  if (o.any || o.with) fire(Err::internal_not_done);
  if (!o.skip) return 1;
  if (!o.skip->is(Type::integer) || o.skip->int_value() < 1) fire(Err::script_out_of_range, {*o.skip});
  return o.skip->int_value();
}

// Absolute index of the match, or -1. /part limits the range, /skip the step; /last and /reverse
// search backwards.
int32_t locate(Cell* v, const Cell& value, const FindOptions& o) {
  int32_t head = series_head(*v), n = length(*v);
  if (o.part) {
    int32_t p = series::part_count(*v, *o.part);
    if (p < n) n = p < 0 ? 0 : p;
  }
  int32_t step = step_of(o);
  if (o.match) return n > 0 && same_value(*v, head, value) ? head : -1;
  if (o.last) {
    for (int32_t i = n - 1; i >= 0; i -= step)
      if (same_value(*v, head + i, value)) return head + i;
    return -1;
  }
  if (o.reverse) {
    for (int32_t i = head - 1; i >= 0; i -= step)
      if (same_value(*v, i, value)) return i;
    return -1;
  }
  for (int32_t i = 0; i < n; i += step)
    if (same_value(*v, head + i, value)) return head + i;
  return -1;
}

}  // namespace

Cell* find(Cell* series, Cell* value, const FindOptions& o) {
  int32_t at = locate(series, *value, o);
  if (at < 0) return stack::push(make_none());
  Cell r = *series;
  set_series_head(r, o.tail || o.match ? at + 1 : at);
  return stack::push(r);
}

Cell* select(Cell* series, Cell* value, const FindOptions& o) {
  FindOptions plain = o;
  plain.tail = plain.match = false;
  int32_t at = locate(series, *value, plain);
  SeriesBuffer* b = buffer_of(series_node(*series));
  if (at < 0 || at + 1 >= static_cast<int32_t>(b->tail >> b->shift())) return stack::push(make_none());
  return stack::push(element(*series, at + 1));
}

// Without /part one element as a value; with it a vector, as series! takes it.
Cell* take(Cell* series, Cell* part, bool deep, bool last) {
  Cell* r = registry::entry<Action::take>(Type::series)(series, part, deep, last);
  if (!part && r->is(Type::vector)) *r = length(*r) ? element(*r, series_head(*r)) : make_none();
  return r;
}

}  // namespace vyn::vector
