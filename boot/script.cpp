// boot/script.cpp: the command line goes to the console engine, which runs the script it names
// (and the console).
#include "boot/script.hpp"

#include <cstring>

#include "core/error.hpp"
#include "core/flow.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/objects/ownership.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::boot {
namespace {

// system/FIELD, or none.
Cell system_field(const char* name) {
  Cell system = *word::value_cell(predefined::word(predefined::W::system));
  Cell* v = system.is(Type::object) ? context::value_cell_of(object::context(system), symbol::make(name)) : nullptr;
  return v ? *v : make_none();
}

// The options own their path, so that changing it in place moves the process too.
void own_options_path() {
  Cell options = system_field("options");
  if (!options.is(Type::object)) return;
  Cell* path = context::value_cell_of(object::context(options), predefined::symbol(predefined::S::path));
  if (path && path->is(Type::file)) ownership::bind(*path, options, predefined::word(predefined::W::path));
}

}  // namespace

int run_command_line() {
  stack::Mark mark;
  try {
    own_options_path();
    Cell* code = stack::push_unset();
    const char* text = "cli-console-ctx/launch";
    lexer::ScanArgs args;
    lexer::scan(code, reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(std::strlen(text)), args);
    if (interp::eval_block(*code, false) != Flow::normal) return 0;
    Cell* status = stack::last_value();
    return status->is(Type::integer) ? status->int_value() : 0;
  } catch (const Raised&) {
    report_pending_error();
    return -2;
  }
}

}  // namespace vyn::boot
