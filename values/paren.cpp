// values/paren.cpp: paren!, a block that evaluates when met in code and molds in parentheses.
#include "values/block_actions.hpp"
#include "values/installers.hpp"
#include "values/registry.hpp"

namespace vyn::paren {
namespace {

int32_t mold(Cell* value, Cell* buffer, const MoldOptions& o, Cell* part, int32_t limit) {
  if (cycles::detect(*value, *buffer, limit, true)) return limit;
  block::CycleGuard guard(series_node(*value));
  if (!o.only) limit = block::put_text(buffer, "(", limit);
  limit = block::mold_each(value, buffer, o, part, limit);
  if (!o.only) limit = block::put_text(buffer, ")", limit);
  return limit;
}

}  // namespace

// Every entry of block! but mold (its own) and trim (none).
void install() {
  using registry::inherit;
  registry::define(Type::paren, {
      inherit(Action::make), inherit(Action::random), inherit(Action::reflect), inherit(Action::to),
      inherit(Action::form), registry::def<Action::mold>(mold), inherit(Action::eval_path),
      inherit(Action::compare), inherit(Action::append), inherit(Action::at),
      inherit(Action::back), inherit(Action::change), inherit(Action::clear),
      inherit(Action::copy), inherit(Action::find), inherit(Action::head),
      inherit(Action::head_q), inherit(Action::index_q), inherit(Action::insert),
      inherit(Action::length_q), inherit(Action::move), inherit(Action::next),
      inherit(Action::pick), inherit(Action::poke), inherit(Action::put),
      inherit(Action::remove), inherit(Action::reverse), inherit(Action::select),
      inherit(Action::sort), inherit(Action::skip), inherit(Action::swap),
      inherit(Action::tail), inherit(Action::tail_q), inherit(Action::take),
      inherit(Action::modify),
  });
}

}  // namespace vyn::paren
