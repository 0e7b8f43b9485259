// values/predefined.cpp: interning the fixed vocabulary.
#include "values/predefined.hpp"

#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::predefined {
namespace {

constexpr const char* symbol_names[] = {
#define VYN_SYMBOL(name, spelling) spelling,
#define VYN_WORD(name, spelling)
#include "values/words.def"
#undef VYN_WORD
#undef VYN_SYMBOL
};
constexpr const char* word_names[] = {
#define VYN_SYMBOL(name, spelling)
#define VYN_WORD(name, spelling) spelling,
#include "values/words.def"
#undef VYN_WORD
#undef VYN_SYMBOL
};
constexpr const char* refinement_names[] = {"local", "extern", "compare", "part", "skip", "with"};

static_assert(static_cast<int>(S::count_) == 122);
static_assert(static_cast<int>(W::count_) == 130);

uint32_t symbols[static_cast<int>(S::count_)];
Cell refinements[static_cast<int>(R::count_)];

}  // namespace

Cell words[static_cast<int>(W::count_)];

void init() {
  for (int i = 0; i < static_cast<int>(S::count_); ++i) symbols[i] = symbol::make(symbol_names[i]);
  for (int i = 0; i < static_cast<int>(W::count_); ++i) words[i] = word::load(word_names[i]);
}

void init_refinements() {
  for (int i = 0; i < static_cast<int>(R::count_); ++i)
    refinements[i] = word::load_unbound(refinement_names[i], Type::refinement);
}

uint32_t symbol(S s) { return symbols[static_cast<int>(s)]; }
const Cell& refinement(R r) { return refinements[static_cast<int>(r)]; }
Cell* words_begin() { return words; }
Cell* words_end() { return words + static_cast<int>(W::count_); }

}  // namespace vyn::predefined
