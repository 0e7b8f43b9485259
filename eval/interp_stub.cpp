// eval/interp_stub.cpp: the interpreter's entry points until the evaluator lands.
#include "core/error.hpp"
#include "eval/interp.hpp"

namespace vyn::interp {
namespace {
Cell code = make_unset();
}
// TODO(interpreter): replaced by the evaluator.
void init() { code = make_unset(); }
Cell& current_code() { return code; }
Flow eval_block(Cell, bool) { fire(Err::internal_not_done); }
Flow eval_expression(Cell, int32_t&, int32_t, bool, bool, bool) { fire(Err::internal_not_done); }
Flow eval_next(Cell, int32_t&, int32_t, bool) { fire(Err::internal_not_done); }
Flow eval_single(Cell&, int32_t&) { fire(Err::internal_not_done); }
Flow call_function(const Cell&, NodeId, const Cell&, int) { fire(Err::internal_not_done); }
}  // namespace vyn::interp
