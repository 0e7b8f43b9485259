// boot/boot_heap.cpp: replaying start-up from a recording of what it does to the heap.
#include "boot/boot_heap.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "boot/boot_image.hpp"
#include "core/error.hpp"
#include "core/heap_snapshot.hpp"
#include "values/callables/function.hpp"
#include "values/callables/native_shape.hpp"
#include "values/callables/routine.hpp"
#include "values/objects/object.hpp"

// Defined by the generated source that only the program links; absent elsewhere.
extern "C" {
extern const unsigned char vyn_boot_heap[] __attribute__((weak));
extern const unsigned char vyn_boot_heap_end[] __attribute__((weak));
}

namespace vyn::boot::heap {
namespace {

// The attachment: four 32-bit words, then the built-ins' shapes.
struct Outside {
  int32_t literal_base;
  uint32_t last_class_id;
  int32_t routine_bodies;
  int32_t compiled_bodies;
};

// VYN_BOOT_HEAP=decode runs the stretch although the heap could be replayed (the tests compare
// the two); =report says which was done.
const char* choice() {
  const char* v = std::getenv("VYN_BOOT_HEAP");
  return v ? v : "";
}

[[noreturn]] void does_not_fit(const char* what) {
  std::fprintf(stderr, "*** Start-up: the boot heap does not fit this program (%s)\n", what);
  std::exit(1);
}

}  // namespace

bool replay(void (*restore_outside)()) {
  if (!vyn_boot_heap || !vyn_boot_heap_end || on_start || !image::present()) return false;
  if (std::strcmp(choice(), "decode") == 0) return false;
  std::string_view attached;
  try {
    if (!alloc::snapshot::apply(vyn_boot_heap, static_cast<size_t>(vyn_boot_heap_end - vyn_boot_heap),
                                image::heap_extra(), attached))
      return false;
  } catch (const Raised&) {
    does_not_fit("its buffers");
  }
  Outside o{};
  if (attached.size() < sizeof o) does_not_fit("its attachment");
  std::memcpy(&o, attached.data(), sizeof o);
  restore_outside();
  if (routine::body_count() != o.routine_bodies || function::compiled_body_count() != o.compiled_bodies)
    does_not_fit("the C++ bodies");
  if (!native_shape::restore(attached.substr(sizeof o))) does_not_fit("the built-ins' shapes");
  object::reserve_class_ids(o.last_class_id);
  image::set_literal_base(o.literal_base);
  image::finish_load();
  return true;
}

void note_start() {
  if (on_start) on_start(image::heap_extra());
}

std::string outside_state() {
  Outside o{image::literal_base_now(), object::last_class_id(), routine::body_count(),
            function::compiled_body_count()};
  std::string out(reinterpret_cast<const char*>(&o), sizeof o);
  return out + native_shape::save();
}

void report(bool replayed) {
  if (std::strcmp(choice(), "report") == 0) std::fprintf(stderr, "boot heap: %s\n", replayed ? "replayed" : "decoded");
}

}  // namespace vyn::boot::heap
