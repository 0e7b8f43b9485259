// platform/dynlib.cpp: shared libraries opened when first needed.
#include "platform/dynlib.hpp"

#include <dlfcn.h>

namespace vyn::os {

bool DynLib::available() {
  if (!tried_) {
    tried_ = true;
    handle_ = dlopen(soname_, RTLD_NOW | RTLD_LOCAL);
  }
  return handle_ != nullptr;
}

void* DynLib::symbol(const char* name) { return available() ? dlsym(handle_, name) : nullptr; }

}  // namespace vyn::os
