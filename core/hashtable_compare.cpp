// core/hashtable_compare.cpp: key comparison for the hash tables, with the stopgap comparison for
// datatypes that have no comparison entry yet.
#include "core/hashtable_compare.hpp"

#include <cstring>

#include "core/text/casefold.hpp"
#include "core/hash.hpp"
#include "core/hashtable.hpp"
#include "core/hashtable_internal.hpp"
#include "core/series.hpp"
#include "core/compare_ops.hpp"
#include "core/word_cell.hpp"

namespace vyn::hashtable {
namespace {

CompareEntry no_entry(Type) { return nullptr; }
CompareLookup entry_of = no_entry;

int order(uint32_t a, uint32_t b) { return a < b ? -1 : a > b ? 1 : 0; }

bool exact(int op) { return op == cmp::strict_equal || op == cmp::case_sort || op == cmp::same; }

uint32_t upper(uint32_t cp) {
  if (cp < 0x80) return cp - 'a' < 26u ? cp - 32 : cp;
  return casefold::to_upper(cp);
}

uint32_t unit_at(const uint8_t* p, uint32_t unit) {
  switch (unit) {
    case 1: return *p;
    case 2: { uint16_t v; std::memcpy(&v, p, 2); return v; }
    default: { uint32_t v; std::memcpy(&v, p, 4); return v; }
  }
}

// The units of a series from its head (clamped to the tail).
struct Units {
  const uint8_t* p;
  uint32_t count;
  uint32_t unit;
};
Units units_in(const Cell& s, SeriesBuffer* b) {
  uint32_t total = b->tail >> b->shift();
  uint32_t head = series_head(s) < 0 ? 0 : static_cast<uint32_t>(series_head(s));
  if (head > total) head = total;
  uint32_t unit = b->unit() ? b->unit() : 1;
  return {b->data() + head * unit, total - head, unit};
}
Units units_of(const Cell& s) { return units_in(s, buffer_of(series_node(s))); }

int compare_text(const Cell& a, const Cell& b, bool fold) {
  Units x = units_of(a), y = units_of(b);
  if (x.count != y.count) return order(x.count, y.count);  // folding maps one code point to one
  uint32_t i = 0;
  if (x.unit == 1 && y.unit == 1)  // the common case: skip the equal prefix byte by byte
    while (i < x.count && x.p[i] == y.p[i]) ++i;
  for (; i < x.count; ++i) {
    uint32_t c = unit_at(x.p + i * x.unit, x.unit), d = unit_at(y.p + i * y.unit, y.unit);
    if (c != d && fold) c = upper(c), d = upper(d);
    if (c != d) return order(c, d);
  }
  return 0;
}

int compare_bytes(const Cell& a, const Cell& b) {
  Units x = units_of(a), y = units_of(b);
  if (x.count != y.count) return order(x.count, y.count);
  int r = x.count ? std::memcmp(x.p, y.p, x.count) : 0;
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int compare_spelling(const Cell& a, const Cell& b, bool fold) {
  SeriesBuffer* x = buffer_of(symbol::entry_utf8(a));
  SeriesBuffer* y = buffer_of(symbol::entry_utf8(b));
  if (x->used() != y->used()) return order(x->used(), y->used());
  int r = compare_keys(x->head_ptr(), y->head_ptr(), x->used(), !fold);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int compare_identity(const Cell& a, const Cell& b) {
  int r = order(series_node(a), series_node(b));
  return r ? r : order(static_cast<uint32_t>(series_head(a)), static_cast<uint32_t>(series_head(b)));
}

int compare_payload(const Cell& a, const Cell& b) {
  int r = order(a.w1, b.w1);
  if (!r) r = order(a.w2, b.w2);
  return r ? r : order(a.w3, b.w3);
}

// STOPGAP: the comparison for types without an entry, by the rules in the header.
int stopgap(const Cell& a, const Cell& b, int op) {
  switch (a.type()) {
    case Type::string: case Type::file: case Type::url: case Type::tag: case Type::email:
    case Type::ref:
      return op == cmp::same ? compare_identity(a, b) : compare_text(a, b, !exact(op));
    case Type::binary:
      return op == cmp::same ? compare_identity(a, b) : compare_bytes(a, b);
    case Type::word: case Type::set_word: case Type::lit_word: case Type::get_word:
    case Type::refinement: case Type::issue:
      return exact(op) ? order(word::symbol(a), word::symbol(b))
                       : order(hash::canonical_symbol(word::symbol(a)), hash::canonical_symbol(word::symbol(b)));
    case Type::symbol:
      return compare_spelling(a, b, !exact(op));
    case Type::block: case Type::paren: case Type::path: case Type::lit_path: case Type::set_path:
    case Type::get_path: case Type::hash: case Type::map: case Type::image:
      return compare_identity(a, b);
    default:
      return compare_payload(a, b);
  }
}

bool is_text(Type t) {
  switch (t) {
    case Type::string: case Type::file: case Type::url: case Type::tag: case Type::email:
    case Type::ref:
      return true;
    default:
      return false;
  }
}

// The units of a text stored one byte each, or false.
bool latin1_units(const Cell& text, Units& out) {
  SeriesBuffer* b = buffer_of(series_node(text));
  if (b->unit() != 1) return false;
  out = units_in(text, b);
  return true;
}

// Byte-for-byte equality without a library call, for keys that are mostly short; no byte outside
// either range is read.
bool same_bytes(const uint8_t* a, const uint8_t* b, uint32_t n) {
  auto word = [](const uint8_t* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
  };
  if (n < 8) {
    for (uint32_t i = 0; i < n; ++i)
      if (a[i] != b[i]) return false;
    return true;
  }
  for (uint32_t i = 0; i + 8 < n; i += 8)
    if (word(a + i) != word(b + i)) return false;
  return word(a + n - 8) == word(b + n - 8);  // the last eight, overlapping what went before
}

}  // namespace

bool identical_latin1(const Cell& a, const Cell& b) {
  Units x, y;
  return a.type() == b.type() && is_text(a.type()) && latin1_units(a, x) && latin1_units(b, y) &&
         x.count == y.count && same_bytes(x.p, y.p, x.count);
}

namespace {

// The text types as 1 to 6, the tag's type field.
uint64_t text_code(Type t) {
  switch (t) {
    case Type::string: return 1;
    case Type::file: return 2;
    case Type::url: return 3;
    case Type::tag: return 4;
    case Type::email: return 5;
    case Type::ref: return 6;
    default: return 0;
  }
}

// The count (at most 7) bytes from p in a word, the first lowest, the rest zero; no byte past them
// is read. Two overlapping loads place every byte, whatever the count.
uint64_t short_bytes(const uint8_t* p, uint32_t count) {
  if (count >= 4) {
    uint32_t lo, hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + count - 4, 4);
    return uint64_t{lo} | uint64_t{hi} << (8 * (count - 4));
  }
  if (count == 0) return 0;
  return uint64_t{p[0]} | uint64_t{p[count / 2]} << (8 * (count / 2)) | uint64_t{p[count - 1]} << (8 * (count - 1));
}

Tag tag_of(Type t, const uint8_t* p, uint32_t count) {
  if (count > 15) return {};
  // little-endian: the type and count in the first byte, the first character in the second
  uint64_t head = text_code(t) << 4 | count;
  if (count <= 7) return {head | short_bytes(p, count) << 8, 0};
  uint64_t first, last;  // the first eight characters, and the last eight
  std::memcpy(&first, p, 8);
  std::memcpy(&last, p + count - 8, 8);
  return {head | first << 8, last >> (8 * (15 - count))};
}

}  // namespace

Tag text_tag(const Cell& key) {
  Units u;
  return is_text(key.type()) && latin1_units(key, u) ? tag_of(key.type(), u.p, u.count) : Tag{};
}

Lookup lookup_of(const Cell& key) {
  Units u;
  if (is_text(key.type()) && latin1_units(key, u))
    return {key, hash::latin1(u.p, u.count, false), u.p, u.count, tag_of(key.type(), u.p, u.count)};
  return {key, hash::value(key, false)};
}

bool matches(const Cell& entry, const Lookup& key, int op) {
  Units u;
  if (key.latin1 && op != cmp::same && latin1_units(entry, u) && u.count == key.length &&
      same_bytes(u.p, key.latin1, u.count))
    return true;
  return compare_cells(entry, key.cell, op) == 0;
}

int compare_cells(const Cell& a, const Cell& b, int op) {
  if (a.type() != b.type()) return -2;
  CompareEntry fn = entry_of(a.type());
  if (!fn) return stopgap(a, b, op);
  Cell x = a, y = b;
  return fn(&x, &y, op);
}

void set_compare_lookup(CompareLookup lookup) { entry_of = lookup ? lookup : no_entry; }

}  // namespace vyn::hashtable
