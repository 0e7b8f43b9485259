// boot/script.hpp: the program's command line (a script file is loaded by eval/script_file.hpp).
#pragma once

#include <string>
#include <string_view>

#include "core/cell.hpp"

namespace vyn::boot {


// Hands the command line to the console engine (cli-console-ctx/launch): it takes the script
// argument, runs the script, and runs the console when no script is named or --catch asks for
// it. Answers the exit status: the integer the launch answers when it returns, else 0; -2 when
// an error escapes it.
int run_command_line();

// Prints the report of the pending error the way the console does.
void report_pending_error();

}  // namespace vyn::boot
