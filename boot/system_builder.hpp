// boot/system_builder.hpp: the helpers that build the start-up `system` object field by field on
// the value stack (boot/system_object.cpp and boot/system_parts.cpp).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/cell.hpp"

namespace vyn::system_object {

// Class ids of the objects made at start-up; run-time ids start above 1,000,000.
enum ClassId : uint32_t { system_id = 10, catalog_id, errors_id, category_id, prototype_id, state_id,
                          options_id, float_id, standard_id, gc_id, ports_id, script_id, header_id,
                          port_id, file_info_id, url_parts_id, scheme_id };

// Pushes a new empty object of the class.
Cell* new_object(uint32_t class_id);
// Adds a field holding the value on the stack top, then drops that value.
void add(Cell* obj, std::string_view name);
void add_value(Cell* obj, std::string_view name, const Cell& scalar);
// Pushes a string! of Latin-1 text, or a value of the type (string!, file!) from the system's
// text, decoded as names are (values/text/file_name.cpp).
Cell* push_text(std::string_view text);
Cell* push_utf8(std::string_view text, Type type);
// Pushes an object whose fields are all none.
void push_prototype(uint32_t class_id, std::initializer_list<const char*> names);

// The program's arguments, the program path first, as the process received them.
std::vector<std::string>& command_line();
// Arguments joined by blanks; those holding blanks or quotes, and empty ones, are quoted, so that
// splitting the text at blanks outside quotes gives them back.
std::string join_arguments(const std::vector<std::string>& args, size_t from);

// system/state (with the collector routines of GC), system/options (the current directory,
// options/float), system/script (the command line in args) and system/standard (the prototypes;
// the error prototype is also stored in *error_prototype).
void push_state();
void push_options();
void push_script();
void push_standard(Cell* error_prototype);

}  // namespace vyn::system_object
