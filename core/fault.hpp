// core/fault.hpp: the runtime error reporter, for faults the runtime cannot recover from (an
// impossible internal state, a heap it can no longer trust, a fault of the machine caught by the
// signal module). Language errors never come here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vyn::fault {

// The report: a line break, "*** Runtime Error <code>: <message>", a line break, "*** at: " and
// the address in upper-case hexadecimal (at least eight digits) followed by "h" and a line break.
// Fills out (the message is cut to fit) and answers the length. Async-signal-safe: it calls
// nothing and allocates nothing.
inline constexpr size_t report_capacity = 256;
size_t format(char (&out)[report_capacity], int code, const char* message, uintptr_t address);

// Writes the report to standard output, after what was printed before it, gives the terminal
// back as the console or a text UI found it, frees the runtime's tracked memory blocks and ends
// the process with the code (0 ends it silently).
[[noreturn]] void report(int code, const char* message, const void* address);

// What gives the terminal back before the report is written: the platform's signal module sets it
// once it keeps a terminal mode or bytes to leave with; until then there is nothing to give back.
// Must be async-signal-safe.
void set_terminal_release(void (*fn)());

}  // namespace vyn::fault
