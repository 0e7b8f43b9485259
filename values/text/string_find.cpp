// values/text/string_find.cpp: find, select and path access on character series and binaries.
#include <cstring>

#include "core/text/byte_search.hpp"
#include "core/text/casefold.hpp"
#include "core/error.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/objects/error_args.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"
#include "values/series/vector.hpp"

namespace vyn::string {
namespace {

// What a search looks for. Cells it refers to are rooted on the value stack.
struct Pattern {
  enum Kind { nothing, one_char, bitset, text } kind = nothing;
  uint32_t cp = 0;
  Cell* cell = nullptr;  // the bitset, or the text (a character series or a binary)
};

struct Match {
  int32_t at = -1;  // absolute index of the match, -1 for none
  int32_t length = 0;
};

// Reads a text or binary from its head; good until the next allocation.
struct View {
  const uint8_t* at;
  uint32_t unit;
  int32_t length;
  uint32_t operator[](int32_t i) const { return get_char(at + static_cast<uint32_t>(i) * unit, unit); }
};

View view_of(Cell& s, int32_t from) {
  SeriesBuffer* b = buffer_of(series_node(s));
  uint32_t unit = unicode::checked_unit(b);
  return {b->data() + static_cast<uint32_t>(from) * unit, unit, length_total(s) - from};
}

bool is_text(Type t) { return series::is_char_series(t); }

// The value formed into a new string on the stack.
Cell* formed(Cell* value) {
  Cell* v = stack::push(*value);
  Cell* out = make_at(stack::push_unset(), 16);
  actions::form_direct(v, out, nullptr, 0x7FFFFFFF);
  return out;
}

// The UTF-8 bytes of a text as a binary on the stack.
Cell* utf8_bytes(Cell* text) {
  Cell* copy = stack::push(*text);
  set_conversion_node(*copy, 0);  // a conversion buffer of its own, which becomes the binary
  int32_t length = -1;  // to the tail
  NodeId node = unicode::to_utf8_buffer(copy, length, false);
  return stack::push(make_series(Type::binary, node));
}

Pattern text_pattern(Cell* text) { return {Pattern::text, 0, text}; }

Pattern pattern_in_text(Cell* value) {
  switch (value->type()) {
    case Type::char_: return {Pattern::one_char, char_of(*value), nullptr};
    case Type::bitset: return {Pattern::bitset, 0, value};
    case Type::string: case Type::file: case Type::url: case Type::email: case Type::ref:
      return text_pattern(value);
    case Type::binary: fire(Err::script_invalid_arg, {*value});
    default: return text_pattern(formed(value));
  }
}

Pattern pattern_in_binary(Cell* value) {
  switch (value->type()) {
    case Type::char_: return {Pattern::one_char, char_of(*value), nullptr};
    case Type::integer: {
      int32_t n = value->int_value();
      return n < 0 || n > 255 ? Pattern{} : Pattern{Pattern::one_char, static_cast<uint32_t>(n), nullptr};
    }
    case Type::float_: {
      double d = value->float_value();
      bool byte = d >= 0 && d <= 255 && d == static_cast<double>(static_cast<int>(d));
      return byte ? Pattern{Pattern::one_char, static_cast<uint32_t>(d), nullptr} : Pattern{};
    }
    case Type::bitset: return {Pattern::bitset, 0, value};
    case Type::binary: return text_pattern(value);
    default: return text_pattern(utf8_bytes(is_text(value->type()) ? value : formed(value)));
  }
}

struct Matcher {
  View s;  // the whole series, from its first unit
  Pattern p;
  View pv;
  bool fold;

