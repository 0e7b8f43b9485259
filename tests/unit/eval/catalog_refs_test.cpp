// The refinement positions the natives and the action front ends read (the Refs constants of their
// catalog rows) against the positions the evaluator gives those refinements from each spec.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "values/callables/arg_list.hpp"
#include "eval/front_ends.hpp"
#include "eval/native_table.hpp"
#include "tests/unit/support/runtime_fixture.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::test {
namespace {

struct Row {
  const char* word;
  int index;
  Type type;
  const char* names;      // the row's refinement list as written: "case_, part, trace"
  const int* positions;   // the constants those names stand for, then -1
};

constexpr Row rows[] = {
#define VYN_NATIVE(index, name, word, function, spec, ...) \
  {word, index, Type::native, #__VA_ARGS__, natives::Refs<natives::Native::name>::positions},
#include "eval/natives.def"
#undef VYN_NATIVE
#define VYN_ACTION(slot, name, word, front_end, spec, ...) \
  {word, slot, Type::action, #__VA_ARGS__, actions::Refs<Action::name>::positions},
#include "values/actions.def"
#undef VYN_ACTION
};

// A C++ refinement name as the language spells it: `half_down` -> "half-down", `case_` -> "case".
std::string language_name(std::string name) {
  if (!name.empty() && name.back() == '_') name.pop_back();
  for (char& ch : name)
    if (ch == '_') ch = '-';
  return name;
}

std::vector<std::string> split_names(const std::string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string name = list.substr(start, comma - start);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    out.push_back(name);
    start = comma + 1;
  }
  return out;
}

// The refinements of the value the word holds, by the position the evaluator fills for each (its
// ordinal in the argument list, counted from 1).
std::vector<std::string> spec_refinements(const Cell& callable) {
  stack::Mark mark;
  Cell list = args::list(callable);
  std::vector<std::string> out;
  for (int32_t i = 0; i < block::length_total(list); ++i) {
    Cell item = block::cells(list)[i];
    if (!item.is(Type::refinement)) continue;
    size_t position = item.w3 - 1;  // a native's or an action's refinement keeps its ordinal in w3
    if (out.size() <= position) out.resize(position + 1);
    out[position] = std::string(symbol::spelling(word::symbol(item)));
  }
  return out;
}

using CatalogRefs = RuntimeTest;

TEST_F(CatalogRefs, EveryRowListsItsSpecsRefinementsWhereTheEvaluatorPutsThem) {
  for (const Row& row : rows) {
    if (!*row.word) continue;  // action slots 7 to 9: the evaluator reaches them directly
    SCOPED_TRACE(row.word);
    Cell value = *word::value_cell(word::load(row.word));
    ASSERT_TRUE(value.is(row.type));
    ASSERT_EQ(static_cast<int>(value.w1), row.index);
    std::vector<std::string> spec = spec_refinements(value);
    std::vector<std::string> names = split_names(row.names);
    ASSERT_EQ(names.size(), spec.size()) << "the row lists " << row.names;
    for (size_t k = 0; k < names.size(); ++k) {
      ASSERT_GE(row.positions[k], 0);
      EXPECT_EQ(language_name(names[k]), spec[row.positions[k]]) << "constant " << names[k];
    }
    EXPECT_EQ(row.positions[names.size()], -1);
  }
}

}  // namespace
}  // namespace vyn::test
