// platform/signals.hpp: the process's one set of signal handlers. Each signal has a kind:
// a termination request (SIGTERM, SIGHUP, SIGINT) only records itself, and the runtime acts on it at its
// next polling point (the line editor's read loop, the evaluator between expressions), where it
// saves what must not be lost and ends with 128 + the signal; a fault of the machine (an access
// violation, a bus error, a floating-point trap, an illegal instruction) gives the terminal back,
// writes the runtime error report and ends with its code (platform/fault_handler); another fatal
// signal gives the terminal back and then takes its default action; a resize and a file too large
// to write only set a flag or are ignored. No handler does more than async-signal-safe calls.
#pragma once

#include <csignal>
#include <termios.h>

namespace vyn::signals {

// Installs the handlers, once per process, and prepares the calling thread; later calls do
// nothing.
void install();

// Gives the calling thread a stack of its own for the fault handlers, so that a stack overflow is
// reported too, and records where its stack ends. Every thread that runs the runtime calls it.
void prepare_this_thread();

// Blocks the signals the handlers catch in the calling thread, or unblocks them: the program's
// first thread blocks them so that they reach the runtime's thread, whose blocking reads they
// then interrupt.
void block_in_this_thread();
void unblock_in_this_thread();

// The termination signal received and not yet acted on; 0 when none.
extern volatile sig_atomic_t pending_termination;
inline int pending() { return pending_termination; }

// What acting on a termination request does (the runtime saves the console's settings, then
// ends the process); it should not return. Without one the process ends at once.
using EndAction = void (*)(int signal);
void set_end_action(EndAction action);

// Acts on a pending termination request. Does nothing when there is none, or while it is being
// acted on already (the end runs code, which reaches the polling points again).
void act_on_pending();

// Called at the polling points: cheap when nothing is pending.
inline void poll() {
  if (pending_termination) [[unlikely]] act_on_pending();
}

// The terminal mode a fatal signal restores, kept while raw mode is on.
void keep_terminal_mode(const struct termios& mode);
void forget_terminal_mode();

// What a sudden end writes to the terminal (standard output) to undo what its holder changed: the
// text UI its screen (alternate screen, mouse reporting, hidden cursor), the console the window
// title. The bytes must stay valid while kept (a literal or a static buffer); nullptr forgets.
enum class Leaving { screen, title, count };
void keep_leaving_bytes(Leaving holder, const char* bytes);

// Gives the terminal back as the console or a text UI found it: the kept mode and the leaving
// bytes, each once. Async-signal-safe, for the ends where nothing else may run (a fault, a fatal
// signal, the runtime error reporter).
void give_terminal_back_now();

// Whether the terminal may have been resized since its size was last read (true at first).
bool resize_pending();
void resize_seen();
// How many resizes came so far, and the reading end of a pipe that gets a byte at each one, so
// that a wait for keys on any thread wakes (-1 when no pipe could be made); drain_wake empties it.
int resize_count();
int wake_fd();
void drain_wake();

}  // namespace vyn::signals
