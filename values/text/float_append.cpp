// values/text/float_append.cpp: molded and formed decimals appended to a string!.
#include "values/text/float_append.hpp"

#include "values/text/string_storage.hpp"

namespace vyn::float_text {

int32_t append_mold(const Cell& str, double x) {
  Text t = mold(x);
  string::append_latin1(str, t.view());
  return t.size;
}

int32_t append_form(const Cell& str, double x, Kind kind) {
  Text t = form(x, kind);
  string::append_latin1(str, t.view());
  return t.size;
}

}  // namespace vyn::float_text
