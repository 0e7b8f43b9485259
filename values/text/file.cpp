// values/text/file.cpp: file!'s mold (a "%" and the name, quoted when it holds characters a bare name
// cannot) and its registration.
#include "values/text/file_actions.hpp"
#include "values/registry.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"
#include "values/text/url.hpp"

namespace vyn::file {
namespace {

// Whether the first count characters from the head read back as a bare name. Some characters
// plain in a URL end a bare name: a parenthesis opens a paren, ":" starts a get-word, "@" a ref.
// A surrogate (a name's undecodable byte among them) has no UTF-8 the lexer reads: only its
// escape in the quoted form loads back.
bool bare_q(const Cell& value, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    uint32_t c = string::char_at(series_node(value), static_cast<uint32_t>(series_head(value) + i));
    bool ends_name = c == '(' || c == ')' || c == ':' || c == '@';
    if (c <= 0x7F && (!url::plain_q(c, 0xFF) || ends_name)) return false;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
  }
  return true;
}

// The quoted form escapes with carets, since the lexer decodes them there (a double quote as its
// code, since a quote ends the name whatever stands before it); the bare form writes characters as
// they are.
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  string::append_latin1(*buffer, "%");
  int32_t count = string::length(*value);
  if (count == 0) {
    string::append_latin1(*buffer, "\"\"");
    return limit - 3;
  }
  if (part && limit < count) count = limit < 0 ? 0 : limit;
  bool bare = bare_q(*value, count);
  if (!bare) string::append_latin1(*buffer, "\"");
  for (int32_t i = 0; i < count; ++i) {
    uint32_t c =
        string::char_at(series_node(*value), static_cast<uint32_t>(series_head(*value) + i));
    if (bare)
      string::append_char(series_node(*buffer), c);
    else if (c == '"')
      string::append_latin1(*buffer, "^(22)");
    else
      string::mold_char(buffer, c, true, o.all);
  }
  if (!bare) string::append_latin1(*buffer, "\"");
  return limit - count - 1;
}

}  // namespace

void install(std::span<const Action> inherited) {
  using registry::def;
  using registry::inherit;
  registry::define(Type::file, inherited,
                   {
                       def<Action::mold>(mold),
                       def<Action::delete_>(delete_),
                       def<Action::query>(query),
                       def<Action::read>(read),
                       def<Action::rename>(rename),
                       def<Action::write>(write),
                       inherit(Action::form),
                       inherit(Action::eval_path),
                       inherit(Action::append),
                   });
}

}  // namespace vyn::file
