// values/objects/error_form.cpp: the error report that form writes ("*** Script Error: ..." with the
// Where, Near, Stack and Files lines), and the stack capture of try/keep.
#include <algorithm>
#include <cstring>

#include "core/error.hpp"
#include "values/frames.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/error.hpp"
#include "values/objects/object.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::error {
namespace {

constexpr int32_t near_limit = 40;
constexpr int32_t argument_limit = 80;

struct Report {
  Cell* buffer;
  int32_t limit;

  void put(const char* text) {
    string::append_latin1(*buffer, text);
    limit -= static_cast<int32_t>(std::strlen(text));
  }

  // Molds or forms the value into text; false when that raises (a value inside has no text yet).
  // The error being reported stays the pending one: its arguments wait on the stack meanwhile.
  static bool text_of(Cell* v, Cell* text, bool mold, bool only, int32_t max) {
    vyn::PendingError saved = vyn::pending_error();
    Cell* kept = stack::top();
    for (int i = 0; i < 3; ++i) stack::push(saved.args[i]);
    bool done = true;
    try {
      MoldOptions o;
      o.only = only;
      o.flat = true;
      if (mold) actions::mold_direct(v, text, o, nullptr, max);
      else actions::form_direct(v, text, nullptr, max);
    } catch (const vyn::Raised&) {
      done = false;
    }
    for (int i = 0; i < 3; ++i) saved.args[i] = kept[i];
    vyn::pending_error() = saved;
    stack::set_top(kept);
    return done;
  }

  // The value molded (or formed) into a scratch string, of which at most max characters are kept.
  void put_value(const Cell& value, bool mold, bool only, int32_t max) {
    Cell* top = stack::top();
    Cell* v = stack::push(value);
    Cell* text = string::make_at(stack::push_unset(), 16);
    Action slot = mold ? Action::mold : Action::form;
    if (!registry::raw_entry(v->type(), slot) || !text_of(v, text, mold, only, max)) {
      string::clear(*text);
      string::append_latin1(*text, registry::type_name(v->type()));  // a type without text yet
    }
    int32_t n = std::min(string::length(*text), max);
    string::concatenate(buffer, text, n, 0, false, string::Concat::append);
    limit -= n;
    stack::set_top(top);
  }
};

// A field of system/state, or none!.
Cell state_field(const char* name) {
  const Cell& s = state();
  if (!object::is_object_like(s.type())) return make_none();
  int32_t index = context::find_word(object::context(s), symbol::make(name), true);
  return index < 0 ? make_none() : context::values(object::context(s))[index];
}

// system/state/stack-trace when it is a positive integer, else 0.
int32_t trace_mode() {
  Cell mode = state_field("stack-trace");
  return mode.is(Type::integer) && mode.int_value() > 0 ? mode.int_value() : 0;
}

Cell* walk_to(int32_t mode, int32_t depth) {
  Cell* trace = block::push_only(20);
  int32_t end = std::min(depth, stack::frame_depth());
  stack::walk_frames(mode, *trace, stack::frames_bottom() + (end < 0 ? 0 : end));
  return trace;
}

Cell plain_word(Cell w) {
  w.header = static_cast<uint32_t>(Type::word);
  return w;
}

// Makes the error internal/invalid-error about the offending value.
void invalid(const Cell& err, const Cell& offending) {
  int32_t cat = category_index(word::symbol(predefined::word(predefined::W::internal)));
  Cell cat_obj = category(cat);
  int32_t index = id_index(cat_obj, word::symbol(predefined::word(predefined::W::invalid_error)));
  *field(err, Field::arg1) = offending;
  *field(err, Field::type) = plain_word(object::get_word_at(object::context(catalog()), cat));
  *field(err, Field::id) = plain_word(object::get_word_at(object::context(cat_obj), index));
}

// The category object of the error and the field index of its template; an unknown type or id
// turns the error into internal/invalid-error first.
Cell resolve_template(const Cell& err, int32_t& index) {
  Cell t = *field(err, Field::type);
  int32_t cat = t.is(Type::word) ? category_index(word::symbol(t)) : -1;
  if (cat < 0) invalid(err, t);
  Cell cat_obj = category(category_index(word::symbol(*field(err, Field::type))));
  Cell id = *field(err, Field::id);
  index = id.is(Type::word) ? id_index(cat_obj, word::symbol(id)) : -1;
  if (index < 0) {
    invalid(err, id);
    cat_obj = category(category_index(word::symbol(*field(err, Field::type))));
    index = id_index(cat_obj, word::symbol(*field(err, Field::id)));
  }
  return cat_obj;
}

Cell field_value(const Cell& err, uint32_t sym) {
  int32_t index = context::find_word(object::context(err), sym, true);
  return index < 0 ? make_none() : context::values(object::context(err))[index];
}

// The template's values in order, one space between them: strings as they are, argument words by
// the error's fields molded (formed for syntax errors).
void reduce_message(Report& r, const Cell& err, Cell tpl, bool syntax) {
  Cell* held = stack::push(tpl);
  for (int32_t i = 0; i < block::vs_length(*held); ++i) {
    if (i) r.put(" ");
    Cell item = block::vs_head(*held)[i];
    if (item.is(Type::word) || item.is(Type::get_word)) {
      r.put_value(field_value(err, word::symbol(item)), !syntax, false, argument_limit);
    } else {
      r.put_value(item, false, false, 0x7FFFFFFF);
    }
  }
  stack::pop(1);
}

void put_message(Report& r, const Cell& err) {
  int32_t index = 0;
  Cell cat_obj = resolve_template(err, index);
  Cell tpl = context::values(object::context(cat_obj))[index];
  if (tpl.is(Type::word)) tpl = field_value(err, word::symbol(tpl));
  r.put_value(context::values(object::context(cat_obj))[1], false, false, 0x7FFFFFFF);
  r.put(": ");
  if (tpl.is(Type::string)) {
    r.put_value(tpl, false, false, 0x7FFFFFFF);
  } else if (tpl.is(Type::block)) {
    bool syntax = symbol::resolve(word::symbol(*field(err, Field::type))) ==
                  symbol::resolve(word::symbol(predefined::word(predefined::W::syntax)));

    reduce_message(r, err, tpl, syntax);
  } else {
    invalid(err, make_datatype(tpl.type()));
  }
}

// Each call of the trace followed by a space, whether the trace is walked now or was kept.
void put_trace(Report& r, const Cell& trace) {
  Cell* held = stack::push(trace);
  for (int32_t i = 0; i < block::vs_length(*held); ++i) {
    r.put_value(block::vs_head(*held)[i], false, false, 0x7FFFFFFF);
    r.put(" ");
  }
  stack::pop(1);
}

void put_stack(Report& r, const Cell& err) {
  int32_t mode = trace_mode();
  if (!mode) return;
  Cell s = *field(err, Field::stack);
  if (s.is(Type::integer)) {
    r.put("\n*** Stack: ");
    Cell* trace = walk_to(mode, s.int_value());
    put_trace(r, *trace);
    stack::pop(1);
  } else if (s.is(Type::block)) {
    r.put("\n*** Stack: ");
    put_trace(r, s);
  }
}

}  // namespace

