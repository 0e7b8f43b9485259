// values/lexer/structure.cpp: the structural tokens: nesting, braced strings, paths, maps, points,
// construction syntax, commas and comments.
#include <cstring>

#include "core/error.hpp"
#include "values/lexer/foreign.hpp"
#include "values/lexer/state.hpp"
#include "values/registry.hpp"

namespace vyn::lexer {
namespace {

bool is_path(Type t) {
  return t == Type::path || t == Type::lit_path || t == Type::get_path || t == Type::set_path;
}

// The start state after a series closes: a path element follows when a path encloses it.
void after_close(State& s) {
  s.start_state = is_path(marker_type(s)) ? start_path : start_normal;
}

// A closer that finds no marker, or one of another kind, is reported as what is missing.
[[noreturn]] void refuse_closer(State& s, const uint8_t* at, Type closer) {
  s.closer_type = closer;
  throw_error(s, at, s.end, code_missing);
}

// Closes the innermost marker: the open event, the series, the next start state.
void close_level(State& s, Type type, const uint8_t* at) {
  if (s.tracer) fire_event(s, Event::close, type, at, at + 1, nullptr);
  close_block(s, type);
  s.token_type = type;
  after_close(s);
}

void open_level(State& s, Type type, const uint8_t* at, const uint8_t* resume) {
  s.pos = resume;
  if (s.tracer && !fire_event(s, Event::open, type, at, at, nullptr)) return;
  open_block(s, type, at);
}

void block_open(State& s, const uint8_t* at) {
  if (marker_type(s) == Type::point2D) throw_error(s, at, s.end, Type::point2D);
  open_level(s, Type::block, at, at + 1);
}

void paren_open(State& s, const uint8_t* at) {
  if (point_content(at + 1, s.end)) {
    s.pos = at + 1;
    s.start_state = start_point;
    return;
  }
  open_level(s, Type::paren, at, at + 1);
}

// A map literal must pair valid keys with values.
void check_map(State& s, const uint8_t* at) {
  uint32_t n = tail() - s.head;
  if (n % 2) throw_error(s, at, s.end, Type::map);
  for (uint32_t i = s.head; i < tail(); i += 2) {
    if (!foreign::map_valid_key(cell_at(i)->type())) throw_error(s, at, s.end, Type::map);
  }
}

void block_close(State& s, const uint8_t* at, bool load) {
  s.pos = at + 1;
  Type open = marker_type(s);
  if (open != Type::block && open != Type::map) refuse_closer(s, at, Type::block);
  if (open == Type::map && load) check_map(s, at);
  close_level(s, open, at);
}

void paren_close(State& s, const uint8_t* at, bool load) {
  s.pos = at + 1;
  Type open = marker_type(s);
  if (open != Type::paren && open != Type::point2D) refuse_closer(s, at, Type::paren);
  close_level(s, open, at);
}

void brace_open(State& s, const uint8_t* at) {
  if (s.brace_depth++ == 0) {
    s.brace_start = at;
    s.brace_line = s.line;
    s.brace_flags = 0;
  }
  s.pos = at + 1;
  s.start_state = start_brace;
}

void brace_close(State& s, const uint8_t* at, uint32_t flags, bool load) {
  s.pos = at + 1;
  if (--s.brace_depth > 0) {
    if (s.pos >= s.end) {
      s.line = s.brace_line;
      throw_error(s, s.brace_start, s.end, Type::string);
    }
    return;
  }
  s.brace_depth = 0;
  s.start_state = start_normal;
  s.token_start = s.brace_start;
  load_braced(s, s.brace_start + 1, at, flags, load);
  s.brace_flags = 0;
}

// The path head: a word, lit-word or get-word just before "/".
void path_open(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  Type type = *start == '\'' ? Type::lit_path : *start == ':' ? Type::get_path : Type::path;
  const uint8_t* name = type == Type::path ? start : start + 1;
  open_level(s, type, start, end + 1);
  if (marker_type(s) != type) return;  // the tracer skipped the opener
  s.kind = Kind::word;
  load_word(s, name, end, flags, load);
  s.kind = Kind::path_open;
  s.pos = end + 1;
  s.start_state = start_path;
  if (s.pos >= s.end) throw_error(s, start, s.end, Type::path);
}

bool equal_folded(const uint8_t* a, size_t n, const char* b) {
  if (std::strlen(b) != n) return false;
  for (size_t i = 0; i < n; ++i) {
    uint8_t c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c + 32);
    uint8_t d = static_cast<uint8_t>(b[i]);
    if (d >= 'A' && d <= 'Z') d = static_cast<uint8_t>(d + 32);
    if (c != d) return false;
  }
  return true;
}

// "#(" name ")": the logic values, none, unset, or a datatype.
void construct(State& s, const uint8_t* start, const uint8_t* end, bool load) {
  s.pos = end + 1;
  const uint8_t* name = start + 2;
  while (name < end && (*name == ' ' || *name == '\t')) ++name;
  const uint8_t* last = end;
  while (last > name && (last[-1] == ' ' || last[-1] == '\t')) --last;
  size_t n = static_cast<size_t>(last - name);
  Cell value = make_unset();
  if (equal_folded(name, n, "true")) {
    value = make_logic(true);
  } else if (equal_folded(name, n, "false")) {
    value = make_logic(false);
  } else if (equal_folded(name, n, "none")) {
    value = make_none();
  } else if (!equal_folded(name, n, "unset")) {
    int id = 1;
    while (id <= type_count && !equal_folded(name, n, registry::type_name(static_cast<Type>(id))))
      ++id;
    if (id > type_count) throw_error(s, start, s.end, code_malconstruct);
    value = make_datatype(static_cast<Type>(id));
  }
  s.token_type = value.type();
  if (load) store(s, value);
}

// "," turns an open paren into a point, or separates a point's coordinates.
void comma(State& s, const uint8_t* at) {
  s.pos = at + 1;
  Type open = marker_type(s);
  if (open == Type::paren) {
    set_marker(s, Type::point2D, 1);
  } else if (open == Type::point2D && marker_commas(s) < 2) {
    set_marker(s, Type::point2D, marker_commas(s) + 1);
  } else {
    throw_error(s, at, s.end, open == Type::point2D ? Type::point3D : Type::point2D);
  }
}

Type invalid_type(const State& s) {
  Type t = state_type(s.prev_state);
  return t == Type::nothing ? Type::error : t;
}

}  // namespace

