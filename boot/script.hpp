// boot/script.hpp: running a script file: its header, its loading and its evaluation.
#pragma once

#include <string>
#include <string_view>

namespace vyn::boot {

// Where the header starts: the word Vyn (optionally followed by "/System"), blanks, then "[".
// Answers the offset of "Vyn", or npos; system tells whether "/System" was there.
size_t find_header(std::string_view text, bool* system);

// Runs the script; answers the process exit status (0, or -2 when an error reaches no try).
int run_script(const std::string& path);

// Prints the report of the pending error the way the console does.
void report_pending_error();

}  // namespace vyn::boot
