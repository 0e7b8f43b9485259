// eval/script_file.cpp: finding a script's header and loading the file from it on.
#include "eval/script_file.hpp"

#include "platform/files.hpp"
#include "values/lexer/lexer.hpp"
#include "values/series/block.hpp"
#include "values/words/symbol.hpp"

namespace vyn::script {
namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The header is the word itself: what precedes "Vyn" must not continue a word.
bool word_start(std::string_view text, size_t at) {
  if (at == 0) return true;
  char c = text[at - 1];
  return blank(c) || c == '[' || c == ']' || c == '(' || c == ')' || c == ';';
}

bool is_vyn_word(const Cell& c) {
  return c.is(Type::word) && symbol::spelling(word::symbol(c)) == "Vyn";
}

}  // namespace

size_t find_header(std::string_view text, bool* system) {
  for (size_t at = text.find("Vyn"); at != std::string_view::npos; at = text.find("Vyn", at + 1)) {
    if (!word_start(text, at)) continue;
    size_t p = at + 3;
    *system = false;
    if (text.substr(p, 7) == "/System") {
      *system = true;
      p += 7;
    }
    while (p < text.size() && blank(text[p])) ++p;
    if (p < text.size() && text[p] == '[') return at;
  }
  return std::string_view::npos;
}

Loaded load_script(const std::string& path, Cell* code) {
  auto data = os::read_file(path);
  if (!data) return Loaded::unreadable;
  bool system = false;
  size_t at = find_header(*data, &system);
  if (at == std::string_view::npos) return Loaded::no_header;
  if (system) return Loaded::system;
  lexer::ScanArgs args;
  lexer::scan(code, reinterpret_cast<const uint8_t*>(data->data() + at),
              static_cast<uint32_t>(data->size() - at), args);
  if (block::length_total(*code) < 2 || !is_vyn_word(block::cells(*code)[0]) ||
      !block::cells(*code)[1].is(Type::block))
    return Loaded::not_vyn;
  return Loaded::ok;
}

}  // namespace vyn::script
