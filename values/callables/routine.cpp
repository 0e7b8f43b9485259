// values/callables/routine.cpp: the registry of routine bodies.
#include "values/callables/routine.hpp"

#include <cstring>
#include <vector>

#include "core/stack.hpp"
#include "values/callables/function.hpp"
#include "values/lexer/lexer.hpp"
#include "values/words/word.hpp"

namespace vyn::routine {
namespace {

std::vector<Body>& bodies() {
  static std::vector<Body> table;
  return table;
}

}  // namespace

int32_t register_body(Body b) {
  bodies().push_back(b);
  return static_cast<int32_t>(bodies().size());
}

int32_t body_count() { return static_cast<int32_t>(bodies().size()); }

Body body(int32_t entry) {
  if (entry < 1 || entry > static_cast<int32_t>(bodies().size())) return nullptr;
  return bodies()[static_cast<size_t>(entry - 1)];
}

// Routines made from spec text and bound to their words.
namespace {

// Routines made here leave their result to the body, whatever their spec's return type.
inline constexpr int32_t body_stores_result = -1;

}  // namespace

Cell* push_spec(const char* spec_text) {
  if (push_prescanned)
    if (Cell* made = push_prescanned(spec_text)) return made;
  Cell* spec = stack::push_unset();
  lexer::ScanArgs args;
  lexer::scan(spec, reinterpret_cast<const uint8_t*>(spec_text),
              static_cast<uint32_t>(std::strlen(spec_text)), args);
  if (on_spec_scanned) on_spec_scanned(spec_text, *spec);
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
