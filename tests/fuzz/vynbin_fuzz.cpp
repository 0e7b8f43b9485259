// tests/fuzz/vynbin_fuzz.cpp: libFuzzer target: arbitrary Vynbin bodies through the decoder, and
// values loaded from arbitrary text through the encoder and back.
//
// Below 0x80 the first input byte is the preamble's flags byte (layout, packing, symbol table) and
// the rest the body, so no time goes into finding the magic. Whatever decodes is formed and molded
// (a corrupt cell would show there), then encoded in both layouts, and each encoding must decode
// again to a value that molds the same: the writer and the reader must agree on everything the
// reader lets in. From 0x80 on, the rest is source text; the values the lexer makes of it take
// the same round trip.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/fuzz_support.hpp"
#include "boot/runtime.hpp"
#include "core/error.hpp"
#include "core/gc.hpp"
#include "values/lexer/lexer.hpp"
#include "core/stack.hpp"
#include "library/vynbin.hpp"
#include "values/series/block.hpp"
#include "values/objects/error.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"

namespace {

using namespace vyn;

constexpr int32_t mold_limit = 1 << 14;

// The mold of a value, cut at mold_limit characters: shared structure can make the full text
// exponentially long.
std::string mold(Cell v) {
  stack::Mark mark;
  Cell* value = stack::push(v);
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  Cell* part = stack::push(make_integer(mold_limit));
  MoldOptions o;
  o.all = true;
  registry::entry<Action::mold>(v.type())(value, buffer, o, part, mold_limit);
  return string::to_utf8(*buffer);
}

// Forms the value, for what mold/all leaves out (a char! vector's characters themselves, say).
void form(Cell v) {
  stack::Mark mark;
  Cell* value = stack::push(v);
  Cell* buffer = string::make_at(stack::push_unset(), 16);
  Cell* part = stack::push(make_integer(mold_limit));
  registry::entry<Action::form>(v.type())(value, buffer, part, mold_limit);
}

// Decodes into a new block, pushed; false when the data is refused.
bool decode(const std::string& bytes, Cell*& out) {
  out = block::push_only(4);
  Cell source = make_none();
  try {
    vynbin::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), *out, source);
  } catch (const Raised&) {
    return false;
  }
  return true;
}

std::string pending_error_text() {
  stack::Mark mark;
  return error::report(*error::from_pending());
}

[[noreturn]] void disagree(const char* what, const std::string& a, const std::string& b) {
  std::fprintf(stderr, "%s\n--- first\n%s\n--- second\n%s\n", what, a.c_str(), b.c_str());
  std::abort();
}

void round_trip(Cell* decoded, const std::string& first, bool compact) {
  std::string data;
  try {
    data = vynbin::encode(*decoded, compact);
  } catch (const Raised&) {
    return;  // a decoded value may hold what cannot be written (an event's object, say)
  }
  stack::Mark mark;
  Cell* again;
  if (!decode(data, again)) disagree("an encoding does not decode", first, pending_error_text());
  Cell* value = block::cells(*again);
  if (block::length_total(*again) != 1) disagree("an encoding decodes to more values", first, mold(*again));
  std::string second;
  try {
    second = mold(*value);
  } catch (const Raised&) {
    disagree("a decoded value does not mold", first, pending_error_text());
  }
  if (second != first) disagree("an encoding decodes to another value", first, second);
}

// The values of the text, loaded into a new block, pushed; false for a syntax error.
bool load_text(const uint8_t* text, size_t size, Cell*& out) {
  out = stack::push_unset();
  try {
    lexer::scan(out, text, static_cast<uint32_t>(size), lexer::ScanArgs{});
  } catch (const Raised&) {
    return false;
  }
  return true;
}

void run(const uint8_t* data, size_t size) {
  if (size == 0) return;
  stack::Mark mark;
  Cell* out;
  if (data[0] >= 0x80) {
    if (!load_text(data + 1, size - 1, out)) return;
  } else {
    std::string bytes = "VYNBIN";
    bytes += '\x02';
    bytes.append(reinterpret_cast<const char*>(data), size);
    if (!decode(bytes, out)) return;
  }
  std::string first;
  try {
    form(*out);
    first = mold(*out);
  } catch (const Raised&) {
    return;  // a value may refuse to be shown (a word spelled in bad UTF-8, say): an error, as it should be
  }
  for (bool compact : {true, false}) round_trip(out, first, compact);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::start_runtime();
  if (size > 1 << 16) return 0;
  run(data, size);
  fuzz::collect_every(256);
  return 0;
}
