// platform/signals.cpp: the process's signal handlers, one table of signals and their kinds.
#include "platform/signals.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vyn::signals {

volatile sig_atomic_t pending_termination = 0;

namespace {

enum class Kind {
  terminate,  // recorded; the runtime ends at its next polling point
  fatal,      // the terminal's mode back, then the default action
  resize,     // recorded for the next size query
  ignore,     // nothing: a file grown past its limit gives a write error, not the end of the process
};

struct Entry {
  int signal;
  Kind kind;
};

constexpr Entry table[] = {
    {SIGTERM, Kind::terminate}, {SIGHUP, Kind::terminate},   {SIGINT, Kind::terminate},
    {SIGQUIT, Kind::fatal},     {SIGABRT, Kind::fatal},    {SIGSEGV, Kind::fatal},
    {SIGBUS, Kind::fatal},      {SIGFPE, Kind::fatal},     {SIGWINCH, Kind::resize},
    {SIGXFSZ, Kind::ignore},
};
constexpr size_t entry_count = sizeof table / sizeof table[0];
struct sigaction previous[entry_count];

struct termios terminal_mode;
volatile sig_atomic_t have_terminal_mode = 0;
volatile sig_atomic_t resized = 1;
volatile sig_atomic_t resizes = 0;
int wake_pipe[2] = {-1, -1};
EndAction end_action = nullptr;
bool acting = false;

void restore_terminal() {
  if (have_terminal_mode) tcsetattr(STDIN_FILENO, TCSANOW, &terminal_mode);
  have_terminal_mode = 0;
}

void on_terminate(int sig) {
  if (!pending_termination) pending_termination = sig;
}

// The previous disposition comes back (the default, normally) and the signal is raised again:
// it is blocked while its handler runs, so it takes effect when the handler returns.
void on_fatal(int sig) {
  int saved_errno = errno;
  restore_terminal();
  for (size_t i = 0; i < entry_count; ++i)
    if (table[i].signal == sig) sigaction(sig, &previous[i], nullptr);
  raise(sig);
  errno = saved_errno;
}

void on_resize(int) {
  int saved_errno = errno;
  resized = 1;
  resizes = resizes + 1;
  if (wake_pipe[1] >= 0) (void)!::write(wake_pipe[1], "", 1);
  errno = saved_errno;
}

// Caught rather than ignored, so that programs started from here get the default back.
void on_nothing(int) {}

struct sigaction action_for(Kind kind) {
  struct sigaction sa {};
  sigemptyset(&sa.sa_mask);
  switch (kind) {
    // no SA_RESTART: a blocking read returns, so the line editor sees the request at once
    case Kind::terminate: sa.sa_handler = on_terminate; break;
    case Kind::fatal: sa.sa_handler = on_fatal; break;
    // a resize must not fail a read or write that code is waiting on
    case Kind::resize: sa.sa_handler = on_resize; sa.sa_flags = SA_RESTART; break;
    case Kind::ignore: sa.sa_handler = on_nothing; sa.sa_flags = SA_RESTART; break;
  }
  return sa;
}

sigset_t caught_set() {
  sigset_t set;
  sigemptyset(&set);
  for (const Entry& e : table)
    if (e.kind == Kind::terminate || e.kind == Kind::resize) sigaddset(&set, e.signal);
  return set;
}

}  // namespace

void install() {
  static bool done = false;
  if (done) return;
  done = true;
  if (pipe2(wake_pipe, O_NONBLOCK | O_CLOEXEC) != 0) wake_pipe[0] = wake_pipe[1] = -1;
  for (size_t i = 0; i < entry_count; ++i) {
    sigaction(table[i].signal, nullptr, &previous[i]);
    // a termination signal ignored by whoever started the program stays ignored (nohup, a
    // background job of a shell script)
    if (table[i].kind == Kind::terminate && previous[i].sa_handler == SIG_IGN) continue;
    struct sigaction sa = action_for(table[i].kind);
    sigaction(table[i].signal, &sa, nullptr);
  }
}

void block_in_this_thread() {
  sigset_t set = caught_set();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void unblock_in_this_thread() {
  sigset_t set = caught_set();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void set_end_action(EndAction action) { end_action = action; }

void act_on_pending() {
  int sig = pending_termination;
  if (!sig || acting) return;
  acting = true;
  if (end_action) end_action(sig);
  restore_terminal();
  std::_Exit(128 + sig);
}

void keep_terminal_mode(const struct termios& mode) {
  have_terminal_mode = 0;
  terminal_mode = mode;
  have_terminal_mode = 1;
}

void forget_terminal_mode() { have_terminal_mode = 0; }

bool resize_pending() { return resized != 0; }
void resize_seen() { resized = 0; }
int resize_count() { return resizes; }
int wake_fd() { return wake_pipe[0]; }
void drain_wake() {
  char drained[16];
  while (::read(wake_pipe[0], drained, sizeof drained) > 0) {}
}

}  // namespace vyn::signals
