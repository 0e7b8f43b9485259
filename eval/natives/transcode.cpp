// eval/natives/transcode.cpp: the transcode native over the lexer.
#include "core/error.hpp"
#include "eval/lexer/lexer.hpp"
#include "eval/native_table.hpp"
#include "eval/natives/support.hpp"
#include "eval/stack.hpp"

namespace vyn::natives {
namespace {

// Refinements in spec order: /next /one /prescan /scan /part length /into dst /trace callback.
Flow transcode_(const Call& c) {
  lexer::TranscodeArgs args;
  args.next = c.has(0);
  args.one = c.has(1);
  args.prescan = c.has(2);
  args.scan = c.has(3);
  args.part = c.ref(4);
  args.into = c.ref(5);
  // TODO(tracer): a language callback for /trace needs the lexer-callback bridge.
  if (c.has(6)) fire(Err::internal_not_done);
  Cell* result = stack::push_unset();
  lexer::transcode(result, c.args, args);
  c.args[0] = *result;
  stack::keep();
  return Flow::normal;
}

}  // namespace

void install_transcode() { define(Native::transcode, transcode_); }

}  // namespace vyn::natives
