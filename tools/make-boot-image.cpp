// tools/make-boot-image.cpp: the first stage of the build: scans the base library that this
// program embeds as text into blocks and writes them, as a boot image, into a C++ source that
// the program links (boot/boot_image.hpp).
#include <cstdio>
#include <string>

#include "boot/boot_image.hpp"
#include "boot/runtime.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-boot-image OUTPUT.cpp\n");
    return 2;
  }
  vyn::runtime::init();
  std::string bytes = vyn::boot::image::make();
  vyn::runtime::shutdown();
  std::string out = "// Generated from boot/base/*.vyn at build time: do not edit.\n"
                    "extern \"C\" {\nextern const unsigned long vyn_boot_image_size;\n"
                    "extern const unsigned char vyn_boot_image[];\n"
                    "const unsigned long vyn_boot_image_size = " + std::to_string(bytes.size()) + ";\n"
                    "alignas(16) const unsigned char vyn_boot_image[] = {";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 24 == 0) out += "\n";
    out += std::to_string(static_cast<unsigned char>(bytes[i])) + ",";
  }
  out += "\n};\n}\n";
  std::string tmp = std::string(argv[1]) + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
    std::perror(tmp.c_str());
    return 1;
  }
  if (std::rename(tmp.c_str(), argv[1]) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
