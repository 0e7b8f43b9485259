// core/gc_layout.hpp: which payload words of each datatype's cell hold node handles, the data the
// collector marks cells by.
//
// Every type starts with the layout of the table in core/gc_layout.cpp; a datatype whose cells
// need more (an image's own resources) registers its layout or hook beside its actions.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::gc {

enum class Holds : uint8_t {
  nothing,
  series,  // a node whose buffer is kept, its contents not looked at
  cells,   // a node whose buffer is kept and whose cells are marked in turn
  table,   // the node of a hash table record: the table and its arrays
  handle,  // a handle-registry slot index; negative for none
};

using Guard = bool (*)(const Cell&);
using MarkHook = void (*)(Cell&);

struct Layout {
  Holds word[3] = {Holds::nothing, Holds::nothing, Holds::nothing};  // payload words 1 to 3
  int8_t guarded = -1;     // index (0-2) of a word marked only when guard answers true
  Guard guard = nullptr;
  MarkHook hook = nullptr; // runs after the words: what the type keeps beyond them
};

const Layout& layout(Type t);
void set_layout(Type t, const Layout& layout);
void set_mark_hook(Type t, MarkHook hook);
// The table as built in, for every type; gc::init starts from it, before datatypes register.
void reset_layouts();

}  // namespace vyn::gc
