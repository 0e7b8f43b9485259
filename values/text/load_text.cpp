// values/text/load_text.cpp: text to value, through the lexer.
#include "values/text/load_text.hpp"

#include "values/lexer/lexer.hpp"

namespace vyn {
Cell* load_text(const Cell& text) { return lexer::load_text(text); }
}  // namespace vyn
