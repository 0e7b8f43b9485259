// values/series/series.cpp: series!, positioning, queries and the unit-generic changes of every series.
#include "values/series/series.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/error.hpp"
#include "core/hashtable.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/series/hash_block.hpp"
#include "values/objects/error_args.hpp"
#include "values/objects/object.hpp"
#include "values/objects/ownership.hpp"
#include "values/numbers/pair.hpp"
#include "values/predefined.hpp"
#include "values/numbers/random.hpp"
#include "values/registry.hpp"
#include "values/words/symbol.hpp"
#include "values/text/string_storage.hpp"
#include "values/series/vector.hpp"

namespace vyn::series {
namespace {

uint8_t* unit_at(const Cell& s, int32_t index) {
  SeriesBuffer* b = buffer(s);
  return b->data() + (static_cast<uint32_t>(index) << b->shift());
}
uint32_t unit_size(const Cell& s) { return 1u << buffer(s)->shift(); }

// Removes count units at index, moving the rest down.
void cut(const Cell& s, int32_t index, int32_t count) {
  SeriesBuffer* b = buffer(s);
  uint64_t end = static_cast<uint64_t>(index) + static_cast<uint64_t>(count);  // a count may reach past the tail
  uint64_t from = end << b->shift();
  uint32_t to = static_cast<uint32_t>(index) << b->shift();
  if (from < b->tail) {
    std::memmove(b->data() + to, b->data() + from, b->tail - from);
    b->tail -= static_cast<uint32_t>(from - to);
  } else {
    b->tail = to;
  }
}

// Moves the head index of the call's series (args[0]) in place; these entries are their result.
void at(Cell* args) { set_series_head(args[0], offset_by(args, true)); }
void skip(Cell* args) { set_series_head(args[0], offset_by(args, false)); }
void head(Cell* args) { set_series_head(args[0], 0); }
void tail(Cell* args) { set_series_head(args[0], length_total(args[0])); }
void next(Cell* args) { skip_checked(args[0], 1); }
void back(Cell* args) {
  if (series_head(args[0]) > 0) set_series_head(args[0], series_head(args[0]) - 1);
}
void head_q(Cell* args) { args[0] = make_logic(series_head(args[0]) == 0); }
void tail_q(Cell* args) { args[0] = make_logic(at_tail(args[0])); }
void index_q(Cell* args) { args[0] = make_integer(series_head(args[0]) + 1); }
int32_t length_q(Cell* s) { return units_left(*s, false); }

// The value of the unit at an absolute index, as pick gives it.
Cell unit_value(const Cell& s, int32_t index) {
  if (is_cell_series(s.type()) || s.is(Type::map)) return *reinterpret_cast<Cell*>(unit_at(s, index));
  if (s.is(Type::binary)) return make_integer(*unit_at(s, index));
  if (s.is(Type::vector)) return vector::element(s, index);
  return make_char(string::char_at(series_node(s), static_cast<uint32_t>(index)));
}

// The absolute index pick and poke address, or -1 when out of range.
int32_t pick_target(const Cell& s, int32_t n) {
  if (n == 0) return -1;
  int64_t target = int64_t{series_head(s)} + (n > 0 ? n - 1 : n);
  return target < 0 || target >= length_total(s) ? -1 : static_cast<int32_t>(target);
}

Cell* pick(Cell* s, int32_t index, Cell*) {
  int32_t target = pick_target(*s, index);
  return stack::push(target < 0 ? make_none() : unit_value(*s, target));
}

Cell* poke(Cell* s, int32_t index, Cell* boxed, Cell* value) {
  int32_t target = pick_target(*s, index);
  if (target < 0) fire(Err::script_out_of_range, {*boxed});
  bool owned = ownership::before(*s, Action::poke, target, 1);
  Type t = s->type();
  if (is_cell_series(t)) {
    *reinterpret_cast<Cell*>(unit_at(*s, target)) = *value;
  } else if (t == Type::binary) {
    if (!value->is(Type::integer) && !value->is(Type::char_)) fire(Err::script_invalid_arg, {*value});
    *unit_at(*s, target) = static_cast<uint8_t>(value->int_value());
  } else if (t == Type::vector) {
    vector::put(*s, target, *value);
  } else if (is_char_series(t)) {
    if (!value->is(Type::char_)) fire(Err::script_invalid_arg, {*value});
    string::write_char(series_node(*s), static_cast<uint32_t>(target), char_of(*value));
  } else {
    fire(Err::script_invalid_arg, {*value});
  }
  if (owned) ownership::after(*s, Action::poke, target, 1);
  return value;
}

Cell* clear(Cell* s) {
  if (units_left(*s, false) <= 0) return s;
  bool owned = ownership::before(*s, Action::clear, series_head(*s), 0);
  SeriesBuffer* b = buffer(*s);
  b->tail = static_cast<uint32_t>(series_head(*s)) << b->shift();
  if (owned) ownership::after(*s, Action::clear, series_head(*s), 0);
  return s;
}

Cell* remove(Cell* s, Cell* part, Cell* key) {
  int32_t count = 1;
  if (part) {
    count = part_count(*s, *part);
    if (count < 1) return s;
  }
  if (key) {
    // a series kind that cannot find raises what find itself would
    auto find = actions::get<Action::find>(s);
    FindOptions o;
    o.case_ = true;
    Cell* found = find(s, key, o);
    if (found->is(Type::none_)) return found;
    *s = *found;
    count++;
  }
  int32_t head = series_head(*s);
  if (head >= length_total(*s)) return s;
  bool owned = ownership::before(*s, Action::remove, head, count);
  cut(*s, head, count);
  if (owned) ownership::after(*s, Action::remove, head, count);
  return s;
}

void swap_units(uint8_t* a, uint8_t* b, uint32_t size, std::vector<uint8_t>& scratch) {
  scratch.resize(size);
  std::memcpy(scratch.data(), a, size);
  std::memcpy(a, b, size);
  std::memcpy(b, scratch.data(), size);
}

Cell* reverse(Cell* s, Cell* part, Cell* skip) {
  if (at_tail(*s)) return s;
  int32_t count = units_left(*s, false);
  if (part) {
    int32_t n = part_count(*s, *part);
    if (n < 1) return s;
    if (n < count) count = n;
  }
  int32_t size = 1;
  if (skip) {
    if (!skip->is(Type::integer)) fire(Err::script_invalid_refine_arg, {word_arg("skip"), *skip});
    size = skip->int_value();
    if (size == count) return s;
    if (size < 1) fire(Err::script_out_of_range, {*skip});
    if (size > count || count % size) fire(Err::script_invalid_refine_arg, {word_arg("skip"), *skip});
  }
  int32_t head = series_head(*s);
  bool owned = ownership::before(*s, Action::reverse, head, count);
  uint32_t record = static_cast<uint32_t>(size) * unit_size(*s);
  std::vector<uint8_t> scratch;
  for (int32_t lo = head, hi = head + count - size; lo < hi; lo += size, hi -= size)
    swap_units(unit_at(*s, lo), unit_at(*s, hi), record, scratch);
  if (owned) ownership::after(*s, Action::reverse, head, count);
  return s;
}

}  // namespace

Cell* push_copy_range(const Cell& source, int32_t index, int32_t count, Cell* result) {
  Cell src = source;
  SeriesBuffer* b = buffer(src);
  uint32_t shift = b->shift();
  uint32_t bytes = static_cast<uint32_t>(count) << shift;
  *result = make_unset();
  NodeId node = alloc::new_bytes(bytes);
  SeriesBuffer* from = buffer(src);
  SeriesBuffer* to = buffer_of(node);
  to->flags = (from->flags & ~(SeriesBuffer::big | SeriesBuffer::malloced | SeriesBuffer::mark |
                               SeriesBuffer::owned | SeriesBuffer::middle)) |
              (to->flags & SeriesBuffer::big);
  if (bytes) std::memcpy(to->data(), from->data() + (static_cast<uint32_t>(index) << shift), bytes);
  to->tail = bytes;
  uint32_t elem = src.is(Type::vector) ? static_cast<uint32_t>(vector::elem_type(src)) : 0;
  *result = make_series(src.type(), node, 0, elem);
  result->header |= src.header & Cell::flag_new_line;
  return result;
}

namespace {

Cell* take(Cell* s, Cell* part, bool deep, bool last) {
  int32_t left = units_left(*s, false);
  int32_t head = series_head(*s);
  if (left <= 0) return stack::push(make_none());
  int32_t n = 1;
  if (part) {
    if (part->is(Type::integer)) {
      n = part_count(*s, *part);
    } else if (part->type() == s->type() && series_node(*part) == series_node(*s)) {
      int32_t p = series_head(*part);
      n = p < head ? 0 : last ? left - (p - head) : p - head;
    } else {
      fire(Err::script_invalid_refine_arg, {word_arg("part"), *part});
    }
    // A count of 0 takes nothing: the same empty result a negative count gives with /last.
    if (n > left) n = left;
  }
  int32_t from;
  if (n >= 0) {
    from = last ? head + left - n : head;
  } else {
    n = last ? 0 : (-n > head ? head : -n);
    from = head - n;
  }
  Cell* result = stack::push_unset();
  push_copy_range(*s, from, n, result);
  if (n > 0) {
    bool owned = ownership::before(*s, Action::take, from, n);
    cut(*s, from, n);
    if (from < head) set_series_head(*s, from);
    if (owned) ownership::after(*s, Action::take, from, n);
  }
  return result;
}

// copy/part with a pair x by y: from the x-th unit after the head (counted from the head itself
// when x is negative) up to, not including, the y-th.
void pair_range(const Cell& s, const Cell& part, int32_t& start, int32_t& count) {
  int64_t x = pair::x_of(part), y = pair::y_of(part);
  int64_t from = int64_t{series_head(s)} + (x < 0 ? x : x - 1);
  start = from < 0 ? 0 : from > INT32_MAX ? INT32_MAX : static_cast<int32_t>(from);
  count = y < x ? 0 : static_cast<int32_t>(std::min<int64_t>(y - x, INT32_MAX));
}

Cell* copy(Cell* value, Cell* result, Cell* part, bool deep, Cell* types) {
  int32_t total = length_total(*value);
  int32_t start = series_head(*value);
  if (start > total) start = total;
  if (start < 0) start = 0;
  int32_t count = total - start;
  if (part && part->is(Type::pair)) {
    pair_range(*value, *part, start, count);
    if (start > total) start = total;
    if (count > total - start) count = total - start;
  } else if (part) {
    count = part_count(*value, *part);
    if (count < 0) {
      start += count;
      count = -count;
      if (start < 0) {
        count = series_head(*value);
        start = 0;
      }
    }
    if (start + count > total) count = total - start;
  }
  if (result != value) *result = make_unset();
  return push_copy_range(*value, start, count, result);
}

// Moves units within one buffer: cut them out and write them back at the target position.
void move_within(Cell* origin, Cell* target, int32_t count) {
  int32_t from = series_head(*origin);
  int32_t to = series_head(*target);
  int32_t len = length_total(*origin);
  if (to > len) to = len;
  if (from == to) return;
  if (from < to && to < len && to - from < count) return;
  uint32_t unit = unit_size(*origin);
  std::vector<uint8_t> scratch(count * unit);
  std::memcpy(scratch.data(), unit_at(*origin, from), scratch.size());
  cut(*origin, from, count);
  if (to > from) to -= count;
  if (to > length_total(*origin)) to = length_total(*origin);
  SeriesBuffer* b = buffer(*origin);
  uint8_t* at = b->data() + to * unit;
  std::memmove(at + scratch.size(), at, b->tail - to * unit);
  std::memcpy(at, scratch.data(), scratch.size());
  b->tail += static_cast<uint32_t>(scratch.size());
}

Cell* move(Cell* origin, Cell* target, Cell* part) {
  Type tt = target->type();
  if (!is_cell_series(tt) && !is_char_series(tt) && tt != Type::binary && tt != Type::vector &&
      tt != Type::image)
    fire(Err::script_expect_arg, {word_arg("move"), make_datatype(tt), word_arg("target")});
  if (at_tail(*origin)) return target;
  int32_t left = units_left(*origin, false);
  int32_t count = 1;
  if (part) {
    if (!part->is(Type::integer)) fire(Err::script_invalid_refine_arg, {word_arg("part"), *part});
    count = part->int_value();
    if (count < 1) return target;
    if (count > left) count = left;
  }
  Type ot = origin->type();
  bool owned = ownership::before(*origin, Action::move, series_head(*origin), count);
  if (series_node(*origin) == series_node(*target)) {
    move_within(origin, target, count);
  } else {
    if (is_cell_series(ot) != is_cell_series(tt))
      fire(Err::script_move_bad, {make_datatype(ot), make_datatype(tt)});
    Cell moved;
    Cell* pushed = stack::push_unset();
    push_copy_range(*origin, series_head(*origin), count, pushed);
    moved = *pushed;
    bool widths_differ = unit_size(*origin) != unit_size(*target);
    if (widths_differ && (ot == Type::binary || tt == Type::binary || ot == Type::vector || tt == Type::vector))
      fire(Err::script_move_bad, {make_datatype(ot), make_datatype(tt)});
    int32_t at = series_head(*target);
    if (at > length_total(*target)) at = length_total(*target);
    for (int32_t i = 0; i < count; ++i) {
      // one unit at a time keeps character series of different widths right
      Cell unit = unit_value(moved, i);
      NodeId tn = series_node(*target);
      if (is_cell_series(tt)) {
        SeriesBuffer* b = buffer_of(tn);
        if (b->tail + sizeof(Cell) > b->size) b = alloc::expand_series_copy(tn, (b->tail + sizeof(Cell)) * 2);
        Cell* pos = reinterpret_cast<Cell*>(b->data()) + at + i;
        std::memmove(pos + 1, pos, b->tail - (at + i) * sizeof(Cell));
        *pos = unit;
        b->tail += sizeof(Cell);
      } else {
        uint32_t cp = char_of(unit);
        string::append_char(tn, 0);
        SeriesBuffer* b = buffer_of(tn);
        uint32_t len = b->tail >> b->shift();
        for (uint32_t k = len - 1; k > static_cast<uint32_t>(at + i); --k)
          string::write_char(tn, k, string::char_at(tn, k - 1));
        if (tt == Type::binary) *(buffer_of(tn)->data() + at + i) = static_cast<uint8_t>(cp);
        else string::write_char(tn, static_cast<uint32_t>(at + i), cp);
      }
    }
    cut(*origin, series_head(*origin), count);
    if (tt == Type::hash) hashtable::rehash(hash_block::table(*target));  // a hash! target indexes its new cells
    stack::set_top(pushed);
  }
  if (owned) ownership::after(*origin, Action::move, series_head(*origin), count);
  return target;
}

}  // namespace

bool is_cell_series(Type t) {
  return t == Type::block || t == Type::paren || t == Type::hash || t == Type::path ||
         t == Type::lit_path || t == Type::set_path || t == Type::get_path;
}

bool is_char_series(Type t) {
  return t == Type::string || t == Type::file || t == Type::url || t == Type::tag ||
         t == Type::email || t == Type::ref;
}

bool skip_checked(Cell& s, int32_t n) {
  int32_t pos = series_head(s) + n;
  bool past = pos >= length_total(s);
  if (pos <= length_total(s)) set_series_head(s, pos);
  return past;
}

int32_t units_left(Cell& s, bool from_start) {
  int32_t len = length_total(s);
  int32_t head = series_head(s);
  if (head > len) {
    set_series_head(s, len);
    return 0;
  }
  if (from_start || head < 0) head = 0;
  return len - head;
}

int32_t offset_by(Cell* args, bool at) {
  if (!args[1].is(Type::integer)) fire(Err::script_invalid_arg, {args[1]});
  int64_t offset = args[1].int_value();
  if (at && offset >= 1) offset--;
  int64_t pos = int64_t{series_head(args[0])} + offset;
  int32_t len = length_total(args[0]);
  return pos < 0 ? 0 : pos > len ? len : static_cast<int32_t>(pos);
}

uint64_t head_bytes_be(const Cell& bin, int32_t max) {
  int32_t len = length_total(bin);
  int32_t head = series_head(bin) < 0 ? 0 : series_head(bin);
  const uint8_t* at = buffer(bin)->data() + head;
  int32_t n = len - head < max ? len - head : max;
  uint64_t v = 0;
  for (int32_t i = 0; i < n; ++i) v = v << 8 | at[i];
  return v;
}

// The lowest integer is taken as one above it, so callers may negate a count.
int32_t part_count(const Cell& s, const Cell& part) {
  if (part.is(Type::integer)) return part.int_value() == INT32_MIN ? -INT32_MAX : part.int_value();
  if (part.type() == s.type() && series_node(part) == series_node(s))
    return series_head(part) - series_head(s);
  fire(Err::script_invalid_refine_arg, {word_arg("part"), part});
}

// modify series 'owned [owner word] makes the series (and those nested in it) owned by the
// object through the word; 'owned none takes that ownership away.
Cell* modify(Cell* s, Cell* field, Cell* value, bool) {
  if (!field->is(Type::word) || word::symbol(*field) != predefined::symbol(predefined::S::owned))
    fire(Err::script_invalid_arg, {*field});
  if (value->is(Type::none_)) {
    ownership::unbind(*s);
    return s;
  }
  bool shape = value->is(Type::block) && block::vs_length(*value) >= 2 &&
               object::is_object_like(block::vs_head(*value)[0].type());
  if (!shape) fire(Err::script_invalid_arg, {*value});
  ownership::set_owner(*s, block::vs_head(*value)[0], block::vs_head(*value)[1]);
  return s;
}

// reflect series 'owned: the owner object, or none; the ownership table is the only field a
// series has, so any other field is not provided.
Cell* reflect(Cell* s, Cell* field) {
  if (!field->is(Type::word) ||
      symbol::resolve(word::symbol(*field)) != symbol::resolve(predefined::symbol(predefined::S::owned)))
    fire(Err::internal_not_done);
  Cell* owner = ownership::get(series_node(*s));
  return stack::push(owner ? *owner : make_none());
}

void install() {
  using registry::def;
  registry::define(Type::series, {
      def<Action::random>(random::of_series),
      def<Action::at>(at), def<Action::back>(back), def<Action::clear>(clear),
      def<Action::copy>(copy), def<Action::head>(head), def<Action::head_q>(head_q),
      def<Action::index_q>(index_q), def<Action::length_q>(length_q), def<Action::move>(move),
      def<Action::next>(next), def<Action::pick>(pick), def<Action::poke>(poke),
      def<Action::remove>(remove), def<Action::reverse>(reverse), def<Action::skip>(skip),
      def<Action::tail>(tail), def<Action::tail_q>(tail_q), def<Action::take>(take),
      def<Action::modify>(modify), def<Action::reflect>(reflect),
  });
}

}  // namespace vyn::series
