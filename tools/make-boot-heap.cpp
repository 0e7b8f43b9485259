// tools/make-boot-heap.cpp: the third stage of the build: starts a runtime with the boot image, as
// the program does, records what start-up does to the heap from its first built-in until the
// image is decoded (boot/boot_heap.hpp), and writes the record, which the program links and
// replays at start instead.
//
// The program and this tool run the same start-up up to that stretch, so the recording fits the
// program's heap there; a program whose heap differs runs the stretch instead.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "boot/boot_heap.hpp"
#include "boot/boot_image.hpp"
#include "boot/runtime.hpp"
#include "core/heap_snapshot.hpp"
#include "tools/write_file.hpp"

namespace {

vyn::alloc::snapshot::Recorder recorder;
std::string record;
std::string why;

void start(uint64_t extra) { recorder.start(extra); }

void finish() {
  record = recorder.finish(why, vyn::boot::heap::outside_state());
  if (std::getenv("VYN_HEAP_REPORT")) std::fprintf(stderr, "changed nodes: %s\n", recorder.changed_report().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-boot-heap OUTPUT\n");
    return 2;
  }
  vyn::boot::heap::on_start = start;
  vyn::boot::image::on_decoded = finish;
  vyn::runtime::init();
  vyn::runtime::shutdown();
  if (record.empty()) {
    std::fprintf(stderr, "make-boot-heap: %s\n", why.empty() ? "the program carries no boot image" : why.c_str());
    return 1;
  }
  return vyn::tools::write_file(argv[1], record) ? 0 : 1;
}
