// platform/fault_handler.cpp: the runtime error report of a fault of the machine. It runs in a
// signal handler, on the faulting thread's own signal stack: only async-signal-safe calls.
#include "platform/fault_handler.hpp"

#include <pthread.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "core/fault.hpp"

namespace vyn::signals::faults {
namespace {

// The threads' stacks: the lowest usable address and the size of the guard area below it.
struct Stack {
  std::atomic<uintptr_t> low{0};
  std::atomic<uintptr_t> guard{0};
};
constexpr int stack_slots = 16;
Stack stacks[stack_slots];
std::atomic<int> stacks_used{0};

// The C library counts the guard into the stack it describes or not, depending on the thread:
// an address within the guard's size on either side of the stack's low end counts, and so does
// the page above (a frame probed from its far end faults there first).
constexpr uintptr_t guard_floor = uintptr_t{1} << 20;

void write_all(const char* bytes, size_t n) {
  for (size_t done = 0; done < n;) {
    ssize_t k = ::write(STDOUT_FILENO, bytes + done, n - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return;
    done += static_cast<size_t>(k);
  }
}

// What the program printed and the C library still holds goes out before the report, as it
// would have before an orderly end. The buffer is read, not flushed: a fault inside the library's
// own writing leaves its lock taken.
void write_pending_output() {
#ifdef __GLIBC__
  const char* from = stdout->_IO_write_base;
  const char* to = stdout->_IO_write_ptr;
  if (from && to > from && to - from <= (1 << 20)) write_all(from, static_cast<size_t>(to - from));
#endif
}

// The address of the faulting instruction; the data address where there is no machine context.
uintptr_t fault_address(siginfo_t* info, void* context) {
#if defined(__x86_64__)
  if (context) return static_cast<uintptr_t>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
  if (context) return static_cast<uintptr_t>(static_cast<ucontext_t*>(context)->uc_mcontext.pc);
#endif
  return reinterpret_cast<uintptr_t>(info->si_addr);
}

Code float_code(int si_code) {
  switch (si_code) {
    case FPE_INTDIV: return {13, "integer divide by zero"};
    case FPE_INTOVF: return {14, "integer overflow"};
    case FPE_FLTDIV: return {7, "float divide by zero"};
    case FPE_FLTOVF: return {10, "float overflow"};
    case FPE_FLTUND: return {12, "float underflow"};
    case FPE_FLTRES: return {8, "float inexact result"};
    case FPE_FLTSUB: return {5, "array bounds exceeded"};
    default: return {9, "invalid float operation"};
  }
}

}  // namespace

Code code_for(int signal, int si_code, bool stack_overflow) {
  switch (signal) {
    case SIGSEGV:
      return stack_overflow ? Code{19, "stack overflow"} : Code{1, "access violation"};
    case SIGBUS:
      return si_code == BUS_ADRALN ? Code{2, "misaligned data access"} : Code{16, "bus error"};
    case SIGFPE: return float_code(si_code);
    case SIGILL:
      return si_code == ILL_PRVOPC || si_code == ILL_PRVREG ? Code{15, "privileged instruction"}
                                                            : Code{17, "illegal instruction"};
    default: return {1, "access violation"};
  }
}

void record_this_thread_stack() {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return;
  void* base = nullptr;
  size_t size = 0, guard = 0;
  pthread_attr_getstack(&attr, &base, &size);
  pthread_attr_getguardsize(&attr, &guard);
  pthread_attr_destroy(&attr);
  int slot = stacks_used.fetch_add(1);
  if (slot >= stack_slots || !base) return;
  stacks[slot].guard = guard > guard_floor ? guard : guard_floor;
  stacks[slot].low = reinterpret_cast<uintptr_t>(base);
}

bool in_stack_guard(uintptr_t address) {
  long page = sysconf(_SC_PAGESIZE);
  int used = stacks_used.load();
  for (int i = 0; i < used && i < stack_slots; ++i) {
    uintptr_t low = stacks[i].low, guard = stacks[i].guard;
    if (low && address + guard >= low && address < low + guard + static_cast<uintptr_t>(page))
      return true;
  }
  return false;
}

void report_and_end(int signal, siginfo_t* info, void* context) {
  bool overflow = signal == SIGSEGV && in_stack_guard(reinterpret_cast<uintptr_t>(info->si_addr));
  Code c = code_for(signal, info->si_code, overflow);
  write_pending_output();
  char text[fault::report_capacity];
  write_all(text, fault::format(text, c.code, c.message, fault_address(info, context)));
  _exit(c.code);
}

}  // namespace vyn::signals::faults
