// values/predefined.hpp: the fixed vocabulary the runtime compares against and builds frames,
// events and errors with, interned once at start-up.
#pragma once

#include <cstdint>

#include "core/cell.hpp"

namespace vyn::predefined {

enum class S : uint16_t {
#define VYN_SYMBOL(name, spelling) name,
#define VYN_WORD(name, spelling)
#include "values/words.def"
#undef VYN_WORD
#undef VYN_SYMBOL
  count_
};

enum class W : uint16_t {
#define VYN_SYMBOL(name, spelling)
#define VYN_WORD(name, spelling) name,
#include "values/words.def"
#undef VYN_WORD
#undef VYN_SYMBOL
  count_
};

enum class R : uint8_t { local, extern_, compare, part, skip, with, count_ };

// Interns the symbols and words, in list order; then the unbound refinements.
void init();
void init_refinements();

uint32_t symbol(S s);
extern Cell words[static_cast<int>(W::count_)];
inline const Cell& word(W w) { return words[static_cast<int>(w)]; }
const Cell& refinement(R r);
// The slots, for the collector.
Cell* words_begin();
Cell* words_end();

}  // namespace vyn::predefined
