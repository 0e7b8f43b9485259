// values/numbers/percent.cpp: percent!, float!'s child that forms its fraction times 100 with a "%".
#include "values/numbers/percent.hpp"

#include <bit>

#include "core/text/float_text.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/installers.hpp"
#include "values/registry.hpp"
#include "values/text/string_storage.hpp"

namespace vyn::percent {
namespace {

double from_halves(uint32_t hi, uint32_t lo) { return std::bit_cast<double>(uint64_t{hi} << 32 | lo); }

int32_t form(Cell* value, Cell* buffer, Cell*, int32_t limit) {
  float_text::Text text = float_text::form_percent(value->float_value());
  string::append_latin1(*buffer, text.view());
  return limit - text.size;
}

int32_t mold(Cell* value, Cell* buffer, const MoldOptions&, Cell* part, int32_t limit) {
  return form(value, buffer, part, limit);
}

// Everything but the text is float!'s.
constexpr Action from_float[] = {
    Action::make,     Action::random,   Action::to,     Action::compare, Action::absolute,
    Action::add,      Action::divide,   Action::multiply, Action::negate, Action::power,
    Action::remainder, Action::round,   Action::subtract, Action::even_q, Action::odd_q,
};

}  // namespace

Cell* make_at(Cell* cell, uint32_t hi, uint32_t lo) { return make_at_double(cell, from_halves(hi, lo)); }
Cell* make_in(Cell block, uint32_t hi, uint32_t lo) {
  return make_at_double(block::alloc_tail(block), from_halves(hi, lo));
}
Cell* push(double fraction) { return stack::push(make(fraction)); }
Cell* push64(uint32_t hi, uint32_t lo) { return push(from_halves(hi, lo)); }
Cell* make_at_double(Cell* cell, double fraction) { return &(*cell = make(fraction)); }
Cell* set_result(double fraction) { return make_at_double(stack::arguments(), fraction); }

void install() {
  using registry::def;
  registry::define(Type::percent, from_float, {
      def<Action::form>(form),
      def<Action::mold>(mold),
  });
}

}  // namespace vyn::percent
