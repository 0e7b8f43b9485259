// eval/natives/files.cpp: to-local-file, a file name in the system's own form.
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "values/string_storage.hpp"
#include "values/url.hpp"

namespace vyn::natives {
namespace {

// Refinement: /full.
Flow to_local_file_(const Call& c) {
  std::string local = file::to_local(c.args[0], c.has(0));
  Cell* text = string::load_utf8_checked(unicode::outside(local.data()),
                                         static_cast<uint32_t>(local.size()));
  c.args[0] = *text;
  return Flow::normal;
}

}  // namespace

void install_files() { define(Native::to_local_file, to_local_file_); }

}  // namespace vyn::natives
