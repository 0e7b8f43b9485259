// boot/boot_image.cpp: making the boot image from a runtime that evaluated the base library, and
// loading it at start-up.
#include "boot/boot_image.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "boot/script.hpp"
#include "core/error.hpp"
#include "core/runtime_cells.hpp"
#include "core/stack.hpp"
#include "library/vynbin.hpp"
#include "values/objects/context.hpp"
#include "values/objects/error.hpp"
#include "values/objects/object.hpp"
#include "values/predefined.hpp"
#include "values/series/block.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

// Defined by the generated source that only the program links; absent elsewhere.
extern "C" {
extern const unsigned char vyn_boot_image[] __attribute__((weak));
extern const unsigned long vyn_boot_image_size __attribute__((weak));
}

namespace vyn::boot::image {
namespace {

std::vector<Cell>& values_at_start() {
  static std::vector<Cell> values;
  return values;
}

int32_t literal_base = -1;

// Values that start-up makes the same way before the image is decoded: left out when unchanged.
bool made_before(const Cell& v) {
  switch (v.type()) {
    case Type::native: case Type::action: case Type::op: case Type::routine: case Type::datatype:
    case Type::typeset: case Type::unset: case Type::none_: case Type::logic: case Type::integer:
    case Type::tuple: case Type::char_: case Type::float_: case Type::handle:
      return true;
    default:
      return false;
  }
}

bool changed(int32_t i, const Cell& v) {
  const std::vector<Cell>& before = values_at_start();
  if (static_cast<size_t>(i) >= before.size()) return !v.is(Type::unset);
  return !(made_before(v) && same_cell(before[static_cast<size_t>(i)], v));
}

Cell field(const Cell& obj, const char* name) {
  Cell* v = obj.is(Type::object) ? context::value_cell_of(object::context(obj), symbol::make(name)) : nullptr;
  return v ? *v : make_none();
}

// The catalog, the error prototype and system/state of the image's `system`.
void adopt_system() {
  Cell system = *word::value_cell(predefined::word(predefined::W::system));
  Cell catalog = field(field(system, "catalog"), "errors");
  Cell prototype = field(field(system, "standard"), "error");
  error::set_globals(catalog, prototype, field(system, "state"));
}

}  // namespace

void note_start() {
  NodeId g = context::global();
  int32_t n = context::slot_count(g);
  values_at_start().assign(context::values(g), context::values(g) + n);
}

std::string make() {
  stack::Mark mark;
  NodeId g = context::global();
  int32_t n = context::slot_count(g);
  Cell* table = block::push_only(n + 1);
  Cell* defined = block::push_only(2 * n);
  block::append_copy(*table, make_integer(static_cast<int32_t>(object::last_class_id())));
  for (int32_t i = 0; i < n; ++i) {
    Cell w = *context::word_at(g, i);
    w.header = static_cast<uint32_t>(Type::word);
    block::append_copy(*table, w);
    Cell v = context::values(g)[i];
    if (!changed(i, v)) continue;
    block::append_copy(*defined, w);
    block::append_copy(*defined, v);
  }
  return vynbin::encode_boot_image(*table, *defined);
}

// What the heap must hold for a recorded start-up to fit it, besides its node table: the image
// itself and the tables that start-up adds to.
uint64_t heap_extra() {
  if (!present()) return 0;
  const uint8_t* bytes = vyn_boot_image;
  size_t n = vyn_boot_image_size;
  uint64_t h = n;
  for (size_t i = 0; i < n; i += n / 64 + 1) h = h * 0x100000001B3ull + bytes[i];
  h = h * 31 + static_cast<uint64_t>(symbol::count());
  h = h * 31 + static_cast<uint64_t>(context::slot_count(context::global()));
  return h * 31 + static_cast<uint64_t>(block::length_total(runtime_cells().root));
}

// The image's values land in a block of their own that the root block holds: start-up code
// that runs while they are decoded may add to the root block without moving them.
void load_from(const uint8_t* bytes, size_t n) {
  Cell& root = runtime_cells().root;
  literal_base = block::length_total(root);
  try {
    block::make_in(&root, 256);
    vynbin::decode_boot_image(bytes, n, block::cells(root)[literal_base]);
  } catch (const Raised&) {
    std::fprintf(stderr, "*** Start-up: the boot image is damaged\n");
    report_pending_error();
    std::exit(1);
  }
  if (on_decoded) on_decoded();
  finish_load();
}

void finish_load() {
  const Cell& table = literal(0);
  if (table.is(Type::block) && block::length_total(table) > 0 && block::cells(table)[0].is(Type::integer))
    object::reserve_class_ids(static_cast<uint32_t>(block::cells(table)[0].int_value()));
  adopt_system();
}

bool present() { return vyn_boot_image && &vyn_boot_image_size; }

int32_t literal_base_now() { return literal_base; }
void set_literal_base(int32_t base) { literal_base = base; }

bool load() {
  if (!present()) return false;
  load_from(vyn_boot_image, vyn_boot_image_size);
  return true;
}

const Cell& literal(int32_t n) { return block::cells(block::cells(runtime_cells().root)[literal_base])[n]; }

}  // namespace vyn::boot::image
