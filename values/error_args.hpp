// values/error_args.hpp: values that error reports name, such as the word of a refinement.
#pragma once

#include "core/cell.hpp"

namespace vyn {
// The word with this spelling, as an error argument.
// TODO(symbols): answers none until the symbol table exists to intern the spelling.
inline Cell word_arg(const char*) { return make_none(); }
}  // namespace vyn
