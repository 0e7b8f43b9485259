// boot/startup_text.cpp: evaluating the language text that start-up defines things with.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "boot/base_library.hpp"
#include "boot/base_sources.hpp"
#include "boot/boot_image.hpp"
#include "boot/script.hpp"
#include "core/error.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"

namespace vyn::boot {

void eval_startup_text(const char* text) {
  stack::Mark mark;
  Cell* code = stack::push_unset();
  lexer::ScanArgs args;
  lexer::scan(code, reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(std::strlen(text)), args);
  (void)interp::eval_block(*code, false);
}

void load_base_library() {
  if (image::on_library_start) image::on_library_start();
  for (int i = 0; i < base_source_count; ++i) {
    try {
      eval_startup_text(base_sources[i].text);
    } catch (const Raised&) {
      // the program cannot run without its library: say where and stop
      std::fprintf(stderr, "*** Base library: error in %s\n", base_sources[i].name);
      report_pending_error();
      std::exit(1);
    }
  }
}

}  // namespace vyn::boot
