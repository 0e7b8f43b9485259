// values/series/vector_sort.cpp: sort on vector!: elements, or fixed-size records of them, in number
// order, by a key offset within each record or through a language comparator.
#include <cmath>
#include <cstring>
#include <vector>

#include "core/error.hpp"
#include "core/series.hpp"
#include "core/sort.hpp"
#include "core/stack.hpp"
#include "values/objects/error_args.hpp"
#include "values/objects/ownership.hpp"
#include "values/series/sort_records.hpp"
#include "values/series/vector.hpp"

namespace vyn::vector {
namespace {

// How two records compare; the sorts pass its address through as their first word.
struct Order {
  Type elem;
  uint32_t unit;
  int32_t record;  // elements per record
  int32_t key;     // 0-based element compared, unless all
  bool all;        // every element of the record, in turn
  bool reverse;
  Cell* function;  // a language comparator, or nullptr
};

const Order& order_of(intptr_t w) { return *reinterpret_cast<const Order*>(w); }

// One element read from its bytes as a number; integer elements are exact in a double.
double number_at(const Order& o, const uint8_t* p) {
  if (is_float_elem(o.elem)) {
    if (o.unit == 4) { float f; std::memcpy(&f, p, 4); return f; }
    double d;
    std::memcpy(&d, p, 8);
    return d;
  }
  bool chars = o.elem == Type::char_;  // code points: narrow units are not signed
  if (o.unit == 1) return chars ? *p : static_cast<int8_t>(*p);
  if (o.unit == 2) { uint16_t x; std::memcpy(&x, p, 2); return chars ? x : static_cast<int16_t>(x); }
  int32_t x;
  std::memcpy(&x, p, 4);
  return x;
}

int32_t first_of(const Order& o) { return o.all ? 0 : o.key; }
int32_t last_of(const Order& o) { return o.all ? o.record : o.key + 1; }

// A NaN orders after every number (and equal to another NaN): otherwise it would compare equal
// to everything and leave the numbers around it unsorted.
int ordered(double x, double y) {
  bool nx = std::isnan(x), ny = std::isnan(y);
  if (nx || ny) return nx - ny;
  return x < y ? -1 : y < x ? 1 : 0;
}

int by_number(const uint8_t* a, const uint8_t* b, intptr_t w, intptr_t) {
  const Order& o = order_of(w);
  for (int32_t i = first_of(o); i < last_of(o); ++i) {
    double x = number_at(o, a + static_cast<uint32_t>(i) * o.unit);
    double y = number_at(o, b + static_cast<uint32_t>(i) * o.unit);
    int r = ordered(x, y);
    if (r) return o.reverse ? -r : r;
  }
  return 0;
}

// The key elements of a record, read before anything allocates.
std::vector<double> keys_of(const Order& o, const uint8_t* record) {
  std::vector<double> keys;
  for (int32_t i = first_of(o); i < last_of(o); ++i) keys.push_back(number_at(o, record + static_cast<uint32_t>(i) * o.unit));
  return keys;
}

Cell value_of(Type elem, double x) {
  if (elem == Type::char_) return make_char(static_cast<uint32_t>(x));
  if (elem == Type::integer) return make_integer(static_cast<int32_t>(x));
  Cell c = make_float(x);
  c.set_type(elem);
  return c;
}

// The comparator's argument: the key element as a value, or with all a vector of the record.
Cell* argument(const Order& o, const std::vector<double>& keys) {
  if (!o.all) return stack::push(value_of(o.elem, keys[0]));
  Cell* v = push_new(o.elem, o.unit, static_cast<int64_t>(keys.size()));
  buffer_of(series_node(*v))->tail = static_cast<uint32_t>(keys.size()) * o.unit;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (is_float_elem(o.elem)) put_float(*v, static_cast<int32_t>(i), keys[i]);
    else put_int(*v, static_cast<int32_t>(i), static_cast<int32_t>(keys[i]));
  }
  return v;
}

int by_function(const uint8_t* a, const uint8_t* b, intptr_t w, intptr_t) {
  const Order& o = order_of(w);
  std::vector<double> ka = keys_of(o, a), kb = keys_of(o, b);
  stack::Mark mark;
  Cell* fn = stack::push(*o.function);
  Cell* first = argument(o, ka);
  Cell* second = argument(o, kb);
  int r = sort_records::answer_order(sort::call_comparator(fn, first, second));
  return o.reverse ? -r : r;
}

}  // namespace

// Numbers in ascending order (descending with /reverse); /part limits the range, /skip sorts
// records by their first element (/compare an offset or a function, /all the whole record).
Cell* sort(Cell* series, const SortOptions& o) {
  sort_records::Layout l = sort_records::layout_of(series, o);
  if (!l.worth_sorting()) return series;
  Order order{elem_type(*series), unit_of(*series), l.size, 0, o.all && o.skip, o.reverse, nullptr};
  if (o.compare) sort_records::read_compare(o.compare, l.size, order.key, order.function);
  sort_records::sort_in_place(series, l, order.unit, o.stable, reinterpret_cast<intptr_t>(&order),
                              order.function ? by_function : by_number);
  return series;
}

}  // namespace vyn::vector
