// values/series/path_write_back.cpp: putting a changed scalar back where a path found it.
#include "values/series/path_write_back.hpp"

#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/registry.hpp"
#include "values/words/word.hpp"

namespace vyn::path {

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
