// library/vynbin_path.cpp: walking a Vynbin path. Each index selects a cell inside the current
// value: a member of a block (from the buffer's start), a field of an object or an error, the
// spec or body of a function, a cell of a native's spec, or through a word the slot of its
// context.
#include "library/vynbin_reader.hpp"
#include "values/series/block.hpp"
#include "values/maps/map.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/callables/function.hpp"

namespace vyn::vynbin::reader {
namespace {

constexpr uint32_t error_first_arg = 3;  // code, type and id come before arg1

bool word_type(Type t) { return t >= Type::word && t <= Type::refinement; }

bool cell_of(Cell block, uint32_t index, Cell& at) {
  if (index >= static_cast<uint32_t>(block::length_total(block))) return false;
  at = block::cells(block)[index];
  return true;
}

bool slot_of(NodeId ctx, uint32_t index, Cell& at) {
  if (context::on_stack(ctx)) return false;
  return cell_of(make_series(Type::block, context::values_word(ctx)), index, at);
}

bool callable_step(Cell& at, uint32_t index) {
  Type t = op::runs_as(at);
  if (t == Type::native || t == Type::action) return cell_of(callable::spec(at), index, at);
  if (t == Type::routine) {  // boot images only: index 0 is the spec
    if (index != 0) return false;
    at = callable::spec(at);
    return true;
  }
  if (t != Type::function || index > 1) return false;
  at = index == 0 ? callable::spec(at) : function::companion(at)[function::Companion::body];
  return true;
}

}  // namespace

NodeId owner_context(const Cell& target) {
  Type t = op::runs_as(target);
  if (t == Type::object || t == Type::error || t == Type::function) return context::of(target);
  if (!word_type(t) || word::context(target) == 0 || word::context(target) == context::global()) return 0;
  return word::context(target);
}

bool step(Cell& at, uint32_t index) {
  Type t = at.type();
  if (t == Type::map) return cell_of(make_series(Type::block, map::block_node(at)), index, at);
  if (block::is_any_block(t)) return cell_of(at, index, at);
  if (t == Type::object) return slot_of(object::context(at), index, at);
  if (t == Type::error) return index < 6 && slot_of(object::context(at), index + error_first_arg, at);
  if (word_type(t)) {
    NodeId ctx = owner_context(at);
    if (!ctx) return false;
    if (!context::on_stack(ctx)) return slot_of(ctx, index, at);
    at = *context::owner(ctx);
    return at.is(Type::function) && callable_step(at, index);
  }
  return callable_step(at, index);
}

}  // namespace vyn::vynbin::reader
