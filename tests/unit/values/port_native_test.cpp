// Ports whose actor is a handle!: the actions append to write come from the native table the
// handle names; other actions stay with port!.
#include <gtest/gtest.h>

#include "core/stack.hpp"
#include "tests/unit/values/eval_text.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/ports/handle.hpp"
#include "values/ports/port.hpp"
#include "values/ports/port_native.hpp"

namespace vyn::test {
namespace {

using PortNative = RuntimeTest;

int32_t length_answer(Cell*) { return 42; }

Cell* append_entry(Cell* series, Cell* value, int32_t, bool, int32_t, bool) {
  *series = *value;
  return series;
}

// p: a port over an object actor, whose actor field is then replaced by a handle of value.
void make_native_port(uint32_t value) {
  eval_text("register-scheme make object! [name: 'nat actor: make object! [length?: func [p] [7]]] "
            "p: make port! [scheme: 'nat]");
  Cell p = value_of("p");
  handle::make_at(&context::values(object::context(p))[port::Field::actor], value, handle::none);
}

TEST_F(PortNative, TheHandleTableAnswersTheSeriesAndIoActions) {
  static port_native::Table table{};
  table[static_cast<int>(Action::length_q) - port_native::first_slot] =
      reinterpret_cast<registry::ActionFn>(&length_answer);
  table[static_cast<int>(Action::append) - port_native::first_slot] =
      reinterpret_cast<registry::ActionFn>(&append_entry);
  uint32_t value = port_native::register_table(&table);
  make_native_port(value);
  EXPECT_EQ(eval_text("length? p")->int_value(), 42);
  EXPECT_EQ(eval_text("append p 5")->int_value(), 5);
  // an empty entry, and a handle that names no table
  EXPECT_EQ(eval_error("clear p"), Err::access_no_port_action);
  port_native::unregister(value);
  EXPECT_EQ(eval_error("length? p"), Err::access_invalid_port);
}

TEST_F(PortNative, AnObjectActorStillGetsItsFunctionsCalled) {
  eval_text("register-scheme make object! [name: 'obj actor: make object! [length?: func [p] [7]]] "
            "q: make port! [scheme: 'obj]");
  EXPECT_EQ(eval_text("length? q")->int_value(), 7);
}

}  // namespace
}  // namespace vyn::test
