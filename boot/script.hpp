// boot/script.hpp: running a script file: its header, its loading and its evaluation.
#pragma once

#include <string>
#include <string_view>

#include "core/cell.hpp"

namespace vyn::boot {

// Where the header starts: the word Vyn (optionally followed by "/System"), blanks, then "[".
// Answers the offset of "Vyn", or npos; system tells whether "/System" was there.
size_t find_header(std::string_view text, bool* system);

// Reads the file and loads its text from the header on into code (a rooted cell): the word Vyn,
// the header block, then the body. A syntax error in the text is raised.
enum class Loaded { ok, unreadable, no_header, system, not_vyn };
Loaded load_script(const std::string& path, Cell* code);

// Runs the script; answers the process exit status (0, or -2 when an error reaches no try).
int run_script(const std::string& path);

// Runs the script the command line names: switches, then the script's path, then its own
// arguments, which go to system/options/args and system/script/args. Answers the exit status.
int run_command_line();

// Prints the report of the pending error the way the console does.
void report_pending_error();

}  // namespace vyn::boot
