// core/flow.hpp: non-local exits: break, continue, return, exit and throw as a returned status,
// errors as C++ exceptions.
//
// An error is raised with fire() (core/error.hpp): the error value waits in a rooted slot and the
// empty tag Raised unwinds the C++ stack to the nearest try. The five other exits are ordinary
// control flow: the routine that starts one cuts the frame stacks back to its target and answers
// a Flow code, which every interpreter routine and block-evaluating native passes up until an
// activation whose catch level admits it. Where C++ calls back into the interpreter and cannot
// pass a status on (sort comparator, parse and lexer callbacks, change handlers, tracer), the code
// travels as the Exit exception instead and is turned back into a status at the nearest catching
// activation (to_exception / catch_exit).
#pragma once

#include <cstdint>

namespace vyn {

enum class Flow : uint32_t {
  normal = 0,
  throw_ = 0x7FFFFFFA,
  exit = 0x7FFFFFFB,
  return_ = 0x7FFFFFFC,
  continue_ = 0x7FFFFFFD,
  break_ = 0x7FFFFFFE,
  error = 0x7FFFFFFF,
};

// Catch levels: an activation with level L stops every code not above it.
namespace level {
inline constexpr uint32_t all = 0x7FFFFFFF;     // function calls, try, do, attempt, the console
inline constexpr uint32_t loop = 0x7FFFFFFE;    // loops and parse: everything but errors
inline constexpr uint32_t catch_ = 0x7FFFFFFA;  // catch: only throw
}  // namespace level

inline bool admits(uint32_t catch_level, Flow code) {
  return static_cast<uint32_t>(code) <= catch_level;
}

// A pending exit carried as an exception across C++ code that cannot return a status.
struct Exit {
  Flow code;
};

[[noreturn]] inline void to_exception(Flow code) { throw Exit{code}; }

// Runs f, which answers a Flow, and turns an Exit thrown inside it back into its status.
template <class F>
[[nodiscard]] Flow catch_exit(F&& f) {
  try {
    return f();
  } catch (const Exit& e) {
    return e.code;
  }
}

}  // namespace vyn
