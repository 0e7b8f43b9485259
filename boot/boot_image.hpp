// boot/boot_image.hpp: the boot image: the state the base library leaves behind, made at build
// time and decoded at start-up in place of evaluating the library.
//
// A first-stage program (tools/make-boot-image.cpp), built from the same sources, starts a runtime
// that evaluates the base library's text, then writes in compact Vynbin (library/vynbin.hpp):
// the word table (the last class id given, then every global word in the global context's order)
// as the first root value, every non-scalar value the library defined or changed as a root value
// of its own (shared structure written once), and a definition per global word the library set.
// The program links the result; start-up decodes it into the root block, where its values stay as
// the literal table, and computes what depends on the machine or the run afresh. A program
// without an image (the first stage itself, the unit tests) evaluates the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/cell.hpp"

namespace vyn::boot::image {

// Set by the first stage: called before the library's text is evaluated, and once it is, before
// anything that depends on the machine or the run.
inline void (*on_library_start)() = nullptr;
inline void (*on_library_loaded)() = nullptr;
// Set by the tool that records the boot heap (boot/boot_heap.hpp): called once the image is
// decoded.
inline void (*on_decoded)() = nullptr;

// Remembers the global words' values before the library runs, so that make writes only what the
// library defined or changed.
void note_start();
// The image of the runtime's present state.
std::string make();

// Decodes the program's image, when it carries one (else answers false), and hands the `system`
// it defines to the error machinery. A damaged image ends the process.
bool load();
// The same for an image at hand.
void load_from(const uint8_t* bytes, size_t n);

// Whether the program carries an image.
bool present();
// What follows decoding: the class ids the image gave reserved, its `system` handed to the error
// machinery. A replayed start-up runs it too.
void finish_load();
// A fingerprint of the image and of the tables decoding adds to, as they are now (0 without an
// image).
uint64_t heap_extra();
// Where the image's values start in the root block.
int32_t literal_base_now();
void set_literal_base(int32_t base);

// Literal n of the image: its n-th root value (the word table is literal 0).
const Cell& literal(int32_t n);

}  // namespace vyn::boot::image
