// values/callables/native_shape.hpp: the argument shape of every native and action as start-up made it.
//
// A native! or action! made later from [spec index] runs the same C++ entry, which reads its
// arguments and refinements by position and trusts the types its own spec let through. So a spec
// may rename them and narrow their types, but not add, drop or move an argument or a refinement,
// nor widen a type; and an index that start-up left without a built-in has no entry to run.
#pragma once

#include <string>
#include <string_view>

#include "core/cell.hpp"

namespace vyn::native_shape {

// Until seal is called every argument list is recorded as the shape of its index; afterwards
// only lists that fit a recorded shape are accepted. `type` is native! or action!.
bool fits(Type type, int index, const Cell& list);
// Ends start-up's recording; any_type is the typeset of every type a value can have, the only
// types compared.
void seal(const Cell& any_type);
// The recorded shapes and the seal as bytes, and back (false for bytes that are not such a record):
// a start that replays the boot heap takes them from the record instead of making the built-ins.
std::string save();
bool restore(std::string_view bytes);

}  // namespace vyn::native_shape
