// values/text/string_sort.cpp: sort on character series: characters or fixed-size records, by code
// point, folded, by a key offset or through a language comparator.
#include <vector>

#include "core/text/casefold.hpp"
#include "core/error.hpp"
#include "core/sort.hpp"
#include "core/stack.hpp"
#include "values/objects/error_args.hpp"
#include "values/objects/ownership.hpp"
#include "values/series/series.hpp"
#include "values/series/sort_records.hpp"
#include "values/series/vector.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::string {
namespace {

// Text folds letter case through the full tables, the same way whatever its unit, so it sorts
// alike however it is stored; a binary folds only the ASCII letters, down, leaving other bytes.
enum class Fold { none, ascii, full };

uint32_t folded(uint32_t c, Fold f) {
  if (f == Fold::full) return casefold::to_upper(c);
  if (f == Fold::ascii && c >= 'A' && c <= 'Z') return c + 32;
  return c;
}

// How two records compare; the sorts pass its address through as their first word.
struct Order {
  uint32_t unit;
  int32_t record;    // characters per record
  int32_t key;       // 0-based character compared, unless all
  bool all;          // every character of the record, in turn
  Fold fold;
  bool reverse;
  Cell* function;    // a language comparator, or nullptr
  Type type;         // of the series, for the records handed to the comparator
};

const Order& order_of(intptr_t w) { return *reinterpret_cast<const Order*>(w); }

int signed_order(int answer, bool reverse) { return reverse ? -answer : answer; }

int by_code_point(const uint8_t* a, const uint8_t* b, intptr_t w, intptr_t) {
  const Order& o = order_of(w);
  int32_t from = o.all ? 0 : o.key, to = o.all ? o.record : o.key + 1;
  for (int32_t i = from; i < to; ++i) {
    uint32_t c = get_char(a + static_cast<uint32_t>(i) * o.unit, o.unit);
    uint32_t d = get_char(b + static_cast<uint32_t>(i) * o.unit, o.unit);
    c = folded(c, o.fold);
    d = folded(d, o.fold);
    if (c != d) return signed_order(c < d ? -1 : 1, o.reverse);
  }
  return 0;
}

// The characters handed to the comparator for a record: its key, or with all the whole record.
std::vector<uint32_t> chars_of(const Order& o, const uint8_t* record) {
  int32_t from = o.all ? 0 : o.key, to = o.all ? o.record : o.key + 1;
  std::vector<uint32_t> chars;
  for (int32_t i = from; i < to; ++i) chars.push_back(get_char(record + static_cast<uint32_t>(i) * o.unit, o.unit));
  return chars;
}

// A char! (a binary's integer!), or with all a value of the series' type holding the record.
Cell* argument(const Order& o, const std::vector<uint32_t>& chars) {
  bool bytes = o.type == Type::binary;
  if (!o.all) return stack::push(bytes ? make_integer(static_cast<int32_t>(chars[0])) : make_char(chars[0]));
  Cell* s = stack::push_unset();
  if (bytes) {
    s->w2 = alloc::new_bytes(static_cast<uint32_t>(chars.size()));
    SeriesBuffer* b = buffer_of(s->w2);
    for (uint32_t c : chars) b->data()[b->tail++] = static_cast<uint8_t>(c);
  } else {
    make_at(s, static_cast<uint32_t>(chars.size()));
    for (uint32_t c : chars) append_char(series_node(*s), c);
  }
  s->set_type(o.type);
  return s;
}

// The language comparator on the two records (its answer read by sort_records::answer_order).
int by_function(const uint8_t* a, const uint8_t* b, intptr_t w, intptr_t) {
  const Order& o = order_of(w);
  // read both records before anything allocates: their addresses go stale then
  std::vector<uint32_t> ka = chars_of(o, a), kb = chars_of(o, b);
  stack::Mark mark;
  Cell* fn = stack::push(*o.function);
  Cell* first = argument(o, ka);
  Cell* second = argument(o, kb);
  Cell answer = sort::call_comparator(fn, first, second);
  return signed_order(sort_records::answer_order(answer), o.reverse);
}

}  // namespace

Cell* sort(Cell* series, const SortOptions& o) {
  if (series->is(Type::vector)) return vector::sort(series, o);
  bool text = series::is_char_series(series->type());
  if (!text && !series->is(Type::binary)) fire(Err::script_invalid_type, {make_datatype(series->type())});
  sort_records::Layout l = sort_records::layout_of(series, o);
  if (!l.worth_sorting()) return series;
  NodeId node = series_node(*series);
  Fold fold = o.case_ ? Fold::none : text ? Fold::full : Fold::ascii;
  Order order{unicode::checked_unit(buffer_of(node)), l.size, 0, o.all && o.skip, fold, o.reverse,
              nullptr, series->type()};
  if (o.compare) sort_records::read_compare(o.compare, l.size, order.key, order.function);
  sort_records::sort_in_place(series, l, order.unit, o.stable, reinterpret_cast<intptr_t>(&order),
                              order.function ? by_function : by_code_point);
  return series;
}

}  // namespace vyn::string
