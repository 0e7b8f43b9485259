// The clipboard layer below what the language reaches: file lists as text/uri-list, the OSC 52
// sequence, the time limit on the clipboard programs, and text sent to a terminal (a
// pseudo-terminal here) when no display is there.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard_formats.hpp"
#include "platform/clipboard_tool.hpp"
#include "tests/unit/support/script.hpp"

namespace vyn::test {
namespace {

using clipboard::file_paths;
using clipboard::osc52;
using clipboard::uri_list;
using clipboard::Wrap;
using Paths = std::vector<std::string>;

TEST(ClipboardFormats, FileListsGoThroughUriLists) {
  Paths paths = {"/tmp/a b.txt", "/h\xC3\xA9/100%#?.png", "/x/\r\n"};
  std::string list = uri_list(paths);
  EXPECT_EQ(list,
            "file:///tmp/a%20b.txt\r\nfile:///h%C3%A9/100%25%23%3F.png\r\nfile:///x/%0D%0A\r\n");
  EXPECT_EQ(file_paths(list), paths);
}

TEST(ClipboardFormats, ReadsOnlyListsOfLocalFiles) {
  struct Case {
    const char* list;
    std::optional<Paths> paths;
  };
  const Case cases[] = {
      {"file:///a\nfile://localhost/b%2fc\n", Paths{"/a", "/b/c"}},
      {"# comment\r\n\r\nfile:/bare\r\n", Paths{"/bare"}},
      {"copy\nfile:///one\nfile:///two", Paths{"/one", "/two"}},  // a file manager's copied files
      {"FILE:///upper", Paths{"/upper"}},
      {"file:///%zz%4", Paths{"/%zz%4"}},  // a broken escape stays as it is
      {"", std::nullopt},
      {"copy\n", std::nullopt},
      {"http://example.com/\n", std::nullopt},
      {"file:///a\nhttp://example.com/\n", std::nullopt},
      {"file://otherhost/a\n", std::nullopt},
      {"file:relative\n", std::nullopt},
      {"file:///a%00b\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(file_paths(c.list), c.paths) << c.list;
}

TEST(ClipboardFormats, ListsTypesAndPrefersFilesThenTextThenImages) {
  auto types = clipboard::listed_types("TARGETS\r\nimage/png\n\n  UTF8_STRING \ntext/uri-list");
  EXPECT_EQ(types, (Paths{"TARGETS", "image/png", "UTF8_STRING", "text/uri-list"}));
  std::vector<std::string> upper = {"text/plain;charset=UTF-8"};
  EXPECT_EQ(clipboard::offered_as(upper, "text/plain;charset=utf-8"), &upper[0]);
  EXPECT_EQ(clipboard::offered_as(types, "image/gif"), nullptr);
  std::vector<std::string> order;
  for (const auto& f : clipboard::preferred_formats())
    if (clipboard::offered_as(types, f.type)) order.push_back(f.type);
  EXPECT_EQ(order, (Paths{"text/uri-list", "UTF8_STRING", "image/png"}));
  EXPECT_EQ(clipboard::latin1_to_utf8("\xE9t\xE9\xFF"), "\xC3\xA9t\xC3\xA9\xC3\xBF");
}

TEST(ClipboardFormats, Osc52SetsAndEmptiesTheTerminalsClipboard) {
  struct Case {
    std::optional<std::string> text;
    Wrap wrap;
    std::string bytes;
  };
  const Case cases[] = {
      {"h\xC3\xA9llo", Wrap::none, "\x1b]52;c;aMOpbGxv\x07"},
      {"ab", Wrap::none, "\x1b]52;c;YWI=\x07"},
      {"abc", Wrap::none, "\x1b]52;c;YWJj\x07"},
      {"", Wrap::none, "\x1b]52;c;\x07"},
      {std::nullopt, Wrap::none, "\x1b]52;c;!\x07"},
      {"a", Wrap::tmux, "\x1bPtmux;\x1b\x1b]52;c;YQ==\x07\x1b\\"},
      {"a", Wrap::screen, "\x1bP\x1b]52;c;YQ==\x07\x1b\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(osc52(c.text, c.wrap), c.bytes);
}

TEST(ClipboardTool, FeedsCapturesAndPassesArgumentsAsTheyAre) {
  auto run = clipboard::run_tool({"cat"}, std::string(200000, 'x'), true, 5000);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.size(), 200000u);
  run = clipboard::run_tool({"printf", "%s|", "a b;$(echo no)", "'\""}, "", true, 5000);
  EXPECT_EQ(run.out, "a b;$(echo no)|'\"|");
  EXPECT_EQ(clipboard::run_tool({"sh", "-c", "echo e >&2; exit 3"}, "", true, 5000).err, "e\n");
  EXPECT_EQ(clipboard::run_tool({"false"}, "", false, 5000).status, 1);
  EXPECT_EQ(clipboard::run_tool({"no-such-program-here"}, "", true, 5000).status, -1);
  // a program that stops reading its input early ends the feed, not this process
  EXPECT_EQ(clipboard::run_tool({"true"}, std::string(1 << 20, 'x'), false, 5000).status, 0);
}

TEST(ClipboardTool, AProgramThatDoesNotAnswerIsStoppedInTime) {
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(clipboard::run_tool({"sleep", "10"}, "", true, 200).status, -1);
  // and one that leaves its output open behind it as well
  EXPECT_EQ(clipboard::run_tool({"sh", "-c", "sleep 10 & exec sleep 10"}, "", true, 200).status, -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

// The environment a test changes, put back after it.
class SavedEnv {
 public:
  explicit SavedEnv(std::vector<const char*> names) : names_(std::move(names)) {
    for (const char* n : names_) {
      const char* v = std::getenv(n);
      values_.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    }
  }
  ~SavedEnv() {
    for (size_t i = 0; i < names_.size(); ++i) {
      if (values_[i]) setenv(names_[i], values_[i]->c_str(), 1);
      else unsetenv(names_[i]);
    }
  }

 private:
  std::vector<const char*> names_;
  std::vector<std::optional<std::string>> values_;
};

class TerminalClipboardTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    saved_out_ = dup(STDOUT_FILENO);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("TMUX");
    unsetenv("STY");
    setenv("TERM", "xterm-256color", 1);
  }
  void TearDown() override {
    close(master_);
    close(slave_);
    close(saved_out_);
    RuntimeTest::TearDown();
  }

  // Runs code with the pseudo-terminal as standard output; answers its value, formed, and what
  // reached the terminal.
  std::pair<std::string, std::string> on_terminal(const char* code) {
    std::fflush(stdout);
    dup2(slave_, STDOUT_FILENO);
    std::string value = form(run(code));
    std::fflush(stdout);
    dup2(saved_out_, STDOUT_FILENO);
    std::string shown;
    char buf[512];
    pollfd p{master_, POLLIN, 0};
    while (poll(&p, 1, 50) > 0) {
      ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) break;
      shown.append(buf, static_cast<size_t>(n));
    }
    return {value, shown};
  }

  SavedEnv env_{{"DISPLAY", "WAYLAND_DISPLAY", "TMUX", "STY", "TERM"}};
  int master_ = -1, slave_ = -1, saved_out_ = -1;
};

TEST_F(TerminalClipboardTest, TextGoesToTheTerminalWhenNoDisplayIsThere) {
  auto [value, shown] = on_terminal("write-clipboard \"h\xC3\xA9llo\"");
  EXPECT_EQ(value, "true");
  EXPECT_EQ(shown, "\x1b]52;c;aMOpbGxv\x07");
  std::tie(value, shown) = on_terminal("write-clipboard none");
  EXPECT_EQ(value, "true");
  EXPECT_EQ(shown, "\x1b]52;c;!\x07");
  // a terminal's clipboard cannot be read, nor hold files or images
  std::tie(value, shown) = on_terminal("reduce [read-clipboard write-clipboard [%/a] write-clipboard make image! 1x1]");
  EXPECT_EQ(value, "false false false");
  EXPECT_EQ(shown, "");
}

TEST_F(TerminalClipboardTest, InsideTmuxItGoesToTmuxAndThroughIt) {
  setenv("TMUX", "/tmp/tmux-0/default,1,0", 1);
  auto [value, shown] = on_terminal("write-clipboard \"a\"");
  EXPECT_EQ(value, "true");
  EXPECT_EQ(shown, "\x1b]52;c;YQ==\x07\x1bPtmux;\x1b\x1b]52;c;YQ==\x07\x1b\\");
}

TEST_F(TerminalClipboardTest, ADumbTerminalTakesNothing) {
  setenv("TERM", "dumb", 1);
  auto [value, shown] = on_terminal("write-clipboard \"a\"");
  EXPECT_EQ(value, "false");
  EXPECT_EQ(shown, "");
}

}  // namespace
}  // namespace vyn::test
