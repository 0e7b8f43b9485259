// values/text/string_trim.cpp: trim on character series: whitespace at the ends, indentation, line
// endings, runs of whitespace, and removing given characters.
#include <algorithm>
#include <vector>

#include "core/error.hpp"
#include "values/objects/ownership.hpp"
#include "values/series/series.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::string {
namespace {

using Chars = std::vector<uint32_t>;

// The Unicode spaces trimmed besides the controls, the space and the line separators.
bool unicode_space(uint32_t c) {
  return c == 0xA0 || c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}
bool white(uint32_t c) {
  return (c >= 1 && c <= 32) || c == 0x85 || c == 0x2028 || c == 0x2029 || unicode_space(c);
}
bool horizontal(uint32_t c) { return c == ' ' || c == '\t' || unicode_space(c); }

Chars read(Cell& s, int32_t head) {
  Chars out(static_cast<size_t>(length_total(s) - head));
  NodeId node = series_node(s);
  for (size_t i = 0; i < out.size(); ++i) out[i] = char_at(node, static_cast<uint32_t>(head) + static_cast<uint32_t>(i));
  return out;
}

// Stores the text back from head and moves the tail after it. Every character came from this
// buffer, so none needs a wider unit and nothing allocates.
void write_back(Cell& s, int32_t head, const Chars& text) {
  NodeId node = series_node(s);
  for (size_t i = 0; i < text.size(); ++i) write_char(node, static_cast<uint32_t>(head) + static_cast<uint32_t>(i), text[i]);
  truncate_at(s, head + static_cast<int32_t>(text.size()));
}

// Drops leading and trailing whitespace; answers whether a line feed was among the trailing.
bool strip_ends(Chars& t, bool head, bool tail) {
  bool line_feed = false;
  if (tail) {
    size_t end = t.size();
    while (end > 0 && white(t[end - 1])) line_feed |= t[--end] == '\n';
    t.resize(end);
  }
  if (head) {
    auto first = std::find_if(t.begin(), t.end(), [](uint32_t c) { return !white(c); });
    t.erase(t.begin(), first);
  }
  return line_feed;
}

// Line by line: no indentation, nothing horizontal before a line feed.
void strip_lines(Chars& t) {
  Chars out;
  out.reserve(t.size());
  bool line_start = true;
  for (uint32_t c : t) {
    if (line_start && horizontal(c)) continue;
    if (c == '\n') {
      while (!out.empty() && horizontal(out.back())) out.pop_back();
    }
    out.push_back(c);
    line_start = c == '\n';
  }
  t.swap(out);
}

void collapse_runs(Chars& t) {
  strip_ends(t, true, true);
  Chars out;
  out.reserve(t.size());
  for (uint32_t c : t) {
    if (!white(c)) out.push_back(c);
    else if (out.back() != ' ') out.push_back(' ');  // the first character is not white
  }
  t.swap(out);
}

// The characters /with names: a char! or integer! code point, or each character of a text or
// binary from its head.
Chars removal_set(Cell* with) {
  if (with->is(Type::char_) || with->is(Type::integer)) return {static_cast<uint32_t>(with->int_value())};
  if (!with->is(Type::binary) && !series::is_char_series(with->type())) fire(Err::script_invalid_arg, {*with});
  series::units_left(*with, false);
  return read(*with, std::max(series_head(*with), 0));
}

void remove_all(Chars& t, const Chars& gone) {
  t.erase(std::remove_if(t.begin(), t.end(), [&](uint32_t c) {
            return std::find(gone.begin(), gone.end(), c) != gone.end();
          }),
          t.end());
}

}  // namespace

// /auto (indentation taken from the first line) is not part of text trimming: internal/not-done.
Cell* trim(Cell* series, bool head, bool tail, bool auto_, bool lines, bool all, Cell* with) {
  if (auto_) fire(Err::internal_not_done);
  series::units_left(*series, false);
  int32_t from = std::max(series_head(*series), 0);
  Chars gone;
  if (with) gone = removal_set(with);
  Chars t = read(*series, from);
  bool owned = ownership::before(*series, Action::trim, from, static_cast<int32_t>(t.size()));
  if (with) {
    remove_all(t, gone);
  } else if (all) {
    remove_all(t, {'\t', '\n', '\r', ' '});
  } else if (lines) {
    collapse_runs(t);
  } else if (head || tail) {
    strip_ends(t, head, tail);
  } else {
    bool line_feed = strip_ends(t, true, true);
    strip_lines(t);
    if (line_feed) t.push_back('\n');
  }
  write_back(*series, from, t);
  if (owned) ownership::after(*series, Action::trim, from, static_cast<int32_t>(t.size()));
  return series;
}

}  // namespace vyn::string
