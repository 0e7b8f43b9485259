// bench/lexer_bench.cpp: times loading a source file with the lexer (best of three runs), the
// collector on as in the runtime (VYN_BENCH_NO_GC set: off, to see the lexer alone).
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "boot/runtime.hpp"
#include "core/gc.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"

int main(int argc, char** argv) {
  using namespace vyn;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  runtime::init();
  gc::set_enabled(!std::getenv("VYN_BENCH_NO_GC"));
  double best = 1e9;
  int32_t count = 0;
  for (int run = 0; run < 3; ++run) {
    stack::Mark mark;
    Cell* out = stack::push_unset();
    auto t0 = std::chrono::steady_clock::now();
    lexer::ScanArgs args;
    lexer::scan(out, reinterpret_cast<const uint8_t*>(text.data()),
                static_cast<uint32_t>(text.size()), args);
    auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    count = block::length_total(*out);
    *out = make_none();
    gc::collect();
  }
  std::printf("vyn transcode: %.3f s  %.1f MB/s  (%d top-level values)\n", best,
              text.size() / best / 1e6, count);
  runtime::shutdown();
  return 0;
}
