// values/text/markup.cpp: the literal texts of tag! (<...>), email! (bare) and ref! (@...), and the
// user and host fields of an email!. The characters are stored without the delimiters.
#include "values/text/markup.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::markup {
namespace {

void put(Cell* buffer, uint32_t cp) { string::append_char(series_node(*buffer), cp); }

// Form and mold alike: "<", the characters, ">".
int32_t tag_form(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  put(buffer, '<');
  limit = string::form(value, buffer, part, limit - 1);
  put(buffer, '>');
  return limit - 1;
}

int32_t tag_mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return tag_form(value, buffer, part, limit);
}

int32_t email_mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return string::form(value, buffer, part, limit);
}

int32_t ref_mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  put(buffer, '@');
  return string::form(value, buffer, part, limit - 1);
}

bool is_word(const Cell& v, predefined::S s) {
  return v.is(Type::word) && symbol::resolve(word::symbol(v)) == symbol::resolve(predefined::symbol(s));
}

struct Field {
  int32_t from;   // absolute index of its first character
  int32_t count;  // its characters
  bool has_at;    // the email holds an "@"
};

// user runs from the head to the first "@", host from after it to the tail; without "@" the user
// is everything and the host is empty.
Field field_of(Cell& email, bool host) {
  int32_t head = series_head(email);
  int32_t n = string::length(email);
  int32_t at = n > 0 ? string::find_char(email, '@') : -1;
  bool has_at = at >= 0;
  if (!has_at) at = n;
  if (!host) return {head, at, has_at};
  int32_t from = has_at ? at + 1 : n;
  return {head + from, n - from, has_at};
}

Cell* read_field(Cell* email, const Field& f) {
  Cell* source = stack::push(*email);
  source->w1 = static_cast<uint32_t>(f.from);
  Cell* out = string::make_at(stack::push_unset(), f.count);
  string::concatenate(out, source, f.count, 0, true, string::Concat::append);
  return out;
}

// Replaces the field in place as change/part does; setting the host of an email without "@"
// gives it one, so the host does not run into the user.
Cell* write_field(Cell* email, const Field& f, bool host, Cell* value) {
  Cell* at = stack::push(*email);
  at->w1 = static_cast<uint32_t>(f.from);
  if (host && !f.has_at) {
    Cell* sign = stack::push(make_char('@'));
    string::change(at, sign, 0, false, 1);
  }
  string::change(at, value, f.count, false, 1);
  return value;
}

Cell* email_eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  if (element->is(Type::integer)) return string::eval_path(parent, element, value, step);
  bool user = is_word(*element, predefined::S::user);
  bool host = is_word(*element, predefined::S::host);
  if (!user && !host) fire(Err::script_invalid_path, {step.path ? *step.path : *parent, *element});
  Field f = field_of(*parent, host);
  return value ? write_field(parent, f, host, value) : read_field(parent, f);
}

}  // namespace

void install_tag(std::span<const Action> inherited) {
  using registry::def;
  using registry::inherit;
  registry::define(Type::tag, inherited,
                   {inherit(Action::reflect), def<Action::form>(tag_form),
                    def<Action::mold>(tag_mold), inherit(Action::eval_path),
                    inherit(Action::append), inherit(Action::put)});
}

void install_email(std::span<const Action> inherited) {
  using registry::def;
  using registry::inherit;
  registry::define(Type::email, inherited,
                   {inherit(Action::reflect), inherit(Action::form), def<Action::mold>(email_mold),
                    def<Action::eval_path>(email_eval_path), inherit(Action::append),
                    inherit(Action::put)});
}

void install_ref(std::span<const Action> inherited) {
  using registry::def;
  using registry::inherit;
  registry::define(Type::ref, inherited,
                   {inherit(Action::reflect), inherit(Action::form), def<Action::mold>(ref_mold)});
}

}  // namespace vyn::markup
