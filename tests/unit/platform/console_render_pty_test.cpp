// Printed text with the console's escape sequences, shown on a pseudo-terminal: where the text
// lands and with which colours, as the console's rules say (positions from 0, column first; moves
// clamped; the erase runs; default-coloured fills), and the terminal's own private modes passed
// on. A terminal screen on the other side answers the cursor-position requests.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <string>
#include <thread>

#include "platform/console_render.hpp"
#include "tests/unit/terminal_screen.hpp"
#include "tests/unit/support/script.hpp"

namespace vyn::test {
namespace {

constexpr int columns = 40, rows = 10;

class ConsoleRenderPty : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    struct winsize ws {};
    ws.ws_col = columns;
    ws.ws_row = rows;
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, &ws), 0);
    saved_in_ = dup(STDIN_FILENO);
    saved_out_ = dup(STDOUT_FILENO);
    console_render::reset(0, 0, 0, 0);  // a terminal the model knows nothing of
  }
  void TearDown() override {
    close(master_);
    close(slave_);
    close(saved_in_);
    close(saved_out_);
    console_render::reset(0, 0, 0, 0);
    RuntimeTest::TearDown();
  }

  // Runs code with the pseudo-terminal as standard input and output; the screen shows what came.
  void show(const char* code) {
    std::fflush(stdout);
    dup2(slave_, STDIN_FILENO);
    dup2(slave_, STDOUT_FILENO);
    if (first_) raise(SIGWINCH);  // the size is read afresh: an earlier test may have changed it
    first_ = false;
    std::atomic<bool> done{false};
    std::thread terminal([&] {
      while (!done) pump(20);
    });
    run(code);
    std::fflush(stdout);
    done = true;
    terminal.join();
    dup2(saved_in_, STDIN_FILENO);
    dup2(saved_out_, STDOUT_FILENO);
    while (pump(0)) {
    }
  }

  std::string row(int r) {
    std::u32string s = screen_.row(r);
    return std::string(s.begin(), s.end());
  }

  TerminalScreen screen_{columns, rows};
  int master_ = -1, slave_ = -1, saved_in_ = -1, saved_out_ = -1;
  bool first_ = true;

 private:
  // Reads what the terminal was sent and answers each cursor-position request; false when nothing
  // came.
  bool pump(int wait_ms) {
    struct pollfd p {master_, POLLIN, 0};
    if (poll(&p, 1, wait_ms) <= 0) return false;
    char buf[1024];
    ssize_t n = read(master_, buf, sizeof buf);
    if (n <= 0) return false;
    int asked = screen_.requests();
    screen_.write(std::string(buf, static_cast<size_t>(n)));
    for (; asked < screen_.requests(); ++asked) {
      std::string answer = "\x1b[" + std::to_string(screen_.cursor_row() + 1) + ";" +
                           std::to_string(screen_.cursor_col() + 1) + "R";
      (void)!write(master_, answer.data(), answer.size());
    }
    return true;
  }
};

