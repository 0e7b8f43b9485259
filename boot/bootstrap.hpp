// boot/bootstrap.hpp: the start-up in C++ that binds the language's first words: datatypes, none,
// true and false, the typesets, the actions, the natives and the infix operators. One place, so
// that the boot image can take its place.
#pragma once

namespace vyn::boot {

void bootstrap();

}  // namespace vyn::boot
