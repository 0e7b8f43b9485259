// core/fault.hpp: the runtime error reporter, for faults the runtime cannot recover from (an
// impossible internal state, a heap it can no longer trust). Language errors never come here.
#pragma once

namespace vyn::fault {

// Prints a line break, "*** Runtime Error <code>: <message>", a line break, "*** at: " and the
// faulting address in upper-case hexadecimal (at least eight digits) followed by "h", then frees
// the runtime's tracked memory blocks and ends the process with the code (0 ends it silently).
[[noreturn]] void report(int code, const char* message, const void* address);

}  // namespace vyn::fault
