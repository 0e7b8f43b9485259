// core/fault.cpp: the runtime error reporter. Nothing registered to run at exit is run: after such
// a fault the heap and the runtime's tables may be inconsistent.
#include "core/fault.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/heap.hpp"

namespace vyn::fault {

void report(int code, const char* message, const void* address) {
  std::fflush(stdout);
  if (code != 0) {
    auto at = static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address));
    std::printf("\n*** Runtime Error %d: %s\n*** at: %08llXh\n", code, message, at);
    std::fflush(stdout);
  }
#ifdef VYN_FAULT_ABORTS
  if (code != 0) std::abort();
#endif
  heap::free_all();
  std::_Exit(code);
}

}  // namespace vyn::fault
