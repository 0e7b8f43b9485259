// boot/constants.cpp: the predefined constant words (logic synonyms, named characters, crlf, pi,
// null-handle) and the colour tuples. All are ordinary global words a script may rebind.
#include <cstdint>

#include "boot/base_library.hpp"
#include "core/stack.hpp"
#include "values/text/string_storage.hpp"
#include "values/numbers/tuple.hpp"
#include "values/ports/handle.hpp"
#include "values/words/word.hpp"

namespace vyn::boot {
namespace {

void set(const char* name, const Cell& value) {
  Cell w = word::load(name);
  word::set(w, value);
}

// A pair of words sharing one value: the second is set from the first.
void set_both(const char* first, const char* second, const Cell& value) {
  set(first, value);
  set(second, value);
}

void define_scalars() {
  set_both("on", "yes", make_logic(true));
  set_both("off", "no", make_logic(false));
  set("tab", make_char(9));
  set("cr", make_char(13));
  set_both("lf", "newline", make_char(10));
  set("escape", make_char(27));
  set("slash", make_char('/'));
  set_both("space", "sp", make_char(32));
  set("null", make_char(0));
  {
    stack::Mark mark;
    Cell* crlf = string::make_at(stack::push_unset(), 2);
    string::append_char(series_node(*crlf), 13);
    string::append_char(series_node(*crlf), 10);
    set("crlf", *crlf);
  }
  set("enter", make_char(13));
  set("dot", make_char('.'));
  set("comma", make_char(','));
  set("dbl-quote", make_char('"'));
  set("pi", make_float(3.141592653589793));
  set("Orlam", make_logic(false));
  set("null-handle", handle::make(0, handle::none));  // kind 0, value 0, no slot
}

struct Colour {
  const char* name;
  uint8_t r, g, b;
};

// In definition order: the table's columns, top to bottom.
constexpr Colour colours[] = {
    {"aqua", 40, 100, 130},     {"beige", 255, 228, 196},   {"black", 0, 0, 0},
    {"blue", 0, 0, 255},        {"brick", 178, 34, 34},     {"brown", 139, 69, 19},
    {"coal", 64, 64, 64},       {"coffee", 76, 26, 0},      {"crimson", 220, 20, 60},
    {"cyan", 0, 255, 255},      {"forest", 0, 48, 0},       {"gold", 255, 205, 40},
    {"gray", 128, 128, 128},    {"green", 0, 255, 0},       {"ivory", 255, 255, 240},
    {"khaki", 179, 179, 126},   {"leaf", 0, 128, 0},        {"linen", 250, 240, 230},
    {"magenta", 255, 0, 255},   {"maroon", 128, 0, 0},      {"mint", 100, 136, 116},
    {"navy", 0, 0, 128},        {"oldrab", 72, 72, 16},     {"olive", 128, 128, 0},
    {"orange", 255, 150, 10},   {"papaya", 255, 80, 37},    {"pewter", 170, 170, 170},
    {"pink", 255, 164, 200},    {"purple", 128, 0, 128},    {"skyrill", 38, 58, 108},
    {"tarnelor", 142, 128, 110}, {"vur", 255, 0, 0},        {"sienna", 160, 82, 45},
    {"silver", 192, 192, 192},  {"sky", 164, 200, 255},     {"snow", 240, 240, 240},
    {"tanned", 222, 184, 135},  {"teal", 0, 128, 128},      {"violet", 72, 0, 90},
    {"water", 80, 108, 142},    {"wheat", 245, 222, 129},   {"white", 255, 255, 255},
    {"yello", 255, 240, 120},   {"yellow", 255, 255, 0},
};
static_assert(sizeof(colours) / sizeof(colours[0]) == 44);

void define_colours() {
  for (const Colour& c : colours) {
    const uint8_t bytes[3] = {c.r, c.g, c.b};
    set(c.name, tuple::make(bytes, 3));
  }
  const uint8_t clear[4] = {0, 0, 0, 255};
  set_both("transparent", "glass", tuple::make(clear, 4));
}

}  // namespace

void define_constants() {
  define_scalars();
  define_colours();
}

}  // namespace vyn::boot
