// values/numbers/triple.cpp: triple!, whose only entries are its text.
#include "values/numbers/triple.hpp"

#include "values/installers.hpp"
#include "values/numbers/number.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::triple {
namespace {

int32_t serialize(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  int32_t written = 0;
  auto put = [&](std::string_view text) {
    string::append_latin1(*buffer, text);
    written += static_cast<int32_t>(text.size());
  };
  put("make triple! [");
  for (int i = 0; i < 3; ++i) {
    if (i) put(" ");
    put(integer::form_decimal(get(*value, i)).view());
  }
  put("]");
  return limit - written;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return serialize(value, buffer, part, limit);
}

}  // namespace

void install() {
  using registry::def;
  registry::define(Type::triple, {def<Action::form>(serialize), def<Action::mold>(mold)});
}

}  // namespace vyn::triple
