// platform/console_out.hpp: writing text to the console or to redirected standard output.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::os {

// Text of 1, 2 or 4-byte units (Latin-1, UCS-2, UCS-4), written as UTF-8, with a line end (LF)
// when asked.
void print_units(const uint8_t* text, size_t units, uint32_t unit, bool line_end);
void print_latin1(const char* text, size_t length);
// Text already in UTF-8, written as it is.
void print_utf8(const char* text, size_t length);
void flush();
// The runtime's own diagnostics, to standard error.
void diagnostic(const char* text);

}  // namespace vyn::os
