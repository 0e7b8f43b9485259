// quit from inside a text interface ends the process at once, without the loop's own way out:
// the terminal must still get its line mode back. The interface runs in a child process on a
// pseudo-terminal; the parent reads the terminal's mode after the child has gone.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "tests/unit/support/script.hpp"

namespace vyn::test {
namespace {

using QuitFromInterface = RuntimeTest;

TEST_F(QuitFromInterface, GivesTheTerminalItsLineModeBack) {
  std::fflush(nullptr);
  int master = -1;
  struct winsize ws {};
  ws.ws_col = 40;
  ws.ws_row = 10;
  pid_t pid = forkpty(&master, nullptr, nullptr, &ws);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    run("view [text \"x\" rate 20 on-time [quit/return 7]]");
    _exit(3);  // not reached: quit ends the process
  }
  char buf[256];
  while (read(master, buf, sizeof buf) > 0) {
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  struct termios t {};
  ASSERT_EQ(tcgetattr(master, &t), 0);
  EXPECT_NE(t.c_lflag & ICANON, 0u);
  EXPECT_NE(t.c_lflag & ECHO, 0u);
  close(master);
}

}  // namespace
}  // namespace vyn::test
