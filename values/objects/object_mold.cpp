// values/objects/object_mold.cpp: the text of objects: their fields one per line (form), wrapped in
// "make object! [" ... "]" (mold).
#include <cstring>

#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/objects/context.hpp"
#include "values/cycles.hpp"
#include "values/objects/object.hpp"
#include "values/objects/object_entries.hpp"
#include "values/predefined.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::object {
namespace {

using predefined::W;

bool is_handler(uint32_t sym) {
  uint32_t s = symbol::resolve(sym);
  return s == symbol::resolve(word::symbol(predefined::word(W::on_change_star))) ||
         s == symbol::resolve(word::symbol(predefined::word(W::on_deep_change_star)));
}

// Appends text and answers the limit less its length.
int32_t put_text(Cell* buffer, const char* text, int32_t limit) {
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(std::strlen(text));
}

int32_t new_line(Cell* buffer, int32_t indent, int32_t limit) {
  limit = put_text(buffer, "\n", limit);
  for (int32_t i = 0; i < indent; ++i) limit = put_text(buffer, "    ", limit);
  return limit;
}

// One field: the word, ": ", the value molded (a word! value as a lit-word).
int32_t put_field(Cell* buffer, const Cell& word, const Cell& value, const MoldOptions& o, int32_t limit) {
  Cell* w = stack::push(word);
  w->header = static_cast<uint32_t>(Type::word);
  Cell* v = stack::push(value);
  limit = actions::mold_direct(w, buffer, MoldOptions{}, nullptr, limit);
  limit = put_text(buffer, ": ", limit);
  if (v->header == 0) {
    limit = put_text(buffer, "unset!", limit);
  } else {
    if (v->is(Type::word)) limit = put_text(buffer, "'", limit);
    limit = actions::mold_direct(v, buffer, o, nullptr, limit);
  }
  stack::pop(2);
  return limit;
}

// The fields; written counts the fields put. only: the first field starts without a new line.
int32_t put_fields(const Cell& obj, Cell* buffer, bool only, const MoldOptions& o, int32_t limit,
                   int32_t* written) {
  NodeId ctx = context(obj);
  cycles::push(ctx);
  *written = 0;
  for (int32_t i = 0; i < context::slot_count(ctx) && limit > 0; ++i) {
    Cell word = *context::word_at(ctx, i);
    if (!o.all && is_handler(word::symbol(word))) continue;
    if (o.flat) {
      if (*written) limit = put_text(buffer, " ", limit);
    } else if (*written || !only) {
      limit = new_line(buffer, o.indent, limit);
    } else {
      for (int32_t k = 0; k < o.indent; ++k) limit = put_text(buffer, "    ", limit);
    }
    limit = put_field(buffer, word, context::values(ctx)[i], o, limit);
    ++*written;
  }
  cycles::pop();
  return limit;
}

}  // namespace

int32_t serialize(const Cell& obj, Cell* buffer, bool only, bool all, bool flat, int32_t limit,
                  int32_t indent) {
  MoldOptions o;
  o.all = all;
  o.flat = flat;
  o.indent = indent;
  int32_t written = 0;
  return put_fields(obj, buffer, only, o, limit, &written);
}

int32_t mold_object(Cell* value, Cell* buffer, const MoldOptions& o, int32_t limit, const char* prefix) {
  if (cycles::find(context(*value))) return put_text(buffer, "make object! [...]", limit);
  if (o.only) return serialize(*value, buffer, true, o.all, o.flat, limit, o.indent);
  limit = put_text(buffer, prefix, limit);
  MoldOptions inner = o;
  inner.indent = o.indent + 1;
  int32_t written = 0;
  limit = put_fields(*value, buffer, false, inner, limit, &written);
  if (written && !o.flat) limit = new_line(buffer, o.indent, limit);
  return put_text(buffer, "]", limit);
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  return mold_object(value, buffer, o, limit, "make object! [");
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  if (cycles::find(context(*value))) return put_text(buffer, "...", limit);

  return serialize(*value, buffer, true, false, false, limit, 0);
}

}  // namespace vyn::object
