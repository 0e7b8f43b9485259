// values/words/symbol.cpp: interning spellings, aliases of case variants, and symbol!'s comparison.
#include "values/words/symbol.hpp"

#include <cstring>
#include <string>

#include "core/text/casefold.hpp"
#include "core/hashtable.hpp"
#include "core/hashtable_symbols.hpp"
#include "core/text/unicode.hpp"
#include "core/compare_ops.hpp"
#include "values/registry.hpp"
#include "core/runtime_cells.hpp"

namespace vyn::symbol {
namespace {

Cell* entries() {
  return reinterpret_cast<Cell*>(buffer_of(hashtable::record(table())->values)->data());
}

// find copies the spelling out before it allocates, so the bytes may lie in a movable buffer.
uint32_t intern(std::string_view utf8, bool fold_only) {
  return vyn::symbol::find(table(), reinterpret_cast<const uint8_t*>(utf8.data()),
                           static_cast<uint32_t>(utf8.size()), fold_only);
}

// Code points of a UTF-8 spelling, one at a time.
struct Reader {
  const uint8_t* p;
  const uint8_t* end;
  bool more() const { return p < end; }
  uint32_t next() {
    int32_t cp = 0;
    p = unicode::fast_decode_utf8_char(p, end, cp);
    return static_cast<uint32_t>(cp);
  }
};

// The two spellings compared as text: letter case folded but for the strict and case-sensitive
// codes.
int compare_text(std::string_view a, std::string_view b, int op) {
  bool exact = op == cmp::strict_equal || op == cmp::case_sort || op == cmp::same;
  Reader x{reinterpret_cast<const uint8_t*>(a.data()), reinterpret_cast<const uint8_t*>(a.data()) + a.size()};
  Reader y{reinterpret_cast<const uint8_t*>(b.data()), reinterpret_cast<const uint8_t*>(b.data()) + b.size()};
  while (x.more() && y.more()) {
    uint32_t c = x.next(), d = y.next();
    if (!exact) {
      c = casefold::to_upper(c);
      d = casefold::to_upper(d);
    }
    if (c != d) return c < d ? -1 : 1;
  }
  return x.more() ? 1 : y.more() ? -1 : 0;
}

int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::symbol)) return -2;
  auto spelling_of = [](const Cell* c) {
    SeriesBuffer* s = buffer_of(entry_utf8(*c));
    return std::string_view(reinterpret_cast<const char*>(s->head_ptr()), s->used());
  };
  return compare_text(spelling_of(a), spelling_of(b), op);
}

}  // namespace

void init(int32_t n) {
  runtime_cells().symbols = 0;
  runtime_cells().symbols = hashtable::new_(n, make_none(), hashtable::Kind::symbols, 0);
}

uint32_t make(std::string_view utf8) { return intern(utf8, false); }
uint32_t make_alt(std::string_view utf8) { return intern(utf8, true); }

uint32_t make_from_string(const Cell& str) {
  Cell copy = str;
  int32_t length = 0;
  const char* text = unicode::to_utf8(&copy, length);
  return make(std::string_view(text, static_cast<size_t>(length)));
}

Cell* entry(uint32_t id) { return entries() + (id - 1); }

int32_t alias_of(uint32_t id) { return entry_alias(*entry(id)); }

std::string_view spelling(uint32_t id) {
  SeriesBuffer* b = buffer_of(entry_utf8(*entry(id)));
  return std::string_view(reinterpret_cast<const char*>(b->head_ptr()), b->used());
}

NodeId ensure_string(uint32_t id) {
  if (NodeId s = entry_string(*entry(id))) return s;
  NodeId utf8 = entry_utf8(*entry(id));
  uint32_t length = buffer_of(utf8)->used();
  NodeId s = unicode::load_utf8_new(unicode::in_series(utf8, 0), length);
  set_entry_string(*entry(id), s);

  return s;
}

int32_t count() {
  return static_cast<int32_t>(buffer_of(hashtable::record(table())->values)->used() / sizeof(Cell));
}

int compare_spellings(uint32_t a, uint32_t b, int op) { return compare_text(spelling(a), spelling(b), op); }

void install() { registry::define(Type::symbol, {registry::def<Action::compare>(compare)}); }

}  // namespace vyn::symbol
