// boot/fault_trigger.cpp: `_raise-fault`, which makes the machine fault on purpose so that tests
// can watch the runtime report it. It exists only in a process started with VYN_TEST_FAULTS set;
// nothing in the language's vocabulary reaches it otherwise.
#include <fenv.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "boot/base_library.hpp"
#include "boot/routine_bodies.hpp"
#include "core/error.hpp"
#include "values/words/symbol.hpp"

namespace vyn::boot {
namespace {

volatile int keep_going = 1;

void access_violation() {
  int* volatile nowhere = reinterpret_cast<int*>(16);
  *nowhere = 1;
}

// Frames under a page each: every page is touched on the way down, none skipped.
int deep(int n) {
  volatile char frame[3000];
  frame[0] = static_cast<char>(n);
  return keep_going ? deep(n + 1) + frame[0] : n;
}

void integer_divide() {
  volatile int zero = 0;
  int quotient = 1, divisor = zero;
  __asm__ volatile("cltd; idivl %1" : "+a"(quotient) : "r"(divisor) : "edx", "cc");
}

void float_divide() {
  feenableexcept(FE_DIVBYZERO);
  volatile double zero = 0.0;
  volatile double result = 1.0 / zero;
  (void)result;
}

void illegal_instruction() { __asm__ volatile("ud2"); }

// A page of a shared mapping past the end of its (empty) file.
void bus_error() {
  char name[] = "/tmp/vyn-fault-XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) return;
  unlink(name);
  auto* page = static_cast<volatile char*>(
      mmap(nullptr, static_cast<size_t>(sysconf(_SC_PAGESIZE)), PROT_READ, MAP_SHARED, fd, 0));
  if (page != MAP_FAILED) (void)page[0];
}

// The processor's alignment check on (the AC flag), then a misaligned load.
void misaligned() {
  alignas(8) static char bytes[16];
  __asm__ volatile("pushf; orl $0x40000, (%rsp); popf");
  auto* volatile at = reinterpret_cast<volatile int*>(bytes + 1);
  (void)*at;
  __asm__ volatile("pushf; andl $~0x40000, (%rsp); popf");  // where the processor does not check
}

struct Fault {
  const char* name;
  void (*raise)();
};
const Fault faults[] = {
    {"access-violation", access_violation}, {"integer-divide", integer_divide},
    {"float-divide", float_divide},         {"illegal-instruction", illegal_instruction},
    {"bus-error", bus_error},               {"misaligned", misaligned},
    {"stack-overflow", [] { (void)deep(0); }},
};

void raise_fault(routine::Invocation& inv) {
  Cell* which = bodies::arg_cell(inv, 0);
  for (const Fault& f : faults)
    if (symbol::spelling(word::symbol(*which)) == f.name) f.raise();
  fire(Err::script_invalid_arg, {*which});  // also when the fault did not come
}

}  // namespace

void define_fault_trigger() {
  if (!std::getenv("VYN_TEST_FAULTS")) return;
  static const int32_t entry = routine::register_body(raise_fault);
  routine::define("_raise-fault", "fault [word!]", entry);
}

}  // namespace vyn::boot
