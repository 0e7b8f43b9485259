// boot/main.cpp: the program's entry.
#include <cstdio>

#include "boot/runtime.hpp"
#include "core/error.hpp"

int main(int argc, char** argv) {
  try {
    vyn::runtime::init();
  } catch (const vyn::Raised&) {
    std::fprintf(stderr, "*** Runtime Error 94: out of memory\n");
    return 94;
  }
  if (argc > 1) {
    // TODO(lexer): scripts run once the lexer and the interpreter exist.
    std::fprintf(stderr, "*** Error: cannot run %s: this build has no interpreter yet\n", argv[1]);
    return 1;
  }
  vyn::runtime::shutdown();
  return 0;
}
