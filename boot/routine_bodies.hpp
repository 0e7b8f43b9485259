// boot/routine_bodies.hpp: the C++ bodies of the base library's routines (a routine is made from
// its spec text and body by values/callables/routine_define.hpp). Start-up registers each body
// once per process; its entry index stays the same across runtimes.
#pragma once

#include <cstdint>

#include "core/cell.hpp"
#include "values/callables/routine.hpp"

namespace vyn::boot {

namespace bodies {
using routine::Invocation;
using routine::arg_cell;

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