TEST_F(ConsoleRenderPty, PositionsCountFromZeroColumnFirst) {
  show(R"~(prin "^[[2J^[[3;5Hab^[[5Hc^[[60;50Hz")~");
  EXPECT_EQ(row(5), "   abc");                 // ESC [ 5 H does nothing
  EXPECT_EQ(screen_.at(columns - 1, rows - 1).ch, U'z');  // clamped to the last cell
  show(R"~(prin "^[[H^[[2J^[[6;1Habc^[[999Dd^[[2Be^[[3Cf^[[9Ag^[[0Ah^[[Ai")~");
  EXPECT_EQ(row(0), "      ghi");
  EXPECT_EQ(row(1), "d     abc");
  EXPECT_EQ(row(3), " e   f");
  show(R"~(prin rejoin [#"^(0109)" "^[[1;7H" #"^(0109)" "^[[5;7H" #"^(1F600)"])~");  // wider units
  EXPECT_EQ(screen_.at(1, 7).ch, U'\u0109');
  EXPECT_EQ(screen_.at(5, 7).ch, U'\U0001F600');
}

struct EraseCase {
  const char* sequence;
  const char* rows[4];  // rows 0-3 after "aaaa" "bbbb" "cccc" "dddd", the cursor at 2,1, then X
};

TEST_F(ConsoleRenderPty, EraseKindsClearTheirRuns) {
  const EraseCase cases[] = {
      {"^[[J", {"aaaa", "  X", "", ""}},            // from column 0 of the cursor row
      {"^[[1J", {"", "bbXb", "cccc", "dddd"}},      // the rows above only
      {"^[[2J", {"X", "", "", ""}},                 // all, cursor to 0,0
      {"^[[K", {"aaaa", "bbX", "cccc", "dddd"}},    // from the cursor on
      {"^[[1K", {"aaaa", "X bb", "cccc", "dddd"}},  // before the cursor, cursor to column 0
      {"^[[2K", {"aaaa", "X", "cccc", "dddd"}},
      {"^[[0K", {"aaaa", "bbXb", "cccc", "dddd"}},  // 0 erases nothing
      {"^[[0J", {"aaaa", "bbXb", "cccc", "dddd"}},
  };
  for (const EraseCase& c : cases) {
    std::string code = std::string(R"~(prin "^[[2J^[[0;0Haaaa^[[0;1Hbbbb^[[0;2Hcccc^[[0;3Hdddd^[[2;1H)~") +
                       c.sequence + R"~(X")~";
    show(code.c_str());
    for (int r = 0; r < 4; ++r) EXPECT_EQ(row(r), c.rows[r]) << c.sequence << " row " << r;
  }
}

// The cursor is asked of the terminal when the model does not know it: after text printed from
// wherever the terminal's cursor was, saving it needs the answer.
TEST_F(ConsoleRenderPty, SavedPositionsComeBack) {
  screen_.write("\x1b[3;4Hxyz");
  show(R"~(prin "ab^[[s^[[0;0Hq^[[uc^[[1Kd")~");
  EXPECT_GE(screen_.requests(), 1);
  EXPECT_EQ(row(0), "q");
  EXPECT_EQ(row(2), "d");  // "   xyzabc" erased up to the cursor
  show(R"~(prin "^[[7;7Hk^[[K^[[s^[[2J^[[u^[[1Jm")~");
  EXPECT_EQ(row(0), "");
  EXPECT_EQ(screen_.at(8, 7).ch, U'm');
  // Text followed through the wrap at the last column, a tab and a backspace
  show(R"~(prin "^[[38;0Habc^[[s^[[2J^[[uX^-Y^HZ^[[2D^[[1KW")~");
  EXPECT_EQ(row(1), "W       Z");
}

// After a resize the model takes the new size and asks the terminal where its cursor is.
TEST_F(ConsoleRenderPty, AResizeAsksAgain) {
  show(R"~(prin "^[[2J^[[0;0Hab^[[s")~");
  int asked = screen_.requests();
  struct winsize ws {};
  ws.ws_col = 30;
  ws.ws_row = 6;
  ASSERT_EQ(ioctl(master_, TIOCSWINSZ, &ws), 0);
  raise(SIGWINCH);
  show(R"~(prin "^[[s^[[?")~");
  EXPECT_GT(screen_.requests(), asked);
  EXPECT_EQ(row(1), "   size______ 30x6");
  EXPECT_EQ(row(2), "   cursor____ 2x0");
}

TEST_F(ConsoleRenderPty, ColoursMapOntoTheTerminalsSixteen) {
  show(R"~(prin "^[[2J^[[0;0H^[[1;33;44ma^[[1mb^[[0mc^[[1md^[[31me^[[39mf^[[44;49mg^[[0;7mh^[[0m")~");
  const TermCell& a = screen_.at(0, 0);
  EXPECT_EQ(a.fg, 11);  // yellow with intensity: bright yellow
  EXPECT_EQ(a.bg, 4);
  EXPECT_EQ(screen_.at(1, 0).fg, 11);
  EXPECT_EQ(screen_.at(2, 0).fg, -1);
  const TermCell& d = screen_.at(3, 0);  // intensity alone: the default colours, bold
  EXPECT_TRUE(d.bold);
  EXPECT_EQ(d.fg, -1);
  EXPECT_EQ(d.bg, -1);
  EXPECT_EQ(screen_.at(4, 0).fg, 9);  // red, still intense
  EXPECT_EQ(screen_.at(5, 0).fg, -1);
  EXPECT_TRUE(screen_.at(5, 0).bold);
  EXPECT_EQ(screen_.at(6, 0).bg, -1);
  EXPECT_TRUE(screen_.at(7, 0).reverse);
}

TEST_F(ConsoleRenderPty, ErasesFillWithTheDefaultColours) {
  show(R"~(prin "^[[2J^[[0;0Habc^[[42m^[[2Kx^[[0m")~");
  EXPECT_EQ(row(0), "x");
  EXPECT_EQ(screen_.at(0, 0).bg, 2);
  EXPECT_EQ(screen_.at(5, 0).bg, -1);
}

TEST_F(ConsoleRenderPty, PrivateModesGoToTheTerminalAndABareQuestionMarkDumps) {
  show(R"~(prin "^[[2J^[[0;0H^[[?25l^[[?25hok")~");
  EXPECT_EQ(screen_.private_modes_, "lh");
  EXPECT_EQ(row(0), "ok");
  show(R"~(prin "^[[2J^[[4;0H^[[31m^[[?x")~");
  EXPECT_EQ(row(0), "    Screen buffer info:");
  EXPECT_EQ(row(1), "   size______ 40x10");
  EXPECT_EQ(row(2), "   cursor____ 4x0");
  EXPECT_EQ(row(3), "   attribute_ 00000004 00000007");
  EXPECT_EQ(row(4), "   left______ 0 top: 0");
  EXPECT_EQ(row(5), "   right_____ 39 bottom: 9");
  EXPECT_EQ(row(6), "   max_______ 40x10");
  EXPECT_EQ(row(7), "x");
}

}  // namespace
}  // namespace vyn::test
