// The console's window title on a terminal: the terminal's own title is saved on its title stack
// (CSI 22 t) before the first title is set (OSC 0), and taken back (CSI 23 t) on the way out,
// whichever way that is; nothing of it when standard output is not a terminal. Each case runs in
// a child process on a pseudo-terminal.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "boot/termination.hpp"
#include "platform/signals.hpp"
#include "tests/unit/support/child_process.hpp"
#include "tests/unit/support/script.hpp"

namespace vyn::test {
namespace {

// Everything readable from fd until it ends (or 10 seconds pass).
std::string drain(int fd) {
  std::string all;
  char buf[512];
  for (int waited = 0; waited < 10000; waited += 10) {
    struct pollfd p {fd, POLLIN, 0};
    if (poll(&p, 1, 10) <= 0) continue;
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    all.append(buf, static_cast<size_t>(n));
  }
  return all;
}

struct Outcome {
  std::string terminal, redirected;  // what the terminal showed; what a redirected stdout got
  int status = -1;
};

// Runs code in a child on a pseudo-terminal, its standard output redirected to a pipe when asked;
// with kill_after, the child gets SIGTERM once the terminal showed that text.
Outcome run_on_terminal(const char* code, bool redirect, const char* kill_after = nullptr) {
  int out[2];
  EXPECT_EQ(pipe(out), 0);
  std::fflush(nullptr);
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  EXPECT_GE(pid, 0);
  if (pid == 0) {
    in_forked_child() = true;
    if (redirect) dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    setenv("TERM", "xterm", 1);
    signals::install();
    boot::install_termination();
    run(code);
    _exit(3);  // the code ends the process itself
  }
  close(out[1]);
  Outcome o;
  if (kill_after) {
    while (o.terminal.find(kill_after) == std::string::npos) {
      std::string more = drain(master);
      if (more.empty()) break;
      o.terminal += more;
      if (o.terminal.find(kill_after) != std::string::npos) kill(pid, SIGTERM);
    }
  }
  o.terminal += drain(master);
  o.redirected = drain(out[0]);
  int raw = 0;
  waitpid(pid, &raw, 0);
  o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  close(master);
  close(out[0]);
  return o;
}

using ConsoleTitle = RuntimeTest;

TEST_F(ConsoleTitle, IsSetOnceSavedAndTakenBackOnEveryWayOut) {
  const std::string saved_and_set = "\x1b[22t\x1b]0;Vyn Console\a";
  Outcome quit = run_on_terminal(R"(system/console/init "Vyn Console"  prin "x"
      system/console/init "Vyn Console"  quit/return 4)", false);
  EXPECT_EQ(quit.terminal, saved_and_set + "x\x1b]0;Vyn Console\a\x1b[23t");
  EXPECT_EQ(quit.status, 4);

  Outcome ended = run_on_terminal(R"(system/console/init "Vyn Console"  print "runs"  forever [])",
                                  false, "runs");
  EXPECT_EQ(ended.terminal, saved_and_set + "runs\r\n\x1b[23t");
  EXPECT_EQ(ended.status, 128 + SIGTERM);
}

TEST_F(ConsoleTitle, LeavesControlCharactersOut) {
  Outcome o = run_on_terminal("system/console/init {a^[]2;b^G^/c^(7F)d^(9C)e}  quit/return 0", false);
  EXPECT_EQ(o.terminal, "\x1b[22t\x1b]0;a]2;bcde\a\x1b[23t");
}

TEST_F(ConsoleTitle, NeverWhenStandardOutputIsNotATerminal) {
  Outcome o = run_on_terminal(R"(system/console/init "Vyn Console"  prin "x"  quit/return 0)", true);
  EXPECT_EQ(o.redirected, "x");
  EXPECT_EQ(o.terminal, "");
}

}  // namespace
}  // namespace vyn::test
