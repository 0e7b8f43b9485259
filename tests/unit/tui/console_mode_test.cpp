// tests/unit/tui/console_mode_test.cpp: the console size the text UI draws for when standard
// output is not a terminal, and the private-mode sequences written only on change.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "view/tui/screen/console_mode.hpp"

namespace vyn::tui {
namespace {

// What the calls write to standard output, read back from a temporary file.
template <class F>
std::string written(F&& f) {
  std::fflush(stdout);
  int saved = dup(STDOUT_FILENO);
  FILE* tmp = std::tmpfile();
  dup2(fileno(tmp), STDOUT_FILENO);
  f();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::string out;
  std::rewind(tmp);
  for (int c; (c = std::fgetc(tmp)) != EOF;) out += static_cast<char>(c);
  std::fclose(tmp);
  return out;
}

class TuiConsole : public ::testing::Test {
 protected:
  void SetUp() override { console() = ConsoleState{}; }
  void TearDown() override {
    unsetenv("COLUMNS");
    unsetenv("LINES");
    console() = ConsoleState{};
  }
};

TEST_F(TuiConsole, SizeWhenOutputIsNoTerminal) {
  struct Case {
    const char* columns;
    const char* lines;
    int result, width, height;
  };
  const Case cases[] = {
      {nullptr, nullptr, -1, 80, 24}, {"100", "30", 0, 100, 30}, {"0", "30", -1, 80, 24},
      {"wide", "30", -1, 80, 24},     {"120", nullptr, -1, 80, 24},
  };
  for (const Case& c : cases) {
    c.columns ? setenv("COLUMNS", c.columns, 1) : unsetenv("COLUMNS");
    c.lines ? setenv("LINES", c.lines, 1) : unsetenv("LINES");
    int result = 0;
    written([&] { result = query_screen_size(); });  // standard output is a file here
    EXPECT_EQ(result, c.result) << (c.columns ? c.columns : "-");
    EXPECT_EQ(console().width, c.width);
    EXPECT_EQ(console().height, c.height);
  }
}

TEST_F(TuiConsole, ModesWrittenOnlyOnChange) {
  EXPECT_EQ(written([] {
              set_mouse_reporting(true);
              set_mouse_reporting(true);
            }),
            "\x1b[?1000h\x1b[?1003h\x1b[?1015h\x1b[?1006h");
  EXPECT_EQ(written([] { set_mouse_reporting(false); }),
            "\x1b[?1000l\x1b[?1003l\x1b[?1015l\x1b[?1006l");
  EXPECT_EQ(written([] {
              set_cursor_visible(true);  // not hidden: nothing
              set_cursor_visible(false);
              set_cursor_visible(false);
            }),
            "\x1b[?25l");
  EXPECT_EQ(written([] {
              set_alternate_screen(true);
              set_alternate_screen(true);
              cursor_down(0);
              cursor_down(2);
            }),
            "\x1b[?1049h\x1b[2J\x1b[2B");
}

}  // namespace
}  // namespace vyn::tui
