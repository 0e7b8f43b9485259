// boot/base_arith.cpp: mod and modulo, remainders that stay at or above zero, defined from their
// source text until the boot image carries the base library.
#include "boot/base_library.hpp"

namespace vyn::boot {
namespace {

// modulo calls the mod defined here, whatever the word mod names later: library functions call
// each other directly, so its body's mod is bound to a private object holding this mod.
constexpr const char* source = R"~(
mod: func [
    "Compute a nonnegative remainder of A divided by B"
    a [number! money! char! pair! tuple! vector! time!]
    b [number! money! char! pair! tuple! vector! time!] "Must be nonzero"
    return: [number! money! char! pair! tuple! vector! time!]
    /local r
][
    if (r: a % b) < 0 [r: r + b]
    a: absolute a
    either all [a + r = (a + b) r + r - b > 0] [r - b] [r]
]
modulo: func [
    {Wrapper for MOD that handles errors like REMAINDER. Negligible values (compared to A and B) are rounded to zero}
    a [number! money! char! pair! tuple! vector! time!]
    b [number! money! char! pair! tuple! vector! time!]
    return: [number! money! char! pair! tuple! vector! time!]
    /local r
][
    r: mod a absolute b
    either any [a - r = a r + b = b] [0] [r]
]
bind reflect :modulo 'body make object! [mod: get to word! "mod"]
)~";

}  // namespace

void define_base_arith() { eval_startup_text(source); }

}  // namespace vyn::boot