int32_t form_report(Cell* err, Cell* buffer, Cell*, int32_t limit) {
  Report r{buffer, limit};
  r.put("*** ");
  put_message(r, *err);
  r.put("\n*** Where: ");
  Cell where = *field(*err, Field::where);
  if (where.is(Type::word) || where.is(Type::string)) {
    r.put_value(where, false, false, 0x7FFFFFFF);
  } else {
    r.put("???");
  }
  r.put("\n*** Near : ");
  r.put_value(*field(*err, Field::near), true, true, near_limit);
  put_stack(r, *err);
  Cell files = *field(*err, Field::files);
  if (files.is(Type::block)) {
    r.put("\n*** Files: ");
    r.put_value(files, true, true, near_limit);
  }
  return r.limit;
}

std::string report(const Cell& err) {
  Cell* top = stack::top();
  Cell* e = stack::push(err);
  Cell* buffer = string::make_at(stack::push_unset(), 64);
  form_report(e, buffer, nullptr, 0x7FFFFFFF);
  std::string text = string::to_utf8(*buffer);
  stack::set_top(top);
  return text;
}

void capture_stack(Cell* err) {
  Cell s = *field(*err, Field::stack);
  if (!s.is(Type::integer)) return;
  int32_t mode = trace_mode();
  Cell* trace = walk_to(mode ? mode : 1, s.int_value());
  *field(*err, Field::stack) = *trace;
  Cell files = state_field("source-files");
  if (files.is(Type::block) && block::vs_length(files) > 0) {
    Cell* copy = block::clone(files, false, false);
    *field(*err, Field::files) = *copy;
    stack::pop(1);
  }
  stack::pop(1);
}

}  // namespace vyn::error
