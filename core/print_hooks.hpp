// core/print_hooks.hpp: every language-level output goes through these hooks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/cell.hpp"

namespace vyn::output {

using PrintHook = void (*)(const Cell& str, bool line_end);
using RawHook = void (*)(const uint8_t* text, size_t length, uint32_t unit);

// Empties the lists and installs the console writer as the first print hook (the text UI's, which
// lives above core: view/tui/hooks.hpp).
void init(PrintHook console);
void add_hooks(PrintHook print, RawHook raw);
void remove_hooks(PrintHook print, RawHook raw);
void call_print_hooks(const Cell& str, bool line_end);
void call_raw_hooks(const uint8_t* text, size_t length, uint32_t unit);

}  // namespace vyn::output
