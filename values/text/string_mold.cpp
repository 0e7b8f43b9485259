// values/text/string_mold.cpp: the text of string! in form and mold, with its escapes.
#include <vector>

#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::string {
namespace {

// The letter after the caret for the controls 0x00-0x1F; 0x1E never reaches it (written in hex).
constexpr char control_escapes[] = "@ABCDEFGH-/KLMNOPQRSTUVWXYZ[\\]^_";
static_assert(sizeof control_escapes == 33);

void put(Cell* buffer, uint32_t cp) { append_char(series_node(*buffer), cp); }

void put_text(Cell* buffer, const char* text) {
  for (; *text; ++text) put(buffer, static_cast<unsigned char>(*text));
}

struct Range {
  NodeId node;
  int32_t from;   // absolute index of the head
  int32_t count;  // characters molded
};

Range range_of(Cell* value, Cell* part, int32_t limit) {
  int32_t count = length_q(*value);
  if (part && limit < count) count = limit < 0 ? 0 : limit;
  return {series_node(*value), series_head(*value), count};
}

// Index of the first "{" of the range that no "}" after it closes, or the range's end.
int32_t first_unmatched_brace(const Range& r) {
  std::vector<int32_t> open;
  for (int32_t i = 0; i < r.count; ++i) {
    uint32_t c = char_at(r.node, static_cast<uint32_t>(r.from + i));
    if (c == '{') open.push_back(i);
    else if (c == '}' && !open.empty()) open.pop_back();
  }
  return open.empty() ? r.count : open.front();
}

// Braces stay plain while they pair up; from the first "{" that has no partner on, every "{" and
// every "}" without an open partner gets a caret, so the text reads back as it was.
void mold_braced(Cell* buffer, const Range& r, bool all) {
  int32_t unmatched = first_unmatched_brace(r);
  int32_t depth = 0;
  put(buffer, '{');
  for (int32_t i = 0; i < r.count; ++i) {
    uint32_t c = char_at(r.node, static_cast<uint32_t>(r.from + i));
    switch (c) {
      case '{':
        if (i < unmatched) ++depth;
        else put(buffer, '^');
        put(buffer, c);
        break;
      case '}':
        if (depth == 0) put(buffer, '^');
        else --depth;
        put(buffer, c);
        break;
      case '"': put(buffer, c); break;
      default: mold_char(buffer, c, true, all); break;
    }
  }
  put(buffer, '}');
}

}  // namespace

void mold_char(Cell* buffer, uint32_t cp, bool escape, bool all) {
  // a lone surrogate has no UTF-8 form the lexer reads: where escapes are read, only its escape
  // loads back
  bool surrogate = escape && cp >= 0xD800 && cp <= 0xDFFF;
  if (cp == 0x1E || (cp >= 0x80 && cp <= 0x9F) || (all && cp >= 0x80) || surrogate) {
    put_text(buffer, "^(");
    put_text(buffer, int_to_hex(static_cast<int32_t>(cp), true));
    put(buffer, ')');
    return;
  }
  char escaped = 0;
  if (escape) {
    if (cp < 0x20) escaped = control_escapes[cp];
    else if (cp == '"' || cp == '^') escaped = static_cast<char>(cp);
    else if (cp == 0x7F) escaped = '~';
  }
  if (escaped) {
    put(buffer, '^');
    put(buffer, static_cast<unsigned char>(escaped));
  } else {
    put(buffer, cp);
  }
}

int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  int32_t n = length_q(*value);
  if (part && limit < n) n = limit < 0 ? 0 : limit;
  concatenate(buffer, value, n, 0, true, Concat::append);
  return limit - n;
}

// Quotes while the text is short, one line or two, and holds no double quote; braces otherwise.
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  Range r = range_of(value, part, limit);
  int32_t quotes = 0, line_feeds = 0;
  for (int32_t i = 0; i < r.count; ++i) {
    uint32_t c = char_at(r.node, static_cast<uint32_t>(r.from + i));
    quotes += c == '"';
    line_feeds += c == '\n';
  }
  if (line_feeds < 3 && quotes == 0 && length_q(*value) < 50)
    return mold_quoted(value, buffer, o, part, limit);
  mold_braced(buffer, r, o.all);
  return limit - r.count - 2;
}

int32_t mold_quoted(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  Range r = range_of(value, part, limit);
  put(buffer, '"');
  for (int32_t i = 0; i < r.count; ++i)
    mold_char(buffer, char_at(r.node, static_cast<uint32_t>(r.from + i)), true, o.all);
  put(buffer, '"');
  return limit - r.count - 2;
}

}  // namespace vyn::string
