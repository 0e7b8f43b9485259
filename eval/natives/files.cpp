// eval/natives/files.cpp: to-local-file, a file name in the system's own form.
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "values/text/url.hpp"

namespace vyn::natives {

Flow to_local_file_(const Call& c) {
  using Ref = Refs<Native::to_local_file>;
  std::string local = file::to_local(c.args[0], c.has(Ref::full));
  c.args[0] = *file::push_name(local, Type::string);
  return Flow::normal;
}

}  // namespace vyn::natives
