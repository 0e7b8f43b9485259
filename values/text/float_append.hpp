// values/text/float_append.hpp: a decimal's text (core/text/float_text.hpp) appended to a string!.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "core/text/float_text.hpp"

namespace vyn::float_text {

// Appends the molded or formed text to a string! value (which must be rooted: appending may
// allocate) and answers the number of characters appended.
int32_t append_mold(const Cell& str, double x);
int32_t append_form(const Cell& str, double x, Kind kind);

}  // namespace vyn::float_text