  int32_t length() const { return p.kind == Pattern::text ? pv.length : 1; }
  bool same(uint32_t a, uint32_t b) const { return a == b || (fold && casefold::same_folded(a, b)); }
  bool at(int32_t i) const {
    switch (p.kind) {
      case Pattern::one_char: return same(s[i], p.cp);
      case Pattern::bitset: return bitset_has(*p.cell, s[i]);
      case Pattern::text:
        for (int32_t k = 0; k < pv.length; ++k)
          if (!same(s[i + k], pv[k])) return false;
        return true;
      default: return false;
    }
  }
};

int32_t skip_size(const FindOptions& o) {
  if (!o.skip) return 1;
  if (!o.skip->is(Type::integer)) fire(Err::script_invalid_refine_arg, {word_arg("skip"), *o.skip});
  if (o.skip->int_value() < 1) fire(Err::script_out_of_range, {*o.skip});
  return o.skip->int_value();
}

// The ASCII character that a folded search also takes for c (its other case), or c itself. In a
// text of one byte per character only ASCII characters fold onto ASCII ones.
uint32_t other_case(uint32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  return c;
}

// For each ASCII character, the characters from 0x80 to 0xFF that fold onto it (from the case
// tables, once): few or none.
struct Partners {
  uint8_t of[128][4] = {};
  uint8_t count[128] = {};
};
const Partners& partners() {
  static const Partners table = [] {
    Partners t;
    for (uint32_t a = 0; a < 0x80; ++a)
      for (uint32_t c = 0x80; c < 0x100; ++c)
        if (casefold::same_folded(c, a) && t.count[a] < 4) t.of[a][t.count[a]++] = static_cast<uint8_t>(c);
    return t;
  }();
  return table;
}

// Whether a search from head to end may compare bytes: text and pattern one byte per unit, and
// when folding, a pattern of ASCII whose characters past the first have none of their partners
// above ASCII in that stretch of the text. (The first character is compared on its ASCII cases
// alone, as the search by characters below does.)
bool bytewise(const Matcher& m, int32_t head, int32_t end) {
  if (m.p.kind != Pattern::text || m.s.unit != 1 || m.pv.unit != 1 || m.pv.length < 1) return false;
  if (!m.fold) return true;
  for (int32_t k = 0; k < m.pv.length; ++k)
    if (m.pv.at[k] >= 0x80) return false;
  const Partners& p = partners();
  for (int32_t k = 1; k < m.pv.length; ++k) {
    uint8_t a = m.pv.at[k];
    for (int i = 0; i < p.count[a]; ++i)
      if (std::memchr(m.s.at + head, p.of[a][i], static_cast<size_t>(end - head))) return false;
  }
  return true;
}

// The first match from head on, one position at a time. In a text of one byte per character,
// positions whose first character cannot start a match are passed over byte by byte.
Match forward(const Matcher& m, int32_t head, int32_t end) {
  int32_t n = m.length();
  if (bytewise(m, head, end)) {
    int64_t at = byte_search::find(m.s.at + head, static_cast<size_t>(end - head), m.pv.at,
                                   static_cast<size_t>(n), m.fold);
    return at < 0 ? Match{} : Match{head + static_cast<int32_t>(at), n};
  }
  bool texty = m.p.kind == Pattern::text || m.p.kind == Pattern::one_char;
  uint32_t first = m.p.kind == Pattern::text ? m.pv[0] : m.p.cp;
  if (m.s.unit == 1 && texty && first < 0x80) {
    const uint8_t* bytes = m.s.at;
    uint8_t a = static_cast<uint8_t>(first);
    uint8_t b = static_cast<uint8_t>(m.fold ? other_case(first) : first);
    for (int32_t p = head; p + n <= end; ++p) {
      if (bytes[p] != a && bytes[p] != b) continue;
      if (m.at(p)) return {p, n};
    }
    return {};
  }
  for (int32_t p = head; p + n <= end; ++p)
    if (m.at(p)) return {p, n};
  return {};
}

// Walks the candidate positions in the order the refinements give and answers the first match.
Match scan(const Matcher& m, int32_t head, int32_t part, int32_t step, const FindOptions& o) {
  int32_t total = m.s.length, n = m.length();
  if (n == 0) return {};
  if (o.reverse) {
    if (o.match) return {};
    int32_t low = part >= 0 && head - part > 0 ? head - part : 0;
    for (int32_t p = head - step; p >= low; p -= step)
      if (p + n <= total && m.at(p)) return {p, n};
    return {};
  }
  int32_t end = part >= 0 && part < total - head ? head + part : total;
  if (end - head < n) return {};
  if (o.last) {
    for (int32_t p = head + (end - n - head) / step * step; p >= head; p -= step) {
      if (m.at(p)) return {p, n};
      if (o.match) break;
    }
    return {};
  }
  if (step == 1 && !o.match) return forward(m, head, end);
  for (int64_t p = head; p + n <= end; p += step) {  // wide: a huge /skip steps past the end
    if (m.at(static_cast<int32_t>(p))) return {static_cast<int32_t>(p), n};
    if (o.match) break;
  }
  return {};
}

// The match of value in series by the refinements, or at -1.
Match locate(Cell* series, Cell* value, const FindOptions& o) {
  Type t = series->type();
  if (!is_text(t) && t != Type::binary) fire(Err::script_invalid_type, {make_datatype(t)});
  // Wildcard matching (/any, /with) is not part of text search: it stays not done.
  if (o.any || o.with) fire(Err::internal_not_done);
  int32_t total = length_total(*series);
  int32_t left = series::units_left(*series, false);
  int32_t head = series_head(*series) < 0 ? 0 : series_head(*series);
  if (total == 0 || (left == 0 && !o.reverse)) return {};
  int32_t step = skip_size(o);
  int32_t part = -1;
  if (o.part) {
    part = series::part_count(*series, *o.part);
    if (part <= 0) return {};
  }
  stack::Mark mark;
  Pattern p = is_text(t) ? pattern_in_text(value) : pattern_in_binary(value);
  bool fold = is_text(t) && !o.case_ && !o.same;
  Matcher m{view_of(*series, 0), p, View{nullptr, 1, 0}, fold};
  if (p.kind == Pattern::text) m.pv = view_of(*p.cell, series_head(*p.cell) < 0 ? 0 : series_head(*p.cell));
  if (m.pv.length < 0) m.pv.length = 0;
  return scan(m, head, part, step, o);
}

// The unit at an absolute index as pick gives it: a char!, or an integer! for a binary.
Cell unit_at(const Cell& series, int32_t index) {
  uint32_t v = char_at(series_node(series), static_cast<uint32_t>(index));
  return series.is(Type::binary) ? make_integer(static_cast<int32_t>(v)) : make_char(v);
}

Cell path_of(const PathStep& step) { return step.path ? *step.path : make_none(); }

}  // namespace

Cell* find(Cell* series, Cell* value, const FindOptions& o) {
  if (series->is(Type::vector)) return vector::find(series, value, o);
  Match m = locate(series, value, o);
  if (m.at < 0) {
    *series = make_none();
  } else {
    set_series_head(*series, o.tail ? m.at + m.length : m.at);
  }
  return series;
}

Cell* select(Cell* series, Cell* value, const FindOptions& o) {
  if (series->is(Type::vector)) return vector::select(series, value, o);
  FindOptions plain = o;
  plain.tail = plain.match = false;
  Match m = locate(series, value, plain);
  int32_t after = m.at + m.length;
  if (m.at < 0 || after >= length_total(*series)) return stack::push(make_none());
  return stack::push(unit_at(*series, after));
}

// An integer picks or pokes by position; any other element but a word selects the character
// after its first match, or sets it.
Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  if (element->is(Type::integer)) {
    int32_t index = element->int_value();
    if (value) return registry::entry<Action::poke>(Type::series)(parent, index, element, value);
    return registry::entry<Action::pick>(Type::series)(parent, index, element);
  }
  if (element->is(Type::word)) fire(Err::script_invalid_path, {path_of(step), *element});
  if (!value) return select(stack::push(*parent), element, FindOptions{});
  Cell* at = stack::push(*parent);
  Match m = locate(at, element, FindOptions{});
  if (m.at < 0) fire(Err::script_bad_path_set, {path_of(step), *element});
  set_series_head(*at, m.at + m.length);
  return registry::entry<Action::poke>(Type::series)(at, 1, element, value);
}

}  // namespace vyn::string
