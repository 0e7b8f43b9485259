// tests/unit/support/script.hpp: evaluating source text from a test.
#pragma once

#include <cstring>

#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "tests/unit/support/runtime_fixture.hpp"

namespace vyn::test {

// The text scanned into a block pushed on the value stack.
inline Cell* load(const char* text) {
  Cell* code = stack::push_unset();
  lexer::ScanArgs args;
  lexer::scan(code, reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(std::strlen(text)), args);
  return code;
}

// Evaluates the block; answers its value (left on the stack as the last value).
inline Cell eval(Cell* code) {
  Flow f = interp::eval_block(*code, false);
  EXPECT_EQ(f, Flow::normal);
  return *stack::last_value();
}

inline Cell run(const char* text) { return eval(load(text)); }

}  // namespace vyn::test
