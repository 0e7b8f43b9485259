// values/load_text.cpp: text to value.
#include "values/load_text.hpp"

#include "core/error.hpp"

namespace vyn {
// TODO(lexer): scanning arrives with the lexer; until then text cannot become a value.
Cell* load_text(const Cell&) { fire(Err::internal_feature_na); }
}  // namespace vyn
