// platform/dynlib.hpp: shared libraries opened when first needed. The program does not load the
// libraries with long dependency chains (the HTTP client, TIFF) at start-up, where resolving
// their dozens of dependencies would cost more than the rest of start-up, nor the image codecs'
// (PNG and its zlib, JPEG, GIF), which only a script that reads or writes images needs.
#pragma once

namespace vyn::os {

// A library opened by its soname on first use; every lookup answers nullptr when the library or
// the symbol is missing.
class DynLib {
 public:
  explicit constexpr DynLib(const char* soname) : soname_(soname) {}
  void* symbol(const char* name);
  bool available();

 private:
  const char* soname_;
  void* handle_ = nullptr;
  bool tried_ = false;
};

}  // namespace vyn::os

// The function `name` of the library, typed as its declaration in the library's header (which is
// only read, never linked); nullptr when missing.
#define VYN_DYN_FN(lib, name) (reinterpret_cast<decltype(&::name)>((lib).symbol(#name)))
// The same, looked up once per place it is called from (for calls made once a row).
#define VYN_DYN_FN_ONCE(lib, name) ([]() { static const auto fn = VYN_DYN_FN(lib, name); return fn; }())
