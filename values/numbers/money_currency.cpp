// values/numbers/money_currency.cpp: the currency list money! values index into.
//
// The list is system/locale/currencies/list, read at every lookup so that codes appended to it
// count at once. Until the locale holds it, the runtime's own default list (the same codes in
// the same order) stands in, so that values made early keep their meaning.
#include <cctype>
#include <string_view>

#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/numbers/money.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::money {
namespace {

constexpr std::string_view defaults =
    "AED AFN ALL AMD ANG AOA ARS AUD AWG AZN BAM BBD BDT BGN BHD BIF BMD BND BOB BRL BSD BTC BTN "
    "BWP BYN BZD CAD CDF CHF CLP CNY COP CRC CUC CUP CVE CZK DJF DKK DOP DZD EGP ERN ETB ETH EUR "
    "FJD FKP GBP GEL GGP GHS GIP GMD GNF GTQ GYD HKD HNL HRK HTG HUF IDR ILS IMP INR IQD IRR ISK "
    "JEP JMD JOD JPY KES KGS KHR KMF KPW KRW KWD KYD KZT LAK LBP LKR LRD LSL LYD MAD MDL MGA MKD "
    "MMK MNT MOP MRU MUR MVR MWK MXN MYR MZN NAD NGN NIO NOK NPR NZD OMR PAB PEN PGK PHP PKR PLN "
    "PYG QAR RON RSD RUB RWF SAR SBD SCR SDG SEK SGD SHP SLL SOS SPL SRD STN SVC SYP SZL THB TJS "
    "TMT TND TOP TRY TTD TVD TWD TZS UAH UGX USD UYU UZS VEF VND VUV VYN WST XAF XCD XDR XOF XPF "
    "YER ZAR ZMW";
constexpr int default_count = static_cast<int>((defaults.size() + 1) / 4);

std::string_view default_code(int index) { return defaults.substr(static_cast<size_t>(index - 1) * 4, 3); }

Cell field_of(const Cell& object, const char* name) {
  if (!object.is(Type::object)) return make_none();
  Cell* v = context::value_cell_of(object::context(object), symbol::make(name));
  return v ? *v : make_none();
}

// system/locale/currencies/list, or none! while the locale does not hold one.
Cell locale_list() {
  Cell system = *word::value_cell(predefined::word(predefined::W::system));
  Cell list = field_of(field_of(field_of(system, "locale"), "currencies"), "list");
  return block::is_any_block(list.type()) ? list : make_none();
}

bool same_code(std::string_view spelling, std::string_view code) {
  if (spelling.size() != 3) return false;
  for (int i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(spelling[i])) != code[i]) return false;
  return true;
}

}  // namespace

int find_currency(uint32_t sym) {
  Cell list = locale_list();
  if (list.is(Type::none_)) {
    std::string_view spelling = symbol::spelling(sym);
    for (int i = 1; i <= default_count; ++i)
      if (same_code(spelling, default_code(i))) return i;
    return -1;
  }
  uint32_t canon = symbol::resolve(sym);
  int32_t n = block::vs_length(list);
  const Cell* items = block::vs_head(list);
  for (int32_t i = 0; i < n; ++i)
    if (word::any_word_q(items[i].type()) && symbol::resolve(word::symbol(items[i])) == canon) return i + 1;
  return -1;
}

int find_currency_text(const uint8_t* letters) {
  return find_currency(symbol::make_from_buffer(letters, 3));
}

Cell currency_word(int index) {
  if (index <= 0) return make_none();
  Cell list = locale_list();
  if (list.is(Type::none_)) {
    if (index > default_count) return make_none();
    Cell w;
    word::make_at(symbol::make(default_code(index)), &w);
    return w;
  }
  if (index > block::vs_length(list)) return make_none();
  Cell w = block::vs_head(list)[index - 1];
  w.set_type(Type::word);
  return w;
}

}  // namespace vyn::money
