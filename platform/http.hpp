// platform/http.hpp: one synchronous HTTP request over the system's HTTP client library: what is
// sent (method, URL, headers, body) and what comes back (status, header text, body bytes).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/alloc_limit.hpp"

namespace vyn::os {

struct HttpRequest {
  std::string method;  // "GET", "HEAD", "POST" or any other upper-case method name
  std::string url;
  std::vector<std::pair<std::string, std::string>> headers;
  std::optional<std::string> body;  // nullopt: the request carries no body
  long timeout_seconds = 30;       // for the whole exchange; connecting gives up after 10 s
};

struct HttpResponse {
  bool ok = false;     // false: no answer came (refused, unknown host, timed out, bad URL)
  bool no_memory = false;  // the answer was cut off because memory ran out (ok is false)
  std::string reason;  // why, when not ok: the HTTP client's own account
  long status = 0;
  std::string headers;  // the header lines of the last answer (after redirects), CR LF ended
  std::string body;
  alloc::Scratch body_charge;  // the body, against the allocation cap
};

// Sends the request and waits for the whole answer, following redirects (at most 10). Any HTTP
// status is an answer: only a failure to get one leaves ok false. A body that memory (or the
// allocation cap) cannot hold stops the transfer and sets no_memory.
HttpResponse http_request(const HttpRequest& request);

}  // namespace vyn::os
