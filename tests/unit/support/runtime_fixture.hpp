// tests/unit/support/runtime_fixture.hpp: a fresh runtime for every test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "boot/runtime.hpp"
#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::test {

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override { runtime::init(); }
  void TearDown() override { runtime::shutdown(); }
};

// Runs f and answers the id of the error it raises; fails the test when it raises none.
template <class F>
Err raised(F&& f) {
  try {
    f();
  } catch (const Raised&) {
    return pending_error().id;
  }
  ADD_FAILURE() << "no error raised";
  return Err::count_;
}

// A block! on the value stack holding the given cells.
inline Cell* block_of(std::initializer_list<Cell> items) {
  Cell* b = block::push_only(static_cast<int32_t>(items.size()));
  for (const Cell& c : items) block::append_copy(*b, c);
  return b;
}

inline Cell* string_of(const char* text) {
  Cell* s = string::make_at(stack::push_unset(), 16);
  string::append_latin1(*s, text);
  return s;
}

// form or mold a value through its datatype's entry.
inline std::string form(Cell v) {
  Cell* value = stack::push(v);
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  registry::entry<Action::form>(v.type())(value, buffer, nullptr, 0x7FFFFFFF);
  return string::to_utf8(*buffer);
}
inline std::string mold(Cell v, bool all = false) {
  Cell* value = stack::push(v);
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  MoldOptions o;
  o.all = all;
  registry::entry<Action::mold>(v.type())(value, buffer, o, nullptr, 0x7FFFFFFF);
  return string::to_utf8(*buffer);
}

}  // namespace vyn::test
