// boot/boot_image.hpp: the boot image: the base library's files, scanned into blocks at build
// time and written as Vynbin data that the program carries, so that start-up decodes blocks
// instead of scanning text.
//
// The image is one block of pairs: each file's name (a string!) and the block its text scans to,
// in load order. A first-stage program (tools/make-boot-image.cpp), built from the same sources,
// makes it from the base library it embeds as text; the program links the result. A program
// without an image (the first stage itself, the unit tests) loads the text.
#pragma once

#include <string>

namespace vyn::boot::image {

// Scans every embedded base-library file and answers the image's bytes.
std::string make();

// Decodes the program's image and evaluates its blocks in order in the global context; an error
// is reported with its file's name and ends the process. Answers false when the program carries
// no image.
bool load();

}  // namespace vyn::boot::image
