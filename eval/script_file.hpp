// eval/script_file.hpp: a script file's header, and loading the file from it on.
#pragma once

#include <string>
#include <string_view>

#include "core/cell.hpp"

namespace vyn::script {

// Where the header starts: the word Vyn (optionally followed by "/System"), blanks, then "[".
// Answers the offset of "Vyn", or npos; system tells whether "/System" was there.
size_t find_header(std::string_view text, bool* system);

// Reads the file and loads its text from the header on into code (a rooted cell): the word Vyn,
// the header block, then the body. A syntax error in the text is raised.
enum class Loaded { ok, unreadable, no_header, system, not_vyn };
Loaded load_script(const std::string& path, Cell* code);

}  // namespace vyn::script
