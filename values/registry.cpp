// values/registry.cpp: the type table and the action table, filled as datatypes register.
#include "values/registry.hpp"

#include <cassert>
#include <cstring>

namespace vyn::registry {
namespace {

struct TypeInfo {
  const char* name = nullptr;
  int name_length = 0;  // without the final "!"
  Type parent = Type::nothing;
  bool registered = false;
};

TypeInfo types[type_capacity];
ActionFn actions[type_capacity][action_count + 1];
int highest = 0;
Cell type_words[type_capacity];

struct TypeDef {
  Type id;
  const char* name;
  Type parent;
};
constexpr TypeDef type_defs[] = {
#define VYN_TYPE(id, name, word, parent) {Type::name, word, Type::parent},
#include "core/types.def"
#undef VYN_TYPE
};
static_assert(sizeof type_defs / sizeof type_defs[0] == type_count);

const TypeDef& def_of(Type t) {
  for (const TypeDef& d : type_defs)
    if (d.id == t) return d;
  assert(false && "unknown type");
  return type_defs[0];
}

const char* action_words[action_count + 1] = {
    "",
#define VYN_ACTION(slot, name, word, ...) word,
#include "values/actions.def"
#undef VYN_ACTION
};

// Fills the type's row: every slot empty, then the parent's entries for the inherited slots,
// then the shared rows and the type's own, in that order.
void fill(Type t, std::span<const Action> inherited, std::span<const Entry> shared,
          std::span<const Entry> own) {
  const TypeDef& d = def_of(t);
  int id = static_cast<int>(t);
  if (id > highest) highest = id;
  TypeInfo& info = types[id];
  info.name = d.name;
  info.name_length = static_cast<int>(std::strlen(d.name)) - 1;
  info.parent = d.parent;
  info.registered = true;
  for (int slot = 1; slot <= action_count; ++slot) actions[id][slot] = nullptr;
  ActionFn* parent = d.parent == Type::nothing ? nullptr : actions[static_cast<int>(d.parent)];
  assert(!parent || types[static_cast<int>(d.parent)].registered);
  for (Action a : inherited) actions[id][static_cast<int>(a)] = parent ? parent[static_cast<int>(a)] : nullptr;
  for (std::span<const Entry> entries : {shared, own}) {
    for (const Entry& e : entries) {
      int slot = static_cast<int>(e.slot);
      if (e.inherit) {
        assert(d.parent == Type::nothing || types[static_cast<int>(d.parent)].registered);
        actions[id][slot] = parent ? parent[slot] : nullptr;
      } else {
        actions[id][slot] = e.fn;
      }
    }
  }
}

std::span<const Entry> span_of(std::initializer_list<Entry> entries) { return {entries.begin(), entries.size()}; }

}  // namespace

void define(Type t, std::initializer_list<Entry> entries) { fill(t, {}, {}, span_of(entries)); }

void define(Type t, std::span<const Action> inherited, std::initializer_list<Entry> entries) {
  fill(t, inherited, {}, span_of(entries));
}

void define(Type t, std::span<const Entry> shared, std::initializer_list<Entry> entries) {
  fill(t, {}, shared, span_of(entries));
}

ActionFn raw_entry(Type t, Action a) {
  return actions[static_cast<int>(t)][static_cast<int>(a)];
}

Type parent_of(Type t) {
  Type p = types[static_cast<int>(t)].parent;
  return p;
}
const char* type_name(Type t) { return types[static_cast<int>(t)].name; }
int type_name_length(Type t) { return types[static_cast<int>(t)].name_length; }
const char* action_word(Action a) { return action_words[static_cast<int>(a)]; }
int highest_type() { return highest; }
void set_type_word(Type t, const Cell& word) { type_words[static_cast<int>(t)] = word; }
const Cell& type_word(Type t) { return type_words[static_cast<int>(t)]; }
Cell* type_words_begin() { return type_words; }
Cell* type_words_end() { return type_words + type_capacity; }
bool registered(Type t) { return types[static_cast<int>(t)].registered; }

}  // namespace vyn::registry
