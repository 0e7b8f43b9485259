// eval/natives/transcode.cpp: the transcode native over the lexer, and the bridge that reports the
// lexer's events to a language callback (transcode/trace).
#include <algorithm>

#include "core/error.hpp"
#include "eval/interp.hpp"
#include "values/lexer/foreign.hpp"
#include "values/lexer/lexer.hpp"
#include "values/lexer/tables.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/callables/function.hpp"
#include "values/numbers/logic.hpp"
#include "values/predefined.hpp"
#include "values/registry.hpp"
#include "values/series/series.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"

namespace vyn::natives {
namespace {

const Cell& event_word(lexer::Event e) {
  using predefined::W;
  switch (e) {
    case lexer::Event::prescan: return predefined::word(W::prescan);
    case lexer::Event::scan: return predefined::word(W::scan);
    case lexer::Event::load: return predefined::word(W::load);
    case lexer::Event::open: return predefined::word(W::open);
    case lexer::Event::close: return predefined::word(W::close);
    default: return predefined::word(W::error);
  }
}

// The field of an object value, or none.
Cell field_of(const Cell& object, const char* name) {
  if (!object.is(Type::object)) return make_none();
  Cell* v = context::value_cell_of(context::of(object), symbol::make(name));
  return v ? *v : make_none();
}

// What system/lexer/exit-states holds for a structural token's kind, at the kind's place. The
// list has no entry for a comma, which makes no value: its type is none.
Cell kind_word(uint8_t kind) {
  if (kind >= static_cast<uint8_t>(lexer::Kind::comma)) return make_none();
  Cell system = *word::value_cell(predefined::word(predefined::W::system));
  Cell states = field_of(field_of(system, "lexer"), "exit-states");
  if (!block::is_any_block(states.type()) || kind >= block::vs_length(states)) return make_none();
  return block::vs_head(states)[kind];
}

// Whether the callback's spec has an argument for the input (its second argument word).
bool takes_input(const Cell& callback) {
  Cell spec = callable::spec(callback);
  int args = 0;
  for (int32_t i = 0; i < block::length_total(spec); ++i) {
    Type t = block::cells(spec)[i].type();
    if (t == Type::refinement || t == Type::set_word) break;
    if (t == Type::word || t == Type::lit_word || t == Type::get_word) ++args;
  }
  return args >= 2;
}

// Reports the events the callback asks for: it receives the event word, the input at the
// event's position, the token's type, the line and the token (the loaded value for load, else
// its bounds as a pair of one-based offsets), and answers whether scanning goes on. Moving the
// input's index moves the scan. An exit out of the callback travels as an Exit exception, an
// error as Raised; both leave the scan through its guard.
class CallbackTracer : public lexer::Tracer {
 public:
  CallbackTracer(Cell* callback, Cell* input) : callback_(callback), input_(input) {
    Cell body = callback->is(Type::function) || callback->is(Type::routine)
                    ? function::companion(*callback)[function::Companion::body]
                    : make_none();
    mask_ = lexer::callback_event_mask(body);
    takes_input_ = takes_input(*callback);
    int32_t head = series_head(*input);
    head_ = std::clamp<int32_t>(head, 0, series::length_total(*input));
  }
  uint32_t mask() const override { return mask_; }

  bool on_event(lexer::EventInfo& e) override {
    int32_t at = head_ + origin + e.index;
    // the loaded value lives in the lexer's buffer, which moves: copy it before anything allocates
    Cell token = e.value ? *e.value : lexer::foreign::make_pair(e.token_start, e.token_end);
    Cell* values = stack::push(event_word(e.event));
    Cell input = *input_;
    set_series_head(input, at);
    stack::push(input);
    stack::push(e.type == Type::nothing ? kind_word(e.kind) : registry::type_word(e.type));
    stack::push(make_integer(e.line));
    stack::push(token);
    Flow f = interp::call_with(*callback_, values, 5,
                               predefined::word(predefined::W::lexer_callback));
    if (f != Flow::normal) to_exception(f);
    // the call leaves its result at the top and its argument cells just above it, where the
    // second one holds the input as the callback left it
    bool go = logic::truthy(*stack::last_value());
    Cell moved = takes_input_ ? stack::top()[1] : input;
    stack::set_top(values);
    if (moved.type() == input.type() && series_node(moved) == series_node(input) &&
        series_head(moved) != at)
      e.index = series_head(moved) - head_ - origin;
    return go;
  }

 private:
  Cell* callback_;
  Cell* input_;
  uint32_t mask_;
  int32_t head_;
  bool takes_input_;
};

}  // namespace

Flow transcode_(const Call& c) {
  using Ref = Refs<Native::transcode>;
  lexer::TranscodeArgs args;
  args.next = c.has(Ref::next);
  args.one = c.has(Ref::one);
  args.prescan = c.has(Ref::prescan);
  args.scan = c.has(Ref::scan);
  args.part = c.ref(Ref::part);
  args.into = c.ref(Ref::into);
  return catch_exit([&] {
    Cell* result = stack::push_unset();
    if (c.has(Ref::trace)) {
      CallbackTracer tracer(c.ref(Ref::trace), c.args);
      args.trace = &tracer;
      lexer::transcode(result, c.args, args);
    } else {
      lexer::transcode(result, c.args, args);
    }
    c.args[0] = *result;
    stack::keep();
    return Flow::normal;
  });
}

}  // namespace vyn::natives
