// values/text/string_modify.cpp: append, insert, change, take and swap on character series.
#include <cstring>

#include "core/error.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/numbers/number.hpp"
#include "values/series/block.hpp"
#include "values/objects/ownership.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"
#include "values/text/string_actions.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::string {
namespace {

constexpr uint64_t largest_text = 0x7FFFFFF0u / 4;  // characters, at the widest unit

// The text a value puts into a string, as a rooted text cell and a count of characters from its
// head. A value sharing the target's buffer is copied first, so that moving the target's
// characters cannot move the text being written.
struct Source {
  Cell* text;
  int32_t count;
};

int32_t limited(int32_t n, int32_t part) { return part >= 0 && part < n ? part : n; }

Cell* new_text() { return make_at(stack::push_unset(), 16); }

void cut_to(Cell* text, int32_t part) {
  if (part >= 0) truncate_at(*text, series_head(*text) + part);
}

// Each element formed in turn, without separators.
Cell* formed_elements(Cell* block, int32_t part, bool only) {
  Cell* out = new_text();
  int32_t n = block::vs_length(*block);
  if (n < 0) n = 0;
  if (!only) n = limited(n, part);
  for (int32_t i = 0; i < n; ++i) {
    stack::Mark mark;
    Cell* element = stack::push(block::cells(*block)[series_head(*block) + i]);
    actions::form_direct(element, out, nullptr, 0x7FFFFFFF);
  }
  if (only) cut_to(out, part);
  return out;
}

Cell* formed_tag(Cell* tag, int32_t part) {
  Cell* out = new_text();
  append_char(series_node(*out), '<');
  concatenate(out, tag, -1, 0, true, Concat::append);
  append_char(series_node(*out), '>');
  cut_to(out, part);
  return out;
}

Cell* formed(Cell* value, int32_t part) {
  Cell* out = new_text();
  Cell* v = stack::push(*value);
  actions::form_direct(v, out, nullptr, 0x7FFFFFFF);
  cut_to(out, part);
  return out;
}

// A copy of count characters of text from its head, in a new string of text's unit.
Cell* copied(Cell* text, int32_t count) {
  Cell* out = new_text();
  concatenate(out, text, count, 0, true, Concat::append);
  return out;
}

Source source_of(Cell* value, int32_t part, bool only, NodeId target) {
  Cell* text;
  switch (value->type()) {
    case Type::string: case Type::file: case Type::url: case Type::email: case Type::ref: {
      int32_t n = limited(length_q(*value), part);
      if (series_node(*value) != target) return {value, n};
      text = copied(value, n);
      break;
    }
    case Type::tag: text = formed_tag(value, part); break;
    case Type::block: case Type::paren: case Type::hash: text = formed_elements(value, part, only); break;
    default: text = formed(value, part); break;
  }
  return {text, length_q(*text)};
}

// The source repeated dup times, in one new string; nothing repeated is still nothing.
Source repeated(Source s, int32_t dup) {
  if (s.count == 0) return s;
  Cell* out = new_text();
  for (int32_t i = 0; i < dup; ++i) concatenate(out, s.text, s.count, 0, true, Concat::append);
  return {out, s.count * dup};
}

void check_size(Cell* series, uint64_t count, int32_t dup) {
  if (uint64_t{static_cast<uint32_t>(length_total(*series))} + count * static_cast<uint32_t>(dup) > largest_text)
    fire(Err::internal_no_memory);
}

int32_t clamped_head(Cell* series) {
  series::units_left(*series, false);
  return series_head(*series) < 0 ? 0 : series_head(*series);
}

// Writes n characters at at, replacing `replaced` of them: a char! one by one (so that writing
// keeps Latin-1 in one byte), text by overwriting and then inserting the rest.
void write_over(Cell* series, int32_t at, int32_t replaced, const Cell* ch, Source s, int32_t n) {
  NodeId node = series_node(*series);
  if (ch) {
    for (int32_t i = 0; i < n; ++i) {
      uint32_t index = static_cast<uint32_t>(at + i);
      if (i < replaced) write_char(node, index, char_of(*ch));
      else insert_char(node, index, char_of(*ch));
    }
  } else {
    stack::Mark mark;
    Cell* target = stack::push(*series);
    set_series_head(*target, at);
    int32_t over = replaced < n ? replaced : n;
    concatenate(target, s.text, over, 0, true, Concat::overwrite);
    if (n > over) {
      Cell* rest = stack::push(*s.text);
      set_series_head(*rest, series_head(*s.text) + over);
      concatenate(target, rest, n - over, over, true, Concat::insert);
    }
  }
  if (n < replaced) remove_part(*series, static_cast<uint32_t>(at + n), static_cast<uint32_t>(replaced - n));
}

// An integer! appended once: its decimal text goes straight to the tail, without the string that
// forming it on its own would make.
Cell* append_integer(Cell* series, const Cell& value, int32_t part, bool notify) {
  integer::Decimal d = integer::form_decimal(value.int_value());
  std::string_view text = d.view().substr(0, part >= 0 ? static_cast<size_t>(part) : std::string_view::npos);
  int32_t at = length_total(*series);
  int32_t n = static_cast<int32_t>(text.size());
  check_size(series, static_cast<uint32_t>(n), 1);
  bool owned = notify && ownership::before(*series, Action::append, at, n);
  append_latin1(*series, text);
  if (owned) ownership::after(*series, Action::append, at, n);
  set_series_head(*series, 0);
  return series;
}

// Whether text appended once from value may go straight to the tail: a text of the same unit in
// another buffer, and a target without an owner to tell.
bool plain_text_append(const Cell& series, const Cell& value) {
  switch (value.type()) {
    case Type::string: case Type::file: case Type::url: case Type::email: case Type::ref: break;
    default: return false;
  }
  if (series.is(Type::symbol) || series_node(series) == series_node(value)) return false;
  SeriesBuffer* t = buffer_of(series_node(series));
  if (t->flags & SeriesBuffer::owned) return false;
  return unicode::checked_unit(t) == unicode::checked_unit(buffer_of(series_node(value)));
}

// Its units copied to the tail, the target growing as concatenate grows it.
Cell* append_plain_text(Cell* series, Cell* value, int32_t part) {
  int32_t n = limited(length_q(*value), part);
  check_size(series, static_cast<uint32_t>(n), 1);
  NodeId tn = series_node(*series);
  SeriesBuffer* t = buffer_of(tn);
  uint32_t unit = unicode::checked_unit(t);
  uint64_t bytes = uint64_t{static_cast<uint32_t>(n)} * unit;
  if (bytes) {
    if (t->tail + bytes > t->size) {
      uint64_t grown = ((t->tail + bytes) * 2 + 15) & ~uint64_t{15};
      if (grown > 0x7FFFFFF0u) fire(Err::internal_no_memory);
      t = alloc::expand_series_copy(tn, static_cast<uint32_t>(grown));
    }
    uint32_t from = static_cast<uint32_t>(series_head(*value) < 0 ? 0 : series_head(*value)) * unit;
    std::memcpy(t->tail_ptr(), buffer_of(series_node(*value))->data() + from, bytes);
    t->tail += static_cast<uint32_t>(bytes);
  }
  set_series_head(*series, 0);
  return series;
}

}  // namespace

