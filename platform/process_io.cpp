// platform/process_io.cpp: one poll loop over a child's standard input, output and error pipes.
#include "platform/process_io.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace vyn::os {
namespace {

constexpr size_t chunk = 65536;

// SIGPIPE stays blocked while the loop writes to a pipe its reader may have closed; one that
// arrives meanwhile is taken off the pending set before the old mask comes back, so it is never
// delivered (unless one was already pending before).
class PipeSignalMuted {
 public:
  PipeSignalMuted() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    was_pending_ = pending();
  }
  ~PipeSignalMuted() {
    if (!was_pending_ && pending()) {
      timespec none{0, 0};
      sigtimedwait(&pipe_, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  PipeSignalMuted(const PipeSignalMuted&) = delete;
  PipeSignalMuted& operator=(const PipeSignalMuted&) = delete;

 private:
  bool pending() {
    sigset_t set;
    sigpending(&set);
    return sigismember(&set, SIGPIPE) == 1;
  }
  sigset_t pipe_{}, old_{};
  bool was_pending_ = false;
};

void close_fd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

void set_nonblocking(int fd) {
  if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// One read into sink; closes fd at its end or on an error other than a retry.
void drain(int& fd, std::string& sink) {
  char buffer[chunk];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) sink.append(buffer, static_cast<size_t>(n));
  else if (n == 0 || (errno != EAGAIN && errno != EINTR)) close_fd(fd);
}

// One write from the feed; closes fd when all is written or the reader is gone.
void feed_once(int& fd, const std::string& feed, size_t& done) {
  size_t n = feed.size() - done < chunk ? feed.size() - done : chunk;
  ssize_t wrote = write(fd, feed.data() + done, n);
  if (wrote > 0) done += static_cast<size_t>(wrote);
  else if (wrote < 0 && errno != EAGAIN && errno != EINTR) close_fd(fd);
  if (done == feed.size()) close_fd(fd);
}

}  // namespace

void pump_pipes(int feed_fd, const std::string& feed, int out_fd, std::string& out, int err_fd,
                std::string& err) {
  PipeSignalMuted muted;
  size_t done = 0;
  if (feed.empty()) close_fd(feed_fd);
  for (int fd : {feed_fd, out_fd, err_fd}) set_nonblocking(fd);
  while (feed_fd >= 0 || out_fd >= 0 || err_fd >= 0) {
    pollfd fds[3] = {{feed_fd, POLLOUT, 0}, {out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    if (poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents) feed_once(feed_fd, feed, done);
    if (fds[1].revents) drain(out_fd, out);
    if (fds[2].revents) drain(err_fd, err);
  }
  close_fd(feed_fd);
  close_fd(out_fd);
  close_fd(err_fd);
}

}  // namespace vyn::os
