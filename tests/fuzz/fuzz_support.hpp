// tests/fuzz/fuzz_support.hpp: what the fuzzers share: starting the runtime once, evaluating
// language text whatever it raises, turning input bytes into a dialect's tokens, and a collection
// every so many runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "boot/runtime.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"

namespace vyn::fuzz {

// Starts the runtime with the collector on, the first time it is called.
inline void start_runtime() {
  static bool ready = [] {
    runtime::init();
    gc::set_enabled(true);
    return true;
  }();
  (void)ready;
}

// Evaluates text; answers false when it raised an error or asked to quit.
inline bool evaluate(std::string_view text) {
  stack::Mark mark;
  stack::CallFrame* frames = stack::frames_top();
  Cell* arguments = stack::arguments();
  Cell* code = stack::push_unset();
  bool ok = true;
  try {
    lexer::scan(code, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()),
                lexer::ScanArgs{});
    (void)interp::eval_block(*code, false);
  } catch (const Raised&) {
    ok = false;
  } catch (const Exit&) {
    ok = false;
  }
  stack::set_ctop(frames);  // an error leaves the frames of the calls it left
  stack::set_arguments(arguments);
  return ok;
}

// The text of a block of tokens, one picked by each input byte, with its brackets balanced:
// a "]" with nothing open is left out and those left open are closed at the end.
template <size_t N>
std::string token_block(const char* const (&tokens)[N], const uint8_t* data, size_t size) {
  std::string text = "[";
  int open = 0;
  for (size_t i = 0; i < size; ++i) {
    std::string_view t = tokens[data[i] % N];
    if (t == "]" && open == 0) continue;
    if (t == "[") ++open;
    if (t == "]") --open;
    text += t;
    text += ' ';
  }
  text.append(static_cast<size_t>(open), ']');
  return text + "]";
}

// A full collection every `every` runs, so that what a run left unrooted is found.
inline void collect_every(uint32_t every) {
  static uint32_t runs = 0;
  if (++runs % every == 0) gc::collect();
}

}  // namespace vyn::fuzz
