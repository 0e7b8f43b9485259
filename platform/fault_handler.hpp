// platform/fault_handler.hpp: what a fault of the machine becomes: the runtime error report, on
// standard output after what was printed before it, and the end of the process with the fault's
// code. The signal module calls it once the terminal is back.
#pragma once

#include <csignal>
#include <cstdint>

namespace vyn::signals::faults {

// The runtime error code and message of a fault: the signal and its si_code, and whether the
// address lies in the guard area below a thread's stack. Codes (docs/architecture.md):
// 1 access violation, 2 misaligned data access, 5 array bounds exceeded, 7 float divide by zero,
// 8 float inexact result, 9 invalid float operation, 10 float overflow, 12 float underflow,
// 13 integer divide by zero, 14 integer overflow, 15 privileged instruction, 16 bus error,
// 17 illegal instruction, 19 stack overflow.
struct Code {
  int code;
  const char* message;
};
Code code_for(int signal, int si_code, bool stack_overflow);

// Records the calling thread's stack and the guard area below it, for telling a stack overflow.
void record_this_thread_stack();
bool in_stack_guard(uintptr_t address);

// The processor's alignment check (the AC flag) stays on in a signal handler: a handler for a
// misaligned access turns it off before it calls code that may make one too.
inline void alignment_check_off() {
#if defined(__x86_64__)
  __asm__ volatile("pushf; andl $~0x40000, (%%rsp); popf" ::: "memory", "cc");
#endif
}

// Writes the report and ends the process with the code. Async-signal-safe.
[[noreturn]] void report_and_end(int signal, siginfo_t* info, void* context);

}  // namespace vyn::signals::faults
