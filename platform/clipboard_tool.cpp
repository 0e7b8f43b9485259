// platform/clipboard_tool.cpp: one clipboard program started with posix_spawnp, fed and drained
// through one poll loop that ends at a deadline, so a clipboard owner that never answers cannot
// hold the interpreter.
#include "platform/clipboard_tool.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace vyn::clipboard {
namespace {

int64_t now_ms() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t{t.tv_sec} * 1000 + t.tv_nsec / 1000000;
}

void close_fd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// The pipes of one run: the child's ends (dup'ed onto 0, 1, 2) and ours.
struct Pipes {
  int child[3] = {-1, -1, -1};
  int ours[3] = {-1, -1, -1};
  ~Pipes() {
    close_children();
    for (int& fd : ours) close_fd(fd);
  }
  void close_children() {
    for (int& fd : child) close_fd(fd);
  }
  bool open(bool capture) {
    for (int k = 0; k < 3; ++k) {
      if (k > 0 && !capture) {
        child[k] = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (child[k] < 0) return false;
        continue;
      }
      int p[2];
      if (pipe2(p, O_CLOEXEC) != 0) return false;
      child[k] = k == 0 ? p[0] : p[1];
      ours[k] = k == 0 ? p[1] : p[0];
      fcntl(ours[k], F_SETFL, O_NONBLOCK);
    }
    return true;
  }
};

// Spawns with the pipes on 0, 1, 2, no other descriptor of ours, default signal handling and, for
// a program that may leave a server behind, a session of its own.
bool spawn(const std::vector<std::string>& argv, const Pipes& p, bool own_session, pid_t* pid) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int k = 0; k < 3; ++k) posix_spawn_file_actions_adddup2(&actions, p.child[k], k);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, pipe_signal;
  sigemptyset(&none);
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &pipe_signal);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (own_session) flags |= POSIX_SPAWN_SETSID;
  posix_spawnattr_setflags(&attr, flags);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int err = posix_spawnp(pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return err == 0;
}

// Feeds and drains until every pipe is done or the deadline passes; false at the deadline.
bool pump(Pipes& p, const std::string& input, ToolRun& run, int64_t deadline) {
  size_t fed = 0;
  if (input.empty()) close_fd(p.ours[0]);
  std::string* sinks[3] = {nullptr, &run.out, &run.err};
  while (p.ours[0] >= 0 || p.ours[1] >= 0 || p.ours[2] >= 0) {
    int64_t left = deadline - now_ms();
    if (left <= 0) return false;
    pollfd fds[3];
    for (int k = 0; k < 3; ++k) fds[k] = {p.ours[k], short(k == 0 ? POLLOUT : POLLIN), 0};
    int n = poll(fds, 3, static_cast<int>(left));
    if (n < 0 && errno != EINTR) return false;
    if (n <= 0) continue;
    if (p.ours[0] >= 0 && fds[0].revents) {
      ssize_t w = write(p.ours[0], input.data() + fed, input.size() - fed);
      if (w > 0) fed += static_cast<size_t>(w);
      if ((w < 0 && errno != EAGAIN && errno != EINTR) || fed == input.size()) close_fd(p.ours[0]);
    }
    for (int k = 1; k < 3; ++k) {
      if (p.ours[k] < 0 || !fds[k].revents) continue;
      char buffer[65536];
      ssize_t r = read(p.ours[k], buffer, sizeof buffer);
      if (r > 0) sinks[k]->append(buffer, static_cast<size_t>(r));
      else if (r == 0 || (errno != EAGAIN && errno != EINTR)) close_fd(p.ours[k]);
    }
  }
  return true;
}

// Waits for the child until the deadline, then kills it; its exit status or -1.
int reap(pid_t pid, int64_t deadline) {
  int status = 0;
  for (;;) {
    pid_t got = waitpid(pid, &status, WNOHANG);
    if (got == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (got < 0 && errno != EINTR) return -1;
    if (now_ms() >= deadline) break;
    usleep(2000);
  }
  kill(pid, SIGKILL);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return -1;
}

// Writing to a program that quit early must not end this process: SIGPIPE is ignored meanwhile
// (the program itself gets the default back).
class PipeSignalIgnored {
 public:
  PipeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &old_);
  }
  ~PipeSignalIgnored() { sigaction(SIGPIPE, &old_, nullptr); }
  PipeSignalIgnored(const PipeSignalIgnored&) = delete;
  PipeSignalIgnored& operator=(const PipeSignalIgnored&) = delete;

 private:
  struct sigaction old_ {};
};

}  // namespace

ToolRun run_tool(const std::vector<std::string>& argv, const std::string& input, bool capture,
                 int limit_ms) {
  ToolRun run;
  int64_t deadline = now_ms() + limit_ms;
  PipeSignalIgnored ignored;
  Pipes p;
  pid_t pid = 0;
  if (argv.empty() || !p.open(capture) || !spawn(argv, p, !capture, &pid)) return run;
  p.close_children();
  bool done = pump(p, input, run, deadline);
  int status = reap(pid, done ? deadline : 0);
  run.status = done ? status : -1;
  return run;
}

}  // namespace vyn::clipboard
