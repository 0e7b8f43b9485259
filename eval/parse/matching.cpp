// eval/parse/matching.cpp: matching one literal or datatype at the input index, and the extent of
// a rule element.
#include <cstring>
#include <string>

#include "core/error.hpp"
#include "eval/parse/parser.hpp"
#include "core/stack.hpp"
#include "values/series/binary.hpp"
#include "values/series/bitset.hpp"
#include "values/series/block.hpp"
#include "values/compare.hpp"
#include "values/series/series.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"

namespace vyn::parse {

namespace {

bool is_text(Type t) {
  return t == Type::string || t == Type::file || t == Type::url || t == Type::email || t == Type::ref;
}

// Characters the value takes in the input when it matches.
int32_t matched_length(const Cell& value) {
  if (value.is(Type::char_)) return 1;
  int32_t n = string::length(value);
  return value.is(Type::tag) ? n + 2 : n;
}

bool match_text(Parser& p, const Cell& value) {
  Type t = value.type();
  if (t == Type::bitset) {
    if (p.at_end()) return false;
    Cell str = *p.input;
    if (!string::char_in_bitset_q(str, value)) return false;
    p.set_index(p.index() + 1);
    return true;
  }
  if (p.at_end()) return (t == Type::string || t == Type::file || t == Type::url) && string::length(value) == 0;
  if (!(is_text(t) || t == Type::char_ || t == Type::tag)) return false;
  int32_t n = matched_length(value);
  if (p.index() + n > p.end()) return false;
  stack::Mark mark;
  Cell* str = stack::push(*p.input);
  Cell* v = stack::push(value);
  if (!string::match_value(str, v, p.mode)) return false;
  p.set_index(p.index() + n);
  return true;
}

bool match_item(Parser& p, const Cell& value) {
  if (p.at_end()) return false;
  stack::Mark mark;
  Cell* item = stack::push(block::cells(*p.input)[p.index()]);
  Cell* v = stack::push(value);
  if (compare_value(item, v, p.mode) != 0) return false;
  p.set_index(p.index() + 1);
  return true;
}

// Binary input: a binary or text rule value by its bytes, a char! or bitset by one byte.
bool match_bytes(Parser& p, const Cell& value) {
  Type t = value.type();
  std::string bytes;
  if (t == Type::binary) {
    const uint8_t* b = binary::head_bytes(value);
    bytes.assign(reinterpret_cast<const char*>(b), static_cast<size_t>(binary::length(value)));
  } else if (is_text(t)) {
    binary::text_utf8(value, -1, bytes);
  } else if (!(t == Type::char_ || t == Type::bitset)) {
    return false;
  }
  if (p.at_end()) return bytes.empty() && t != Type::char_ && t != Type::bitset;
  Cell at = *p.input;
  const uint8_t* head = binary::head_bytes(at);
  if (t == Type::char_ || t == Type::bitset) {
    bool ok = t == Type::char_ ? char_of(value) == head[0] : bitset::has(value, head[0]);
    if (ok) p.set_index(p.index() + 1);
    return ok;
  }
  int32_t n = static_cast<int32_t>(bytes.size());
  if (p.index() + n > p.end() || std::memcmp(head, bytes.data(), bytes.size()) != 0) return false;
  p.set_index(p.index() + n);
  return true;
}

}  // namespace

bool match_literal(Parser& p, const Cell& value) {
  Type t = p.input->type();
  if (block::is_any_block(t)) return match_item(p, value);
  if (series::is_char_series(t)) return match_text(p, value);
  return match_bytes(p, value);
}

bool match_type(Parser& p, const Cell& type) {
  if (!block::is_any_block(p.input->type())) fire(Err::script_parse_unsupported);
  if (p.at_end()) return false;
  Type t = block::cells(*p.input)[p.index()].type();
  bool ok = type.is(Type::datatype) ? datatype_of(type) == t : typeset::has(type, t);
  if (ok) p.set_index(p.index() + 1);
  return ok;
}

int32_t extent(const Cell& block, int32_t pos) {
  int32_t end = block_end(block);
  if (pos >= end) return pos;
  Cell v = element(block, pos++);
  if (v.is(Type::integer) || (v.is(Type::word) && keyword(v) == Key::none_word)) {
    if (v.is(Type::word)) {
      if (!word_value(v).is(Type::integer)) return pos;
    }
    if (pos < end) {
      Cell n = element(block, pos);
      if (n.is(Type::integer) || (n.is(Type::word) && keyword(n) == Key::none_word &&
                                  word_value(n).is(Type::integer)))
        ++pos;
    }
    return extent(block, pos);
  }
  if (!v.is(Type::word)) return pos;
  switch (keyword(v)) {
    case Key::any: case Key::some: case Key::opt: case Key::while_: case Key::to: case Key::thru:
    case Key::not_: case Key::ahead: return extent(block, pos);
    case Key::remove:
      if (pos < end && element(block, pos).is(Type::get_word)) return pos + 1;
      return extent(block, pos);
    case Key::copy: case Key::set: case Key::case_: return extent(block, pos + 1);
    case Key::quote: case Key::if_: case Key::into: return pos + 1;
    case Key::collect:
      if (pos < end) {
        Cell n = element(block, pos);
        bool after = n.is(Type::word) &&
                     symbol::resolve(word::symbol(n)) == symbol::resolve(predefined::symbol(predefined::S::after));
        if (is_word(n, Key::set) || is_word(n, Key::into) || after)
          pos += 2;
      }
      return extent(block, pos);
    case Key::keep:
      if (pos < end && is_word(element(block, pos), Key::none_word) &&
          symbol::resolve(word::symbol(element(block, pos))) == symbol::resolve(predefined::symbol(predefined::S::pick)))
        ++pos;
      return extent(block, pos);
    case Key::insert: case Key::change: {
      if (pos < end && element(block, pos).is(Type::word) &&
          symbol::resolve(word::symbol(element(block, pos))) == symbol::resolve(predefined::symbol(predefined::S::only)))
        ++pos;
      return keyword(v) == Key::insert ? pos + 1 : extent(block, pos) + 1;
    }
    default: return pos;
  }
}

}  // namespace vyn::parse
