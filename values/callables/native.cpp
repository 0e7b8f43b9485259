// values/callables/native.cpp: native!, action! and op!: the built-in functions, the actions, and operators.
//
// native! and action! cells: w1 the index of the entry in the native table or the action
// front-end table, w2 the node of the spec block, w3 the node of a two-cell series (the context
// made from the spec; none until the first call caches the argument list there). An op! cell is a
// copy of the native, action, function or routine it was made from, with op! in the low byte of
// the header and the underlying type in bits 16-23.
#include "core/error.hpp"
#include "values/callables/arg_list.hpp"
#include "values/frames.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/context.hpp"
#include "values/callables/native_shape.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"
#include "values/words/symbol.hpp"

namespace vyn::native {
namespace {

Type underlying(const Cell& v) {
  return v.is(Type::op) ? static_cast<Type>((v.header >> 16) & 0xFF) : v.type();
}

// A new native! or action! from [spec index], the index in 1..limit, whose spec keeps the shape
// of the built-in at that index.
Cell* make_callable(Cell* spec, Type type, int limit) {
  bool shape = spec->is(Type::block) && block::vs_length(*spec) == 2;
  Cell spec_block = shape ? block::vs_head(*spec)[0] : make_none();
  Cell index = shape ? block::vs_head(*spec)[1] : make_none();
  if (!spec_block.is(Type::block) || !index.is(Type::integer) || index.int_value() < 1 ||
      index.int_value() > limit)
    fire(Err::script_bad_make_arg, {make_datatype(type), *spec});
  Cell* result = stack::push(make_cell(type, static_cast<uint32_t>(index.int_value()), series_node(spec_block)));
  stack::push(spec_block);
  NodeId ctx = context::make_from_spec(spec_block, true, false, context::Kind::function);
  stack::push(make_cell(Type::object, ctx));
  NodeId extra = alloc::new_cells(2);
  Cell* cells = reinterpret_cast<Cell*>(buffer_of(extra)->data());
  cells[0] = make_cell(Type::object, ctx);  // the context, as the node that owns it
  cells[1] = make_none();
  buffer_of(extra)->tail = 2 * sizeof(Cell);
  result->w3 = extra;
  if (!native_shape::fits(type, index.int_value(), args::build_list(*result)))
    fire(Err::script_bad_make_arg, {make_datatype(type), *spec});
  return result;
}

Cell* make_native(Cell*, Cell* spec, Type) { return make_callable(spec, Type::native, 120); }
Cell* make_action(Cell*, Cell* spec, Type) { return make_callable(spec, Type::action, 62); }

// An operator takes exactly two arguments and evaluates its left one.
bool op_spec_ok(const Cell& spec) {
  int args = 0;
  bool seen_word = false;
  uint32_t local = word::symbol(predefined::refinement(predefined::R::local));
  uint32_t extern_ = word::symbol(predefined::refinement(predefined::R::extern_));
  Cell s = spec;
  for (int32_t i = 0; i < block::vs_length(s); ++i) {
    const Cell& item = block::vs_head(s)[i];
    switch (item.type()) {
      case Type::word: ++args; seen_word = true; break;
      case Type::lit_word: case Type::get_word:
        if (!seen_word) return false;
        ++args;
        break;
      case Type::set_word: return args == 2;
      case Type::refinement: {
        uint32_t r = symbol::resolve(word::symbol(item));
        return (r == symbol::resolve(local) || r == symbol::resolve(extern_)) && args == 2;
      }
      default: break;
    }
  }
  return args == 2;
}

Cell* make_op(Cell*, Cell* spec, Type) {
  Type t = spec->type();
  if (t != Type::native && t != Type::action && t != Type::function && t != Type::routine)
    fire(Err::script_invalid_type, {make_datatype(t)});
  if (!op_spec_ok(make_series(Type::block, spec->w2))) fire(Err::script_bad_op_spec);
  Cell* result = stack::push(*spec);
  result->header = (spec->header & ~0x00FF00FFu) | static_cast<uint32_t>(Type::op) |
                   (static_cast<uint32_t>(t) << 16);
  if ((t == Type::function || t == Type::routine) && spec->w3)
    reinterpret_cast<Cell*>(buffer_of(spec->w3)->data())[3] = *spec;
  return result;
}

Cell* reflect(Cell* value, Cell* field) {
  using predefined::S;
  uint32_t f = symbol::resolve(word::symbol(*field));
  if (f == symbol::resolve(predefined::symbol(S::spec))) return stack::push(make_series(Type::block, value->w2));
  if (f == symbol::resolve(predefined::symbol(S::body))) {
    Type t = underlying(*value);
    if ((t == Type::function || t == Type::routine) && value->w3)
      return stack::push(reinterpret_cast<Cell*>(buffer_of(value->w3)->data())[0]);
    return stack::push(make_integer(static_cast<int32_t>(value->w1)));
  }
  fire(Err::internal_not_done);  // a native has only its spec and its entry point to show
}

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  const char* text = value->is(Type::op) ? "?op?" : value->is(Type::action) ? "?action?" : "?native?";
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(std::char_traits<char>::length(text));
}

// The spec block molded into the buffer, in a native frame named <anon>.
int32_t mold_block(Cell node_block, Cell* buffer, bool only, int32_t limit) {
  stack::Mark mark;
  stack::mark_native(&predefined::word(predefined::W::anon));
  Cell* spec = stack::push(node_block);
  MoldOptions o;
  o.only = only;
  limit = actions::mold_direct(spec, buffer, o, nullptr, limit);
  stack::unwind_drop();
  return limit;
}

int32_t append_text(Cell* buffer, const char* text, int32_t limit) {
  string::append_latin1(*buffer, text);
  return limit - static_cast<int32_t>(std::char_traits<char>::length(text));
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell*, int32_t limit) {
  Cell spec = make_series(Type::block, value->w2);
  if (!value->is(Type::op)) {
    limit = append_text(buffer, value->is(Type::action) ? "make action! [" : "make native! [", limit);
    limit = mold_block(spec, buffer, false, limit);
    return append_text(buffer, "]", limit);
  }
  limit = append_text(buffer, "make op! ", limit);
  Type t = underlying(*value);
  if (t == Type::function && value->w3) {
    limit = append_text(buffer, "func ", limit);
    limit = mold_block(spec, buffer, o.only, limit);
    Cell body = reinterpret_cast<Cell*>(buffer_of(value->w3)->data())[0];
    return mold_block(body, buffer, false, limit);
  }
  limit = append_text(buffer, "[", limit);
  limit = mold_block(spec, buffer, false, limit);
  return append_text(buffer, "]", limit);
}

int compare(Cell* a, Cell* b, int op) {
  if (b->type() != a->type()) return -2;
  if (!is_equality_op(op)) return -2;
  if (underlying(*a) != underlying(*b)) return underlying(*a) < underlying(*b) ? -1 : 1;
  if (a->w1 != b->w1) return a->w1 < b->w1 ? -1 : 1;
  return 0;
}

}  // namespace

void install() {
  using registry::def;
  registry::define(Type::native, {def<Action::make>(make_native), def<Action::reflect>(reflect),
                                  def<Action::form>(form), def<Action::mold>(mold),
                                  def<Action::compare>(compare)});
}
void install_action() {
  using registry::def;
  registry::define(Type::action, {def<Action::make>(make_action), registry::inherit(Action::reflect),
                                  def<Action::form>(form), def<Action::mold>(mold),
                                  def<Action::compare>(compare)});
}
void install_op() {
  using registry::def;
  registry::define(Type::op, {def<Action::make>(make_op), registry::inherit(Action::reflect),
                              def<Action::form>(form), def<Action::mold>(mold),
                              def<Action::compare>(compare)});
}

}  // namespace vyn::native
