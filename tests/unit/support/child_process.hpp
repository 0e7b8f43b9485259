// tests/unit/support/child_process.hpp: runs a piece of a test in a forked child, for faults that
// end the process, and reports its exit status and standard output.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace vyn::test {

inline bool& in_forked_child() {
  static bool on = false;
  return on;
}

}  // namespace vyn::test

// The leak check of sanitized builds stays out of forked children: they end through exit() with
// the runtime's memory still held, and the check would change their exit status.
extern "C" __attribute__((used)) inline int __lsan_is_turned_off() {
  return vyn::test::in_forked_child() ? 1 : 0;
}

namespace vyn::test {

struct ChildOutcome {
  bool exited = false;  // ended through exit, not by a signal
  int status = -1;
  std::string out;
};

// f should end the process; a child in which it returns exits with status 99.
template <class F>
ChildOutcome in_child(F&& f) {
  std::fflush(stdout);
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    in_forked_child() = true;
    close(fds[0]);
    dup2(fds[1], STDOUT_FILENO);
    f();
    std::fflush(stdout);
    _exit(99);
  }
  close(fds[1]);
  ChildOutcome outcome;
  char chunk[256];
  ssize_t n;
  while ((n = read(fds[0], chunk, sizeof chunk)) > 0) outcome.out.append(chunk, static_cast<size_t>(n));
  close(fds[0]);
  int raw = 0;
  waitpid(pid, &raw, 0);
  outcome.exited = WIFEXITED(raw);
  outcome.status = outcome.exited ? WEXITSTATUS(raw) : -1;
  return outcome;
}

}  // namespace vyn::test
