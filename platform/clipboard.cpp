// platform/clipboard.cpp: the clipboard over the desktop's own programs: wl-copy and wl-paste
// under Wayland, xclip (or xsel, text only) under X11, and the terminal's OSC 52 sequence for
// writing text when neither is there. The programs that write leave a server behind that owns
// the clipboard, so what was written stays after this process ends.
#include "platform/clipboard.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/clipboard_formats.hpp"
#include "platform/clipboard_tool.hpp"
#include "platform/console_out.hpp"
#include "platform/process.hpp"

namespace vyn::clipboard {
namespace {

using Argv = std::vector<std::string>;

// A clipboard owner that has not answered by then is taken as gone.
constexpr int limit_ms = 3000;

enum class Service { none, wayland, xclip, xsel };

bool env_set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

bool found(const char* program) { return !os::find_program(program).empty(); }

Service service() {
  if (env_set("WAYLAND_DISPLAY") && found("wl-copy") && found("wl-paste")) return Service::wayland;
  if (!env_set("DISPLAY")) return Service::none;
  if (found("xclip")) return Service::xclip;
  return found("xsel") ? Service::xsel : Service::none;
}

Argv read_argv(Service s, const std::string& type) {
  if (s == Service::wayland) return {"wl-paste", "--no-newline", "--type", type};
  if (s == Service::xclip) return {"xclip", "-selection", "clipboard", "-o", "-t", type};
  return {"xsel", "--clipboard", "--output"};
}

Argv write_argv(Service s, const std::string& type) {
  if (s == Service::wayland) return {"wl-copy", "--type", type};
  if (s == Service::xclip) return {"xclip", "-selection", "clipboard", "-i", "-t", type};
  return {"xsel", "--clipboard", "--input"};
}

// What the programs say when nobody owns the clipboard or a type is not offered.
bool says_nothing_there(const std::string& err) {
  return err.find("not available") != std::string::npos ||
         err.find("No selection") != std::string::npos ||
         err.find("Nothing is copied") != std::string::npos ||
         err.find("No suitable type") != std::string::npos;
}

// The types on offer: an empty list when nobody owns the clipboard, nothing when it cannot be
// reached. xsel lists no types: what it reads is text. An X11 owner that lists no types is asked
// for text.
std::optional<std::vector<std::string>> offered(Service s) {
  if (s == Service::xsel) return std::vector<std::string>{"UTF8_STRING"};
  Argv argv = s == Service::wayland ? Argv{"wl-paste", "--list-types"}
                                    : read_argv(s, "TARGETS");
  ToolRun run = run_tool(argv, "", true, limit_ms);
  if (run.status == 0) return listed_types(run.out);
  if (run.status < 0 || !says_nothing_there(run.err)) return std::nullopt;
  return s == Service::xclip ? std::vector<std::string>{"UTF8_STRING"} : std::vector<std::string>{};
}

// The content of one format: files that are not all local, empty text from xsel (which reads an
// unowned clipboard as empty) and a type its owner then refuses are skipped.
enum class Take { taken, skipped, failed };

Take take(Service s, const std::string& type, Kind kind, Content& c) {
  ToolRun run = run_tool(read_argv(s, type), "", true, limit_ms);
  if (run.status < 0) return Take::failed;
  if (run.status != 0) return says_nothing_there(run.err) ? Take::skipped : Take::failed;
  switch (kind) {
    case Kind::files: {
      auto paths = file_paths(run.out);
      if (!paths) return Take::skipped;
      c.paths = std::move(*paths);
      c.found = Content::Found::files;
      return Take::taken;
    }
    case Kind::text:
    case Kind::latin1_text:
      if (s == Service::xsel && run.out.empty()) return Take::skipped;
      c.data = kind == Kind::text ? std::move(run.out) : latin1_to_utf8(run.out);
      c.found = Content::Found::text;
      return Take::taken;
    case Kind::image:
      if (run.out.empty()) return Take::skipped;
      c.data = std::move(run.out);
      c.found = Content::Found::image;
      return Take::taken;
  }
  return Take::skipped;
}

// The writing programs fork their server and may end before it has taken the clipboard (xsel
// always does): until the clipboard gives back what was written, a second at most, a read right
// after the write could still see the old content.
void settle(Service s, const std::string& type, const std::string& data) {
  for (int tries = 0; tries < 50; ++tries) {
    ToolRun run = run_tool(read_argv(s, type), "", true, limit_ms);
    if (run.status < 0 || (run.status == 0 && run.out == data)) return;
    usleep(20000);
  }
}

bool put(Service s, const std::string& type, const std::string& data) {
  if (run_tool(write_argv(s, type), data, false, limit_ms).status != 0) return false;
  settle(s, type, data);
  return true;
}

// The terminal this process writes to: standard output when it is one, else the controlling
// terminal; -1 when there is none.
int open_terminal(bool* opened) {
  *opened = false;
  const char* term = std::getenv("TERM");
  if (term && std::strcmp(term, "dumb") == 0) return -1;
  if (isatty(STDOUT_FILENO)) return STDOUT_FILENO;
  int fd = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  *opened = fd >= 0;
  return fd;
}

// Sets (or, without text, empties) the terminal's clipboard. Inside tmux the sequence goes both
// to tmux itself and through its pass-through to the terminal outside.
bool to_terminal(const std::optional<std::string>& text) {
  bool opened = false;
  int fd = open_terminal(&opened);
  if (fd < 0) return false;
  std::string bytes = osc52(text, Wrap::none);
  if (env_set("TMUX")) bytes += osc52(text, Wrap::tmux);
  else if (env_set("STY")) bytes = osc52(text, Wrap::screen);
  os::flush();
  std::fflush(stdout);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  if (opened) close(fd);
  return done == bytes.size();
}

}  // namespace

Content read() {
  Content c;
  Service s = service();
  if (s == Service::none) return c;
  auto types = offered(s);
  if (!types) return c;
  for (const Format& f : preferred_formats()) {
    const std::string* type = offered_as(*types, f.type);
    if (!type) continue;
    Take t = take(s, *type, f.kind, c);
    if (t == Take::failed) return Content{};
    if (t == Take::taken) return c;
  }
  c.found = Content::Found::empty;
  return c;
}

bool write_text(const std::string& utf8) {
  Service s = service();
  const char* type = s == Service::wayland ? "text/plain;charset=utf-8" : "UTF8_STRING";
  if (s != Service::none && put(s, type, utf8)) return true;
  return to_terminal(utf8);
}

bool write_files(const std::vector<std::string>& paths) {
  Service s = service();
  if (s == Service::none || s == Service::xsel) return false;
  return put(s, "text/uri-list", uri_list(paths));
}

bool write_image(const std::string& png) {
  Service s = service();
  if (s == Service::none || s == Service::xsel) return false;
  return put(s, "image/png", png);
}

bool clear() {
  Service s = service();
  bool done = s == Service::wayland
                  ? run_tool({"wl-copy", "--clear"}, "", false, limit_ms).status == 0
                  : s != Service::none && x11_release();
  return done || to_terminal(std::nullopt);
}

}  // namespace vyn::clipboard
