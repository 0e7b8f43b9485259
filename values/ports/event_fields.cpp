// values/ports/event_fields.cpp: event! field access: the field, type, key and flag words, and reading
// one field of an event.
#include <array>

#include "core/error.hpp"
#include "core/gc.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/ports/event.hpp"
#include "values/numbers/pair.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::event {
namespace {

// In field index order (the index pick takes).
constexpr std::array<std::string_view, field_count> field_words = {
    "type", "face", "window", "offset", "key", "picked", "flags", "away?", "down?",
    "mid-down?", "alt-down?", "aux-down?", "ctrl?", "shift?", "orientation",
};

// By type code, from 1.
constexpr std::array<std::string_view, type_count> type_words = {
    "down", "up", "mid-down", "mid-up", "alt-down", "alt-up", "aux-down", "aux-up",
    "click", "dbl-click", "wheel", "over", "key", "key-down", "key-up", "ime", "focus",
    "unfocus", "enter", "zoom", "pan", "rotate", "two-tap", "press-tap", "select", "change",
    "menu", "close", "move", "resize", "moving", "resizing", "time", "drawing", "scroll",
    "minimize", "maximize", "restore",
};

// By special-key code, from -20 down to -42; -30 has no word.
constexpr std::array<std::string_view, 23> key_words = {
    "up", "down", "right", "left", "end", "home", "insert", "delete", "page-up", "page-down", "",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
};

struct FlagWord {
  std::string_view word;
  uint32_t bit;
};
// In the order a flags block lists them; command is accepted by make but never listed.
constexpr FlagWord flag_words[] = {
    {"away", flag::away},         {"down", flag::down},         {"mid-down", flag::mid_down},
    {"alt-down", flag::alt_down}, {"aux-down", flag::aux_down}, {"control", flag::control},
    {"shift", flag::shift},       {"alt", flag::alt},           {"command", flag::command},
};
constexpr int listed_flags = 8;

// The accessor bit of fields 8-14 (away? .. shift?).
constexpr uint32_t test_bits[] = {flag::away,     flag::down,    flag::mid_down, flag::alt_down,
                                  flag::aux_down, flag::control, flag::shift};

Cell word_of(std::string_view spelling) {
  Cell w;
  word::make_at(symbol::make(spelling), &w);
  return w;
}

// The cell at index i of the values block, or the fallback when the event has none.
Cell value_at(const Cell& event, int i, const Cell& fallback) {
  if (!values_of(event)) return fallback;
  return block::cells(make_series(Type::block, values_of(event)))[i];
}

Cell key_of(Cell event) {
  int32_t key = static_cast<int32_t>(bits_of(event) & key_mask);
  if (event.header & special_key) return key_word(-key);
  return key ? make_char(static_cast<uint32_t>(key)) : make_none();
}

// Every read of flags answers this one block, emptied and filled again: a block kept from an
// earlier read shows the flags of the latest. Made at the first read; the collector keeps it.
Cell flags_block = make_none();

void mark_flags_block(void*) { gc::mark_cell(flags_block); }

Cell* push_flags(uint32_t flags) {
  if (!flags_block.is(Type::block)) {
    Cell* made = block::push_only(listed_flags);
    flags_block = *made;
    stack::pop(1);
    gc::add_mark_callback(mark_flags_block);
  }
  block::truncate_at(flags_block, 0);
  for (int i = 0; i < listed_flags; ++i)
    if (flags & flag_words[i].bit) block::append_copy(flags_block, word_of(flag_words[i].word));
  return stack::push(flags_block);
}

}  // namespace

void forget_flags_block() { flags_block = make_none(); }

bool word_is(Cell word, std::string_view spelling) {
  return symbol::resolve(word::symbol(word)) == symbol::resolve(symbol::make(spelling));
}

int field_index(Cell word, Cell context) {
  if (word::any_word_q(word.type()))
    for (int i = 0; i < field_count; ++i)
      if (word_is(word, field_words[i])) return i + 1;
  if (context.is(Type::event)) fire(Err::script_cannot_use, {word, context});
  return -1;
}

Cell type_word(int32_t code) {
  if (code < 1 || code > type_count) return make_none();
  return word_of(type_words[code - 1]);
}

int32_t type_code(Cell word) {
  if (word::any_word_q(word.type()))
    for (int i = 0; i < type_count; ++i)
      if (word_is(word, type_words[i])) return i + 1;
  fire(Err::script_not_event_type, {word});
}

Cell key_word(int32_t code) {
  int i = -20 - code;
  if (i < 0 || i >= static_cast<int>(key_words.size()) || key_words[i].empty()) return make_none();
  return word_of(key_words[i]);
}

uint32_t flag_from_word(Cell word) {
  for (const FlagWord& f : flag_words)
    if (word_is(word, f.word)) return f.bit;
  return 0;
}

Cell* push_field(Cell event, int index) {
  switch (index) {
    case 1: return stack::push(type_word(code_of(event)));
    case 2: return stack::push(value_at(event, 0, make_none()));
    case 3: return stack::push(value_at(event, 1, make_none()));
    case 4: return stack::push(value_at(event, 2, pair::make(0, 0)));
    case 5: return stack::push(key_of(event));
    case 6: return stack::push(value_at(event, 3, make_integer(0)));
    case 7: return push_flags(bits_of(event));
    case field_count: return stack::push(make_none());
    default: return stack::push(make_logic(bits_of(event) & test_bits[index - 8]));

  }
}

}  // namespace vyn::event
