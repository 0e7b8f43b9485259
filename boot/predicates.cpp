// boot/predicates.cpp: the type predicates: routines answering whether a value is of one datatype
// (one comparison of its type id) or of the typeset a global word holds (looked up at every call,
// so a script that rebinds the typeset word changes the answer).
#include <string>
#include <utility>

#include "boot/base_library.hpp"
#include "boot/routine_bodies.hpp"
#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/objects/context.hpp"
#include "values/words/symbol.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::boot {
namespace {

using routine::Invocation;

// The result slot is the argument's own cell: its type is read before the answer replaces it.
template <Type T>
void is_type(Invocation& inv) {
  *inv.result = make_logic(inv.result->type() == T);
}

struct TypePredicate {
  const char* name;
  routine::Body body;
};

#define VYN_IS(name, type) {name, is_type<Type::type>}
// clang-format off
const TypePredicate type_predicates[] = {
    VYN_IS("bitset?", bitset), VYN_IS("binary?", binary), VYN_IS("block?", block),
    VYN_IS("char?", char_), VYN_IS("email?", email), VYN_IS("file?", file),
    VYN_IS("float?", float_), VYN_IS("get-path?", get_path), VYN_IS("get-word?", get_word),
    VYN_IS("hash?", hash), VYN_IS("integer?", integer), VYN_IS("issue?", issue),
    VYN_IS("lit-path?", lit_path), VYN_IS("lit-word?", lit_word), VYN_IS("logic?", logic),
    VYN_IS("map?", map), VYN_IS("none?", none_), VYN_IS("pair?", pair), VYN_IS("paren?", paren),
    VYN_IS("path?", path), VYN_IS("percent?", percent), VYN_IS("refinement?", refinement),
    VYN_IS("set-path?", set_path), VYN_IS("set-word?", set_word), VYN_IS("string?", string),
    VYN_IS("tag?", tag), VYN_IS("time?", time), VYN_IS("typeset?", typeset),
    VYN_IS("tuple?", tuple), VYN_IS("unset?", unset), VYN_IS("url?", url), VYN_IS("word?", word),
    VYN_IS("image?", image), VYN_IS("date?", date), VYN_IS("money?", money), VYN_IS("ref?", ref),
    VYN_IS("point2D?", point2D), VYN_IS("point3D?", point3D), VYN_IS("handle?", handle),
    VYN_IS("error?", error), VYN_IS("action?", action), VYN_IS("native?", native),
    VYN_IS("datatype?", datatype), VYN_IS("function?", function), VYN_IS("object?", object),
    VYN_IS("op?", op), VYN_IS("routine?", routine), VYN_IS("vector?", vector),
    VYN_IS("event?", event),
};
// clang-format on
#undef VYN_IS

// The typeset words of the typeset predicates, in definition order; the predicate's name is the
// word's with "?" in place of "!".
const char* const typeset_words[] = {
    "any-list!", "any-block!", "any-function!", "any-object!", "any-path!", "any-string!",
    "any-word!", "series!", "number!", "immediate!", "scalar!", "all-word!", "any-point!",
    "planar!",
};
constexpr int typeset_count = sizeof(typeset_words) / sizeof(typeset_words[0]);

// The symbols of the typeset words, set at each start-up (symbol ids belong to a runtime).
uint32_t typeset_symbols[typeset_count];

template <int K>
void in_typeset(Invocation& inv) {
  Type t = inv.result->type();
  Cell* value = context::value_cell_of(context::global(), typeset_symbols[K]);
  if (!value || value->is(Type::unset)) {
    Cell w = word::load(typeset_words[K]);
    fire(Err::script_no_value, {w});
  }
  if (!value->is(Type::typeset)) fire(Err::script_invalid_type, {make_datatype(value->type())});
  *inv.result = make_logic(typeset::has(*value, t));
}

template <int... K>
constexpr auto typeset_bodies(std::integer_sequence<int, K...>) {
  struct Table { routine::Body at[sizeof...(K)]; };
  return Table{{in_typeset<K>...}};
}
constexpr auto typeset_table = typeset_bodies(std::make_integer_sequence<int, typeset_count>{});

struct Entries {
  int32_t types[sizeof(type_predicates) / sizeof(type_predicates[0])];
  int32_t typesets[typeset_count];
};

// Registered on the first start-up of the process.
const Entries& entries() {
  static const Entries table = [] {
    Entries e{};
    int i = 0;
    for (const TypePredicate& p : type_predicates) e.types[i++] = routine::register_body(p.body);
    for (int k = 0; k < typeset_count; ++k) e.typesets[k] = routine::register_body(typeset_table.at[k]);
    return e;
  }();
  return table;
}

}  // namespace

void register_predicate_bodies() { (void)entries(); }

void note_typeset_symbols() {
  for (int k = 0; k < typeset_count; ++k) typeset_symbols[k] = symbol::make(typeset_words[k]);
}

void define_predicates() {
  const Entries& e = entries();
  stack::Mark mark;
  // one spec block for every datatype predicate: start-up stays small
  Cell* spec = routine::push_spec(R"~("Returns true if the value is this type" value [any-type!] return: [logic!])~");
  int i = 0;
  for (const TypePredicate& p : type_predicates) routine::define(p.name, *spec, e.types[i++]);
  for (int k = 0; k < typeset_count; ++k) {
    std::string word = typeset_words[k];
    typeset_symbols[k] = symbol::make(word);
    std::string bare = word.substr(0, word.size() - 1);
    std::string spec = "\"Returns true if the value is any type of " + bare +
                       "\" value [any-type!] return: [logic!]";
    routine::define((bare + "?").c_str(), spec.c_str(), e.typesets[k]);
  }
}

}  // namespace vyn::boot
