// values/lexer/events.cpp: reporting scan steps to a tracer, positions in the input's own unit.
#include <algorithm>

#include "core/text/unicode.hpp"
#include "values/lexer/state.hpp"
#include "values/series/block.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"

namespace vyn::lexer {
namespace {

// The byte position of a character index of string input, walking from the last reported
// position (forwards or backwards).
const uint8_t* byte_of_index(State& s, int32_t index) {
  const uint8_t* p = s.input + s.reported_offset;
  int32_t chars = s.reported_chars;
  while (chars < index && p < s.end) {
    int32_t cp;
    p = unicode::fast_decode_utf8_char(p, s.end, cp);
    ++chars;
  }
  while (chars > index && p > s.input) {
    do --p;
    while (p > s.input && (*p & 0xC0) == 0x80);
    --chars;
  }
  return p;
}

}  // namespace

// Characters from the start of the input to at, counted from the last reported position so a
// scan costs one pass over the text however many events it reports.
int32_t position_of(State& s, const uint8_t* at) {
  int32_t offset = static_cast<int32_t>(at - s.input);
  if (!s.string_input) return offset;
  int32_t last = s.reported_offset;
  if (offset >= last) {
    s.reported_chars += unicode::count_utf8(s.input + last, at);
  } else {
    s.reported_chars -= unicode::count_utf8(at, s.input + last);
  }
  s.reported_offset = offset;
  return s.reported_chars;
}

bool fire_event(State& s, Event e, Type type, const uint8_t* start, const uint8_t* end,
                const Cell* value) {
  if (!s.tracer || !(s.mask & static_cast<uint32_t>(e))) return true;
  EventInfo info{};
  info.event = e;
  info.token_start = position_of(s, start) + 1;
  info.token_end = position_of(s, end) + 1;
  info.index = info.token_end - 1;
  info.type = type;
  info.kind = static_cast<uint8_t>(s.kind);
  info.line = s.line;
  info.value = value;
  int32_t reported = info.index;
  bool go = s.tracer->on_event(info);
  if (info.index != reported) {
    if (info.index < 0) info.index = 0;
    s.pos = s.string_input ? byte_of_index(s, info.index)
                           : s.input + std::min<int64_t>(info.index, s.end - s.input);
    position_of(s, s.pos);
    s.resume = s.pos;
  }
  return go;
}

uint32_t callback_event_mask(const Cell& body) {
  using predefined::W;
  if (!block::is_any_block(body.type())) return all_events;
  Cell b = body;
  if (block::vs_length(b) <= 0) return all_events;
  Cell first = *block::vs_head(b);
  if (!first.is(Type::block)) return all_events;
  static constexpr struct {
    W word;
    Event event;
  } names[] = {{W::prescan, Event::prescan}, {W::scan, Event::scan}, {W::load, Event::load},
               {W::open, Event::open},       {W::close, Event::close}, {W::error, Event::error}};
  uint32_t mask = 0;
  for (Cell* c = block::vs_head(first); c < block::vs_tail(first); ++c) {
    if (!c->is(Type::word)) continue;
    for (const auto& n : names) {
      uint32_t want = word::symbol(predefined::word(n.word));
      if (symbol::resolve(word::symbol(*c)) == symbol::resolve(want)) mask |= static_cast<uint32_t>(n.event);
    }
  }
  return mask;
}

}  // namespace vyn::lexer
