// values/text/text_width.cpp: the columns of a text value, by the width tables of
// core/text/display_width.hpp.
#include "values/text/text_width.hpp"

#include "core/text/display_width.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::width {

int64_t of_text(const Cell& text) {
  int64_t columns = 0;
  int32_t head = series_head(text);
  int32_t n = string::length(text);
  for (int32_t i = 0; i < n; ++i)
    columns += of(string::char_at(series_node(text), static_cast<uint32_t>(head + i)));
  return columns;
}

}  // namespace vyn::width
