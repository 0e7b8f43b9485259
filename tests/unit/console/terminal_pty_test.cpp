// The terminal layer under the routines the language calls, driven through a pseudo-terminal:
// raw mode on for each edit and off after it, keys decoded from the bytes typed, the entered line
// stored in the caller's string and added to the caller's history.
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
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

// Alt with a key comes as Esc and the key together: one key the editor ignores, so neither the
// Esc ends the line nor the letter reaches it.
TEST_F(PtyTest, AltWithALetterIsIgnored) {
  run("h: make block! 4  edit: func [q] [s: make string! 1  _set-buffer-history s h  _read-input q false  s]");
  type_into("a: edit \"> \"", "ab\x1bxc\x1b\xc3\xa9\r");
  EXPECT_EQ(form(run("mold a")), "\"abc\"");
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

// A completion that fails, throws or breaks offers nothing: Tab inserts itself, and the edit and
// the code around it go on.
TEST_F(PtyTest, ACompletionThatFailsOrEscapesOffersNothing) {
  run("h: make block! 4  edit: func [q /local s] [s: make string! 1  _set-buffer-history s h  _read-input q false  s]");
  for (const char* body : {"1 / 0", "throw 'away", "break", "return 1"}) {
    run((std::string("vyn-complete-input: func [text all] [") + body + "]").c_str());
    type_into("a: catch [loop 1 [reduce [edit \"> \" \"after\"]]]", "x\ty\r");
    EXPECT_EQ(form(run("mold a")), R"(["x^-y" "after"])") << body;
  }
  EXPECT_FALSE(raw_on(slave_));
}

// Lines pasted at once are all entered, one edit each: what the first edit has not read yet stays
// for the next one.
TEST_F(PtyTest, LinesTypedAheadReachTheNextEdits) {
  run("h: make block! 4  edit: func [q] [s: make string! 1  _set-buffer-history s h  _read-input q false  s]");
  std::string second(80, 'b');
  type_into("a: edit \"> \"", "aaaaaaaaaa\r" + second + "\r");
  type_into("b: edit \"> \"", "\x03");  // without the second line still queued, this would end it
  tcflush(slave_, TCIFLUSH);
  EXPECT_EQ(form(run("a")), "aaaaaaaaaa");
  EXPECT_EQ(form(run("b")), second);
}

// After text that did not end its line the terminal is asked where its cursor is, and the prompt
// starts there (column 6 here); the answer is not taken as keys.
TEST_F(PtyTest, APromptAfterPrintedTextStartsWhereTheTerminalSaysTheCursorIs) {
  run("h: make block! 4  edit: func [q] [s: make string! 1  _set-buffer-history s h  _read-input q false  s]");
  run("prin {}");
  std::string shown = type_into("a: edit \"> \"", "a\x1b[3;6Rb\x1b[D\r");
  EXPECT_NE(shown.find("\x1b[6n"), std::string::npos);
  EXPECT_NE(shown.find("\r\x1b[8C"), std::string::npos);  // Left: column 5, the prompt, "a"
  EXPECT_EQ(form(run("a")), "ab");
}

// The console is laid out for the terminal's size (40x10 here): at its start and at each edit.
TEST_F(PtyTest, TheConsoleTakesItsSizeFromTheTerminal) {
  run("system/console/size: 0x0");
  std::fflush(stdout);
  dup2(slave_, STDIN_FILENO);
  dup2(slave_, STDOUT_FILENO);
  run("system/console/init {Vyn Console}  at-start: system/console/size  system/console/size: 0x0");
  dup2(saved_in_, STDIN_FILENO);
  dup2(saved_out_, STDOUT_FILENO);
  type_into("a: ask \"> \"", "x\r");
  EXPECT_EQ(form(run("mold reduce [at-start system/console/size a]")), R"([40x10 40x10 "x"])");
}

// A resize while keys are read is the console's size at once: the command entered next sees it.
TEST_F(PtyTest, AResizeAtThePromptChangesTheConsoleSize) {
  std::fflush(stdout);
  dup2(slave_, STDIN_FILENO);
  dup2(slave_, STDOUT_FILENO);
  pthread_t runtime = pthread_self();
  std::thread typist([&] {
    for (int waited = 0; !raw_on(slave_) && waited < 5000; ++waited)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    struct winsize ws {};
    ws.ws_col = 60;
    ws.ws_row = 20;
    ioctl(master_, TIOCSWINSZ, &ws);
    pthread_kill(runtime, SIGWINCH);  // the pty is not the test's terminal: no signal comes by itself
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    (void)!write(master_, "x\r", 2);
  });
  run("before: system/console/size: 40x10  a: ask {> }");
  typist.join();
  dup2(saved_in_, STDIN_FILENO);
  dup2(saved_out_, STDOUT_FILENO);
  EXPECT_EQ(form(run("mold reduce [before system/console/size a]")), R"([40x10 60x20 "x"])");
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

// The terminal's answer to the cursor-position request written after printing may come late:
// raw mode is left only once it came, so the terminal never echoes it as text.
TEST_F(PtyTest, ALateCursorAnswerNeverShowsAsText) {
  std::fflush(stdout);
  dup2(slave_, STDIN_FILENO);
  dup2(slave_, STDOUT_FILENO);
  std::atomic<bool> done{false};
  std::string shown;
  std::thread terminal([&] {  // answers each request 150 ms late, as a busy terminal may
    char buf[512];
    while (!done) {
      struct pollfd p {master_, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) break;
      std::string got(buf, static_cast<size_t>(n));
      shown += got;
      for (size_t at = got.find("\x1b[6n"); at != std::string::npos; at = got.find("\x1b[6n", at + 1)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        (void)!write(master_, "\x1b[6;1R", 6);
      }
    }
  });
  run("view [base rate 50 on-time [print {printed} unview]]");
  std::this_thread::sleep_for(std::chrono::milliseconds(400));  // any echo arrives meanwhile
  done = true;
  terminal.join();
  dup2(saved_in_, STDIN_FILENO);
  dup2(saved_out_, STDOUT_FILENO);
  EXPECT_NE(shown.find("printed"), std::string::npos);
  EXPECT_EQ(shown.find("6;1R"), std::string::npos) << shown;
  EXPECT_FALSE(raw_on(slave_));
}

}  // namespace
}  // namespace vyn::test
