// values/lexer/scan.cpp: the scan entry points: UTF-8 bytes and character series.
#include <cstring>
#include <memory>

#include "core/error.hpp"
#include "core/text/unicode.hpp"
#include "values/lexer/state.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::lexer {
namespace {

State* innermost = nullptr;  // the running scan, nested scans chained behind it

// Links a state in for the scan's lifetime; on any exit the state is unlinked and the value
// buffer cut back to where the scan began.
class Link {
 public:
  explicit Link(State& s) : state_(s) {
    s.enclosing = innermost;
    innermost = &s;
  }
  ~Link() {
    set_tail(state_.first);
    innermost = state_.enclosing;
  }
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

 private:
  State& state_;
};

// Markers still open when a loading scan ends: syntax/missing for the innermost, shown at its
// opener.
void check_closed(State& s) {
  if (marker_type(s) == Type::nothing) return;
  const uint8_t* opener = s.input + marker_offset(s);
  s.line = 1;
  for (const uint8_t* p = s.input; p < opener; ++p) s.line += *p == '\n';
  if (!s.load) s.token_type = marker_type(s);
  if (s.load) throw_error(s, opener, s.end, code_missing_end);
}

// A copy of a series' bytes outside the series frames: scanning allocates, which may move them.
struct Bytes {
  std::unique_ptr<uint8_t[]> data;
  uint32_t length = 0;
};

Bytes utf8_of(Cell* str, uint32_t chars) {
  Bytes out;
  if (chars == 0) return out;
  SeriesBuffer* b = series::buffer(*str);
  uint32_t unit = unicode::checked_unit(b);
  const uint8_t* from = b->data() + static_cast<uint32_t>(series_head(*str)) * unit;
  int64_t size = unicode::utf8_size(from, from + uint64_t{chars} * unit, unit);
  if (size >= INT32_MAX) fire(Err::internal_no_memory);
  out.data = std::make_unique<uint8_t[]>(static_cast<size_t>(size) + 1);
  out.length = static_cast<uint32_t>(unicode::to_utf8_bounded(
      *str, out.data.get(), static_cast<int32_t>(size) + 1, static_cast<int32_t>(chars), false));
  return out;
}

}  // namespace

void init() {
  innermost = nullptr;
  buffer_init();
}

ScanResult scan(Cell* result, const uint8_t* text, uint32_t length, const ScanArgs& args) {
  State s;
  s.first = s.head = tail();
  s.input = s.pos = text;
  s.end = text + length;
  s.scan_only = args.prescan;
  s.load = !args.prescan && !args.type_scan;
  s.one = args.one;
  s.tracer = args.tracer;
  s.mask = args.tracer ? args.tracer->mask() : 0;
  s.string_input = args.input && series::is_char_series(args.input->type());
  Link link(s);
  try {
    scan_tokens(s);
    check_closed(s);
  } catch (const Abort&) {
  }
  if (s.load) store_block(s, result, args.into, s.one);
  return ScanResult{s.token_type, static_cast<uint32_t>(s.pos - s.input), s.pos >= s.end};
}

ScanResult scan_string(Cell* result, Cell* str, uint32_t length, const ScanArgs& args) {
  Bytes text = utf8_of(str, length);
  ScanArgs a = args;
  if (!a.input) a.input = str;
  return scan(result, text.data.get(), text.length, a);
}

}  // namespace vyn::lexer