void scan_structure(State& s, const uint8_t* start, const uint8_t* end, uint32_t flags, bool load) {
  switch (s.kind) {
    case Kind::eof: s.pos = s.end; break;
    case Kind::invalid: {
      Type t = invalid_type(s);
      throw_error(s, start, s.end, t == Type::error ? code_bad_char : static_cast<int>(t));
    }
    case Kind::block_open: block_open(s, end); break;
    case Kind::block_close: block_close(s, end, load); break;
    case Kind::paren_open: paren_open(s, end); break;
    case Kind::paren_close: paren_close(s, end, load); break;
    case Kind::brace_open: brace_open(s, end); break;
    case Kind::brace_close: brace_close(s, end, flags, load); break;
    case Kind::map_open:
      if (marker_type(s) == Type::point2D) throw_error(s, start, s.end, Type::point2D);
      open_level(s, Type::map, start, end + 1);
      break;
    case Kind::path_open: path_open(s, start, end, flags, load); break;
    case Kind::construct: construct(s, start, end, load); break;
    case Kind::comment: s.pos = end; break;
    case Kind::comma: comma(s, end); break;
    case Kind::string: load_string(s, start, end, flags, load); break;
    default: break;
  }
}

// After a path element: a delimiter closes the path (":" making it a set-path), anything else
// (normally "/") is consumed and another element follows.
void next_is_delimiter(State& s) {
  Type type = marker_type(s);
  const uint8_t* p = s.pos;
  if (p >= s.end) {
    close_level(s, type, p);
    return;
  }
  static constexpr uint64_t delimiters =
      (1ull << cls::blank) | (1ull << cls::line_feed) | (1ull << cls::block_open) |
      (1ull << cls::block_close) | (1ull << cls::paren_open) | (1ull << cls::paren_close) |
      (1ull << cls::brace_open) | (1ull << cls::dquote) | (1ull << cls::colon) |
      (1ull << cls::less) | (1ull << cls::semicolon) | (1ull << cls::other) |
      (1ull << cls::never) | (1ull << cls::end);
  uint8_t c = class_of(*p);
  if (!(delimiters & (1ull << c))) {
    s.pos = p + 1;
    s.start_state = start_path;
    if (s.pos >= s.end) throw_error(s, s.token_start, s.end, Type::path);
    return;
  }
  if (c == cls::colon) {
    if (p + 1 < s.end && p[1] == '/') throw_error(s, s.token_start, s.end, Type::path);
    if (type != Type::path) throw_error(s, p, s.end, code_missing);
    s.pos = p + 1;
    type = Type::set_path;
  }
  close_level(s, type, p);
}

// Whether a "(" starts a point token: at least four more bytes, and the point characters after
// it run up to a "," (or to the end). A point whose ")" is on a later line is no token: the "("
// opens a level that its comma turns into a point, as when the comma itself starts a line, so a
// point written over several lines (or typed over several console lines) loads like one.
bool point_content(const uint8_t* p, const uint8_t* end) {
  if (end - p < 4) return false;
  for (; p < end; ++p) {
    switch (*p) {
      case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8':
      case '9': case '\t': case ' ': case '#': case '+': case '-': case '.': case 'A': case 'a':
      case 'E': case 'e': case 'F': case 'f': case 'I': case 'i': case 'N': case 'n':
        continue;
      case ',':
        for (; p < end && *p != ')'; ++p)
          if (*p == '\n' || *p == '\r') return false;
        return true;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace vyn::lexer
