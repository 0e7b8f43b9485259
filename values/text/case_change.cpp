// values/text/case_change.cpp: case changes of char! values and of text in place, by the case
// tables of core/text/casefold.hpp.
#include "values/text/case_change.hpp"

#include <algorithm>

#include "core/error.hpp"
#include "core/text/casefold.hpp"
#include "values/objects/ownership.hpp"
#include "values/predefined.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::casefold {
namespace {

// The characters from the head that part selects; a negative count selects none.
int32_t change_count(Cell& text, const Cell* part) {
  int32_t count = series::units_left(text, false);
  if (!part || part->is(Type::none_)) return count;
  int32_t n = series::part_count(text, *part);
  return n < 0 ? 0 : std::min(n, count);
}

}  // namespace

// Once the text is changed its owner hears "uppercase" or "lowercase" with the head and the count.
Cell* change(Cell* value, const Cell* part, bool upper) {
  if (value->is(Type::char_)) {
    set_char(*value, map(char_of(*value), upper));
    return value;
  }
  if (!series::is_char_series(value->type())) fire(Err::script_invalid_arg, {*value});
  int32_t count = change_count(*value, part);
  NodeId node = series_node(*value);
  uint32_t head = static_cast<uint32_t>(std::max(series_head(*value), 0));
  for (uint32_t i = head; i < head + static_cast<uint32_t>(count); ++i) {
    uint32_t cp = string::char_at(node, i);
    uint32_t mapped = map(cp, upper);
    if (mapped != cp) string::write_char(node, i, mapped);
  }
  if (buffer_of(node)->flags & SeriesBuffer::owned) {
    Cell word = predefined::word(upper ? predefined::W::uppercase : predefined::W::lowercase);
    ownership::check(*value, word, nullptr, static_cast<int32_t>(head), count);
  }
  return value;
}

}  // namespace vyn::casefold
