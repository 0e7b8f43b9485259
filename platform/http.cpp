// platform/http.cpp: HTTP requests through libcurl's easy interface, one handle per request.
#include "platform/http.hpp"

#include <curl/curl.h>

#include <strings.h>

#include <exception>
#include <mutex>
#include <string_view>

#include "platform/dynlib.hpp"

namespace vyn::os {
namespace {

DynLib libcurl("libcurl.so.4");
#define CURL_FN(name) VYN_DYN_FN(libcurl, name)

// An exception must not pass through the client's C code: running out of memory answers a count
// other than the one given, which stops the transfer, and is noted for the caller.
size_t collect(char* data, size_t size, size_t count, void* out) {
  auto* answer = static_cast<HttpResponse*>(out);
  size_t n = size * count;
  try {
    answer->body_charge.resize(answer->body.size() + n);
    answer->body.append(data, n);
  } catch (const std::exception&) {  // bad_alloc, length_error
    answer->no_memory = true;
    return 0;
  }
  return n;
}

// Only the headers of the final answer are kept: a redirect or a "100 Continue" starts over at
// its status line.
size_t collect_header(char* data, size_t size, size_t count, void* out) {
  auto* answer = static_cast<HttpResponse*>(out);
  size_t n = size * count;
  try {
    std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
      answer->headers.clear();
      return n;
    }
    if (line != "\r\n" && line != "\n") answer->headers.append(line);
  } catch (const std::exception&) {
    answer->no_memory = true;
    return 0;
  }
  return n;
}

void global_init() {
  static std::once_flag once;
  std::call_once(once, [] { CURL_FN(curl_global_init)(CURL_GLOBAL_DEFAULT); });
}

curl_slist* header_list(const HttpRequest& r) {
  curl_slist* list = nullptr;
  for (const auto& [name, value] : r.headers) {
    // "Name;" sends a header with an empty value; "Name:" would drop it.
    std::string line = value.empty() ? name + ";" : name + ": " + value;
    list = CURL_FN(curl_slist_append)(list, line.c_str());
  }
  // the client would add "Expect: 100-continue" to large bodies and wait for a go-ahead, a form
  // Content-Type to any body and "Accept: */*" to every request: only the headers asked for are
  // sent (with those the protocol needs, Host and a body's length)
  auto given = [&](const char* name) {
    for (const auto& h : r.headers)
      if (strcasecmp(h.first.c_str(), name) == 0) return true;
    return false;
  };
  if (!given("Content-Type")) list = CURL_FN(curl_slist_append)(list, "Content-Type:");
  if (!given("Accept")) list = CURL_FN(curl_slist_append)(list, "Accept:");
  return CURL_FN(curl_slist_append)(list, "Expect:");
}

void set_method(CURL* h, const HttpRequest& r) {
  if (r.method == "HEAD") {
    CURL_FN(curl_easy_setopt)(h, CURLOPT_NOBODY, 1L);
  } else if (r.method != "GET" || r.body) {
    CURL_FN(curl_easy_setopt)(h, CURLOPT_CUSTOMREQUEST, r.method.c_str());
  }
  if (r.body) {
    CURL_FN(curl_easy_setopt)(h, CURLOPT_POSTFIELDS, r.body->data());
    CURL_FN(curl_easy_setopt)(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body->size()));
  }
}

}  // namespace

HttpResponse http_request(const HttpRequest& request) {
  HttpResponse out;
  if (!libcurl.available()) {
    out.reason = "no HTTP client (libcurl.so.4 is not installed)";
    return out;
  }
  global_init();
  CURL* h = CURL_FN(curl_easy_init)();
  if (!h) {
    out.reason = "no HTTP client";
    return out;
  }
  curl_slist* headers = header_list(request);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_URL, request.url.c_str());
  CURL_FN(curl_easy_setopt)(h, CURLOPT_HTTPHEADER, headers);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_FOLLOWLOCATION, 1L);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_MAXREDIRS, 10L);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
  CURL_FN(curl_easy_setopt)(h, CURLOPT_PROTOCOLS_STR, "http,https");
  CURL_FN(curl_easy_setopt)(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  CURL_FN(curl_easy_setopt)(h, CURLOPT_CONNECTTIMEOUT, 10L);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_TIMEOUT, request.timeout_seconds);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_NOSIGNAL, 1L);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_WRITEFUNCTION, collect);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_WRITEDATA, &out);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_HEADERFUNCTION, collect_header);
  CURL_FN(curl_easy_setopt)(h, CURLOPT_HEADERDATA, &out);
  char detail[CURL_ERROR_SIZE] = "";
  CURL_FN(curl_easy_setopt)(h, CURLOPT_ERRORBUFFER, detail);
  set_method(h, request);
  CURLcode rc = CURL_FN(curl_easy_perform)(h);
  if (rc == CURLE_OK) {
    out.ok = true;
    CURL_FN(curl_easy_getinfo)(h, CURLINFO_RESPONSE_CODE, &out.status);
  } else {
    // the detail names the cause ("SSL certificate problem: ..."); the code's text is the fallback
    out.reason = detail[0] ? detail : CURL_FN(curl_easy_strerror)(rc);
    std::string().swap(out.body);
    out.body_charge.resize(0);
    out.headers.clear();
  }
  CURL_FN(curl_slist_free_all)(headers);
  CURL_FN(curl_easy_cleanup)(h);
  return out;
}

}  // namespace vyn::os
