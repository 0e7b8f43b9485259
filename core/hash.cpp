// core/hash.cpp: MurmurHash3 over bytes and over code points, and the hash of a value by type.
#include "core/hash.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/text/casefold.hpp"
#include "core/fault.hpp"
#include "core/hashtable.hpp"
#include "core/series.hpp"
#include "core/hashtable_symbols.hpp"
#include "core/word_cell.hpp"

namespace vyn::hash {
namespace {

uint32_t run_seed = default_seed;

// A series buffer whose unit is not 1, 2 or 4 bytes is not text: the runtime cannot go on.
[[noreturn]] void bad_text_unit(uint32_t unit) {
  char message[48];
  std::snprintf(message, sizeof message, "invalid string unit %u", unit);
  fault::report(101, message, __builtin_return_address(0));
}

inline uint32_t upper(uint32_t cp) {
  // ASCII folds here without a table lookup; the tables agree with it.
  if (cp < 0x80) return cp - 'a' < 26u ? cp - 32 : cp;
  return casefold::to_upper(cp);
}

// The scrambled block of each code point below 256, as it is and folded to upper case, so that
// hashing Latin-1 text costs a lookup and the fold of the running hash per character. Made while
// static data is initialised (the case tables need no start-up step); nothing hashes before.
struct Latin1Blocks {
  uint32_t exact[256];
  uint32_t folded[256];
};
Latin1Blocks make_latin1_blocks() {
  Latin1Blocks b;
  for (uint32_t cp = 0; cp < 256; ++cp) {
    b.exact[cp] = scramble(cp);
    b.folded[cp] = scramble(upper(cp));
  }
  return b;
}
const Latin1Blocks latin1_blocks = make_latin1_blocks();

template <class Unit>
uint32_t hash_units(const uint8_t* p, uint32_t count, bool case_sensitive) {
  const uint32_t* blocks = case_sensitive ? latin1_blocks.exact : latin1_blocks.folded;
  uint32_t h = run_seed;
  for (uint32_t i = 0; i < count; ++i) {
    Unit u;
    std::memcpy(&u, p + i * sizeof(Unit), sizeof(Unit));
    uint32_t cp = u;
    uint32_t k = cp < 256 ? blocks[cp] : scramble(case_sensitive ? cp : upper(cp));
    h = mix_scrambled(h, k);
  }
  return finish(h ^ (count * 4));
}

uint32_t murmur_words(const Cell& v, int first, int count) {
  uint32_t words[3] = {v.w1, v.w2, v.w3};
  return murmur3(words + (first - 1), count * sizeof(uint32_t));
}

uint32_t hash_binary(const Cell& v) {
  SeriesBuffer* b = buffer_of(series_node(v));
  uint32_t len = b->tail;
  uint32_t head = static_cast<uint32_t>(series_head(v) < 0 ? 0 : series_head(v));
  if (head > len) head = len;
  return murmur3(b->data() + head, len - head);
}

uint32_t hash_money(const Cell& v) {
  Cell copy = v;
  copy.header = (v.header & 0xFF) | (v.header & money_sign_bit);  // the only header bit kept
  return murmur3(&copy, sizeof copy);
}

// The length sits in header bits 19-22; the bytes in the 12 bytes of payload, so no more are read.
// Trailing zero bytes are left out: 1.2.3 and 1.2.3.0 are equal, so they must hash alike.
uint32_t hash_tuple(const Cell& v) {
  uint32_t n = (v.header & tuple_size_mask) >> tuple_size_shift;
  if (n > 12) n = 12;
  uint32_t words[3] = {v.w1, v.w2, v.w3};
  const auto* bytes = reinterpret_cast<const uint8_t*>(words);
  while (n > 0 && bytes[n - 1] == 0) --n;
  return murmur3(words, n);
}

}  // namespace

uint32_t seed() { return run_seed; }
void set_seed(uint32_t s) { run_seed = s; }

uint32_t murmur3_seeded(const void* bytes, size_t n, uint32_t s) {
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  uint32_t h = s;
  size_t blocks = n / 4;
  for (size_t i = 0; i < blocks; ++i) {
    uint32_t k;
    std::memcpy(&k, p + i * 4, 4);
    h = mix_block(h, k);
  }
  const uint8_t* tail = p + blocks * 4;
  uint32_t k = 0;
  switch (n & 3) {
    case 3: k ^= uint32_t{tail[2]} << 16; [[fallthrough]];
    case 2: k ^= uint32_t{tail[1]} << 8; [[fallthrough]];
    case 1:
      k ^= tail[0];
      k *= 0xCC9E2D51u;
      k = (k << 15) | (k >> 17);
      k *= 0x1B873593u;
      h ^= k;
  }
  return finish(h ^ static_cast<uint32_t>(n));
}

uint32_t murmur3(const void* bytes, size_t n) { return murmur3_seeded(bytes, n, run_seed); }

// Four characters a round: the running hash is one dependency chain whatever the unrolling, but
// the loop's own instructions shrink, which leaves room for the next lookup's reads to start.
uint32_t latin1(const uint8_t* p, uint32_t count, bool case_sensitive) {
  const uint32_t* blocks = case_sensitive ? latin1_blocks.exact : latin1_blocks.folded;
  uint32_t h = run_seed;
  uint32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    h = mix_scrambled(h, blocks[p[i]]);
    h = mix_scrambled(h, blocks[p[i + 1]]);
    h = mix_scrambled(h, blocks[p[i + 2]]);
    h = mix_scrambled(h, blocks[p[i + 3]]);
  }
  for (; i < count; ++i) h = mix_scrambled(h, blocks[p[i]]);
  return finish(h ^ (count * 4));
}

