// tests/unit/values/eval_text.hpp: evaluating source text in unit tests, and catching the error it
// raises as an error! value.
#pragma once

#include <string>
#include <string_view>

#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/objects/error.hpp"
#include "values/words/word.hpp"

namespace vyn::test {

// Scans the text into a block and evaluates it; answers its value, pushed.
inline Cell* eval_text(std::string_view text) {
  Cell* code = stack::push_unset();
  lexer::scan(code, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()),
              lexer::ScanArgs{});
  Flow flow = interp::eval_block(*code, false);
  EXPECT_EQ(flow, Flow::normal);
  return stack::last_value();
}

// The value of the word after evaluating the text.
inline Cell value_of(std::string_view name) { return *word::value_cell(word::load(name)); }

// Evaluates the text, which must raise an error; answers that error, pushed, as a try would have
// it (the frame stacks are cut back to where they stood), with its stack captured as try/keep does.
inline Cell* error_of(std::string_view text, bool keep = false) {
  int depth = stack::frame_depth();
  Cell* top = stack::top();
  try {
    eval_text(text);
  } catch (const Raised&) {
    Cell* caught = error::from_pending();
    if (keep) error::capture_stack(caught);
    Cell err = *caught;
    stack::catch_error_at(depth, top);
    return stack::push(err);
  }
  ADD_FAILURE() << "no error raised by: " << text;
  return stack::push(make_none());
}

inline std::string report_of(std::string_view text) { return error::report(*error_of(text)); }
inline std::string mold_of(std::string_view text) { return mold(*eval_text(text)); }
inline std::string form_of(std::string_view text) { return form(*eval_text(text)); }

}  // namespace vyn::test

namespace vyn::test {
// The id of the error the text raises (Err::count_ when none), the frame stacks cut back.
inline Err eval_error(std::string_view text) {
  int depth = stack::frame_depth();
  Cell* top = stack::top();
  try {
    eval_text(text);
  } catch (const Raised&) {
    Err id = pending_error().id;
    stack::catch_error_at(depth, top);
    return id;
  }
  return Err::count_;
}
}  // namespace vyn::test
