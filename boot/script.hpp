// boot/script.hpp: the program's command line, and a script file's header and loading.
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

// Hands the command line to the console engine (cli-console-ctx/launch): it takes the script
// argument, runs the script, and runs the console when no script is named or --catch asks for
// it. Answers the exit status: the integer the launch answers when it returns, else 0; -2 when
// an error escapes it.
int run_command_line();

// Prints the report of the pending error the way the console does.
void report_pending_error();

}  // namespace vyn::boot
