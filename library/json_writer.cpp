// library/json_writer.cpp: the JSON writer's fast path. It writes none, logic, numbers, strings,
// blocks and maps with word or string keys; for any other value (or very deep nesting) it answers
// none and the writer written in the language does the whole job, so both give the same text.
// It reads the values in place and allocates nothing of the runtime's until the text is done.
#include <cmath>
#include <cstdio>
#include <string>

#include "values/callables/routine.hpp"
#include "core/error.hpp"
#include "core/text/float_text.hpp"
#include "core/text/unicode.hpp"
#include "core/stack.hpp"
#include "library/json_text.hpp"
#include "library/json_unescape.hpp"
#include "values/series/block.hpp"
#include "values/maps/map_entries.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::library {
namespace {

constexpr int max_depth = 400;
// No series holds more bytes than this: text growing past it is refused before it takes gigabytes
// (a long indent over deep nesting, or /ascii escapes of a huge string, grow it fast).
constexpr size_t max_text = 0x7FFFFFF0u;

struct Writer {
  JsonText out;
  std::string indent;
  bool pretty = false;
  bool ascii = false;
  int level = 0;
  // A code point DC00-DCFF or FFFE written as it stands: the UTF-8 loader refuses its bytes, so
  // the writer in the language must make the text.
  bool unloadable = false;
};

// Whether the UTF-8 loader refuses the bytes of the code point.
bool refused(uint32_t cp) { return (cp >= 0xDC00 && cp <= 0xDCFF) || cp == 0xFFFE; }

void put_unit(JsonText& out, uint32_t unit) {
  char text[8];
  std::snprintf(text, sizeof text, "\\u%04X", unit);
  out += text;
}

void put_char(Writer& w, uint32_t cp) {
  if (w.out.size() > max_text) fire(Err::internal_no_memory);
  switch (cp) {
    case '"': w.out += "\\\""; return;
    case '\\': w.out += "\\\\"; return;
    case 8: w.out += "\\b"; return;
    case 12: w.out += "\\f"; return;
    case '\n': w.out += "\\n"; return;
    case '\r': w.out += "\\r"; return;
    case '\t': w.out += "\\t"; return;
    default: break;
  }
  if (cp >= 32 && (!w.ascii || cp <= 127)) {
    w.unloadable |= refused(cp);
    if (cp < 0x80) w.out.push_back(static_cast<char>(cp));
    else w.out.put_wide(cp);
  } else if (cp <= 0xFFFF) {
    put_unit(w.out, cp);
  } else {
    uint32_t n = cp - 0x10000;
    put_unit(w.out, 0xD800 + (n >> 10));
    put_unit(w.out, 0xDC00 + (n & 0x3FF));
  }
}

void put_string(Writer& w, const Cell& str) {
  w.out.push_back('"');
  int32_t head = series_head(str);
  int32_t end = string::length_total(str);
  for (int32_t i = head < 0 ? 0 : head; i < end; ++i) put_char(w, string::char_at(series_node(str), i));
  w.out.push_back('"');
}

void put_name(Writer& w, std::string_view name) {
  w.out.push_back('"');
  size_t i = 0;
  while (i < name.size()) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    uint32_t cp = c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) cp = c & (0x3F >> extra);
    for (int k = 0; k < extra && i + 1 < name.size(); ++k) cp = (cp << 6) | (name[++i] & 0x3F);
    ++i;
    put_char(w, cp);
  }
  w.out.push_back('"');
}

// A line feed and the indentation of the current level, when pretty.
void new_line(Writer& w) {
  if (!w.pretty) return;
  if (w.out.size() > max_text) fire(Err::internal_no_memory);
  w.out.push_back('\n');
  for (int i = 0; i < w.level; ++i) w.out += w.indent;
}

bool value(Writer& w, const Cell& v);

bool block_items(Writer& w, const Cell& b) {
  int32_t head = series_head(b);
  int32_t end = block::length_total(b);
  if (head < 0) head = 0;
  if (head >= end) {
    w.out += "[]";
    return true;
  }
  w.out.push_back('[');
  ++w.level;
  for (int32_t i = head; i < end; ++i) {
    if (i > head) w.out.push_back(',');
    new_line(w);
    if (!value(w, block::cells(b)[i])) return false;
  }
  --w.level;
  new_line(w);
  w.out.push_back(']');
  return true;
}

bool key(Writer& w, const Cell& k) {
  if (map::is_word_key(k.type())) {
    put_name(w, symbol::spelling(word::symbol(k)));
  } else if (k.is(Type::string)) {
    put_string(w, k);
  } else {
    return false;
  }
  return true;
}

bool map_items(Writer& w, const Cell& m) {
  bool first = true;
  for (int32_t p = 0; p + 1 < map::cells_total(m); p += 2) {
    if (!map::present(m, p)) continue;
    w.out.push_back(first ? '{' : ',');
    if (first) ++w.level;
    first = false;
    new_line(w);
    if (!key(w, map::entries(m)[p])) return false;
    w.out += w.pretty ? ": " : ":";
    if (!value(w, map::entries(m)[p + 1])) return false;
  }
  if (first) {
    w.out += "{}";
    return true;
  }
  --w.level;
  new_line(w);
  w.out.push_back('}');
  return true;
}

void put_float(Writer& w, double x) { w.out += float_text::form(x, float_text::Kind::float64).view(); }

bool value(Writer& w, const Cell& v) {
  switch (v.type()) {
    case Type::none_: w.out += "null"; return true;
    case Type::logic: w.out += logic_of(v) ? "true" : "false"; return true;
    case Type::integer: w.out += std::to_string(v.int_value()); return true;
    case Type::float_: case Type::percent:
      if (!std::isfinite(v.float_value())) return false;  // the writer in the language refuses it
      put_float(w, v.float_value());
      return true;
    case Type::string: put_string(w, v); return true;
    case Type::block:
    case Type::map: {
      if (w.level >= max_depth) return false;
      return v.is(Type::block) ? block_items(w, v) : map_items(w, v);
    }
    default: return false;
  }
}

// The JSON text of the value, or none when the writer in the language must write it.
void write_body(routine::Invocation& inv) {
  Cell* data = routine::arg_cell(inv, 0);
  Cell* indent = routine::arg_cell(inv, 1);
  Writer w;
  w.pretty = indent->is(Type::string);
  if (w.pretty) {
    w.indent = string::to_utf8(*indent);
    int32_t head = series_head(*indent);
    for (int32_t i = head < 0 ? 0 : head; i < string::length_total(*indent); ++i)
      w.unloadable |= refused(string::char_at(series_node(*indent), i));
  }
  w.ascii = inv.args[2].i != 0;
  if (!value(w, *data) || w.unloadable) {
    *inv.result = make_none();
    return;
  }
  stack::Mark mark;
  *inv.result = *w.out.to_string();
}

}  // namespace

int32_t register_json_writer() {
  static const int32_t entry = routine::register_body(write_body);
  return entry;
}

void define_json_writer() {
  int32_t entry = register_json_writer();
  routine::define("json-write*", R"~("Writes JSON text; none when the writer's functions must"
      data [any-type!] indent [any-type!] ascii [logic!] return: [string! none!])~", entry);
}

}  // namespace vyn::library
