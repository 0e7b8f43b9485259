// values/ports/port_http.hpp: one HTTP request for read and write of http(s) url! values.
#pragma once

#include "core/cell.hpp"

namespace vyn::http {

struct Flags {
  bool binary = false, lines = false, info = false;
};

// Sends the request: method a word (its spelling upper-cased), headers a block of names and
// values (nullptr: the default headers), data the body (nullptr: none; never sent with GET or
// HEAD). Answers the result pushed on the value stack. When no answer came it raises
// access/no-connect with the URL and the reason; an answer memory cannot hold, internal/no-memory.
Cell* request(const Cell& method, Cell* url, Cell* headers, Cell* data, const Flags& f);

}  // namespace vyn::http
