// boot/prescanned_specs.hpp: the spec blocks that start-up scans before the boot image is
// decoded (natives, actions, routines), scanned at build time and decoded at start instead.
//
// The first stage records every spec text that routine::push_spec scans until the library's
// text starts, in order: a 64-bit hash of the text, then its block as Vynbin data. Start-up
// scans the same texts in the same order, so each one asks for the next record; a text whose
// hash differs, or a program without records, is scanned as before.
#pragma once

#include <string>

namespace vyn::boot::prescanned {

// The first stage: asks that start() record, and answers the records made until then and stops.
void record();
std::string finish_recording();

// Called where start-up begins making callables: records when asked to, else takes the records
// the program carries, if any, until stop().
void start();
void stop();

}  // namespace vyn::boot::prescanned