uint32_t string(const Cell& text, bool case_sensitive) {
  SeriesBuffer* b = buffer_of(series_node(text));
  uint32_t unit = b->unit();
  if (unit != 1 && unit != 2 && unit != 4) bad_text_unit(unit);
  uint32_t total = b->tail >> b->shift();
  uint32_t head = static_cast<uint32_t>(series_head(text) < 0 ? 0 : series_head(text));
  if (head > total) head = total;
  const uint8_t* p = b->data() + (head << b->shift());
  uint32_t count = total - head;
  switch (unit) {
    case 1: return latin1(p, count, case_sensitive);
    case 2: return hash_units<uint16_t>(p, count, case_sensitive);
    default: return hash_units<uint32_t>(p, count, case_sensitive);
  }
}

uint32_t key_of(const Cell& symbol) {
  SeriesBuffer* b = buffer_of(symbol::entry_utf8(symbol));
  uint32_t len = b->used();
  return murmur3(hashtable::key_buffer(b->head_ptr(), len), len);
}

uint32_t value(const Cell& v, bool case_sensitive) {
  switch (v.type()) {
    case Type::unset: return static_cast<uint32_t>(-2);
    case Type::none_: return static_cast<uint32_t>(-1);
    case Type::datatype: case Type::logic: case Type::object: case Type::error: case Type::port:
      return int_(v.w1);
    case Type::char_: case Type::integer: case Type::map: case Type::handle: case Type::event:
      return int_(v.w2);
    case Type::native: case Type::action: return int_(v.w3);
    case Type::word: case Type::set_word: case Type::lit_word: case Type::get_word:
    case Type::refinement: case Type::issue:
      return int_(canonical_symbol(word::symbol(v)));
    case Type::block: case Type::paren: case Type::path: case Type::lit_path: case Type::set_path:
    case Type::get_path: case Type::hash: case Type::point2D: case Type::image:
      return murmur_words(v, 1, 2);
    case Type::float_: case Type::pair: case Type::percent: case Type::time:
      return murmur_words(v, 2, 2);
    case Type::op: case Type::function: case Type::triple: case Type::typeset: case Type::date:
    case Type::point3D:
      return murmur_words(v, 1, 3);
    case Type::tuple: return hash_tuple(v);
    case Type::string: case Type::file: case Type::url: case Type::tag: case Type::email:
    case Type::ref:
      return string(v, case_sensitive);
    case Type::symbol: return key_of(v);
    case Type::binary: return hash_binary(v);
    case Type::money: return hash_money(v);
    default: return 0;
  }
}

bool pointer_keyed_q(Type t) {
  switch (t) {
    case Type::block: case Type::paren: case Type::native: case Type::action: case Type::op:
    case Type::function: case Type::path: case Type::lit_path: case Type::set_path:
    case Type::get_path: case Type::object: case Type::error: case Type::hash: case Type::map:
    case Type::port: case Type::image: case Type::event:
      return true;
    default:
      return false;
  }
}

uint32_t next_pow2(uint32_t n) {
  n -= 1;
  n |= n >> 1;
  n |= n >> 2;
  n |= n >> 4;
  n |= n >> 8;
  n |= n >> 16;
  return n + 1;
}

uint32_t canonical_symbol(uint32_t id) { return symbol::resolve(id); }

}  // namespace vyn::hash
