// values/series/block_sort.cpp: sorting blocks, by value or by a comparator function, in records of one
// or more cells.
#include <cstring>
#include <utility>

#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "core/sort.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/series/block_sort_text.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/error_args.hpp"
#include "values/objects/ownership.hpp"
#include "values/series/series.hpp"

namespace vyn::block {
namespace {

constexpr intptr_t flag_reverse = 1;
constexpr intptr_t flag_all = 2;
constexpr int flag_shift = 2;

const Cell* cells_at(const uint8_t* record) { return reinterpret_cast<const Cell*>(record); }

// A comparator's answer as a sort order.
int order_of(const Cell& r) {
  switch (r.type()) {
    case Type::logic: return logic_of(r) ? 1 : -1;
    case Type::integer: return r.int_value() > 0 ? 1 : r.int_value() < 0 ? -1 : 0;
    case Type::float_: return r.float_value() > 0 ? 1 : r.float_value() < 0 ? -1 : 0;
    case Type::none_: return -1;
    default: return 1;
  }
}

// The count /part gives; a negative one moves the head back (not below 0) and counts from there.
int32_t part_range(Cell* series, Cell* part, int32_t count) {
  int32_t head = series_head(*series);
  int32_t n;
  if (part->is(Type::integer)) {
    n = series::part_count(*series, *part);
  } else if (part->type() == series->type() && series_node(*part) == series_node(*series)) {
    n = series_head(*part) - head;
  } else {
    fire(Err::script_invalid_refine_arg, {word_arg("part"), *part});
  }
  if (n < 0) {
    n = -n > head ? head : -n;
    series->w1 = static_cast<uint32_t>(head - n);
    return n;
  }
  return n < count ? n : count;
}

int32_t record_size(Cell* skip, int32_t count) {
  if (!skip) return 1;
  if (!skip->is(Type::integer)) fire(Err::script_invalid_refine_arg, {word_arg("skip"), *skip});
  int32_t size = skip->int_value();
  if (size < 1 || size > count || count % size)
    fire(Err::script_invalid_refine_arg, {word_arg("skip"), *skip});
  return size;
}

// The compare callback and its two words for the /compare argument.
sort::Compare comparator(const SortOptions& o, int32_t size, SortWith& with, intptr_t& w1, intptr_t& flags) {
  if (!o.compare) return sort_compare;
  if (o.compare->is(Type::function)) {
    with.function = o.compare;
    flags = (o.reverse ? flag_reverse : 0) | (o.all ? flag_all : 0) | (intptr_t{size} << flag_shift);
    if (o.all) {
      for (Cell*& r : with.records) r = block::push_only(size);
    }
    w1 = reinterpret_cast<intptr_t>(&with);
    return sort_compare_with;
  }
  if (!o.compare->is(Type::integer)) fire(Err::script_invalid_refine_arg, {word_arg("compare"), *o.compare});
  if (!o.skip || o.all) fire(Err::script_bad_refines);
  int32_t key = o.compare->int_value();
  if (key < 1 || key > size) fire(Err::script_out_of_range, {*o.compare});
  flags |= intptr_t{key - 1} << flag_shift;
  return sort_compare;
}

}  // namespace

int sort_compare(const uint8_t* a, const uint8_t* b, intptr_t op, intptr_t flags) {
  if (flags & flag_reverse) std::swap(a, b);
  bool all = flags & flag_all;
  intptr_t count = all ? flags >> flag_shift : 1;
  intptr_t offset = all ? 0 : flags >> flag_shift;
  for (intptr_t i = 0; i < count; ++i) {
    Cell x = cells_at(a)[offset + i];
    Cell y = cells_at(b)[offset + i];
    int r = compare_value(&x, &y, static_cast<int>(op));
    if (r == -2) r = static_cast<int>(x.type()) - static_cast<int>(y.type());
    if (r != 0) return r;
  }
  return 0;
}

// The function gets b then a (a then b with /reverse): a "lesser" test sorts ascending.
int sort_compare_with(const uint8_t* a, const uint8_t* b, intptr_t with, intptr_t flags) {
  const SortWith& w = *reinterpret_cast<const SortWith*>(with);
  if (!(flags & flag_reverse)) std::swap(a, b);
  stack::Mark mark;
  Cell* args[2];
  if (flags & flag_all) {
    uint32_t bytes = static_cast<uint32_t>((flags >> flag_shift) * sizeof(Cell));
    const uint8_t* from[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
      SeriesBuffer* buf = buffer(*w.records[i]);
      std::memcpy(buf->data(), from[i], bytes);
      buf->tail = bytes;
      w.records[i]->w1 = 0;
      args[i] = stack::push(*w.records[i]);
    }
  } else {
    args[0] = stack::push(*cells_at(a));
    args[1] = stack::push(*cells_at(b));
  }
  Cell* function = stack::push(*w.function);
  return order_of(sort::call_comparator(function, args[0], args[1]));
}

Cell* sort(Cell* series, const SortOptions& o) {
  int32_t count = length_total(*series) - clamped_head(*series);
  series->w1 = static_cast<uint32_t>(clamped_head(*series));
  if (o.part) count = part_range(series, o.part, count);
  if (count <= 0) return series;
  int32_t size = record_size(o.skip, count);
  if (o.all && !o.skip) fire(Err::script_bad_refines);
  stack::Mark mark;
  SortWith with{};
  intptr_t w1 = o.case_ ? cmp::case_sort : cmp::sort;
  intptr_t flags = (o.reverse ? flag_reverse : 0) | (o.all ? flag_all | (intptr_t{size} << flag_shift) : 0);
  sort::Compare compare = comparator(o, size, with, w1, flags);
  int32_t head = series_head(*series);
  bool owned = ownership::before(*series, Action::sort, head, count);
  sort::Records records{series_node(*series), static_cast<uint32_t>(head) * static_cast<uint32_t>(sizeof(Cell)), nullptr, true};
  uint32_t n = static_cast<uint32_t>(count / size);
  uint32_t bytes = static_cast<uint32_t>(size) * static_cast<uint32_t>(sizeof(Cell));
  if (o.compare || size != 1 || !sort_strings(*series, head, n, o.case_, o.reverse, o.stable)) {
    if (o.stable) sort::merge(records, n, bytes, w1, flags, compare);
    else sort::quick(records, n, bytes, w1, flags, compare);
  }
  if (NodeId table = table_of(*series)) hashtable::rehash(table);
  if (owned) ownership::after(*series, Action::sort, head, count);
  return series;
}

}  // namespace vyn::block
