// platform/console_out.hpp: writing text to the console or to redirected standard output.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::os {

// Text of 1, 2 or 4-byte units (Latin-1, UCS-2, UCS-4), written as UTF-8, with a line end (LF)
// when asked. To a terminal, the console's escape sequences in it are carried out in the
// terminal's own; to a redirected stream they go as they are.
void print_units(const uint8_t* text, size_t units, uint32_t unit, bool line_end);
void print_latin1(const char* text, size_t length);
// Text already in UTF-8, written as it is.
void print_utf8(const char* text, size_t length);
// Flushes before something else writes to the terminal itself (the line editor, the text UI):
// where the cursor is must be asked afresh afterwards.
void flush();
// Flushes what print_units wrote, and nothing else wrote meanwhile.
void flush_printed();
// The runtime's own diagnostics, to standard error.
void diagnostic(const char* text);

// Output that standard output does not take ends the run: nothing written afterwards could be
// trusted to arrive, and a script whose output was lost must not report success. The hook (set
// once at start-up) gives the terminal back first; then the reason goes to standard error and the
// process ends with status 1. Every writer to standard output reports its failures here. Returns
// only while the run is ending for that already (the hook's own output may fail too).
void output_failed(int error);
void set_output_failure_hook(void (*hook)());

}  // namespace vyn::os
