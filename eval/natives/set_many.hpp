// eval/natives/set_many.hpp: setting the words of a block from one value, shared by set and
// foreach.
#pragma once

#include "core/cell.hpp"

namespace vyn::natives {

// Sets each word of the words block (word!, set-word!, get-word! or lit-word!, else
// script/invalid-arg with the entry). When value is a block, paren, hash, path or map! and only is
// false, word i takes the i-th value from value's position (none past its tail); otherwise every
// word takes value itself. With some, none values are not assigned; without any, an unset value
// raises script/need-value with its word before any word is set. Both cells must be rooted.
void set_many(Cell words, Cell value, bool any, bool only, bool some);

}  // namespace vyn::natives
