// The HTTP layer against servers on 127.0.0.1 that misbehave in ways a script cannot arrange.
#include "platform/http.hpp"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace {

// A listening socket on a free port of 127.0.0.1.
struct Listener {
  int fd = -1;
  int port = 0;
  Listener() {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd, 4);
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    port = ntohs(a.sin_port);
  }
  ~Listener() { close(fd); }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }
};

// A server that accepts, reads the request and answers the given bytes (none: it stays silent
// until the client goes).
void serve_once(int listen_fd, std::string answer) {
  int c = accept(listen_fd, nullptr, nullptr);
  char buf[4096];
  (void)!read(c, buf, sizeof buf);
  if (!answer.empty()) (void)!write(c, answer.data(), answer.size());
  if (answer.empty()) (void)!read(c, buf, sizeof buf);  // until the client hangs up
  close(c);
}

TEST(Http, SilentServerTimesOut) {
  Listener l;
  std::thread server(serve_once, l.fd, std::string());
  vyn::os::HttpRequest r{"GET", l.url(), {}, std::nullopt, 1};
  vyn::os::HttpResponse a = vyn::os::http_request(r);
  server.join();
  EXPECT_FALSE(a.ok);
  EXPECT_NE(a.reason.find("timed out"), std::string::npos) << a.reason;
}

TEST(Http, ConnectionClosedWithoutAnswerFails) {
  Listener l;
  std::thread server([&] { close(accept(l.fd, nullptr, nullptr)); });
  vyn::os::HttpResponse a = vyn::os::http_request({"GET", l.url(), {}, std::nullopt, 5});
  server.join();
  EXPECT_FALSE(a.ok);
}

TEST(Http, RedirectKeepsOnlyTheLastHeaders) {
  Listener l;
  std::string moved = "HTTP/1.1 301 Moved\r\nLocation: /next\r\nX-First: 1\r\nContent-Length: 0\r\n\r\n";
  std::string done = "HTTP/1.1 200 OK\r\nX-Last: 2\r\nContent-Length: 2\r\n\r\nok";
  std::thread server([&] {
    serve_once(l.fd, moved);
    serve_once(l.fd, done);
  });
  vyn::os::HttpResponse a = vyn::os::http_request({"GET", l.url(), {}, std::nullopt, 5});
  server.join();
  ASSERT_TRUE(a.ok) << a.reason;
  EXPECT_EQ(a.status, 200);
  EXPECT_EQ(a.body, "ok");
  EXPECT_EQ(a.headers, "X-Last: 2\r\nContent-Length: 2\r\n");
}

TEST(Http, OtherSchemesAreRefused) {
  vyn::os::HttpResponse a = vyn::os::http_request({"GET", "file:///etc/hostname", {}, std::nullopt, 5});
  EXPECT_FALSE(a.ok);
}

}  // namespace
