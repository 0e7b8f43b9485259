// tools/make-boot-image.cpp: the first stage of the build: starts a runtime that evaluates the
// base library this program embeds as text, and writes what it leaves behind, as a boot image,
// into a C++ source that the program links (boot/boot_image.hpp), with the spec blocks that
// start-up scans before the image is decoded (boot/prescanned_specs.hpp).
//
// With --run, it runs its arguments as the program would, from the library's text instead of an
// image: the test that both starts agree compares the two.
#include <cstdio>
#include <cstring>
#include <string>

#include "boot/boot_image.hpp"
#include "boot/prescanned_specs.hpp"
#include "boot/runtime.hpp"
#include "boot/script.hpp"
#include "boot/system_object.hpp"
#include "boot/termination.hpp"
#include "core/error.hpp"
#include "tools/write_file.hpp"
#include "values/callables/function.hpp"
#include "values/callables/routine.hpp"

namespace {

std::string image_bytes, spec_bytes;
int routines_before = 0, bodies_before = 0;

// Entry indexes name C++ bodies in the image: the library must not register bodies of its own,
// or a program that does not evaluate it would number them otherwise.
void capture() {
  if (vyn::routine::body_count() != routines_before || vyn::function::compiled_body_count() != bodies_before) {
    std::fprintf(stderr, "make-boot-image: the base library registered C++ bodies while it was evaluated\n");
    std::exit(1);
  }
  try {
    image_bytes = vyn::boot::image::make();
  } catch (const vyn::Raised&) {
    std::fprintf(stderr, "make-boot-image: ");
    vyn::boot::report_pending_error();
    std::exit(1);
  }
}

void note_bodies() {
  spec_bytes = vyn::boot::prescanned::finish_recording();
  vyn::boot::image::note_start();
  routines_before = vyn::routine::body_count();
  bodies_before = vyn::function::compiled_body_count();
}

// One byte array and its size, as C definitions.
std::string byte_array(const std::string& name, const std::string& bytes) {
  std::string out = "extern const unsigned long " + name + "_size;\nextern const unsigned char " + name + "[];\n"
                    "const unsigned long " + name + "_size = " + std::to_string(bytes.size()) + ";\n"
                    "alignas(16) const unsigned char " + name + "[] = {";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 24 == 0) out += "\n";
    out += std::to_string(static_cast<unsigned char>(bytes[i])) + ",";
  }
  return out + "\n};\n";
}

bool write_source(const char* path) {
  std::string out = "// Generated from boot/base/*.vyn at build time: do not edit.\nextern \"C\" {\n" +
                    byte_array("vyn_boot_image", image_bytes) + byte_array("vyn_builtin_specs", spec_bytes) + "}\n";
  return vyn::tools::write_file(path, out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--run") == 0) {
    argv[1] = argv[0];
    vyn::system_object::set_command_line(argc - 1, argv + 1);
    vyn::runtime::init();
    vyn::boot::install_termination();
    int status = vyn::boot::run_command_line();
    vyn::runtime::shutdown();
    return status;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-boot-image OUTPUT.cpp | make-boot-image --run ARGS...\n");
    return 2;
  }
  vyn::boot::image::on_library_loaded = capture;
  vyn::boot::image::on_library_start = note_bodies;
  vyn::boot::prescanned::record();
  vyn::runtime::init();
  vyn::runtime::shutdown();
  return write_source(argv[1]) ? 0 : 1;
}
