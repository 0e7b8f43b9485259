// The terminal layer under the routines the language calls, driven through a pseudo-terminal:
// raw mode on for each edit and off after it, keys decoded from the bytes typed, the entered line
// stored in the caller's string and added to the caller's history.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/unit/support/script.hpp"

namespace vyn::test {
namespace {

bool raw_on(int fd) {
  struct termios t {};
  return tcgetattr(fd, &t) == 0 && (t.c_lflag & ICANON) == 0;
}

class PtyTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    struct winsize ws {};
    ws.ws_col = 40;
    ws.ws_row = 10;
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, &ws), 0);
    saved_in_ = dup(STDIN_FILENO);
    saved_out_ = dup(STDOUT_FILENO);
  }
  void TearDown() override {
    close(master_);
    close(slave_);
    close(saved_in_);
    close(saved_out_);
    RuntimeTest::TearDown();
  }

  // Runs code with the pseudo-terminal as standard input and output; once raw mode is on, the
  // keys are typed. Answers what the terminal showed.
  std::string type_into(const char* code, const std::string& keys) {
    std::fflush(stdout);
    dup2(slave_, STDIN_FILENO);
    dup2(slave_, STDOUT_FILENO);
    std::thread typist([&] {
      for (int waited = 0; !raw_on(slave_) && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      (void)!write(master_, keys.data(), keys.size());
    });
    run(code);
    typist.join();
    dup2(saved_in_, STDIN_FILENO);
    dup2(saved_out_, STDOUT_FILENO);
    std::string shown;
    char buf[512];
    struct pollfd p {master_, POLLIN, 0};
    while (poll(&p, 1, 0) > 0) {
      ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) break;
      shown.append(buf, static_cast<size_t>(n));
    }
    return shown;
  }

  int master_ = -1, slave_ = -1, saved_in_ = -1, saved_out_ = -1;
};

TEST_F(PtyTest, EditsLinesAndKeepsTheirHistory) {
  run("h: make block! 4  edit: func [q hide] [s: make string! 1  _set-buffer-history s h  _read-input q hide  s]");
  // left arrow, insert, Enter as a carriage return
  std::string shown = type_into("a: edit \"> \" false", "ab\x1b[Dc\r");
  EXPECT_NE(shown.find("> "), std::string::npos);
  EXPECT_FALSE(raw_on(slave_));
  // Up recalls it; entering the same line again does not add it twice
  type_into("b: edit \"> \" false", "\x1b[A\r");
  // masked input shows stars and stays out of the history
  shown = type_into("c: edit \"pw \" true", "xyz\r");
  EXPECT_NE(shown.find("***"), std::string::npos);
  EXPECT_EQ(shown.find("xyz"), std::string::npos);
  type_into("d: edit \"> \" false", "\x03");
  EXPECT_EQ(form(run("mold reduce [a b c d h]")), R"(["acb" "acb" "xyz" "q" ["acb"]])");
  // the history holds the very string the edit filled
  EXPECT_EQ(form(run("same? a first h")), "true");
}

TEST_F(PtyTest, TabCompletesThroughTheLanguage) {
  run("h: make block! 4  edit: func [q] [s: make string! 1  _set-buffer-history s h  _read-input q false  s]");
  run("zqx-alpha: 1  zqx-alpine: 2");
  // several candidates: the line comes back empty, the next edit starts completed
  std::string shown = type_into("a: edit \"> \"", "zqx-al\t");
  EXPECT_NE(shown.find("zqx-alpha zqx-alpine"), std::string::npos);
  EXPECT_EQ(form(run("a")), "");
  type_into("b: edit \"> \"", "ha\r");
  EXPECT_EQ(form(run("mold b")), "\"zqx-alpha\"");
}

// A completion function that asks for a line of its own: the inner edit ends first, then the
// outer one stores its line in its own string and history.
TEST_F(PtyTest, ACompletionThatAsksForALineKeepsTheOuterEdit) {
  run("h: make block! 4  edit: func [q /local s] [s: make string! 1  _set-buffer-history s h  _read-input q false  s]");
  run("vyn-complete-input: func [text all] [inner: edit \"in> \" []]");
  type_into("a: edit \"> \"", "ab\tzz\r\r");
  EXPECT_EQ(form(run("mold reduce [a inner h]")), R"(["ab^-" "zz" ["ab^-" "zz"]])");
  EXPECT_FALSE(raw_on(slave_));
}

// Raw mode leaves line feeds alone; what an actor prints while a view runs still starts its lines
// at the left edge.
TEST_F(PtyTest, PrintingUnderAViewEndsLinesWithCarriageReturns) {
  // A timer closes the view, so the test needs no key (a key typed before raw mode is on is lost).
  std::string shown = type_into("view [base rate 20 on-time [print \"first\" print \"second\" unview]]", "");
  EXPECT_NE(shown.find("first\r\n"), std::string::npos);
  EXPECT_NE(shown.find("second\r\n"), std::string::npos);
  EXPECT_FALSE(raw_on(slave_));
}

}  // namespace
}  // namespace vyn::test
