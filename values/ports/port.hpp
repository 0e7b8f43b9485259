// values/ports/port.hpp: port!, an object whose actions are functions of its scheme's actor object.
//
// A port! cell is an object! cell (values/objects/object.hpp) with the port! type. Its fields, in order:
// spec, scheme, actor, awake, state, data, extra (a copy of system/standard/port). Every series
// and I/O action on a port calls the actor's function of the same name with the port first, the
// action's other arguments next, each refinement as a logic! flag followed by its arguments (none
// when the refinement is off).
#pragma once

#include <initializer_list>

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::port {

// Field indexes of a port.
enum Field : int32_t { spec = 0, scheme = 1, actor = 2 };

// make port! spec: a port over an object spec, or over url-parts made from spec; no actor runs.
Cell* make(Cell* proto, Cell* spec, Type type);
// Calls the actor's function for the action with the values as its arguments (the port first);
// answers the result pushed on the value stack. The values are copied onto the stack at once.
Cell* forward(Action action, std::initializer_list<Cell> values);
// The system/<object>/<field> value, or none.
Cell system_value(const char* object, const char* field);

// The spec object the URL parser makes of the url!; script/invalid-arg when it makes none.
Cell* parse_url(Cell* url);
// Makes a port of the url! and, with open set, opens it (plain open, no refinements).
Cell* open_url(Cell* url, bool open);

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit);

// read and write of a port: open, copy (after insert for write), close.
Cell* read(Cell* port, const ReadOptions& o);
Cell* write(Cell* port, Cell* data, const WriteOptions& o);

void install();

}  // namespace vyn::port
