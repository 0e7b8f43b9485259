// tests/fuzz/script_runner.hpp: running language code over fuzz input, the way the program runs
// a script: on a thread with the program's large stack, with the collector on.
//
// The input is set as the binary! `fuzz-data`; the code reports a wrong result by setting
// `fuzz-bad` to true, which ends the run with an abort so that libFuzzer keeps the input.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "boot/runtime.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/series.hpp"
#include "eval/exits.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "tests/fuzz/fuzz_support.hpp"
#include "values/words/word.hpp"

namespace vyn::fuzz {

struct Job {
  std::string_view code;
  const uint8_t* data;
  size_t size;
};

inline void set_data(const uint8_t* data, size_t size) {
  uint32_t n = static_cast<uint32_t>(size);
  Cell* bin = stack::push(make_series(Type::binary, alloc::new_bytes(n)));
  SeriesBuffer* b = buffer_of(series_node(*bin));
  std::memcpy(b->data(), data, size);
  b->tail = n;
  Cell name = word::load("fuzz-data");
  word::set(name, *bin);
  Cell bad = word::load("fuzz-bad");
  word::set(bad, make_logic(false));
}

inline void evaluate(const Job& job) {
  stack::Mark mark;
  int depth = stack::frame_depth();
  Cell* top = stack::top();
  try {
    set_data(job.data, job.size);
    Cell* code = stack::push_unset();
    lexer::scan(code, reinterpret_cast<const uint8_t*>(job.code.data()),
                static_cast<uint32_t>(job.code.size()), lexer::ScanArgs{});
    (void)interp::eval_block(*code, false);
  } catch (const Raised&) {
    stack::catch_error_at(depth, top);  // an error outside the code's own tries is an answer too
  }
  Cell* bad = word::get(word::load("fuzz-bad"));
  if (bad->is(Type::logic) && logic_of(*bad)) std::abort();
}

inline void* run_job(void* arg) {
  start_runtime();
  evaluate(*static_cast<Job*>(arg));
  collect_every(256);
  return nullptr;
}

// Evaluates the code with the input as fuzz-data, on a thread with a 256 MB stack.
inline void run_script(std::string_view code, const uint8_t* data, size_t size) {
  Job job{code, data, size};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, size_t{256} << 20);
  pthread_t thread;
  if (pthread_create(&thread, &attr, run_job, &job) == 0) pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

}  // namespace vyn::fuzz
