// values/objects/error_args.hpp: values that error reports name, such as the word of a refinement.
#pragma once

#include "core/cell.hpp"
#include "values/words/word.hpp"

namespace vyn {
// The word with this spelling, bound in the global context, as an error argument.
inline Cell word_arg(const char* spelling) { return word::load(spelling); }
}  // namespace vyn
