// values/callables/routine_bodies.hpp: the C++ bodies of the base library's routines, and the helper that
// makes a routine from its spec text and binds its word. Start-up registers each body once per
// process; its entry index stays the same across runtimes.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/callables/routine.hpp"

namespace vyn::boot {

// Pushes the block that spec text scans to.
Cell* push_spec(const char* spec_text);
// Makes a routine! from its spec block (which must be rooted; routines may share one) and body
// entry, and binds the global word to it. The body stores the result itself, whatever the spec's
// return type.
void define_routine(const char* name, const Cell& spec, int32_t entry);
void define_routine(const char* name, const char* spec_text, int32_t entry);

namespace bodies {
using routine::Invocation;

// The cell of argument k on the value stack. The caller hands an integer!, logic! or float!
// argument over as a machine value whatever the spec says, so bodies taking any-type! read the
// cells instead.
inline Cell* arg_cell(const Invocation& inv, int k) { return inv.result + k; }

// process, quiet setting, console and stack (routines_system.cpp)
void quit_return(Invocation& inv);
void set_quiet(Invocation& inv);
void set_slot_quiet(Invocation& inv);
void last_lf_q(Invocation& inv);
void stack_size_q(Invocation& inv);
void pick_stack(Invocation& inv);
void frame_index_q(Invocation& inv);
void collect_calls(Invocation& inv);
void tracing_q(Invocation& inv);
void write_stdout(Invocation& inv);

// the clipboard (routines_clipboard.cpp)
void read_clipboard(Invocation& inv);
void write_clipboard(Invocation& inv);

// tracing switch and standard input line (routines_tools.cpp)
void set_tracing(Invocation& inv);
void read_stdin_line(Invocation& inv);

// the console's line editor and standard input (routines_console.cpp)
void set_buffer_history(Invocation& inv);
void read_input(Invocation& inv);
void input_ended_q(Invocation& inv);
void trace_floor(Invocation& inv);
void terminate_console(Invocation& inv);
void terminal_size(Invocation& inv);
void terminal_title(Invocation& inv);
void input_stdin(Invocation& inv);
void read_stdin(Invocation& inv);

// directories, files and the OS (routines_files.cpp)
void get_current_dir(Invocation& inv);
void set_current_dir(Invocation& inv);
void create_dir(Invocation& inv);
void exists_q(Invocation& inv);
void write_safely(Invocation& inv);
void make_private_dir(Invocation& inv);
void os_info(Invocation& inv);

// tuples from integers and UTF-8 counting (routines_tuples.cpp)
void as_color(Invocation& inv);
void as_ipv4(Invocation& inv);
void count_chars(Invocation& inv);
}  // namespace bodies

}  // namespace vyn::boot
