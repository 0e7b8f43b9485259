// values/url.cpp: url!'s own entries: construction from a block, percent-encoded mold and path
// joining (file! takes make, to and path joining from here).
#include "values/url.hpp"

#include <algorithm>
#include <span>

#include "core/error.hpp"
#include "eval/front_ends.hpp"
#include "eval/stack.hpp"
#include "values/block.hpp"
#include "values/registry.hpp"
#include "values/string_actions.hpp"
#include "values/string_storage.hpp"

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

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  std::string bytes = utf8_of(*value, -1);
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

// Ports, the URL parser and the HTTP client are not part of the runtime yet.
Cell* open(Cell*, bool, bool, bool, bool, Cell*) { fire(Err::internal_not_done); }
Cell* read(Cell*, const ReadOptions&) { fire(Err::internal_not_done); }
Cell* write(Cell*, Cell*, const WriteOptions&) { fire(Err::internal_not_done); }

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
