// values/ports/port_http.cpp: read and write of http(s) url! values: the request built from the
// language's values, and the answer made a binary!, a string!, a block of lines, or with /info a
// block of the status, a map of the headers and the body.
#include "values/ports/port_http.hpp"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "core/error.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "platform/http.hpp"
#include "values/series/binary.hpp"
#include "values/series/block.hpp"
#include "values/maps/map.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/text/url.hpp"
#include "values/words/word.hpp"

namespace vyn::http {
namespace {

using Lines = std::vector<std::string>;

// The text of a value as a header part: a word's spelling, a string as it stands, else its form.
std::string text_of(Cell* value) {
  if (word::any_word_q(value->type()) && !value->is(Type::issue))
    return std::string(symbol::spelling(word::symbol(*value)));
  if (value->is(Type::string)) return url::utf8_of(*value, -1);
  Cell* formed = string::make_at(stack::push_unset(), 16);
  actions::form_direct(value, formed, nullptr, 0x7FFFFFFF);
  std::string text = url::utf8_of(*formed, -1);
  stack::pop(1);
  return text;
}

// The body a value sends: a binary's bytes from its head, any other value's text.
std::string body_of(Cell* value) {
  if (!value->is(Type::binary)) return text_of(value);
  SeriesBuffer* b = buffer_of(series_node(*value));
  size_t head = static_cast<size_t>(std::max(series_head(*value), 0));
  size_t tail = std::max<size_t>(b->tail, head);
  return std::string(reinterpret_cast<char*>(b->data()) + head, tail - head);
}

void add_headers(os::HttpRequest& r, Cell* headers) {
  if (!headers) {
    r.headers = {{"Content-Type", "application/x-www-form-urlencoded"},
                 {"Accept-Charset", "UTF-8"},
                 {"User-Agent", "Mozilla/5.0 (X11; Linux x86_64)"}};
    return;
  }
  int32_t n = std::max(block::vs_length(*headers), 0);
  for (int32_t i = 0; i + 1 < n; i += 2) {
    Cell* name = stack::push(block::vs_head(*headers)[i]);
    Cell* value = stack::push(block::vs_head(*headers)[i + 1]);
    std::string name_text = text_of(name);
    r.headers.emplace_back(name_text, text_of(value));
    stack::pop(2);
  }
}

Cell* text_cell(const std::string& bytes) {
  return string::load_utf8_checked(unicode::outside(bytes.data()), static_cast<uint32_t>(bytes.size()));
}

// One string per line; a CR before the LF goes, and a final LF adds no empty line.
Cell* lines_cell(const std::string& bytes) {
  Cell* out = block::make_at(stack::push_unset(), 16);
  for (size_t start = 0; start < bytes.size();) {
    size_t lf = std::min(bytes.find('\n', start), bytes.size());
    size_t stop = lf < bytes.size() && lf > start && bytes[lf - 1] == '\r' ? lf - 1 : lf;
    block::append_copy(*out, *text_cell(bytes.substr(start, stop - start)));
    stack::pop(1);
    start = lf + 1;
  }
  return out;
}

Cell* body_cell(const std::string& body, bool binary, bool lines) {
  if (binary) return binary::push_bytes(reinterpret_cast<const uint8_t*>(body.data()), body.size());
  return lines ? lines_cell(body) : text_cell(body);
}

bool same_name(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// "Name: value" lines, the values of a name met again gathered under its first spelling.
std::vector<std::pair<std::string, Lines>> header_fields(const std::string& text) {
  std::vector<std::pair<std::string, Lines>> fields;
  for (size_t start = 0; start < text.size();) {
    size_t end = std::min(text.find('\n', start), text.size());
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) continue;
    std::string name = line.substr(0, colon);
    size_t from = line.find_first_not_of(" \t", colon + 1);
    std::string value = from == std::string::npos ? "" : line.substr(from);
    auto it = std::find_if(fields.begin(), fields.end(), [&](auto& f) { return same_name(f.first, name); });
    if (it == fields.end()) fields.push_back({name, {value}});
    else it->second.push_back(value);
  }
  return fields;
}

// A map! from header names (words) to a string, or a block of strings for a repeated header.
Cell* header_map(const std::string& text) {
  Cell* entries = block::make_at(stack::push_unset(), 40);
  for (const auto& [name, values] : header_fields(text)) {
    block::append_copy(*entries, word::load(name));
    Cell* value;
    if (values.size() == 1) {
      value = text_cell(values[0]);
    } else {
      value = block::make_at(stack::push_unset(), static_cast<int32_t>(values.size()));
      for (const std::string& v : values) {
        block::append_copy(*value, *text_cell(v));
        stack::pop(1);
      }
    }
    block::append_copy(*entries, *value);
    stack::pop(1);
  }
  Cell* map = stack::push_unset();
  map::make_at(map, *entries);
  return map;
}

std::string method_text(const Cell& method) {
  std::string text(symbol::spelling(word::symbol(method)));
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// access/no-connect with the URL and the client's reason.
[[noreturn]] void fail(const Cell& url, const std::string& reason) {
  Cell* at = stack::push(url);
  Cell* why = text_cell(reason);
  fire(Err::access_no_connect, {*at, *why});
}

}  // namespace

Cell* request(const Cell& method, Cell* url, Cell* headers, Cell* data, const Flags& f) {
  os::HttpRequest r;
  r.method = method_text(method);
  r.url = url::utf8_of(*url, -1);
  add_headers(r, headers);
  bool bodiless = r.method == "GET" || r.method == "HEAD";
  if (data && !bodiless) r.body = body_of(data);
  os::HttpResponse answer = os::http_request(r);
  if (answer.no_memory) fire(Err::internal_no_memory);
  if (!answer.ok) fail(*url, answer.reason);
  if (!f.info) return body_cell(answer.body, f.binary, f.lines);
  Cell* out = block::make_at(stack::push_unset(), 3);
  block::append_copy(*out, make_integer(static_cast<int32_t>(answer.status)));
  block::append_copy(*out, *header_map(answer.headers));
  stack::pop(1);
  block::append_copy(*out, *body_cell(answer.body, f.binary, f.lines));
  stack::pop(1);
  return out;
}

}  // namespace vyn::http
