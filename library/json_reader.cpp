// library/json_reader.cpp: the JSON reader's fast path. It reads well-formed JSON text straight into
// values; on anything it does not accept (bad text, an unpaired surrogate, an integer too large,
// very deep nesting) it answers none and the reader's rules, which report errors with their
// position, read the text instead.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "values/callables/routine.hpp"
#include "core/text/unicode.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "library/json_unescape.hpp"
#include "values/series/block.hpp"
#include "values/maps/map.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/word.hpp"

namespace vyn::library {
namespace {

// As deep as the rules' stack reads a chain of objects, so the fast path never takes text the
// rules refuse, and the depth readable does not shrink with the machine stack the rules may use
// (which sanitizer builds, with larger frames, reach sooner).
constexpr int max_depth = 768;

struct Reader {
  std::string utf8;       // the text as UTF-8, when it is not read where it lies
  std::string_view text;  // UTF-8, or Latin-1 when latin1
  bool latin1 = false;
  size_t at = 0;
  int depth = 0;
  Cell* levels = nullptr;  // a block of the blocks level_items hands out, on the value stack

  bool more() const { return at < text.size(); }
  char peek() const { return more() ? text[at] : '\0'; }
  void skip_ws() {
    while (more() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) ++at;
  }
  bool literal(const char* word) {
    size_t n = std::char_traits<char>::length(word);
    if (text.compare(at, n, word) != 0) return false;
    at += n;
    return true;
  }
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool hex4(Reader& r, uint32_t& code) {
  if (r.text.size() - r.at < 4) return false;
  code = 0;
  for (int i = 0; i < 4; ++i) {
    int d = hex_value(r.text[r.at++]);
    if (d < 0) return false;
    code = code * 16 + static_cast<uint32_t>(d);
  }
  return true;
}

void put_utf8(std::string& out, uint32_t cp) {
  uint8_t bytes[4];
  int n = unicode::encode_utf8(cp, bytes);
  out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
}

// The code point of a \u escape whose "\u" has been read; surrogates must come as a pair.
bool unicode_escape(Reader& r, uint32_t& cp) {
  if (!hex4(r, cp)) return false;
  if ((cp >= 0xDC00 && cp <= 0xDFFF) || cp == 0xFFFE) return false;  // the rules write these
  if (cp < 0xD800 || cp > 0xDBFF) return true;
  uint32_t low = 0;
  if (!r.literal("\\u") || !hex4(r, low) || low < 0xDC00 || low > 0xDFFF) return false;
  cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
  return true;
}

bool escape(Reader& r, std::string& out) {
  if (!r.more()) return false;
  char c = r.text[r.at++];
  switch (c) {
    case '"': case '\\': case '/': out.push_back(c); return true;
    case 'b': out.push_back('\b'); return true;
    case 'f': out.push_back('\f'); return true;
    case 'n': out.push_back('\n'); return true;
    case 'r': out.push_back('\r'); return true;
    case 't': out.push_back('\t'); return true;
    case 'u': {
      uint32_t cp = 0;
      if (!unicode_escape(r, cp)) return false;
      put_utf8(out, cp);
      return true;
    }
    default: return false;
  }
}

// The text from run to the read position, as UTF-8.
void append_run(const Reader& r, std::string& out, size_t run) {
  if (!r.latin1) {
    out.append(r.text.substr(run, r.at - run));
    return;
  }
  for (size_t i = run; i < r.at; ++i) {
    auto c = static_cast<unsigned char>(r.text[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | c >> 6));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

// The content of a string literal, decoded to UTF-8; the opening quote is at the read position.
bool string_text(Reader& r, std::string& out) {
  ++r.at;
  for (;;) {
    size_t run = r.at;
    while (r.more()) {
      unsigned char c = static_cast<unsigned char>(r.text[r.at]);
      if (c == '"' || c == '\\' || c < 0x20) break;
      ++r.at;
    }
    append_run(r, out, run);
    if (!r.more()) return false;
    char c = r.text[r.at];
    if (c == '"') {
      ++r.at;
      return true;
    }
    if (c != '\\') return false;
    ++r.at;
    if (!escape(r, out)) return false;
  }
}

// Characters that a word may not hold, and those that may not start one.
bool not_word_char(uint32_t cp) {
  switch (cp) {
    case '/': case '\\': case '^': case ',': case '[': case ']': case '(': case ')': case '{':
    case '}': case '"': case '#': case '%': case '$': case '@': case ':': case ';': case '\n':
    case 0xA0: case ' ': case '\t': case '\r': case '<': case '>':
      return true;
    default: return false;
  }
}

// Whether a key's text reads as a word: its first character is no digit or apostrophe, and the
// lexer takes the text for a word ("-1" and "FFh" are numbers to it, so they stay strings).
bool word_key(const std::string& key) {
  if (key.empty()) return false;
  unsigned char first = static_cast<unsigned char>(key[0]);
  if (is_digit(static_cast<char>(first)) || first == '\'') return false;
  for (size_t i = 0; i < key.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(key[i]);
    if (c < 0x80 && not_word_char(c)) return false;
    if (c == 0xC2 && i + 1 < key.size() && static_cast<unsigned char>(key[i + 1]) == 0xA0) return false;
  }
  stack::Mark mark;
  lexer::ScanArgs args;
  args.one = true;
  args.type_scan = true;
  // the key lives in a std::string, outside every buffer the scan may move
  lexer::ScanResult r = lexer::scan(stack::push_unset(), reinterpret_cast<const uint8_t*>(key.data()),
                                    static_cast<uint32_t>(key.size()), args);
  return r.type == Type::word && r.complete;
}

bool number(Reader& r, Cell* parent) {
  size_t start = r.at;
  if (r.peek() == '-') ++r.at;
  if (r.peek() == '0') {
    ++r.at;
  } else if (is_digit(r.peek())) {
    while (is_digit(r.peek())) ++r.at;
  } else {
    return false;
  }
  bool whole = true;
  if (r.peek() == '.') {
    ++r.at;
    if (!is_digit(r.peek())) return false;
    while (is_digit(r.peek())) ++r.at;
    whole = false;
  }
  if (r.peek() == 'e' || r.peek() == 'E') {
    ++r.at;
    if (r.peek() == '+' || r.peek() == '-') ++r.at;
    if (!is_digit(r.peek())) return false;
    while (is_digit(r.peek())) ++r.at;
    whole = false;
  }
  std::string digits(r.text.substr(start, r.at - start));
  if (whole && digits.size() <= 11) {
    long long n = std::strtoll(digits.c_str(), nullptr, 10);
    if (n >= INT32_MIN && n <= INT32_MAX) {
      block::append_copy(*parent, make_integer(static_cast<int32_t>(n)));
      return true;
    }
  }
  // Whole numbers beyond the integer range are floats, as the lexer makes them; text of any
  // length is read here (the lexer refuses number text over 300 characters).
  double d = std::strtod(digits.c_str(), nullptr);
  if (!std::isfinite(d)) return false;
  block::append_copy(*parent, make_float(d));
  return true;
}

bool value(Reader& r, Cell* parent);

// The elements of an array, or the keys and values of an object, into a new block on the stack.
bool items(Reader& r, Cell* list, char close, bool object) {
  ++r.at;
  r.skip_ws();
  if (r.peek() == close) {
    ++r.at;
    return true;
  }
  for (;;) {
    r.skip_ws();
    if (object) {
      if (r.peek() != '"') return false;
      std::string key;
      if (!string_text(r, key)) return false;
      if (word_key(key)) {
        block::append_copy(*list, word::load(key));
      } else {
        string::load_in(unicode::outside(key.data()), static_cast<uint32_t>(key.size()), *list,
                        string::encoding_utf8);
      }
      r.skip_ws();
      if (r.peek() != ':') return false;
      ++r.at;
    }
    if (!value(r, list)) return false;
    r.skip_ws();
    if (r.peek() == close) {
      ++r.at;
      return true;
    }
    if (r.peek() != ',') return false;
    ++r.at;
  }
}

// The block that collects the items of a container at the reader's depth, emptied: one per level,
// kept for the whole read, so containers leave no grown and dropped buffers behind.
Cell* level_items(Reader& r) {
  if (block::length_total(*r.levels) < r.depth) {
    Cell* fresh = block::make_at(stack::push_unset(), 8);
    block::append_copy(*r.levels, *fresh);
    stack::pop(1);
  }
  Cell* list = stack::push(block::cells(*r.levels)[r.depth - 1]);
  block::truncate_at(*list, 0);
  return list;
}

// A container's value gets a block of exactly its items.
bool container(Reader& r, Cell* parent, bool object) {
  if (++r.depth > max_depth) return false;
  stack::Mark mark;
  Cell* list = level_items(r);
  if (!items(r, list, object ? '}' : ']', object)) return false;
  int32_t n = block::length_total(*list);
  Cell* exact = block::make_at(stack::push_unset(), n);
  std::memcpy(block::cells(*exact), block::cells(*list), size_t(n) * sizeof(Cell));
  block::buffer(*exact)->tail = uint32_t(n) * sizeof(Cell);
  if (object) exact = map::make_at(stack::push_unset(), *exact);
  block::append_copy(*parent, *exact);
  --r.depth;
  return true;
}

// Whether the UTF-8 text holds a code point DC00-DCFF or FFFE, whose bytes the string loader
// refuses: the rules read such text.
bool unloadable(std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    if (byte(i) == 0xED && (byte(i + 1) & 0xFC) == 0xB0) return true;
    if (byte(i) == 0xEF && byte(i + 1) == 0xBF && i + 2 < text.size() && byte(i + 2) == 0xBE) return true;
  }
  return false;
}

bool value(Reader& r, Cell* parent) {
  r.skip_ws();
  switch (r.peek()) {
    case '{': return container(r, parent, true);
    case '[': return container(r, parent, false);
    case '"': {
      std::string text;
      if (!string_text(r, text)) return false;
      string::load_in(unicode::outside(text.data()), static_cast<uint32_t>(text.size()), *parent,
                      string::encoding_utf8);
      return true;
    }
    case 't':
      if (!r.literal("true")) return false;
      block::append_copy(*parent, make_logic(true));
      return true;
    case 'f':
      if (!r.literal("false")) return false;
      block::append_copy(*parent, make_logic(false));
      return true;
    case 'n':
      if (!r.literal("null")) return false;
      block::append_copy(*parent, make_none());
      return true;
    default: return number(r, parent);
  }
}

// A big text of 1-byte units is read where it lies, as Latin-1: a big series keeps its address for
// its whole life, and nothing changes the text while it is read. Other text is read as a UTF-8
// copy.
void set_text(Reader& r, const Cell& input) {
  SeriesBuffer* b = buffer_of(series_node(input));
  if (b->unit() == 1 && (b->flags & SeriesBuffer::big)) {
    uint32_t head = static_cast<uint32_t>(std::max(series_head(input), 0));
    uint32_t n = head < b->tail ? b->tail - head : 0;
    r.text = std::string_view(reinterpret_cast<const char*>(b->data()) + head, n);
    r.latin1 = true;
    return;
  }
  r.utf8 = string::to_utf8(input);
  r.text = r.utf8;
}

// A block holding the value of the text, or none when the fast path does not accept it.
void read_body(routine::Invocation& inv) {
  Cell* input = routine::arg_cell(inv, 0);
  stack::Mark mark;
  Reader r;
  set_text(r, *input);
  r.levels = block::make_at(stack::push_unset(), 16);
  Cell* out = block::make_at(stack::push_unset(), 1);
  bool ok = (r.latin1 || !unloadable(r.text)) && value(r, out);
  if (ok) {
    r.skip_ws();
    ok = !r.more();
  }
  *inv.result = ok ? *out : make_none();
}

}  // namespace

int32_t register_json_reader() {
  static const int32_t entry = routine::register_body(read_body);
  return entry;
}

void define_json_reader() {
  int32_t entry = register_json_reader();
  routine::define("json-read*", R"~("Reads well-formed JSON text; none when it needs the rules"
      input [string!] return: [block! none!])~", entry);
}

}  // namespace vyn::library
