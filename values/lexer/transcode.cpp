// values/lexer/transcode.cpp: transcode with its refinements, and text to one value.
#include <cstring>
#include <memory>

#include "core/error.hpp"
#include "core/text/unicode.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::lexer {
namespace {

// Units from the head to the tail, cut by /part: a count, or a position in the same series.
uint32_t part_length(Cell& src, const Cell* part) {
  int32_t length = series::units_left(src, false);
  if (!part) return static_cast<uint32_t>(length);
  int32_t n;
  if (part->is(Type::integer)) {
    n = part->int_value();
  } else {
    bool same_family = src.is(Type::binary) ? part->is(Type::binary)
                                            : series::is_char_series(part->type());
    if (!same_family || series_node(*part) != series_node(src))
      fire(Err::script_not_same_type);
    n = series_head(*part) - series_head(src);
  }
  return static_cast<uint32_t>(n < 0 ? 0 : n > length ? length : n);
}

ScanResult scan_binary(Cell* result, Cell* src, uint32_t length, const ScanArgs& args,
                       uint32_t& skipped) {
  SeriesBuffer* b = series::buffer(*src);
  const uint8_t* from = b->data() + series_head(*src);
  skipped = length >= 3 && from[0] == 0xEF && from[1] == 0xBB && from[2] == 0xBF ? 3 : 0;
  if (args.tracer) args.tracer->origin = static_cast<int32_t>(skipped);
  // the bytes move to memory the scan's allocations cannot move
  std::unique_ptr<uint8_t[]> copy(new uint8_t[length - skipped + 1]);
  std::memcpy(copy.get(), from + skipped, length - skipped);
  return scan(result, copy.get(), length - skipped, args);
}

// The input advanced past the bytes consumed (characters, for string input).
Cell rest_of(Cell* src, uint32_t consumed, uint32_t skipped) {
  Cell rest = *src;
  uint32_t advance = consumed + skipped;
  if (!src->is(Type::binary) && consumed) {
    Cell text = *src;
    int32_t n = string::length(text);
    // walk the characters until their UTF-8 reaches the bytes consumed
    uint32_t bytes = 0, chars = 0;
    SeriesBuffer* b = series::buffer(text);
    uint32_t unit = b->unit();
    const uint8_t* p = b->data() + static_cast<uint32_t>(series_head(text)) * unit;
    while (bytes < consumed && static_cast<int32_t>(chars) < n) {
      bytes += static_cast<uint32_t>(unicode::utf8_length(string::get_char(p, unit)));
      p += unit;
      ++chars;
    }
    advance = chars;
  }
  rest.w1 = static_cast<uint32_t>(series_head(*src) + static_cast<int32_t>(advance));
  return rest;
}

}  // namespace

void transcode(Cell* result, Cell* src, const TranscodeArgs& a) {
  stack::Mark mark;
  Cell* input = stack::push(*src);
  series::units_left(*input, false);  // clamps the head to the tail
  if (series_head(*input) > series::length_total(*input))
    input->w1 = static_cast<uint32_t>(series::length_total(*input));
  uint32_t length = part_length(*input, a.part);
  ScanArgs args;
  args.one = a.next || a.one || a.scan;
  args.prescan = a.prescan;
  args.type_scan = a.scan;
  args.tracer = a.trace;
  args.input = input;
  args.into = a.into;
  int32_t into_before = a.into ? block::vs_length(*a.into) : 0;
  Cell* values = stack::push_unset();
  uint32_t skipped = 0;
  ScanResult r = input->is(Type::binary) ? scan_binary(values, input, length, args, skipped)
                                         : scan_string(values, input, length, args);
  Cell first = make_unset();
  Cell block = *values;
  if (a.scan || a.prescan) {
    bool none = length == 0 || r.type == Type::nothing;
    first = none ? make_none() : make_datatype(r.type);
  } else if (block::vs_length(block) > into_before) {
    Cell at = block;
    at.w1 = static_cast<uint32_t>(series_head(block) + into_before);
    first = *block::vs_head(at);
  }
  if (a.next) {
    Cell* pair = block::push_only(2);
    block::append_copy(*pair, first);
    block::append_copy(*pair, rest_of(input, r.consumed, skipped));
    *result = *pair;
  } else {
    *result = a.one || a.scan || a.prescan ? first : block;
  }
}

Cell* load_text(const Cell& text) {
  Cell* out = stack::push_unset();
  stack::Mark mark;
  Cell* str = stack::push(text);
  Cell* values = stack::push_unset();
  uint32_t length = static_cast<uint32_t>(string::length(*str));
  ScanArgs args;
  ScanResult r = scan_string(values, str, length, args);
  Cell block = *values;
  if (!r.complete) {
    *out = make_none();
  } else if (block::vs_length(block) == 0) {
    *out = make_unset();
  } else {
    *out = *block::vs_head(block);
  }
  return out;
}

}  // namespace vyn::lexer
