// values/lexer/load_words.cpp: words in their five forms, issues and refinements.
#include <string_view>

#include "core/text/unicode.hpp"
#include "values/lexer/state.hpp"
#include "values/objects/context.hpp"
#include "values/words/symbol.hpp"

namespace vyn::lexer {
namespace {

// Code points that separate words like blanks do, though the tables see them as letters.
bool unicode_blank(int32_t cp) {
  switch (cp) {
    case 0x85: case 0xA0: case 0x1680: case 0x180E: case 0x2028: case 0x2029: case 0x202F:
    case 0x205F: case 0x3000:
      return true;
    default:
      return cp >= 0x2000 && cp <= 0x200B;
  }
}

// Malformed UTF-8 in a name raises the error of its type.
void check_utf8(State& s, const uint8_t* start, const uint8_t* end, Type t) {
  for (const uint8_t* p = start; p < end;) {
    int32_t cp;
    p = unicode::fast_decode_utf8_char(p, end, cp);
    if (cp < 0) throw_error(s, start, end, t);
  }
}

bool has_colon(const uint8_t* p, const uint8_t* end) {
  for (; p < end; ++p)
    if (*p == ':') return true;
  return false;
}

}  // namespace

bool check_word_text(State& s, const uint8_t*& start, const uint8_t*& end, uint32_t flags) {
  bool leading = true;
  for (const uint8_t* p = start; p < end;) {
    int32_t cp;
    const uint8_t* next = unicode::fast_decode_utf8_char(p, end, cp);
    if (cp < 0) throw_error(s, p, end, Type::word);
    if (unicode_blank(cp)) {
      if (!leading) {
        end = p;
        break;
      }
      start = next;
    } else {
      leading = false;
    }
    p = next;
  }
  return start < end;
}

void load_word(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  s.pos = end;
  Type type = s.kind == Kind::issue        ? Type::issue
              : s.kind == Kind::refinement ? Type::refinement
                                           : Type::word;
  Type token_type = type;
  const uint8_t* name = start;
  const uint8_t* name_end = end;
  if (type != Type::word) {
    // ":/a", "'/a" and "1#a" reach here too: a refinement has no get or lit form and an issue
    // no digits before its "#"; taking the name from the second byte would mangle it
    if (*start != (type == Type::refinement ? '/' : '#')) throw_error(s, start, end, type);
    ++name;  // "#" or "/"
    if (name == name_end) throw_error(s, start, end, type);
  } else if (end - start >= 2 && end[-1] == ':') {
    type = Type::set_word;
    --name_end;
    if (*start == '\'') throw_error(s, start, end, Type::lit_word);
  } else if (end - start >= 2 && *start == ':') {
    type = Type::get_word;
    ++name;
  } else if (end - start >= 2 && *start == '\'') {
    type = Type::lit_word;
    ++name;
  }
  if ((flags & flag::colon) && has_colon(name, name_end)) throw_error(s, start, end, token_type);
  if (flags & flag::non_ascii) check_utf8(s, start, end, token_type);
  if (!load) return;
  std::string_view text(reinterpret_cast<const char*>(name), static_cast<size_t>(name_end - name));
  Cell word = context::add_word(symbol::make(text), true, true);
  word.header = static_cast<uint32_t>(type);
  store(s, word);
}

}  // namespace vyn::lexer
