// values/text/url.cpp: url!'s own entries: construction from a block, percent-encoded mold, path
// joining (file! takes make, to and path joining from here), and open, read and write through
// the HTTP client (http and https) or a port of the URL's scheme.
#include "values/text/url.hpp"

#include <algorithm>
#include <span>

#include "core/error.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/ports/port.hpp"
#include "values/ports/port_http.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::url {
namespace {

bool block_like(const Cell& c) {
  return c.is(Type::block) || c.is(Type::paren) || c.is(Type::hash);
}

Cell element_at(const Cell& b, int32_t i) { return block::cells(b)[series_head(b) + i]; }

// Appends the form of the block's element at index (from its head) to out.
void form_element(Cell* block, int32_t index, Cell* out) {
  Cell* v = stack::push(element_at(*block, index));
  actions::form_direct(v, out, nullptr, 0x7FFFFFFF);
  stack::pop(1);
}

// scheme "://" host [":" port] ["/" element [("/" | "#") element]...]
Cell* from_block(Cell* spec) {
  int32_t n = std::max(block::vs_length(*spec), 0);
  if (n == 0) fire(Err::script_bad_to_arg, {make_datatype(Type::url), *spec});
  Cell* out = string::make_at(stack::push_unset(), 32);
  form_element(spec, 0, out);
  string::append_latin1(*out, "://");
  int32_t i = 1;
  if (i < n) form_element(spec, i++, out);
  if (i < n && element_at(*spec, i).is(Type::integer)) {
    string::append_latin1(*out, ":");
    form_element(spec, i++, out);
  }
  for (bool first = true; i < n; ++i, first = false) {
    bool issue = !first && element_at(*spec, i).is(Type::issue);
    string::append_latin1(*out, issue ? "#" : "/");
    form_element(spec, i, out);
  }
  out->set_type(Type::url);
  return out;
}

Cell* to(Cell* proto, Cell* value, Type type) {
  if (type == Type::url && value->is(Type::block)) return from_block(value);
  return string::to(proto, value, type);
}

Cell* make(Cell* proto, Cell* spec, Type type) {
  if (type == Type::url && block_like(*spec)) return from_block(spec);
  return string::make(proto, spec, type);
}

// The lexer reads no percent escape before a URL's first colon, so the scheme is written as it
// stands: an escaped letter there would mold a URL that no longer loads. Blanks, controls and "%"
// stay escaped, since no URL token holds them there (DEL it does).
int32_t mold_scheme(const Cell& value, Cell* buffer, Cell* part, int32_t& limit) {
  NodeId node = series_node(value);
  int32_t n = string::length(value), head = series_head(value), i = 0;
  while (i < n && string::char_at(node, static_cast<uint32_t>(head + i)) != ':') ++i;
  if (i == n) return 0;
  for (int32_t k = 0; k < i && !(part && limit <= 0); ++k) {
    uint32_t c = string::char_at(node, static_cast<uint32_t>(head + k));
    if (c > 0x20 && c != '%') {
      string::append_char(series_node(*buffer), c);
      --limit;
      continue;
    }
    std::string piece = encode_byte(0xFF, static_cast<uint8_t>(c));
    string::append_latin1(*buffer, piece);
    limit -= static_cast<int32_t>(piece.size());
  }
  return i;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  Cell rest = *value;
  rest.w1 = static_cast<uint32_t>(series_head(rest) + mold_scheme(*value, buffer, part, limit));
  std::string bytes = utf8_of(rest, -1);
  for (unsigned char b : bytes) {
    if (part && limit <= 0) break;
    std::string piece = encode_byte(0xFF, b);
    string::append_latin1(*buffer, piece);
    limit -= static_cast<int32_t>(piece.size());
  }
  return limit;
}

// Reading joins the element to the URL with one "/" between them; setting is refused.
Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  if (value) fire(Err::script_bad_path_set, {step.path ? *step.path : *parent, *element});
  Cell* joined = string::make_at(stack::push_unset(), 16);
  actions::form_direct(element, joined, nullptr, 0x7FFFFFFF);
  int32_t n = string::length(*parent);
  bool url_slash =
      n > 0 && string::char_at(series_node(*parent), series_head(*parent) + n - 1) == '/';
  bool element_slash =
      string::length(*joined) > 0 && string::char_at(series_node(*joined), 0) == '/';
  if (!url_slash && !element_slash) string::insert_char(series_node(*joined), 0, '/');
  if (url_slash && element_slash) string::remove_char(*joined, 0);
  string::concatenate(joined, parent, -1, 0, true, string::Concat::insert);
  joined->set_type(parent->type());
  return joined;
}

