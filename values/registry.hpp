// values/registry.hpp: the datatype registry: type table and action table.
#pragma once

#include <initializer_list>
#include <span>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::registry {

using ActionFn = void (*)();

struct Entry {
  Action slot;
  ActionFn fn;
  bool inherit;
};

// An entry for a slot, checked against that slot's signature.
template <Action A>
Entry def(typename Sig<A>::type f) {
  return Entry{A, reinterpret_cast<ActionFn>(f), false};
}
// Take the parent's entry for this slot, as it stands when the child registers.
inline Entry inherit(Action a) { return Entry{a, nullptr, true}; }

// Registers a datatype with the parent types.def gives it; slots not listed have no entry.
void define(Type t, std::initializer_list<Entry> entries);
// The same, taking the parent's entries for every slot of inherited first.
void define(Type t, std::span<const Action> inherited, std::initializer_list<Entry> entries);
// The same with rows several datatypes share (values/arith_rows.hpp), then the type's own.
void define(Type t, std::span<const Entry> shared, std::initializer_list<Entry> entries);

// Registers every datatype in start-up order: each datatype's own installer where it has one,
// else the bare type with its parent and no entries.
void init();

ActionFn raw_entry(Type t, Action a);
template <Action A>
typename Sig<A>::type entry(Type t) {
  return reinterpret_cast<typename Sig<A>::type>(raw_entry(t, A));
}

Type parent_of(Type t);
const char* type_name(Type t);       // "integer!"
int type_name_length(Type t);        // without the "!"
const char* action_word(Action a);   // "append"; empty for slots without a word
int highest_type();
// The word naming each type (integer! for integer!), made once the global context exists.
void set_type_word(Type t, const Cell& word);
const Cell& type_word(Type t);
Cell* type_words_begin();  // for the collector
Cell* type_words_end();
bool registered(Type t);

}  // namespace vyn::registry
