// values/series/path.cpp: the path family (path!, lit-path!, set-path!, get-path!): block-like series
// told apart by type, made and converted like blocks and written with slashes.
#include "values/series/path.hpp"

#include "core/error.hpp"
#include "core/stack.hpp"
#include "values/dispatch_direct.hpp"
#include "values/installers.hpp"
#include "values/registry.hpp"
#include "values/series/block.hpp"
#include "values/series/block_actions.hpp"
#include "values/text/string_actions.hpp"
#include "values/words/word.hpp"

namespace vyn::path {
namespace {

// An integer!, float! or percent! gives an empty value with room for that many cells; a
// block-like spec converts as block! does.
Cell* make(Cell* proto, Cell* spec, Type type) {
  switch (spec->type()) {
    case Type::integer: case Type::float_: case Type::percent: {
      double n = spec->is(Type::integer) ? spec->int_value() : spec->float_value();
      if (!(n <= 2147483647.0 && n >= -2147483648.0)) fire(Err::script_out_of_range, {*spec});
      Cell* result = block::push_only(static_cast<int32_t>(n) < 1 ? 1 : static_cast<int32_t>(n));
      result->set_type(type);
      return result;
    }
    default:
      if (!block::is_any_block(spec->type())) fire(Err::script_bad_make_arg, {make_datatype(type), *spec});
      return block::to(proto, spec, type);
  }
}

// A map!, object! or typeset! becomes the one cell of the path; anything else converts as to
// block! does.
Cell* to(Cell* proto, Cell* spec, Type type) {
  if (spec->is(Type::map) || spec->is(Type::object) || spec->is(Type::typeset)) {
    Cell* result = block::push_only(1);
    block::append_copy(*result, *spec);
    result->set_type(type);
    return result;
  }
  return block::to(proto, spec, type);
}

// The cells from the head, each formed or molded, with "/" between neighbours.
template <class Write>
int32_t write_cells(Cell* value, Cell* buffer, Cell* part, int32_t limit, bool mold, Write write) {
  if (cycles::detect(*value, *buffer, limit, mold)) return limit;
  block::CycleGuard guard(series_node(*value));
  int32_t head = block::clamped_head(*value);
  for (int32_t i = head; i < block::length_total(*value); ++i) {
    if (part && limit < 1) break;
    if (i > head) limit = block::put_text(buffer, "/", limit);
    stack::Mark mark;
    Cell* item = stack::push(block::cells(*value)[i]);
    limit = write(item, limit);
  }
  return limit;
}

int32_t form(Cell* value, Cell* buffer, Cell* part, int32_t limit) {
  return write_cells(value, buffer, part, limit, false, [&](Cell* item, int32_t left) {
    return actions::form_direct(item, buffer, part, left);
  });
}

int32_t mold_path(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  MoldOptions inner = o;
  inner.only = false;
  return write_cells(value, buffer, part, limit, true, [&](Cell* item, int32_t left) {
    if (item->is(Type::string)) return string::mold_quoted(item, buffer, inner, part, left);
    return actions::mold_direct(item, buffer, inner, part, left);
  });
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  const char* before = value->is(Type::lit_path) ? "'" : value->is(Type::get_path) ? ":" : "";
  limit = block::put_text(buffer, before, limit);
  limit = mold_path(value, buffer, o, part, limit);
  return value->is(Type::set_path) ? block::put_text(buffer, ":", limit) : limit;
}

// Every entry of path! but make, to, form and mold (and random, sort and trim, which paths lack)
// comes from block!.
void define(Type t, bool own) {
  using registry::def;
  using registry::inherit;
  if (own) {
    registry::define(t, {
        def<Action::make>(make), def<Action::to>(to), def<Action::form>(form),
        def<Action::mold>(mold), def<Action::copy>(block::copy),
        inherit(Action::reflect), inherit(Action::eval_path), inherit(Action::compare),
        inherit(Action::append), inherit(Action::at), inherit(Action::back),
        inherit(Action::change), inherit(Action::clear), inherit(Action::find),
        inherit(Action::head), inherit(Action::head_q), inherit(Action::index_q),
        inherit(Action::insert), inherit(Action::length_q), inherit(Action::move),
        inherit(Action::next), inherit(Action::pick), inherit(Action::poke), inherit(Action::put),
        inherit(Action::remove), inherit(Action::reverse), inherit(Action::select),
        inherit(Action::skip), inherit(Action::swap), inherit(Action::tail),
        inherit(Action::tail_q), inherit(Action::take), inherit(Action::modify),
    });
    return;
  }
  registry::define(t, {
      inherit(Action::make), inherit(Action::to), inherit(Action::form), def<Action::mold>(mold),
      inherit(Action::copy), inherit(Action::reflect), inherit(Action::eval_path),
      inherit(Action::compare), inherit(Action::append), inherit(Action::at),
      inherit(Action::back), inherit(Action::change), inherit(Action::clear),
      inherit(Action::find), inherit(Action::head), inherit(Action::head_q),
      inherit(Action::index_q), inherit(Action::insert), inherit(Action::length_q),
      inherit(Action::move), inherit(Action::next), inherit(Action::pick),
      inherit(Action::poke), inherit(Action::put), inherit(Action::remove),
      inherit(Action::reverse), inherit(Action::select), inherit(Action::skip),
      inherit(Action::swap), inherit(Action::tail), inherit(Action::tail_q),
      inherit(Action::take), inherit(Action::modify),
  });
}

}  // namespace

Cell* make_at(Cell* cell, int32_t capacity) {
  block::make_at(cell, capacity);
  cell->set_type(Type::path);
  return cell;
}

Cell* push_as(Cell* cell, Type type) {
  cell->set_type(type);
  return stack::push(*cell);
}

void install() { define(Type::path, true); }
void install_lit_path() { define(Type::lit_path, false); }
void install_set_path() { define(Type::set_path, false); }
void install_get_path() { define(Type::get_path, false); }

// Putting a changed scalar back where a path found it.

void write_back(const Cell& changed, const PathStep& step) {
  if (!step.path) return;
  Cell path = *step.path;
  if (step.index == 1) {
    Cell head = block::vs_head(path)[0];
    word::set(head, changed);
    return;
  }
  if (!step.container) return;
  Cell* held = stack::push(changed);
  Cell* element = stack::push(block::vs_head(path)[step.index - 1]);
  if (element->is(Type::get_word)) *element = *word::value_cell(*element);
  else if (element->is(Type::paren)) element = nullptr;  // evaluated once already: not again
  auto fn = element ? registry::entry<Action::eval_path>(step.container->type()) : nullptr;
  if (fn) fn(step.container, element, held, PathStep{step.path, nullptr, step.index - 1, true});
  stack::set_top(held);
}

}  // namespace vyn::path
