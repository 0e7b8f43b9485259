// platform/process.cpp: starting other programs with posix_spawn, waiting for them, and letting
// go of the ones nobody waits for without leaving zombies.
#include "platform/process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/process_io.hpp"
#include "platform/process_text.hpp"

extern char** environ;

namespace vyn::os {
namespace {

using Argv = std::vector<std::string>;

// The child's three standard streams (-1: this process's own) and this side's pipe ends.
struct Streams {
  int child[3] = {-1, -1, -1};
  int parent[3] = {-1, -1, -1};
  Streams() = default;
  Streams(const Streams&) = delete;
  Streams& operator=(const Streams&) = delete;
  ~Streams() {
    close_children();
    for (int& fd : parent)
      if (fd >= 0) close(fd);
  }
  void close_children() {
    for (int& fd : child) {
      if (fd >= 0) close(fd);
      fd = -1;
    }
  }
};

// Opens what the child's stream k reads or writes; false when a file or pipe cannot be had.
bool open_stream(const Redirect& r, int k, bool console, Streams& s) {
  if (r.kind == Redirect::Kind::file) {
    int flags = k == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_APPEND;
    s.child[k] = open(r.path.c_str(), flags | O_CLOEXEC, 0666);
    return s.child[k] >= 0;
  }
  if (r.kind == Redirect::Kind::data) {
    int p[2];
    if (pipe2(p, O_CLOEXEC) != 0) return false;
    s.child[k] = k == 0 ? p[0] : p[1];
    s.parent[k] = k == 0 ? p[1] : p[0];
    return true;
  }
  if (k == 0 || console) return true;
  s.child[k] = open("/dev/null", O_WRONLY | O_CLOEXEC);
  return s.child[k] >= 0;
}

std::vector<char*> pointers(const Argv& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

// posix_spawnp with the streams; answers 0 or the error (ENOENT when no such program).
int spawn(const Argv& argv, const Streams& s, pid_t* pid) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int k = 0; k < 3; ++k)
    if (s.child[k] >= 0) posix_spawn_file_actions_adddup2(&actions, s.child[k], k);
  std::vector<char*> args = pointers(argv);
  int err = posix_spawnp(pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return err;
}

// The direct form, and the shell form it falls back to when it names no program.
struct Forms {
  Argv direct, shell;
};

Forms forms_of(const ProcessRequest& r) {
  Forms f;
  f.shell = {"/bin/sh", "-c", r.command};
  if (!r.shell) f.direct = command_words(r.command);
  return f;
}

int start(const Forms& f, const Streams& s, pid_t* pid) {
  if (f.direct.empty()) return spawn(f.shell, s, pid);
  int err = spawn(f.direct, s, pid);
  return err == ENOENT ? spawn(f.shell, s, pid) : err;
}

pid_t wait_child(pid_t pid, int* status) {
  pid_t got;
  do got = waitpid(pid, status, 0);
  while (got < 0 && errno == EINTR);
  return got;
}

int32_t exit_code(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// A short-lived intermediate child starts the program and ends at once; the program, orphaned,
// is reaped by the system, so nothing here ever waits for it.
int32_t start_detached(const Forms& f, const Streams& s) {
  int p[2];
  if (pipe2(p, O_CLOEXEC) != 0) return -1;
  pid_t middle = fork();
  if (middle == 0) {
    pid_t pid = 0;
    int32_t answer = start(f, s, &pid) == 0 ? static_cast<int32_t>(pid) : -1;
    ssize_t ignored = write(p[1], &answer, sizeof answer);
    (void)ignored;
    _exit(0);
  }
  close(p[1]);
  int32_t answer = -1;
  if (middle > 0) {
    ssize_t n;
    do n = read(p[0], &answer, sizeof answer);
    while (n < 0 && errno == EINTR);
    if (n != sizeof answer) answer = -1;
    int status;
    wait_child(middle, &status);
  }
  close(p[0]);
  return answer;
}

bool executable_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

int32_t run_process(ProcessRequest& r) {
  Redirect* targets[3] = {&r.input, &r.output, &r.error};
  bool redirected = false;
  for (Redirect* t : targets) redirected |= t->kind != Redirect::Kind::none;
  Streams s;
  for (int k = 0; k < 3; ++k)
    if (!open_stream(*targets[k], k, r.console, s)) return -1;
  Forms f = forms_of(r);
  if (!r.wait && !r.console && !redirected) return start_detached(f, s);
  pid_t pid = 0;
  if (start(f, s, &pid) != 0) return -1;
  s.close_children();
  pump_pipes(s.parent[0], r.input.data, s.parent[1], r.output.data, s.parent[2], r.error.data);
  for (int& fd : s.parent) fd = -1;  // closed by the pump
  int status = 0;
  return wait_child(pid, &status) == pid ? exit_code(status) : -1;
}

std::string find_program(const std::string& name) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return executable_file(name) ? name : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t from = 0;
  while (from <= dirs.size()) {
    size_t end = dirs.find(':', from);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = end > from ? dirs.substr(from, end - from) : ".";
    std::string candidate = dir + "/" + name;
    if (executable_file(candidate)) return candidate;
    from = end + 1;
  }
  return "";
}

int32_t launch_detached(const std::vector<std::string>& argv) {
  if (argv.empty()) return -1;
  Streams s;
  for (int k = 1; k < 3; ++k)
    if (!open_stream(Redirect{}, k, false, s)) return -1;
  Forms f;
  f.direct = argv;
  f.shell = argv;  // no shell fallback: the same program again answers the same error
  return start_detached(f, s);
}

}  // namespace vyn::os
