// boot/startup_text.cpp: evaluating the language text that start-up defines things with.
#include <cstring>

#include "boot/base_library.hpp"
#include "eval/interp.hpp"
#include "eval/lexer/lexer.hpp"
#include "eval/stack.hpp"

namespace vyn::boot {

void eval_startup_text(const char* text) {
  stack::Mark mark;
  Cell* code = stack::push_unset();
  lexer::ScanArgs args;
  lexer::scan(code, reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(std::strlen(text)), args);
  (void)interp::eval_block(*code, false);
}

}  // namespace vyn::boot
