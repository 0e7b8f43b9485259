// values/objects/object_entries.hpp: object!'s action entries, defined across the object_*.cpp files and
// registered by object::install (error! reuses several of them).
#pragma once

#include "core/cell.hpp"
#include "values/action_sigs.hpp"

namespace vyn::object {

Cell* make(Cell* proto, Cell* spec, Type type);
Cell* reflect(Cell* value, Cell* field);
int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit);
int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit);
Cell* copy(Cell* value, Cell* result, Cell* part, bool deep, Cell* types);
Cell* put(Cell* series, Cell* key, Cell* value, bool case_);
Cell* select(Cell* series, Cell* value, const FindOptions& o);
Cell* modify(Cell* target, Cell* field, Cell* value, bool case_);

// mold with the given opening text ("make object! [", "make error! [").
int32_t mold_object(Cell* value, Cell* buffer, const MoldOptions& o, int32_t limit, const char* prefix);

}  // namespace vyn::object
