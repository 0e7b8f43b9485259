// values/lexer/scanner.cpp: the main loop: delimit one token by the tables, hand it to its handler.
#include "core/text/unicode.hpp"
#include "values/lexer/state.hpp"
#include "core/stack.hpp"

namespace vyn::lexer {
namespace {

// The loader of each value kind (string and later); structure goes to scan_structure.
constexpr Handler loaders[kind_count] = {
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr,
    load_string,         // string
    load_word,           // word
    load_word,           // issue
    load_integer,        // integer
    load_word,           // refinement
    load_char,           // char
    load_file,           // file
    load_binary,         // binary
    load_percent,        // percent
    load_float,          // float
    load_float_special,  // float in the special forms
    load_tuple,          // tuple
    load_date,           // date
    load_pair,           // pair
    load_point,          // point
    load_time,           // time
    load_money,          // money
    load_tag,            // tag
    load_url,            // url
    load_email,          // email
    load_hex,            // hexadecimal integer
    load_raw_string,     // raw string
    load_ref,            // ref
};

struct Token {
  const uint8_t* start;
  const uint8_t* end;
  uint32_t flags;
  int32_t lines_inside;  // line feeds after the token's start
  uint8_t final;
};

// The states of a raw string: after one "%", after more, and inside the text.
constexpr uint8_t raw_percent = 6, raw_percents = 9, raw_text = 10;

// The "}" that closes the raw string whose "{" is at brace: the first one followed by at least as
// many "%" signs as open it. A "}" followed by fewer belongs to the text, which the table alone
// cannot tell; null when there is none.
const uint8_t* raw_closing(const uint8_t* start, const uint8_t* brace, const uint8_t* end) {
  size_t n = static_cast<size_t>(brace - start);
  for (const uint8_t* q = brace + 1; q < end; ++q) {
    if (*q != '}') continue;
    size_t run = 0;
    while (run < n && q + 1 + run < end && q[1 + run] == '%') ++run;
    if (run == n) return q;
  }
  return nullptr;
}

// Runs the state machine from s.pos. Blanks before the token are skipped (state 0 moves the start
// along); line feeds among them count lines and mark the next value as starting a line.
Token next_token(State& s) {
  const auto& table = transitions();
  const uint8_t* p = s.pos;
  const uint8_t* end = s.end;
  uint8_t state = s.start_state;
  uint32_t flags = 0;
  const uint8_t* start = p;
  int32_t lines = 0;
  uint8_t next;
  const uint8_t* raw_close = nullptr;  // the "}" that ends a raw string's text
  for (;;) {
    if (p == end) {
      next = table[state][cls::end];
      break;
    }
    uint32_t c = classes[*p];
    flags |= c;
    next = table[state][c & 0xFF];
    if (raw_close && p < raw_close && next != final_invalid) next = raw_text;
    if (next == raw_text && (state == raw_percent || state == raw_percents)) raw_close = raw_closing(start, p, end);
    if (next >= first_final) break;
    bool lf = (c & 0xFF) == cls::line_feed;
    if (next == 0) {
      start = p + 1;
      if (lf) {
        ++s.line;
        s.new_line = true;
      }
    } else {
      lines += lf;
    }
    state = next;
    ++p;
  }
  s.prev_state = state;
  return Token{start, p, flags & 0xFFFFFF00u, lines, next};
}

bool stop_after(const State& s) {
  if (!(s.one || s.scan_only)) return false;
  if (s.token_type == Type::nothing || s.start_state == start_brace) return false;
  return marker_type(s) == Type::nothing && tail() - s.first <= 1;
}

bool is_path(Type t) {
  return t == Type::path || t == Type::lit_path || t == Type::get_path || t == Type::set_path;
}

bool opens(Kind k) {
  return k == Kind::block_open || k == Kind::paren_open || k == Kind::brace_open ||
         k == Kind::map_open || k == Kind::path_open;
}

// A value token: checked (and reported) when not loading or when the tracer wants scan events,
// then loaded.
void handle_value(State& s, Token& t) {
  Handler loader = loaders[static_cast<int>(s.kind)];
  bool go = true;
  bool wants_scan = s.tracer && (s.mask & static_cast<uint32_t>(Event::scan));
  if (!s.load || wants_scan) {
    loader(s, t.start, t.end, t.flags, false);
    if (s.tracer) go = fire_event(s, Event::scan, s.token_type, t.start, s.pos, nullptr);
  }
  if (!s.load || !go) return;
  uint32_t before = tail();
  loader(s, t.start, t.end, t.flags, true);
  if (!s.tracer || tail() == before) return;
  stack::Mark mark;
  Cell* value = stack::push(*cell_at(tail() - 1));  // the tracer may allocate
  if (!fire_event(s, Event::load, s.token_type, t.start, s.pos, value)) set_tail(before);
}

// Whether the tracer lets the token through (the prescan event); always, without a tracer,
// unless only classifying.
bool admit(State& s, const Token& t, uint8_t start_state) {
  if (!s.tracer) return !s.scan_only;
  if (start_state == start_brace) return true;
  bool structure = structural(s.kind);
  if (s.kind == Kind::paren_open && point_content(t.end + 1, s.end)) return true;
  return fire_event(s, Event::prescan, s.token_type, t.start, structure ? t.start : t.end,
                    nullptr);
}

// Drops Unicode blanks that lead a word; a word made only of them is no token at all. A blank
// inside a word ends it there. Answers false when nothing is left.
bool trim_unicode_blanks(State& s, Token& t) {
  if (!(t.flags & flag::non_ascii)) return true;
  if (check_word_text(s, t.start, t.end, t.flags)) return true;
  s.pos = t.end;
  return false;
}

// Where scanning goes on after a token no handler saw: past its closing byte when it has one.
const uint8_t* after_token(const State& s, const Token& t) {
  switch (s.kind) {
    case Kind::eof: return s.end;
    case Kind::block_open: case Kind::block_close: case Kind::paren_open: case Kind::paren_close:
    case Kind::brace_open: case Kind::brace_close: case Kind::map_open: case Kind::construct:
    case Kind::comma: case Kind::string: case Kind::char_: case Kind::binary: case Kind::percent:
    case Kind::point: case Kind::tag:
      return t.end < s.end ? t.end + 1 : t.end;
    case Kind::file:
      return t.end - t.start > 1 && t.start[1] == '"' && t.end < s.end ? t.end + 1 : t.end;
    default:
      return t.end;
  }
}

void handle(State& s, Token& t) {
  uint8_t start_state = s.start_state;
  s.resume = nullptr;
  if (s.kind == Kind::word && !trim_unicode_blanks(s, t)) return;
  if (start_state == start_brace) {
    s.brace_flags |= t.flags;
    t.flags = s.brace_flags;
  }
  if (s.scan_only && static_cast<int>(s.kind) <= static_cast<int>(Kind::string)) {
    scan_structure(s, t.start, t.end, t.flags, false);
  } else if (!admit(s, t, start_state)) {
    s.pos = after_token(s, t);
    if (s.kind == Kind::point) s.start_state = start_normal;  // the point's parens are passed
  } else if (structural(s.kind)) {
    scan_structure(s, t.start, t.end, t.flags, s.load);
  } else {
    handle_value(s, t);
  }
  if (s.resume) {
    s.pos = s.resume;  // scanning goes on where the tracer put it
    return;
  }
  if (!opens(s.kind) && s.kind != Kind::invalid && is_path(marker_type(s))) next_is_delimiter(s);
}

}  // namespace

void scan_tokens(State& s) {
  while (s.pos < s.end) {
    Token t = next_token(s);
    s.kind = static_cast<Kind>(t.final - first_final);
    s.token_type = state_type(t.final);
    s.token_start = t.start;
    s.token_end = t.end;
    handle(s, t);
    s.line += t.lines_inside;
    if (stop_after(s)) return;
  }
  if (s.start_state == start_brace) {
    s.line = s.brace_line;
    throw_error(s, s.brace_start, s.end, Type::string);
  }
}

}  // namespace vyn::lexer
