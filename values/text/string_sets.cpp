// values/text/string_sets.cpp: unique, union, intersect, exclude and difference over the characters of
// strings.
#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/objects/error_args.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::string {
namespace {

enum class Filter { none, in_other, not_in_other };

// Appends to result every record of from (size characters, the first being the key) whose key the
// result does not hold yet and that passes the filter against other.
void collect(Cell* result, Cell* from, Cell* other, Filter filter, int32_t size, bool case_sensitive) {
  int32_t total = length_total(*from);
  int32_t start = series_head(*from) < 0 ? 0 : series_head(*from);
  for (int32_t i = start; i < total; i += size) {
    uint32_t key = char_at(series_node(*from), static_cast<uint32_t>(i));
    if (has_char_q(*result, key, size, case_sensitive)) continue;
    if (filter != Filter::none &&
        has_char_q(*other, key, size, case_sensitive) != (filter == Filter::in_other))
      continue;
    int32_t end = i + size < total ? i + size : total;
    for (int32_t k = i; k < end; ++k)
      append_char(series_node(*result), char_at(series_node(*from), static_cast<uint32_t>(k)));
  }
}

}  // namespace

Cell* set_operation(Cell* series1, Cell* series2, int op, bool case_sensitive, Cell* skip) {
  int32_t size = 1;
  if (skip) {
    if (!skip->is(Type::integer) || skip->int_value() < 1)
      fire(Err::script_invalid_refine_arg, {word_arg("skip"), *skip});
    size = skip->int_value();
  }
  if (op != 8 && !series2) fire(Err::script_missing_arg);
  stack::Mark mark;
  Cell* result = make_at(stack::push_unset(), static_cast<uint32_t>(length(*series1)));
  switch (op) {
    case 8: collect(result, series1, nullptr, Filter::none, size, case_sensitive); break;
    case 9:
      collect(result, series1, nullptr, Filter::none, size, case_sensitive);
      collect(result, series2, nullptr, Filter::none, size, case_sensitive);
      break;
    case 10: collect(result, series1, series2, Filter::in_other, size, case_sensitive); break;
    case 11: collect(result, series1, series2, Filter::not_in_other, size, case_sensitive); break;
    case 12:
      collect(result, series1, series2, Filter::not_in_other, size, case_sensitive);
      collect(result, series2, series1, Filter::not_in_other, size, case_sensitive);
      break;
    default: fire(Err::internal_not_done);  // the set natives pass only the codes 8 to 12
  }
  *series1 = make_series(series1->type(), series_node(*result));
  return series1;
}

}  // namespace vyn::string
