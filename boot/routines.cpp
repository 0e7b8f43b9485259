// boot/routines.cpp: the base library's routines: language specs with C++ bodies.
#include <cstring>

#include "boot/base_library.hpp"
#include "eval/lexer/lexer.hpp"
#include "eval/natives/shift.hpp"
#include "eval/stack.hpp"
#include "values/function.hpp"
#include "values/routine.hpp"
#include "values/word.hpp"

namespace vyn::boot {
namespace {

// Start-up routines leave their result to the body, whatever their spec's return type.
inline constexpr int32_t body_stores_result = -1;

// Makes a routine from its spec text and body entry and binds its word to it.
void define_routine(const char* name, const char* spec_text, int32_t entry) {
  stack::Mark mark;
  Cell* spec = stack::push_unset();
  lexer::ScanArgs args;
  lexer::scan(spec, reinterpret_cast<const uint8_t*>(spec_text),
              static_cast<uint32_t>(std::strlen(spec_text)), args);
  function::routine_push(*spec, make_none(), entry, body_stores_result, false);
  Cell w = word::load(name);
  word::set(w, *stack::last_value());
}

template <int32_t (*Shift)(int32_t, int32_t)>
void shift_body(routine::Invocation& inv) {
  *inv.result = make_integer(Shift(inv.args[0].i, inv.args[1].i));
}

}  // namespace

void define_routines() {
  // registered once per process: a body's entry index stays the same across runtimes
  static const int32_t right = routine::register_body(shift_body<shifts::right>);
  static const int32_t left = routine::register_body(shift_body<shifts::left>);
  static const int32_t logical = routine::register_body(shift_body<shifts::logical>);
  define_routine("shift-right", R"~("Shift bits to the right" data [integer!] bits [integer!])~", right);
  define_routine("shift-left", R"~("Shift bits to the left" data [integer!] bits [integer!])~", left);
  define_routine("shift-logical",
                 R"~("Shift bits to the right (unsigned)" data [integer!] bits [integer!])~", logical);
}

}  // namespace vyn::boot
