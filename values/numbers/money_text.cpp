// values/numbers/money_text.cpp: the text of a money! value, as form and mold write it.
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/numbers/money.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::money {
namespace {

// system/options/money-digits when it is an integer!, else 2.
int shown_decimals() {
  Cell system = *word::value_cell(predefined::word(predefined::W::system));
  if (!system.is(Type::object)) return 2;
  Cell* options = context::value_cell_of(object::context(system), predefined::symbol(predefined::S::options));
  if (!options || !options->is(Type::object)) return 2;
  Cell* digits = context::value_cell_of(object::context(*options), predefined::symbol(predefined::S::money_digits));
  return digits && digits->is(Type::integer) ? digits->int_value() : 2;
}

}  // namespace

std::string serialize(const Cell& c, bool all_decimals, bool grouping) {
  Amount a = unpack(c);
  std::string out;
  if (sign_q(c) < 0) out += '-';
  Cell code = currency_word(a.currency);
  if (!code.is(Type::none_)) out += symbol::spelling(word::symbol(code));
  out += '$';
  int first = 0;
  while (first < units && a.d[first] == 0) ++first;
  for (int i = first; i <= units; ++i) {
    out += static_cast<char>('0' + a.d[i]);
    if (grouping && i < units && (units - i) % 3 == 0) out += '\'';
  }
  int decimals = shown_decimals();
  if (all_decimals || decimals >= 6) decimals = fraction_digits;
  if (decimals > 0) {
    out += '.';
    for (int i = 0; i < decimals; ++i) out += static_cast<char>('0' + a.d[units + 1 + i]);
  }
  return out;
}

}  // namespace vyn::money
