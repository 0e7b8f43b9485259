// platform/signals.cpp: the process's signal handlers, one table of signals and their kinds.
#include "platform/signals.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/fault.hpp"
#include "platform/fault_handler.hpp"

namespace vyn::signals {

volatile sig_atomic_t pending_termination = 0;

namespace {

enum class Kind {
  terminate,  // recorded; the runtime ends at its next polling point
  fault,      // the terminal back, the runtime error report, the end with its code
  fatal,      // the terminal back, then the default action
  resize,     // recorded for the next size query
  ignore,     // nothing: a file grown past its limit gives a write error, not the end of the process
};

struct Entry {
  int signal;
  Kind kind;
};

constexpr Entry table[] = {
    {SIGTERM, Kind::terminate}, {SIGHUP, Kind::terminate},   {SIGINT, Kind::terminate},
    {SIGQUIT, Kind::fatal},     {SIGABRT, Kind::fatal},    {SIGSEGV, Kind::fault},
    {SIGBUS, Kind::fault},      {SIGFPE, Kind::fault},     {SIGILL, Kind::fault},
    {SIGWINCH, Kind::resize},   {SIGXFSZ, Kind::ignore},
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

const char* volatile leaving[static_cast<int>(Leaving::count)] = {};

void write_now(const char* bytes) {
  size_t n = 0;
  while (bytes[n]) ++n;
  for (size_t done = 0; done < n;) {
    ssize_t k = ::write(STDOUT_FILENO, bytes + done, n - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return;
    done += static_cast<size_t>(k);
  }
}

void restore_terminal() {
  if (have_terminal_mode) tcsetattr(STDIN_FILENO, TCSANOW, &terminal_mode);
  have_terminal_mode = 0;
}

const struct sigaction* previous_of(int sig) {
  for (size_t i = 0; i < entry_count; ++i)
    if (table[i].signal == sig) return &previous[i];
  return nullptr;
}

void on_terminate(int sig) {
  if (!pending_termination) pending_termination = sig;
}

// The previous disposition comes back (the default, normally) and the signal is raised again:
// it is blocked while its handler runs, so it takes effect when the handler returns.
void on_fatal(int sig) {
  int saved_errno = errno;
  give_terminal_back_now();
  if (const struct sigaction* before = previous_of(sig)) sigaction(sig, before, nullptr);
  raise(sig);
  errno = saved_errno;
}

// A fault signal sent by another process (kill) is no fault of this one: it ends the process as
// any fatal signal does. So does every fault where a handler was installed before this one (a
// sanitizer's, a debugging tool's): that handler gets it, with the terminal already back.
void on_fault(int sig, siginfo_t* info, void* context) {
  faults::alignment_check_off();
  const struct sigaction* before = previous_of(sig);
  bool handler_before = before && (before->sa_flags & SA_SIGINFO ? before->sa_sigaction != nullptr
                                   : before->sa_handler != SIG_DFL && before->sa_handler != SIG_IGN);
  if (info->si_code <= 0 || handler_before) return on_fatal(sig);
  give_terminal_back_now();
  faults::report_and_end(sig, info, context);
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
    // on the thread's own signal stack, which is all that is left after a stack overflow; the
    // other caught signals wait, and a write to a closed pipe fails rather than ends the report
    case Kind::fault:
      sa.sa_sigaction = on_fault;
      sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
      for (const Entry& e : table)
        if (e.kind != Kind::fault) sigaddset(&sa.sa_mask, e.signal);
      sigaddset(&sa.sa_mask, SIGPIPE);
      break;
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
  prepare_this_thread();
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
  give_terminal_back_now();
  std::_Exit(128 + sig);
}

// The stack is mapped with a guard page below it, so a fault handler that overflows it ends the
// process rather than writing over other memory. A thread that has one already (a sanitizer's)
// keeps it.
void prepare_this_thread() {
  faults::record_this_thread_stack();
  stack_t current {};
  if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
  long page = sysconf(_SC_PAGESIZE);
  size_t size = 64 * 1024;
  long wanted = sysconf(_SC_SIGSTKSZ);
  if (wanted > 0 && static_cast<size_t>(wanted) * 4 > size) size = static_cast<size_t>(wanted) * 4;
  void* area = mmap(nullptr, size + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) return;
  mprotect(area, page, PROT_NONE);
  stack_t own {};
  own.ss_sp = static_cast<char*>(area) + page;
  own.ss_size = size;
  if (sigaltstack(&own, nullptr) != 0) munmap(area, size + page);
}

void keep_leaving_bytes(Leaving holder, const char* bytes) {
  fault::set_terminal_release(give_terminal_back_now);
  leaving[static_cast<int>(holder)] = bytes;
}

void give_terminal_back_now() {
  restore_terminal();
  for (auto& bytes : leaving) {
    const char* b = bytes;
    bytes = nullptr;
    if (b) write_now(b);
  }
}

void keep_terminal_mode(const struct termios& mode) {
  fault::set_terminal_release(give_terminal_back_now);
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
