// values/objects/object.hpp: object!, the record type: a context with `self`, a class id and an optional
// events record through which it hears of changes to its fields and to the series they hold.
//
// An object! cell (error! and port! alike): w1 the node of its context (kind object, with self;
// the context's owner cell holds a copy of the value), w2 the class id, w3 the node of the events
// record or 0. Class ids made at run time count from 1,000,001; objects made at start-up carry
// fixed ids below that; every error! has id 1. Read and written through the accessors below.
//
// The events record is a series of two pair! cells, for on-change* and on-deep-change*: w2 holds
// (field index << 16) | local slot count (index 0xFFFF: no such handler), w3 the node of the
// handler's spec when the count was taken.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"
#include "values/objects/context.hpp"

namespace vyn::object {

inline constexpr uint32_t first_class_id = 1000000;
inline constexpr uint32_t error_class_id = 1;
// On the context! cell: the object has registered itself as owner of its series.
inline constexpr uint32_t owner_mark = 0x10000;

uint32_t new_class_id();
// The last class id given, and giving ids above `last` from now on (objects of a boot image keep
// the ids they were made with).
uint32_t last_class_id();
void reserve_class_ids(uint32_t last);

// ---- the cell

inline NodeId context(const Cell& obj) { return context::of(obj); }
inline void set_context(Cell& obj, NodeId ctx) { context::set_of(obj, ctx); }
inline uint32_t class_id(const Cell& obj) { return obj.w2; }
inline void set_class_id(Cell& obj, uint32_t id) { obj.w2 = id; }
inline NodeId events(const Cell& obj) { return obj.w3; }
inline void set_events(Cell& obj, NodeId events) { obj.w3 = events; }
inline Cell cell_for(NodeId ctx, uint32_t class_id = 0, NodeId events = 0, Type type = Type::object) {
  return make_cell(type, ctx, class_id, events);
}

// An events record entry: the handler's field index (absent_handler: none), its local slot count,
// and its spec's node when that count was taken.
inline constexpr uint32_t absent_handler = 0xFFFF;
inline uint32_t entry_packed(const Cell& e) { return e.w2; }  // (field index << 16) | count
inline uint32_t entry_field(const Cell& e) { return e.w2 >> 16; }
inline uint32_t entry_locals(const Cell& e) { return e.w2 & 0xFFFF; }
inline NodeId entry_spec(const Cell& e) { return e.w3; }
inline void set_entry_count(Cell& e, uint32_t count, NodeId spec) {
  e.w2 = (e.w2 & 0xFFFF0000u) | (count & 0xFFFF);
  e.w3 = spec;
}
inline Cell make_events_entry(uint32_t field, uint32_t count, NodeId spec) {
  return make_cell(Type::pair, 0, (field << 16) | count, spec);
}

// ---- accessors; none of these allocates, answered addresses hold until the next allocation


Cell get_word_at(NodeId ctx, int32_t index);
int32_t find_word_index(const Cell& obj, const Cell& word);  // letter case ignored; -1 when absent
// The field's value cell, or a shared none! cell when the object has no such field.
Cell* select_word(const Cell& obj, const Cell& word);
// The word at the index of a value cell of the object, or nullptr outside its values.
Cell* word_of_value(const Cell& obj, const Cell* value);
Cell* first_word(NodeId ctx);
Cell* get_values(NodeId ctx);
int32_t count_values(NodeId ctx);
void clear_flag_range(NodeId block);   // the new-line marker of every cell
void clear_cell_flags(NodeId ctx);     // the changed flag of every word
bool word_has_class(const Cell& word, uint32_t class_id);
bool slot_has_class(NodeId ctx, int32_t index, uint32_t class_id);
bool has_on_change(const Cell& obj);
inline bool is_object_like(Type t) { return t == Type::object || t == Type::error || t == Type::port; }

// ---- making

// Pushes an object! for the context (extending an empty values block to one cell per word) and
// stores it in the context's self cell. push_with_events takes a given events record.
Cell* push(NodeId ctx, uint32_t class_id);
Cell* push_with_events(NodeId ctx, uint32_t class_id, NodeId events);
// Writes the value into its context's self cell.
void store_self(const Cell& obj);
// Gives the cell a new empty object context with room for n fields (class id 0, no events).
Cell* make_context_at(Cell* cell, int32_t n);
// Adds a field (or finds it) and stores the value; the value must be rooted. Answers the index.
int32_t set_field(NodeId ctx, uint32_t symbol, const Cell& value);
// construct: the fields of a spec's set-words, each taking the value after its run of set-words,
// nothing evaluated; without keep_words the words true/yes/on, false/no/off and none become
// logic! and none! values. Answers whether fields were added.
bool collect_words(NodeId ctx, Cell spec, bool keep_words);
Cell* make_push(Cell spec, const Cell* proto, bool keep_words);
// A copy of source into dest: same words, copied values, bound to a new context. deep copies the
// series values; a types filter (datatype! or typeset!, else none!) copies values of those types.
void clone(const Cell& source, Cell* dest, bool deep, Cell types, bool new_events);
void duplicate_values(NodeId source, NodeId dest, bool copy_all);
// Replaces the function in slot index of the context by a copy whose body is bound to the
// context and to a copy of the function's own context.
void rebind_function(NodeId ctx, int32_t index);
// set on an object: assigns the fields from source (see the flags in the spec of `set`).
void transfer(Cell* target, Cell* source, bool any, bool only, bool some);

// The series kinds that deep copies of objects copy.
bool deep_copied(Type t);
// Pushes a copy of a series value: an any-block with every nested series of the kinds above
// copied too (a block that contains itself keeps referring to the original), others through their
// datatype's copy entry.
Cell* copy_series_deep(Cell value);

// ---- change notification

// Builds the events record from the on-change* and on-deep-change* fields (script/bad-field-set
// when one holds no function), and registers the object as owner of its series when it has one.
void ensure_events(Cell* obj);
// Sets field index of the object to value; with an events record the old value is kept and
// on-change* hears of the change. value must be rooted.
void set_field_notify(const Cell& obj, Cell word, int32_t index, const Cell& value);
void fire_on_set(const Cell& obj, Cell word, const Cell& old_value, const Cell& new_value);
// Takes the old value from the topmost stack cell and the new one from the cell below it.
void fire_on_set_top(const Cell& obj, Cell word);
void fire_on_deep_set(const Cell& owner, Cell word, const Cell& target, const Cell& action,
                      const Cell* new_value, int32_t index, int32_t part);

// ---- the datatype entries shared with error!

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step);
int compare(Cell* a, Cell* b, int op);
int32_t serialize(const Cell& obj, Cell* buffer, bool only, bool all, bool flat, int32_t limit,
                  int32_t indent);

void install();

}  // namespace vyn::object