Cell* append_value(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append,
                   bool notify) {
  if (dup <= 0) return series;
  if (is_append && dup == 1 && value->is(Type::integer) && !series->is(Type::symbol))
    return append_integer(series, *value, part, notify);
  if (is_append && dup == 1 && plain_text_append(*series, *value)) return append_plain_text(series, value, part);
  int32_t at = is_append ? length_total(*series) : clamped_head(series);
  bool is_char = value->is(Type::char_);
  Cell ch = *value;
  stack::Mark mark;
  Source s{nullptr, 1};
  if (!is_char) {
    s = source_of(value, part, only, series_node(*series));
    check_size(series, static_cast<uint32_t>(s.count), dup);
    if (dup > 1) s = repeated(s, dup);
  } else {
    check_size(series, 1, dup);  // one character a step: a count too big must fail before looping
  }
  int32_t n = is_char ? dup : s.count;
  Action notice = is_append ? Action::append : Action::insert;
  bool owned = notify && ownership::before(*series, notice, at, n);
  NodeId node = series_node(*series);
  if (is_char) {
    for (int32_t i = 0; i < dup; ++i) {
      if (is_append) append_char(node, char_of(ch));
      else insert_char(node, static_cast<uint32_t>(at + i), char_of(ch));
    }
  } else {
    concatenate(series, s.text, s.count, 0, true,
                is_append ? Concat::append : Concat::insert);
  }
  if (owned) ownership::after(*series, notice, at, n);
  set_series_head(*series, is_append ? 0 : at + n);
  return series;
}

