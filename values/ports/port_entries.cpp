// values/ports/port_entries.cpp: port!'s action table. The series and I/O actions go to the actor with
// the port first and the action's arguments in the order of its spec; a refinement travels as a
// logic! flag followed by its argument (none when the refinement is off).
#include "core/stack.hpp"
#include "values/ports/port.hpp"
#include "values/registry.hpp"

namespace vyn::port {
namespace {

const Cell none_ = make_none();

Cell flag(bool on) { return make_logic(on); }
Cell flag(const Cell* arg) { return make_logic(arg != nullptr); }
Cell arg(const Cell* a) { return a ? *a : none_; }
Cell count_arg(int32_t n) { return n >= 0 ? make_integer(n) : none_; }

// Simple entries answer in args[0].
template <Action A>
void one(Cell* args) { args[0] = *forward(A, {args[0]}); }
template <Action A>
void two(Cell* args) { args[0] = *forward(A, {args[0], args[1]}); }

template <Action A>
Cell* alone(Cell* port) { return forward(A, {*port}); }

Cell* insert_like(Action a, Cell* port, Cell* value, int32_t part, bool only, int32_t dup) {
  return forward(a, {*port, *value, flag(part >= 0), count_arg(part), flag(only), flag(dup != 1),
                     make_integer(dup)});
}
Cell* append(Cell* p, Cell* v, int32_t part, bool only, int32_t dup, bool) {
  return insert_like(Action::append, p, v, part, only, dup);
}
Cell* insert(Cell* p, Cell* v, int32_t part, bool only, int32_t dup, bool) {
  return insert_like(Action::insert, p, v, part, only, dup);
}
Cell* change(Cell* p, Cell* v, int32_t part, bool only, int32_t dup) {
  return insert_like(Action::change, p, v, part, only, dup);
}

Cell* copy(Cell* p, Cell*, Cell* part, bool deep, Cell* types) {
  return forward(Action::copy, {*p, flag(part), arg(part), flag(deep), flag(types), arg(types)});
}

Cell* find(Cell* p, Cell* v, const FindOptions& o) {
  return forward(Action::find, {*p, *v, flag(o.part), arg(o.part), flag(o.only), flag(o.case_),
                                flag(o.same), flag(o.any), flag(o.with), arg(o.with), flag(o.skip),
                                arg(o.skip), flag(o.last), flag(o.reverse), flag(o.tail), flag(o.match)});
}
Cell* select(Cell* p, Cell* v, const FindOptions& o) {
  return forward(Action::select, {*p, *v, flag(o.part), arg(o.part), flag(o.only), flag(o.case_),
                                  flag(o.same), flag(o.any), flag(o.with), arg(o.with), flag(o.skip),
                                  arg(o.skip), flag(o.last), flag(o.reverse)});
}

// length? answers -1 for none: an actor's answer other than an integer reads as none.
int32_t length_q(Cell* p) {
  Cell* n = forward(Action::length_q, {*p});
  return n->is(Type::integer) ? n->int_value() : -1;
}

Cell* move(Cell* p, Cell* target, Cell* part) {
  return forward(Action::move, {*p, *target, flag(part), arg(part)});
}
Cell* pick(Cell* p, int32_t, Cell* index) { return forward(Action::pick, {*p, *index}); }
Cell* poke(Cell* p, int32_t, Cell* index, Cell* v) { return forward(Action::poke, {*p, *index, *v}); }
Cell* put(Cell* p, Cell* key, Cell* v, bool case_) {
  return forward(Action::put, {*p, *key, *v, flag(case_)});
}
Cell* remove(Cell* p, Cell* part, Cell* key) {
  return forward(Action::remove, {*p, flag(part), arg(part), flag(key), arg(key)});
}
Cell* reverse(Cell* p, Cell* part, Cell* skip) {
  return forward(Action::reverse, {*p, flag(part), arg(part), flag(skip), arg(skip)});
}
Cell* sort(Cell* p, const SortOptions& o) {
  return forward(Action::sort, {*p, flag(o.case_), flag(o.skip), arg(o.skip), flag(o.compare),
                                arg(o.compare), flag(o.part), arg(o.part), flag(o.all), flag(o.reverse),
                                flag(o.stable)});
}
Cell* swap(Cell* p, Cell* other) { return forward(Action::swap, {*p, *other}); }
Cell* take(Cell* p, Cell* part, bool deep, bool last) {
  return forward(Action::take, {*p, flag(part), arg(part), flag(deep), flag(last)});
}
Cell* trim(Cell* p, bool head, bool tail, bool auto_, bool lines, bool all, Cell* with) {
  return forward(Action::trim, {*p, flag(head), flag(tail), flag(auto_), flag(lines), flag(all),
                                flag(with), arg(with)});
}
Cell* modify(Cell* p, Cell* field, Cell* v, bool case_) {
  return forward(Action::modify, {*p, *field, *v, flag(case_)});
}
Cell* open(Cell* p, bool new_, bool read, bool write, bool seek, Cell* allow) {
  return forward(Action::open, {*p, flag(new_), flag(read), flag(write), flag(seek), flag(allow), arg(allow)});
}
Cell* rename(Cell* p, Cell* to) { return forward(Action::rename, {*p, *to}); }

}  // namespace

void install() {
  using registry::def;
  using registry::inherit;
  registry::define(Type::port, {
      def<Action::make>(make),             inherit(Action::reflect),
      def<Action::form>(form),             def<Action::mold>(mold),
      inherit(Action::eval_path),          inherit(Action::compare),
      def<Action::append>(append),         def<Action::at>(two<Action::at>),
      def<Action::back>(one<Action::back>), def<Action::change>(change),
      def<Action::clear>(alone<Action::clear>), def<Action::copy>(copy),
      def<Action::find>(find),             def<Action::head>(one<Action::head>),
      def<Action::head_q>(one<Action::head_q>), def<Action::index_q>(one<Action::index_q>),
      def<Action::insert>(insert),         def<Action::length_q>(length_q),
      def<Action::move>(move),             def<Action::next>(one<Action::next>),
      def<Action::pick>(pick),             def<Action::poke>(poke),
      def<Action::put>(put),               def<Action::remove>(remove),
      def<Action::reverse>(reverse),       def<Action::select>(select),
      def<Action::sort>(sort),             def<Action::skip>(two<Action::skip>),
      def<Action::swap>(swap),             def<Action::tail>(one<Action::tail>),
      def<Action::tail_q>(one<Action::tail_q>), def<Action::take>(take),
      def<Action::trim>(trim),             def<Action::create>(alone<Action::create>),
      def<Action::close>(alone<Action::close>), def<Action::delete_>(alone<Action::delete_>),
      def<Action::modify>(modify),         def<Action::open>(open),
      def<Action::query>(alone<Action::query>), def<Action::read>(read),
      def<Action::rename>(rename),         def<Action::update>(alone<Action::update>),
      def<Action::write>(write),
  });
}

}  // namespace vyn::port
