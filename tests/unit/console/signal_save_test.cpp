// A console ended by a termination signal keeps its history: the terminal closing (SIGHUP) at the
// prompt, SIGTERM while code runs and Ctrl-C (SIGINT) while it waits save the settings as quit
// does, and the process ends with 128 + the signal. The console runs in a child process on a
// pseudo-terminal.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "boot/termination.hpp"
#include "platform/signals.hpp"
#include "tests/unit/support/child_process.hpp"
#include "tests/unit/support/script.hpp"

namespace vyn::test {
namespace {

// Reads what the console shows until text appears (or 10 seconds pass).
bool wait_for(int master, const std::string& text, std::string& shown) {
  char buf[512];
  for (int waited = 0; shown.find(text) == std::string::npos; waited += 10) {
    struct pollfd p {master, POLLIN, 0};
    if (waited > 10000) return false;
    if (poll(&p, 1, 10) <= 0) continue;
    ssize_t n = read(master, buf, sizeof buf);
    if (n <= 0) return false;
    shown.append(buf, static_cast<size_t>(n));
  }
  return true;
}

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

using SignalSave = RuntimeTest;

TEST_F(SignalSave, TheHistoryIsSavedAndTheStatusTellsTheSignal) {
  struct Case {
    int signal;
    const char* line;     // entered, then the signal comes
    const char* waiting;  // shown once the console waits where the signal should find it
    enum { kill, hang_up, type_ctrl_c } how;
  } cases[] = {
      {SIGHUP, "print 6 * 7", "42\r\n\x1b[J>> ", Case::hang_up},        // at the prompt
      {SIGTERM, "print {loops} forever []", "loops\r\n", Case::kill},  // while code runs
      {SIGINT, "print {waits} wait 60", "waits\r\n", Case::type_ctrl_c},
  };
  for (const Case& c : cases) {
    char name[] = "/tmp/vyn-signal-save-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    std::string dir = name;
    std::string launch = "system/options/cache: %" + dir + "/  cli-console-ctx/launch";
    std::fflush(nullptr);
    int master = -1;
    struct winsize ws {};
    ws.ws_col = 80;
    ws.ws_row = 24;
    pid_t pid = forkpty(&master, nullptr, nullptr, &ws);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      in_forked_child() = true;
      signals::install();
      boot::install_termination();
      run(launch.c_str());
      _exit(3);  // not reached: the signal ends the console
    }
    std::string shown;
    ASSERT_TRUE(wait_for(master, ">> ", shown)) << shown;
    std::string keys = std::string(c.line) + "\r";
    ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    ASSERT_TRUE(wait_for(master, c.waiting, shown)) << shown;
    if (c.how == Case::hang_up) {
      close(master);
      master = -1;
    } else if (c.how == Case::type_ctrl_c) {
      ASSERT_EQ(write(master, "\x03", 1), 1);
    } else {
      ::kill(pid, c.signal);
    }
    std::string rest;
    if (master >= 0) wait_for(master, "never shown", rest);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << c.line;
    EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal) << c.line;
    std::string saved = file_text(dir + "/Vyn-Console/console-cfg.vyn");
    EXPECT_NE(saved.find(std::string("\"") + c.line + "\""), std::string::npos) << saved;
    if (master >= 0) close(master);
    std::string cmd = "rm -rf '" + dir + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
}

// A termination signal that the program was started with ignored (nohup) stays ignored.
TEST(Signals, AnIgnoredTerminationSignalStaysIgnored) {
  ChildOutcome child = in_child([] {
    std::signal(SIGHUP, SIG_IGN);
    signals::install();
    struct sigaction now {};
    sigaction(SIGHUP, nullptr, &now);
    std::printf("%s", now.sa_handler == SIG_IGN ? "ignored" : "caught");
    std::fflush(stdout);
    _exit(0);
  });
  EXPECT_EQ(child.out, "ignored");
}

}  // namespace
}  // namespace vyn::test
