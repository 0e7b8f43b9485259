// event! values as the view back end makes them: every field read back by path, the special keys,
// the wheel amount, and the face kept alive by the event.
#include "values/ports/event.hpp"

#include <gtest/gtest.h>

#include "core/gc.hpp"
#include "tests/unit/values/eval_text.hpp"

namespace vyn::test {
namespace {

using Event = RuntimeTest;

// Binds the word ev to an event made from the record and molds what the text reduces to.
std::string read_back(const event::Record& r, std::string_view text) {
  Cell* e = event::push(r);
  Cell w = word::load("ev");
  word::set(w, *e);
  return mold_of(text);
}

TEST_F(Event, BackEndFieldsReadBack) {
  eval_text("btn: make object! [name: \"ok\"]");
  event::Record r;
  r.type = 1;
  r.face = value_of("btn");
  r.x = 3.9f;
  r.y = -2.9f;
  r.picked = 7;
  r.flags = event::flag::down | event::flag::control | event::flag::alt;
  EXPECT_EQ(read_back(r, "reduce [ev/type ev/face/name ev/window ev/offset ev/key ev/picked ev/flags]"),
            "[down \"ok\" none 3x-2 none 7 [down control alt]]");
  EXPECT_EQ(read_back(r, "reduce [ev/down? ev/ctrl? ev/shift? ev/away? pick ev 15 same? btn ev/face]"),
            "[true true false false none true]");
}

TEST_F(Event, KeysAndWheel) {
  struct Case {
    int32_t type;
    int32_t key;
    bool special;
    bool wheel;
    float amount;
    const char* reads;  // [type key picked]
  };
  for (Case c : {
           Case{13, 'a', false, false, 0, "[key #\"a\" 0]"},
           Case{13, 0xE9, false, false, 0, "[key #\"é\" 0]"},
           Case{14, -28, true, false, 0, "[key-down page-up 0]"},
           Case{14, -20, true, false, 0, "[key-down up 0]"},
           Case{14, -42, true, false, 0, "[key-down F12 0]"},
           Case{14, -30, true, false, 0, "[key-down none 0]"},   // a code without a word
           Case{14, -43, true, false, 0, "[key-down none 0]"},
           Case{14, -5, true, false, 0, "[key-down none 0]"},
           Case{11, 0, false, true, -1.5f, "[wheel none -1.5]"},
           Case{0, 0, false, false, 0, "[none none 0]"},
       }) {
    event::Record r;
    r.type = c.type;
    r.key = c.key;
    r.special = c.special;
    r.wheel = c.wheel;
    r.wheel_amount = c.amount;
    EXPECT_EQ(read_back(r, "reduce [ev/type ev/key ev/picked]"), c.reads) << c.key;
  }
}

// An offset no pair can hold reads as 0 rather than an undefined conversion.
TEST_F(Event, OffsetOutOfRangeReadsZero) {
  event::Record r;
  r.x = 1e20f;
  r.y = -0.5f;
  EXPECT_EQ(read_back(r, "ev/offset"), "0x0");
}

// The event owns its values: the face stays readable once nothing else holds it, after the
// dispatch that made the event has ended.
TEST_F(Event, KeepsItsFaceAlive) {
  eval_text("tmp: make object! [n: 42]");
  event::Record r;
  r.face = value_of("tmp");
  Cell* e = event::push(r);
  Cell w = word::load("ev");
  word::set(w, *e);
  eval_text("tmp: none");
  gc::collect();
  EXPECT_EQ(mold_of("ev/face/n"), "42");
}

}  // namespace
}  // namespace vyn::test
