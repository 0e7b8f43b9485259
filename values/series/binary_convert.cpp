// values/series/binary_convert.cpp: the bytes a value stands for when it goes into a binary.
#include <algorithm>

#include "core/error.hpp"
#include "core/text/unicode.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/binary.hpp"
#include "values/series/block.hpp"
#include "values/cycles.hpp"
#include "values/series/series.hpp"
#include "values/text/string_storage.hpp"
#include "values/numbers/tuple.hpp"

namespace vyn::binary {
namespace {

void cut(std::string& out, size_t from, int32_t limit) {
  if (limit > 0 && out.size() - from > static_cast<size_t>(limit)) out.resize(from + static_cast<size_t>(limit));
}

// Keeps a block on the cycle stack while its elements are converted, so that a block holding
// itself stops with internal/too-deep instead of recursing without end.
struct CycleGuard {
  explicit CycleGuard(NodeId node) { cycles::push(node); }
  ~CycleGuard() { cycles::pop(); }
};

void block_bytes(Cell* block, int32_t limit, bool bytes_limit, Mode mode, std::string& out) {
  size_t from = out.size();
  int32_t n = std::max(block::vs_length(*block), 0);
  if (limit > 0 && !bytes_limit) n = std::min(n, limit);
  CycleGuard guard(series_node(*block));
  for (int32_t i = 0; i < n; ++i) {
    stack::Mark mark;
    Cell* element = stack::push(block::cells(*block)[series_head(*block) + i]);
    bytes_of(element, -1, false, mode == Mode::to ? Mode::insert : mode, out);
  }
  if (bytes_limit) cut(out, from, limit);
}

void formed_bytes(Cell* value, std::string& out) {
  stack::Mark mark;
  Cell* text = string::make_at(stack::push_unset(), 16);
  actions::form_direct(value, text, nullptr, 0x7FFFFFFF);
  text_utf8(*text, -1, out);
}

void integer_byte(Cell* value, std::string& out) {
  int32_t v = value->int_value();
  if (v < -128 || v > 255) fire(Err::script_invalid_arg, {*value});
  out.push_back(static_cast<char>(v));
}

}  // namespace

void text_utf8(const Cell& text, int32_t limit, std::string& out) {
  int32_t n = string::length(text);
  SeriesBuffer* b = buffer_of(series_node(text));
  uint32_t unit = b->unit() ? b->unit() : 1;
  uint8_t* at = b->data() + static_cast<uint32_t>(series_head(text)) * unit;
  size_t from = out.size();
  uint8_t seq[4];
  for (int32_t i = 0; i < n; ++i) {
    int k = unicode::encode_utf8(string::get_char(at + static_cast<uint32_t>(i) * unit, unit), seq);
    out.append(reinterpret_cast<char*>(seq), static_cast<size_t>(k));
  }
  cut(out, from, limit);
}

void bytes_of(Cell* value, int32_t limit, bool bytes_limit, Mode mode, std::string& out) {
  size_t from = out.size();
  switch (value->type()) {
    case Type::char_: {
      uint8_t seq[4];
      int k = unicode::encode_utf8(char_of(*value), seq);
      out.append(reinterpret_cast<char*>(seq), static_cast<size_t>(k));
      break;
    }
    case Type::integer: integer_byte(value, out); break;
    case Type::tuple: {
      tuple::Bytes t = tuple::bytes_of(*value);
      out.append(reinterpret_cast<const char*>(t.b), static_cast<size_t>(t.size));
      break;
    }
    case Type::binary:
      out.append(reinterpret_cast<const char*>(head_bytes(*value)), static_cast<size_t>(length(*value)));
      break;
    case Type::string: case Type::file: case Type::url: case Type::tag: case Type::email:
    case Type::ref:
      text_utf8(*value, -1, out);
      break;
    case Type::block: case Type::paren: case Type::hash:
      block_bytes(value, limit, bytes_limit, mode, out);
      return;
    default:
      if (mode != Mode::change) fire(Err::script_bad_to_arg, {make_datatype(Type::binary), *value});
      formed_bytes(value, out);
      break;
  }
  cut(out, from, limit);
}

}  // namespace vyn::binary
