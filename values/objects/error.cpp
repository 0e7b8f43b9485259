// values/objects/error.cpp: making error! values (make error!, create, the pending error), the fields set
// when an error is raised, and the datatype's entries other than the report.
#include "values/objects/error.hpp"

#include "core/error.hpp"
#include "values/frames.hpp"
#include "values/evaluator_hooks.hpp"
#include "core/stack.hpp"
#include "values/callables/callable.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/objects/object_entries.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/words/symbol.hpp"

namespace vyn::error {
namespace {

using predefined::W;

Cell plain_word(Cell w) {
  w.header = static_cast<uint32_t>(Type::word);
  return w;
}

// Pushes a copy of the prototype as an error!: class id 1, no events.
Cell* new_error() {
  if (!catalog_ready()) fire(Err::internal_not_done);
  Cell* result = stack::push_unset();
  object::clone(prototype(), result, false, make_none(), false);
  result->header = static_cast<uint32_t>(Type::error);
  object::set_class_id(*result, object::error_class_id);
  object::set_events(*result, 0);
  object::store_self(*result);
  return result;
}

void set_code(const Cell& err, int32_t cat, int32_t index) {
  Cell category_word = plain_word(object::get_word_at(object::context(catalog()), cat));
  Cell id_word = plain_word(object::get_word_at(object::context(category(cat)), index));
  *field(err, Field::code) = make_integer(cat * 100 + index - 2);
  *field(err, Field::type) = category_word;
  *field(err, Field::id) = id_word;
}

void from_code(const Cell& err, const Cell& spec) {
  int32_t code = spec.int_value();
  int32_t cat = code / 100;
  if (code < 0 || cat >= context::slot_count(object::context(catalog()))) fire(Err::script_out_of_range, {spec});
  int32_t index = code % 100 + 2;
  if (index >= context::slot_count(object::context(category(cat)))) fire(Err::script_out_of_range, {spec});
  set_code(err, cat, index);
}

void from_names(const Cell& err, Cell spec) {
  Cell first = block::vs_head(spec)[0];
  int32_t cat = category_index(word::symbol(first));
  if (cat < 0) fire(Err::script_invalid_spec_field, {predefined::word(W::type)});
  if (block::vs_length(spec) < 2) fire(Err::script_invalid_spec_field, {predefined::word(W::id)});
  Cell second = block::vs_head(spec)[1];
  if (!second.is(Type::word)) fire(Err::script_invalid_arg, {second});
  int32_t index = id_index(category(cat), word::symbol(second));
  if (index < 0) fire(Err::script_invalid_spec_field, {predefined::word(W::id)});
  set_code(err, cat, index);
}

// A block of set-words is evaluated in the error; type and id must then name a catalog entry.
void from_fields(const Cell& err, Cell spec) {
  context::bind_block(spec, object::context(err), true);
  Cell* top = stack::top();
  Flow flow = evaluator::eval_block(spec, false);
  if (flow != Flow::normal) to_exception(flow);
  stack::set_top(top);
  Cell t = *field(err, Field::type);
  int32_t cat = t.is(Type::word) ? category_index(word::symbol(t)) : -1;
  if (cat < 0) fire(Err::script_invalid_spec_field, {predefined::word(W::type)});
  Cell i = *field(err, Field::id);
  int32_t index = i.is(Type::word) ? id_index(category(cat), word::symbol(i)) : -1;
  if (index < 0) fire(Err::script_invalid_spec_field, {predefined::word(W::id)});
  *field(err, Field::code) = make_integer(cat * 100 + index - 2);
}

Cell* make_from(Cell* spec) {
  Cell* err = new_error();
  switch (spec->type()) {
    case Type::integer: from_code(*err, *spec); break;
    case Type::block: {
      Type first = block::vs_length(*spec) > 0 ? block::vs_head(*spec)[0].type() : Type::nothing;
      if (first == Type::word) {
        from_names(*err, *spec);
      } else if (first == Type::set_word) {
        from_fields(*err, *spec);
      } else {
        fire(Err::internal_invalid_error);
      }
      break;
    }
    case Type::string: {
      int32_t user = category_index(word::symbol(predefined::word(W::user)));
      set_code(*err, user, 2);
      *field(*err, Field::arg1) = *spec;
      break;
    }
    default: fire(Err::script_bad_make_arg, {make_datatype(Type::error), *spec});
  }
  *field(*err, Field::near) = evaluator::current_code();
  return err;
}

Cell* make(Cell*, Cell* spec, Type) { return make_from(spec); }

Cell* eval_path(Cell* parent, Cell* element, Cell* value, const PathStep& step) {
  bool word_like = element->type() >= Type::word && element->type() <= Type::get_word;
  if (word_like && symbol::resolve(word::symbol(*element)) == symbol::resolve(predefined::symbol(predefined::S::stack)))
    fire(Err::script_invalid_path_set, {step.path ? *step.path : make_none()});
  return object::eval_path(parent, element, value, step);
}

int compare(Cell* a, Cell* b, int op) {
  if (!b->is(Type::error)) return -2;
  return object::compare(a, b, op);
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  return object::mold_object(value, buffer, o, limit, "make error! [");
}

}  // namespace

Cell* field(const Cell& err, Field f) { return context::values(object::context(err)) + static_cast<int32_t>(f); }

Cell* create(Cell category_word, Cell id_word, std::initializer_list<Cell> args) {
  Cell* held = stack::push(category_word);
  stack::push(id_word);
  for (const Cell& a : args) stack::push(a);
  Cell* spec = block::push_only(2);
  block::append_copy(*spec, plain_word(held[0]));
  block::append_copy(*spec, plain_word(held[1]));
  Cell* err = make_from(spec);
  int32_t n = 0;
  for (size_t i = 0; i < args.size() && n < 3; ++i, ++n)
    *field(*err, static_cast<Field>(static_cast<int32_t>(Field::arg1) + n)) = held[2 + i];
  Cell made = *err;
  stack::set_top(held);
  return stack::push(made);
}

Cell* from_pending() {
  Cell existing = raised_value();
  if (existing.is(Type::error)) {
    set_raised_value(make_none());
    return stack::push(existing);
  }
  Raise r = last_raise();  // read first: making the error may raise and catch on its way
  const PendingError& p = pending_error();
  const ErrorInfo& info = error_info(p.id);
  int32_t cat = static_cast<int32_t>(info.category);
  Cell category_word = object::get_word_at(object::context(catalog()), cat);
  Cell id_word = object::get_word_at(object::context(category(cat)), info.index);
  Cell* err;
  switch (p.argc) {
    case 0: err = create(category_word, id_word, {}); break;
    case 1: err = create(category_word, id_word, {p.args[0]}); break;
    case 2: err = create(category_word, id_word, {p.args[0], p.args[1]}); break;
    default: err = create(category_word, id_word, {p.args[0], p.args[1], p.args[2]}); break;
  }
  *field(*err, Field::near) = r.near;
  if (r.depth >= 0) {
    set_where(*err, r.where);
    Cell* s = field(*err, Field::stack);
    if (!s->is(Type::block)) *s = make_integer(r.depth);
  }
  return err;
}

void raise(const Cell& err) {
  Cell e = err;
  // the catalog id of its code when there is one, for C++ catchers that read the pending id
  int32_t code = field(e, Field::code)->is(Type::integer) ? field(e, Field::code)->int_value() : -1;
  Err id = Err::internal_invalid_error;
  for (int i = 0; i < static_cast<int>(Err::count_); ++i)
    if (error_code(static_cast<Err>(i)) == code) id = static_cast<Err>(i);
  PendingError& p = pending_error();
  p.id = id;
  p.argc = 3;
  for (int i = 0; i < 3; ++i) p.args[i] = *field(e, static_cast<Field>(static_cast<int32_t>(Field::arg1) + i));
  if (stack::frame_depth() > 0) {
    set_where(e, stack::get_call());
    set_depth(e);
  }
  set_raised_value(e);
  throw Raised{};
}

void set_where(const Cell& err, const Cell& value) {
  Cell* w = field(err, Field::where);
  if (w->is(Type::none_)) *w = value;
}

void set_depth(const Cell& err) {
  Cell* s = field(err, Field::stack);
  if (!s->is(Type::block)) *s = make_integer(stack::frame_depth());
}

uint32_t get_type(const Cell& err) {
  const Cell* t = field(err, Field::type);
  return t->type() >= Type::word && t->type() <= Type::refinement ? word::symbol(*t) : 0;
}

uint32_t get_id(const Cell& err) {
  const Cell* i = field(err, Field::id);
  return i->type() >= Type::word && i->type() <= Type::refinement ? word::symbol(*i) : 0;
}

Cell get_call_argument(int32_t n) {
  Cell call = stack::get_call();
  NodeId ctx = word::context(call);
  int32_t index = ctx ? context::find_word(ctx, word::symbol(call), true) : -1;
  Cell* values = index >= 0 ? context::values(ctx) : nullptr;

  Cell fn = values ? values[index] : make_none();
  Type t = fn.type();
  if (t != Type::native && t != Type::action && t != Type::op && t != Type::function && t != Type::routine)
    return predefined::word(W::anon);
  Cell spec = callable::spec(fn);
  int32_t seen = 0;
  for (int32_t i = 0; i < block::length_total(spec); ++i) {
    Cell item = block::cells(spec)[i];
    Type it = item.type();
    if (it != Type::word && it != Type::lit_word && it != Type::get_word && it != Type::refinement) continue;
    if (seen++ == n) return plain_word(item);
  }
  return predefined::word(W::anon);
}

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::error, {
      def<Action::make>(make),           inherit(Action::reflect),  def<Action::form>(form_report),
      def<Action::mold>(mold),           def<Action::eval_path>(eval_path),
      def<Action::compare>(compare),     inherit(Action::copy),     inherit(Action::find),
      inherit(Action::select),
  });
}

}  // namespace vyn::error
