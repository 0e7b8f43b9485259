// boot/boot_image.cpp: making the boot image from the embedded base-library text, and loading it.
#include "boot/boot_image.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "boot/base_sources.hpp"
#include "boot/script.hpp"
#include "core/error.hpp"
#include "eval/interp.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "library/vynbin.hpp"
#include "values/series/block.hpp"
#include "values/text/string_storage.hpp"

// Defined by the generated source that only the program links; absent elsewhere.
extern "C" {
extern const unsigned char vyn_boot_image[] __attribute__((weak));
extern const unsigned long vyn_boot_image_size __attribute__((weak));
}

namespace vyn::boot::image {
namespace {

[[noreturn]] void fail(const char* name) {
  std::fprintf(stderr, "*** Base library: error in %s\n", name);
  report_pending_error();
  std::exit(1);
}

// Evaluates each file's block; the pairs are held on the stack in `files`.
void evaluate(const Cell& files) {
  for (int32_t i = 0; i + 1 < block::length_total(files); i += 2) {
    Cell name = block::cells(files)[i];
    try {
      (void)interp::eval_block(block::cells(files)[i + 1], false);
    } catch (const Raised&) {
      fail(string::to_utf8(name).c_str());
    }
  }
}

}  // namespace

std::string make() {
  stack::Mark mark;
  Cell* files = block::push_only(2 * base_source_count);
  for (int i = 0; i < base_source_count; ++i) {
    Cell* name = string::make_at(stack::push_unset(), 16);
    string::append_latin1(*name, base_sources[i].name);
    block::append_copy(*files, *name);
    Cell* code = stack::push_unset();
    const char* text = base_sources[i].text;
    lexer::scan(code, reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(std::strlen(text)),
                lexer::ScanArgs{});
    block::append_copy(*files, *code);
  }
  return vynbin::encode(*files, true);
}

bool load() {
  if (!vyn_boot_image || !&vyn_boot_image_size) return false;
  stack::Mark mark;
  Cell* out = block::push_only(1);
  try {
    vynbin::decode(vyn_boot_image, vyn_boot_image_size, *out, *out);
  } catch (const Raised&) {
    fail("the boot image");
  }
  Cell files = block::cells(*out)[0];
  stack::push(files);
  evaluate(files);
  return true;
}

}  // namespace vyn::boot::image
