// values/series/paren.cpp: paren!, a block that evaluates when met in code and molds in parentheses.
#include <string>

#include "values/lexer/lexer.hpp"
#include "values/series/block_actions.hpp"
#include "values/installers.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::paren {
namespace {

// Whether the text from index on (the inside of a paren, its ")" to come) would read as the
// inside of a point: "(-,!)" holds the word "-,!". Text after the ")" is taken as blanks, which
// is what makes the lexer look furthest.
bool reads_as_point(const Cell& buffer, int32_t index) {
  std::string text;
  for (int32_t i = index, n = string::length_total(buffer); i < n; ++i) {
    uint32_t c = string::char_at(series_node(buffer), static_cast<uint32_t>(i));
    bool stop = c >= 0x80 || c == '(' || c == ')' || c == '[' || c == '"' || c == '\n';
    text.push_back(c < 0x80 ? static_cast<char>(c) : '\x80');
    if (stop) break;  // no point character: the lexer looks no further
  }
  text += ")    ";
  auto bytes = reinterpret_cast<const uint8_t*>(text.data());
  return lexer::point_content(bytes, bytes + text.size());
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  if (cycles::detect(*value, *buffer, limit, true)) return limit;
  block::CycleGuard guard(series_node(*value));
  if (!o.only) limit = block::put_text(buffer, "(", limit);
  int32_t inside = string::length_total(*buffer);
  limit = block::mold_each(value, buffer, o, part, limit);
  if (!o.only && reads_as_point(*buffer, inside)) {
    // a line break is a blank to the lexer but no part of a point
    string::insert_char(series_node(*buffer), static_cast<uint32_t>(inside), '\n');
    --limit;
  }
  if (!o.only) limit = block::put_text(buffer, ")", limit);
  return limit;
}

}  // namespace

// Every entry of block! but mold (its own) and trim (none).
void install() {
  using registry::inherit;
  registry::define(Type::paren, {
      inherit(Action::make), inherit(Action::random), inherit(Action::reflect), inherit(Action::to),
      inherit(Action::form), registry::def<Action::mold>(mold), inherit(Action::eval_path),
      inherit(Action::compare), inherit(Action::append), inherit(Action::at),
      inherit(Action::back), inherit(Action::change), inherit(Action::clear),
      inherit(Action::copy), inherit(Action::find), inherit(Action::head),
      inherit(Action::head_q), inherit(Action::index_q), inherit(Action::insert),
      inherit(Action::length_q), inherit(Action::move), inherit(Action::next),
      inherit(Action::pick), inherit(Action::poke), inherit(Action::put),
      inherit(Action::remove), inherit(Action::reverse), inherit(Action::select),
      inherit(Action::sort), inherit(Action::skip), inherit(Action::swap),
      inherit(Action::tail), inherit(Action::tail_q), inherit(Action::take),
      inherit(Action::modify),
  });
}

}  // namespace vyn::paren
