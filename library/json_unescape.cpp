// library/json_unescape.cpp: the JSON reader's in-place decoding of string escapes, and the
// start-up step that makes it a routine. The reader's grammar admits only well-formed escapes; the
// routine still checks \u sequences, which can name an unpaired surrogate.
#include "library/json_unescape.hpp"

#include "values/callables/routine.hpp"
#include "core/error.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::library {
namespace {

struct Walk {
  Cell* str;
  NodeId node;
  uint32_t read;
  uint32_t end;
};

[[noreturn]] void fail(const Walk& w) { fire(Err::script_invalid_data, {*w.str}); }

uint32_t decode_4(Walk& w) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    if (w.read >= w.end) fail(w);
    uint32_t c = string::char_at(w.node, w.read++);
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else fail(w);
    value = value * 16 + digit;
  }
  return value;
}

// The code point of a \u escape whose "\u" has been read; a high surrogate needs its low half.
uint32_t decode_unicode(Walk& w) {
  uint32_t high = decode_4(w);
  if (high < 0xD800 || high > 0xDBFF) return high;
  if (w.end - w.read < 6) fail(w);
  if (string::char_at(w.node, w.read) != '\\' || string::char_at(w.node, w.read + 1) != 'u') fail(w);
  w.read += 2;
  uint32_t low = decode_4(w);
  if (low < 0xDC00 || low > 0xDFFF) fail(w);
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

uint32_t decode_escape(Walk& w) {
  if (w.read >= w.end) return '\\';
  uint32_t c = string::char_at(w.node, w.read++);
  switch (c) {
    case '"': case '\\': case '/': return c;
    case 'b': return 8;
    case 'f': return 12;
    case 'n': return 10;
    case 'r': return 13;
    case 't': return 9;
    case 'u': return decode_unicode(w);
    default: return '\\';
  }
}

// Reads run ahead of writes, and widening keeps character indexes, so one index pair suffices.
void unescape_body(routine::Invocation& inv) {
  Cell* str = routine::arg_cell(inv, 0);
  int32_t head = series_head(*str);
  Walk w{str, series_node(*str), static_cast<uint32_t>(head < 0 ? 0 : head),
         static_cast<uint32_t>(string::length_total(*str))};
  uint32_t write = w.read;
  while (w.read < w.end) {
    uint32_t c = string::char_at(w.node, w.read++);
    if (c == '\\') c = decode_escape(w);
    string::write_char(w.node, write++, c);
  }
  string::truncate_at(*str, static_cast<int32_t>(write));
  *inv.result = *str;
}

int32_t unescape_entry() {
  static const int32_t entry = routine::register_body(unescape_body);
  return entry;
}

}  // namespace

void register_json_bodies() {
  (void)unescape_entry();
  register_json_reader();
  register_json_writer();
}

void define_json_unescape() {
  routine::define("json-unescape*", R"~("Decodes the JSON escapes of a string in place"
      str [string!] return: [string!])~", unescape_entry());
  define_json_reader();
  define_json_writer();
}

}  // namespace vyn::library
