// values/ports/event_routines.cpp: find-flag? and send-event-os, the routines of event!.
#include "values/series/block.hpp"
#include "values/ports/event_routines.hpp"
#include "values/words/symbol.hpp"

namespace vyn::event {
namespace {

bool same_symbol(const Cell& a, const Cell& b) {
  return symbol::resolve(word::symbol(a)) == symbol::resolve(word::symbol(b));
}

bool block_holds(const Cell& b, const Cell& flag) {
  for (int32_t i = series_head(b), n = block::length_total(b); i < n; ++i) {
    const Cell& w = *block::vs_abs_at(b, i);
    if ((w.is(Type::word) || w.is(Type::lit_word)) && same_symbol(w, flag)) return true;
  }
  return false;
}

}  // namespace

// Neither test allocates, so the argument cells can be read in place.
void find_flag_q(routine::Invocation& inv) {
  const Cell& facet = inv.result[0];
  const Cell& flag = inv.result[1];
  bool found = facet.is(Type::word) ? same_symbol(facet, flag)
               : facet.is(Type::block) ? block_holds(facet, flag)
                                       : false;
  *inv.result = make_logic(found);
}

void send_event_os(routine::Invocation& inv) { *inv.result = make_logic(false); }

}  // namespace vyn::event