Cell* append(Cell* series, Cell* value, int32_t part, bool only, int32_t dup, bool is_append) {
  return append_value(series, value, part, only, dup, is_append, true);
}

// Replaces as many characters as it writes, or /part of them, by the value's text.
Cell* change(Cell* series, Cell* value, int32_t part, bool only, int32_t dup) {
  if (dup <= 0) return series;
  int32_t at = clamped_head(series);
  int32_t left = length_total(*series) - at;
  bool is_char = value->is(Type::char_);
  Cell ch = *value;
  stack::Mark mark;
  Source s{nullptr, 1};
  if (!is_char) {
    s = source_of(value, -1, only, series_node(*series));
    check_size(series, static_cast<uint32_t>(s.count), dup);
    if (dup > 1) s = repeated(s, dup);
  } else {
    check_size(series, 1, dup);  // one character a step: a count too big must fail before looping
  }
  int32_t n = is_char ? dup : s.count;
  int32_t replaced = limited(left, part >= 0 ? part : n);
  bool owned = ownership::before(*series, Action::change, at, n);
  write_over(series, at, replaced, is_char ? &ch : nullptr, s, n);
  if (owned) ownership::after(*series, Action::change, at, n);
  set_series_head(*series, at + n);
  return series;
}

// The series! take, whose single unit without /part becomes a char! (a binary's an integer!).
Cell* take(Cell* series, Cell* part, bool deep, bool last) {
  Cell* taken = registry::entry<Action::take>(Type::series)(series, part, deep, last);
  if (part || taken->is(Type::none_)) return taken;
  uint32_t v = char_at(series_node(*taken), 0);
  *taken = taken->is(Type::binary) ? make_integer(static_cast<int32_t>(v)) : make_char(v);
  return taken;
}

Cell* swap(Cell* series1, Cell* series2) {
  auto text_like = [](const Cell& c) { return series::is_char_series(c.type()) || c.is(Type::binary); };
  if (!text_like(*series1)) fire(Err::script_invalid_arg, {*series1});
  if (!text_like(*series2) || series1->is(Type::binary) != series2->is(Type::binary))
    fire(Err::script_invalid_arg, {*series2});
  if (at_tail_q(*series1) || at_tail_q(*series2)) return series1;
  int32_t a = series_head(*series1), b = series_head(*series2);
  NodeId na = series_node(*series1), nb = series_node(*series2);
  uint32_t ca = char_at(na, static_cast<uint32_t>(a)), cb = char_at(nb, static_cast<uint32_t>(b));
  bool owned1 = ownership::before(*series1, Action::swap, a, 1);
  bool owned2 = ownership::before(*series2, Action::swap, b, 1);
  write_char(na, static_cast<uint32_t>(a), cb);
  write_char(nb, static_cast<uint32_t>(b), ca);
  if (owned1) ownership::after(*series1, Action::swap, a, 1);
  if (owned2) ownership::after(*series2, Action::swap, b, 1);
  return series1;
}

}  // namespace vyn::string
