// eval/front_ends.hpp: the action front-ends, one per action slot, and their table, generated from
// the catalog values/actions.def.
#pragma once

#include "eval/call.hpp"
#include "eval/catalog_refs.hpp"
#include "values/action_sigs.hpp"
#include "values/dispatch_direct.hpp"

namespace vyn::actions {

// The refinement positions each action's row lists: Refs<Action::find>::tail is where the front
// end finds /tail.
template <Action A>
struct Refs;
#define VYN_ACTION(slot, name, word, front_end, spec, ...) VYN_CATALOG_REFS(Action::name, __VA_ARGS__)
#include "values/actions.def"
#undef VYN_ACTION

// The front-end of a slot (nullptr for slot 8).
FrontEnd front_end(int slot);
// The spec text of a slot with a word; "" for slots 7 to 9.
const char* spec_of(int slot);

}  // namespace vyn::actions
