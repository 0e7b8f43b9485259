// values/callables/routine_define.cpp: routines made from spec text and bound to their words.
#include "values/callables/routine_define.hpp"

#include <cstring>

#include "core/stack.hpp"
#include "values/callables/function.hpp"
#include "values/lexer/lexer.hpp"
#include "values/words/word.hpp"

namespace vyn::routine {
namespace {

// Routines made here leave their result to the body, whatever their spec's return type.
inline constexpr int32_t body_stores_result = -1;

}  // namespace

Cell* push_spec(const char* spec_text) {
  Cell* spec = stack::push_unset();
  lexer::ScanArgs args;
  lexer::scan(spec, reinterpret_cast<const uint8_t*>(spec_text),
              static_cast<uint32_t>(std::strlen(spec_text)), args);
  return spec;
}

void define(const char* name, const Cell& spec, int32_t entry) {
  stack::Mark mark;
  function::routine_push(spec, make_none(), entry, body_stores_result, false);
  Cell w = word::load(name);
  word::set(w, *stack::last_value());
}

void define(const char* name, const char* spec_text, int32_t entry) {
  stack::Mark mark;
  define(name, *push_spec(spec_text), entry);
}

}  // namespace vyn::routine
