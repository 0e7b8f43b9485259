// values/lexer/errors.cpp: syntax errors with the line of the failing token, or a quiet stop.
#include <cstdio>

#include "core/error.hpp"
#include "core/text/unicode.hpp"
#include "values/lexer/state.hpp"
#include "core/stack.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::lexer {
namespace {

// A string! of the bytes decoded as UTF-8; a byte that does not decode stands as U+FFFD, so an
// error about bad input can always show it.
Cell* text_push(const uint8_t* from, const uint8_t* to) {
  Cell* str = string::make_at(stack::push_unset(), static_cast<uint32_t>(to - from));
  while (from < to) {
    int32_t cp;
    const uint8_t* next = unicode::fast_decode_utf8_char(from, to, cp);
    if (cp < 0) next = from + 1;
    string::append_char(series_node(*str), cp < 0 ? 0xFFFD : static_cast<uint32_t>(cp));
    from = next;
  }
  return str;
}

// The offending text runs to the first line feed, the end, or the first character boundary at
// 30 bytes or beyond.
const uint8_t* offending_end(const uint8_t* start, const uint8_t* end) {
  const uint8_t* p = start;
  while (p < end && *p != '\n') {
    if (p - start >= 30 && (*p & 0xC0) != 0x80) break;
    ++p;
  }
  return p;
}

Cell* line_push(int32_t line) {
  char text[32];
  std::snprintf(text, sizeof text, "(line %d)", line);
  Cell* str = string::make_at(stack::push_unset(), 16);
  string::append_latin1(*str, text);
  return str;
}

// What a closer or the end found missing: "]" or ")" for the innermost opener, or the opener
// itself when the closer has none to close.
const char* missing_char(const State& s, const uint8_t* start, int code) {
  Type open = marker_type(s);
  bool block_like = open == Type::block || open == Type::map;
  bool paren_like = open == Type::paren || open == Type::point2D;
  if (code == code_missing && start < s.end) {
    if (*start == ']' && !paren_like) return "[";
    if (*start == ')' && !block_like) return "(";
  }
  return paren_like ? ")" : "]";
}

bool is_path(Type t) {
  return t == Type::path || t == Type::lit_path || t == Type::get_path || t == Type::set_path;
}

Type event_type(const State& s, int code) {
  if (code > 0) return static_cast<Type>(code);
  if (s.closer_type != Type::nothing) return s.closer_type;
  if (s.token_type != Type::nothing) return s.token_type;
  return Type::error;
}

}  // namespace

void throw_error(State& s, const uint8_t* start, const uint8_t* end, int code) {
  if (start > s.end) start = s.end;
  if (s.tracer && !fire_event(s, Event::error, event_type(s, code), start, s.pos, nullptr))
    code = 0;  // the tracer asked to stop quietly
  if (!s.load || code == 0) {
    s.token_type = Type::error;
    throw Abort{};
  }
  if (code <= code_missing && is_path(marker_type(s))) code = code_bad_char;
  stack::Mark mark;
  Cell* line = line_push(s.line);
  Cell* text = text_push(start, offending_end(start, s.end));
  switch (code) {
    case code_bad_char: fire(Err::syntax_bad_char, {*line, *text});
    case code_malconstruct: fire(Err::syntax_malconstruct, {*line, *text});
    case code_missing:
    case code_missing_end: {
      Cell* what = string::make_at(stack::push_unset(), 1);
      string::append_latin1(*what, missing_char(s, start, code));
      fire(Err::syntax_missing, {*line, *what, *text});
    }
    default:
      fire(Err::syntax_invalid, {*line, make_datatype(static_cast<Type>(code)), *text});
  }
}

}  // namespace vyn::lexer