// Whether the URL's text starts with the letters "http" (either case): those go to the HTTP
// client, any other scheme to a port.
bool http_q(const Cell& url) {
  if (string::length(url) < 4) return false;
  for (int32_t i = 0; i < 4; ++i) {
    uint32_t c = string::char_at(series_node(url), series_head(url) + i);
    if ((c | 0x20) != static_cast<uint32_t>("http"[i])) return false;
  }
  return true;
}

Cell* open(Cell* url, bool new_, bool read, bool write, bool seek, Cell* allow) {
  Cell* port = port::open_url(url, false);
  Cell allowed = allow ? *allow : make_none();
  port::forward(Action::open, {*port, make_logic(new_), make_logic(read), make_logic(write),
                               make_logic(seek), make_logic(allow != nullptr), allowed});
  stack::set_top(port + 1);
  return port;
}

Cell* read(Cell* url, const ReadOptions& o) {
  if (!http_q(*url)) return port::read(port::open_url(url, false), o);
  // an HTTP request has no byte range or offset here, nor other encodings: internal/not-done
  if (o.part || o.seek || o.as) fire(Err::internal_not_done);
  Cell get = make_cell(Type::word, 0, predefined::symbol(predefined::S::get), static_cast<uint32_t>(-1));
  return http::request(get, url, nullptr, nullptr, {o.binary, o.lines, o.info});
}

// The data of an HTTP write: a body (sent with POST), or a block of the method word, then
// optionally a block of headers and the body.
Cell* write(Cell* url, Cell* data, const WriteOptions& o) {
  if (!http_q(*url)) return port::write(port::open_url(url, false), data, o);
  // nor has an HTTP post an offset, access rights or other encodings: internal/not-done
  if (o.seek || o.allow || o.as) fire(Err::internal_not_done);
  Cell method = make_cell(Type::word, 0, predefined::symbol(predefined::S::post), static_cast<uint32_t>(-1));
  Cell* headers = nullptr;
  Cell* body = data;
  if (data->is(Type::block)) {
    int32_t n = std::max(block::vs_length(*data), 0);
    Cell* parts = stack::push(*data);
    if (n == 0 || !block::vs_head(*parts)[0].is(Type::word)) fire(Err::script_invalid_arg, {*data});
    method = block::vs_head(*parts)[0];
    int32_t next = 1;
    if (n > 2 || (n == 2 && block::vs_head(*parts)[1].is(Type::block)))
      headers = stack::push(block::vs_head(*parts)[next++]);
    body = next < n ? stack::push(block::vs_head(*parts)[next]) : nullptr;
  }
  if (headers && !headers->is(Type::block)) fire(Err::script_invalid_arg, {*headers});
  if (body && !body->is(Type::block) && !body->is(Type::string) && !body->is(Type::binary))
    fire(Err::script_invalid_arg, {*body});
  return http::request(method, url, headers, body, {o.binary, o.lines, o.info});
}

}  // namespace

void install(std::span<const Action> inherited) {
  using registry::def;
  using registry::inherit;
  registry::define(Type::url, inherited,
                   {
                       def<Action::make>(make),
                       def<Action::to>(to),
                       def<Action::mold>(mold),
                       def<Action::eval_path>(eval_path),
                       def<Action::open>(open),
                       def<Action::read>(read),
                       def<Action::write>(write),
                       inherit(Action::form),
                       inherit(Action::append),
                   });
}

}  // namespace vyn::url
