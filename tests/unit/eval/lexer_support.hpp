// tests/unit/eval/lexer_support.hpp: scanning text in tests, and a plain text form of what the
// lexer made that does not depend on any datatype's mold.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include "core/text/float_text.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/series/block.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::test {

inline std::string describe(const Cell& v);

inline std::string describe_cells(const Cell& b, const char* open, const char* sep,
                                  const char* close) {
  std::string out = open;
  Cell block = b;
  Cell* first = block::vs_head(block);
  for (Cell* c = first; c < block::vs_tail(block); ++c) {
    if (c != first) out += c->new_line() ? "\n" : sep;
    out += describe(*c);
  }
  return out + close;
}

// Mold-like: words with their sigils, strings in quotes with their type in front when not
// string!, floats always with a point, binaries in hex, chars as their code point.
inline std::string describe(const Cell& v) {
  char buf[64];
  auto name = [&] { return std::string(symbol::spelling(word::symbol(v))); };
  switch (v.type()) {
    case Type::block: return describe_cells(v, "[", " ", "]");
    case Type::paren: return describe_cells(v, "(", " ", ")");
    case Type::path: return describe_cells(v, "", "/", "");
    case Type::lit_path: return describe_cells(v, "'", "/", "");
    case Type::get_path: return describe_cells(v, ":", "/", "");
    case Type::set_path: return describe_cells(v, "", "/", ":");
    case Type::word: return name();
    case Type::set_word: return name() + ":";
    case Type::get_word: return ":" + name();
    case Type::lit_word: return "'" + name();
    case Type::refinement: return "/" + name();
    case Type::issue: return "#" + name();
    case Type::integer: return std::to_string(v.int_value());
    case Type::float_: return std::string(float_text::mold(v.float_value()).view());
    case Type::char_: std::snprintf(buf, sizeof buf, "char:%u", char_of(v)); return buf;
    case Type::logic: return logic_of(v) ? "true" : "false";
    case Type::none_: return "none";
    case Type::unset: return "unset";
    case Type::datatype: return registry::type_name(datatype_of(v));
    case Type::binary: {
      std::string out = "#{";
      SeriesBuffer* b = buffer_of(series_node(v));
      for (uint32_t i = b->head; i < b->tail; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", b->data()[i]);
        out += buf;
      }
      return out + "}";
    }
    case Type::string: return "\"" + string::to_utf8(v) + "\"";
    default:
      if (v.type() == Type::file || v.type() == Type::url || v.type() == Type::email ||
          v.type() == Type::tag || v.type() == Type::ref)
        return std::string(registry::type_name(v.type())) + "\"" + string::to_utf8(v) + "\"";
      return std::string("?") + registry::type_name(v.type());
  }
}

inline Cell* utf8_string(const std::string& text) {
  return string::load_push(unicode::outside(text.data()), static_cast<uint32_t>(text.size()),
                           string::encoding_utf8);
}

// Loads the text; answers the block of values.
inline Cell load(const std::string& text) {
  Cell* out = stack::push_unset();
  lexer::ScanArgs args;
  lexer::scan(out, reinterpret_cast<const uint8_t*>(text.data()),
              static_cast<uint32_t>(text.size()), args);
  return *out;
}

inline std::string loaded(const std::string& text) {
  Cell b = load(text);
  std::string d = describe_cells(b, "", " ", "");
  return d;
}

// The type a checking scan guesses for the first value (none for nothing, error! for bad text).
inline Type guessed(const std::string& text, bool prescan = false) {
  Cell* out = stack::push_unset();
  lexer::ScanArgs args;
  args.one = !prescan;
  args.type_scan = !prescan;
  args.prescan = prescan;
  return lexer::scan(out, reinterpret_cast<const uint8_t*>(text.data()),
                     static_cast<uint32_t>(text.size()), args)
      .type;
}

// The error a load raises, with its arguments formed.
struct SyntaxError {
  Err id = Err::count_;
  std::string line, arg2, arg3;
};
inline std::string arg_text(const Cell& c) {
  if (c.is(Type::string)) return string::to_utf8(c);
  return describe(c);
}
inline SyntaxError load_error(const std::string& text) {
  SyntaxError e;
  try {
    load(text);
  } catch (const Raised&) {
    const PendingError& p = pending_error();
    e.id = p.id;
    if (p.argc > 0) e.line = arg_text(p.args[0]);
    if (p.argc > 1) e.arg2 = arg_text(p.args[1]);
    if (p.argc > 2) e.arg3 = arg_text(p.args[2]);
  }
  return e;
}

}  // namespace vyn::test
