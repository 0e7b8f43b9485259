// tests/fuzz/transcode_fuzz.cpp: libFuzzer target: arbitrary bytes through every lexer mode.
//
// Each input is loaded (syntax errors are fine, anything else is a fault), checked, prescanned,
// transcoded from a string! and from a binary!, and traced with a tracer that moves the position.
// The collector runs, so values the lexer holds while it allocates must stay reachable.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tests/fuzz/fuzz_support.hpp"
#include "boot/runtime.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/series.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "values/text/string_storage.hpp"

namespace {

using namespace vyn;

// Answers every event, and once in a while sends the scan back or ahead.
struct Jumper : lexer::Tracer {
  uint32_t calls = 0;
  bool on_event(lexer::EventInfo& e) override {
    ++calls;
    if (calls % 7 == 0) e.index += 1;
    if (calls > 10000) return false;
    return e.event != lexer::Event::error;
  }
};

template <class F>
void quietly(F&& f) {
  stack::Mark mark;
  try {
    f();
  } catch (const Raised&) {
    // syntax errors, and the literals of datatypes not built yet, are answers too
  }
}

void run(const uint8_t* data, size_t size) {
  uint32_t n = static_cast<uint32_t>(size);
  for (int mode = 0; mode < 3; ++mode) {
    quietly([&] {
      lexer::ScanArgs args;
      args.prescan = mode == 1;
      args.type_scan = mode == 2;
      args.one = mode == 2;
      lexer::scan(stack::push_unset(), data, n, args);
    });
  }
  quietly([&] {
    Cell* bin = stack::push(make_series(Type::binary, alloc::new_bytes(n)));
    SeriesBuffer* b = buffer_of(series_node(*bin));
    std::memcpy(b->data(), data, size);
    b->tail = n;
    lexer::TranscodeArgs a;
    a.next = size % 2;
    lexer::transcode(stack::push_unset(), bin, a);
  });
  quietly([&] {
    Cell* str = string::load_push(unicode::outside(data), n, string::encoding_utf8);
    Jumper tracer;
    lexer::TranscodeArgs a;
    a.trace = &tracer;
    a.scan = size % 3 == 0;
    lexer::transcode(stack::push_unset(), str, a);
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::start_runtime();
  if (size > 1 << 16) return 0;
  run(data, size);
  fuzz::collect_every(256);
  return 0;
}
