// values/objects/error.hpp: error!, the value every failure of the language is: an object (class id 1)
// made from the error catalog, and the report text its form writes.
//
// Fields, in order: code (category index * 100 + id index - 2), type (the category word), id (the
// id word), arg1 to arg3, near (the code under evaluation when the error was made), where (the
// call that failed), stack (the call depth when raised, later a trace block), files.
//
// The catalog, system/catalog/errors, is an object of ten category objects (throw note syntax
// script math access reserved1 reserved2 user internal); a category's fields are code (its base
// code), type (its title) and then its ids, from index 2, each holding its message template: a
// string, a block of strings and argument words, or a word naming a field of the error.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "core/cell.hpp"

namespace vyn::error {

enum class Field : int32_t { code = 0, type, id, arg1, arg2, arg3, near, where, stack, files };
inline constexpr int32_t field_count = 10;
inline constexpr int32_t stack_field_index = static_cast<int32_t>(Field::stack);

// ---- the catalog, the prototype and system/state, which start-up provides

void set_globals(const Cell& catalog, const Cell& prototype, const Cell& state);
bool catalog_ready();
const Cell& catalog();
const Cell& prototype();
const Cell& state();
// The cells above, for the collector (which marks them and rewrites moved nodes).
Cell* globals_begin();
Cell* globals_end();

// What fire() noted when the pending error was raised: the code under evaluation, the failing
// call (none! outside any call) and the call depth (-1 outside any call).
struct Raise {
  Cell near;
  Cell where;
  int32_t depth;
};
Raise last_raise();

// The index of the category named by a symbol (letter case ignored), or -1.
int32_t category_index(uint32_t symbol);
// The category object of an index (none! past the catalog).
Cell category(int32_t index);
// The field index of the id named by a symbol in a category object, or -1; ids count from 2.
int32_t id_index(const Cell& category_object, uint32_t symbol);

// ---- errors

// A field's value cell; good until the next allocation.
Cell* field(const Cell& err, Field f);
// Pushes a new error of the category and id (words) with up to three arguments. Raises as
// `make error! [category id]` does for names the catalog lacks.
Cell* create(Cell category_word, Cell id_word, std::initializer_list<Cell> args);
// Pushes the error of the pending error record (core/error.hpp): what a try and the top level
// catch; near, where and the call depth in `stack` are those noted when it was raised.
Cell* from_pending();
// Raises an existing error! value (do of an error, a re-raise): notes the failing call in it, makes
// it the pending error (id and arguments as its own), and throws Raised; from_pending then answers
// this very value.
[[noreturn]] void raise(const Cell& err);
// The value error::raise made pending, or none! when the pending error came from fire().
Cell raised_value();
void set_raised_value(const Cell& err);
// Stores value into `where` when that is still none!.
void set_where(const Cell& err, const Cell& value);
// Stores the current call depth into `stack` unless that holds a block.
void set_depth(const Cell& err);
// try/keep and the console: turns a depth in `stack` into a trace block and copies
// system/state/source-files into `files`. The trace is read from the call frames, so this runs
// before the frames are cut back to the try.
void capture_stack(Cell* err);
uint32_t get_type(const Cell& err);  // the symbol of `type`, 0 when it holds no word
uint32_t get_id(const Cell& err);
// The n-th argument word of the function being called, or the word <anon>.
Cell get_call_argument(int32_t n);

// The report text: form's entry, and the same as a C++ string.
int32_t form_report(Cell* err, Cell* buffer, Cell* part, int32_t limit);
std::string report(const Cell& err);

void install();

}  // namespace vyn::error
