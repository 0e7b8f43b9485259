// values/words/word_actions.cpp: the action entries of word!, lit-word!, set-word!, get-word! and
// refinement!.
#include "core/error.hpp"
#include "core/stack.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/context.hpp"
#include "values/text/load_text.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::word {
namespace {

bool plain_word(Type t) { return t >= Type::word && t <= Type::refinement; }
bool is_word_or_lit(const Cell& a, const Cell& b) {
  return (a.is(Type::word) && b.is(Type::lit_word)) || (a.is(Type::lit_word) && b.is(Type::word));
}

// The word the spelling of a value scans as, bound in the global context.
Cell* scanned(Cell* spec, Type target, bool refinement_like) {
  Cell* v = load_text(*spec);
  if (!plain_word(v->type()) && !v->is(Type::issue)) {
    if (refinement_like) fire(Err::script_bad_to_arg, {make_datatype(target), *spec});
    fire(Err::script_invalid_chars);
  }
  if (refinement_like) context::bind_word(context::global(), *v);
  return v;
}

Cell* to(Cell*, Cell* spec, Type target) {
  Cell* result;
  switch (spec->type()) {
    case Type::datatype: result = stack::push(registry::type_word(datatype_of(*spec))); break;
    case Type::logic:
      result = make_at(predefined::symbol(logic_of(*spec) ? predefined::S::true_ : predefined::S::false_),
                       stack::push_unset());
      break;
    case Type::string: result = scanned(spec, target, false); break;
    case Type::char_: {
      Cell* text = string::make_at(stack::push_unset(), 1);
      string::append_char(series_node(*text), char_of(*spec));
      result = scanned(text, target, false);
      break;
    }
    case Type::word: case Type::set_word: case Type::lit_word: case Type::get_word:
      result = stack::push(*spec);
      break;
    case Type::refinement: case Type::issue: {
      Cell* text = to_string_push(*spec);
      result = scanned(text, target, true);
      break;
    }
    default: fire(Err::script_bad_to_arg, {make_datatype(target), *spec});
  }
  result->header = static_cast<uint32_t>(target);
  return result;
}

int32_t append_spelling(Cell* value, Cell* buffer, int32_t limit) {
  Cell* name = stack::push(make_series(Type::string, symbol::ensure_string(word::symbol(*value))));
  int32_t n = string::length(*name);
  string::concatenate(buffer, name, -1, 0, true, string::Concat::append);
  stack::pop(1);
  return limit - n;
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) { return append_spelling(value, buffer, limit); }

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell*, int32_t limit) {
  const char* before = "";
  const char* after = "";
  switch (value->type()) {
    case Type::lit_word: before = "'"; break;
    case Type::get_word: before = ":"; break;
    case Type::refinement: before = "/"; break;
    case Type::set_word: after = ":"; break;
    default: break;
  }
  string::append_latin1(*buffer, before);
  limit = append_spelling(value, buffer, limit) - (*before ? 1 : 0);
  string::append_latin1(*buffer, after);
  return limit - (*after ? 1 : 0);
}

int compare(Cell* a, Cell* b, int op) {
  if (!plain_word(b->type()) && !b->is(Type::issue)) return -2;
  if (b->is(Type::issue) && !a->is(Type::issue)) return -2;
  auto differ = [](bool same) { return same ? 0 : 1; };
  bool same_canonical = symbol::resolve(word::symbol(*a)) == symbol::resolve(word::symbol(*b));
  bool same_strict = a->type() == b->type() && word::symbol(*a) == word::symbol(*b);
  switch (op) {
    case cmp::same: return differ(same_strict && word::context(*a) == word::context(*b));
    case cmp::strict_equal: return differ(same_strict);
    case cmp::equal: case cmp::not_equal: case cmp::find: return differ(same_canonical);
    case 10: return is_word_or_lit(*a, *b) ? differ(word::symbol(*a) == word::symbol(*b)) : differ(same_strict);
    case 11:
      return is_word_or_lit(*a, *b) ? differ(same_canonical)
                                    : differ(a->type() == b->type() && same_canonical);
    default: return symbol::compare_spellings(word::symbol(*a), word::symbol(*b), op);
  }
}

void index_q(Cell* args) {
  int32_t index = word::index(args[0]);

  args[0] = index < 0 ? make_none() : make_integer(index + 1);
}

// Each variant takes word!'s entries; refinement! has no index?.
void install_variant(Type t) {
  using registry::inherit;
  if (t == Type::refinement) {
    registry::define(t, {inherit(Action::make), inherit(Action::to), inherit(Action::form),
                         inherit(Action::mold), inherit(Action::compare)});
    return;
  }
  registry::define(t, {inherit(Action::make), inherit(Action::to), inherit(Action::form),
                       inherit(Action::mold), inherit(Action::compare), inherit(Action::index_q)});
}

}  // namespace

void install() {
  using registry::def;
  registry::define(Type::word, {
      def<Action::make>(to), def<Action::to>(to), def<Action::form>(form), def<Action::mold>(mold),
      def<Action::compare>(compare), def<Action::index_q>(index_q),
  });
}
void install_lit_word() { install_variant(Type::lit_word); }
void install_set_word() { install_variant(Type::set_word); }
void install_get_word() { install_variant(Type::get_word); }
void install_refinement() { install_variant(Type::refinement); }

}  // namespace vyn::word
