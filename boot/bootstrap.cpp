// boot/bootstrap.cpp: binding the first words in the global context.
#include "boot/bootstrap.hpp"

#include <cstring>
#include <initializer_list>

#include "boot/base_library.hpp"
#include "boot/base_sources.hpp"
#include "boot/boot_heap.hpp"
#include "boot/boot_image.hpp"
#include "boot/prescanned_specs.hpp"
#include "boot/system_object.hpp"
#include "eval/front_ends.hpp"
#include "values/lexer/lexer.hpp"
#include "eval/native_table.hpp"
#include "core/stack.hpp"
#include "library/json_unescape.hpp"
#include "library/vynbin.hpp"
#include "values/series/block.hpp"
#include "values/images/image.hpp"
#include "values/callables/native_shape.hpp"
#include "values/callables/routine.hpp"
#include "values/registry.hpp"
#include "values/words/typeset.hpp"
#include "values/words/word.hpp"
#include "view/tui/platform_routines.hpp"

namespace vyn::boot {
namespace {

void set(const char* name, const Cell& value) {
  Cell w = word::load(name);
  word::set(w, value);
}

Cell get(const char* name) { return *word::value_cell(word::load(name)); }

void bind_datatypes() {
  for (int id = 1; id <= registry::highest_type(); ++id) {
    Type t = static_cast<Type>(id);
    if (!registry::registered(t)) continue;
    Cell w = registry::type_word(t);
    word::set(w, make_datatype(t));
  }
  set("none", make_none());
  set("true", make_logic(true));
  set("false", make_logic(false));
}

Cell types(std::initializer_list<Type> members, std::initializer_list<const char*> unions = {}) {
  Cell ts = typeset::make_empty();
  for (Type t : members) typeset::add(ts, t);
  for (const char* name : unions) {
    Cell other = get(name);
    typeset::merge(ts, other);
  }
  return ts;
}

void bind_typesets() {
  using T = Type;
  set("internal!", types({T::unset}));
  set("external!", types({T::event}));
  set("number!", types({T::integer, T::float_, T::percent}));
  set("planar!", types({T::pair, T::point2D}));
  set("any-point!", types({T::point2D, T::point3D}));
  set("scalar!", types({T::money, T::char_, T::pair, T::tuple, T::time, T::date}, {"number!", "any-point!"}));
  set("any-word!", types({T::word, T::set_word, T::lit_word, T::get_word}));
  set("all-word!", types({T::refinement, T::issue}, {"any-word!"}));
  set("any-list!", types({T::block, T::paren, T::hash}));
  set("any-path!", types({T::path, T::lit_path, T::set_path, T::get_path}));
  set("any-block!", types({}, {"any-path!", "any-list!"}));
  set("any-function!", types({T::native, T::action, T::op, T::function, T::routine}));
  set("any-object!", types({T::object, T::error, T::port}));
  set("any-string!", types({T::string, T::file, T::url, T::tag, T::email, T::ref}));
  set("series!", types({T::binary, T::image, T::vector}, {"any-block!", "any-string!"}));
  set("immediate!", types({T::none_, T::logic, T::datatype, T::typeset, T::handle, T::date},
                          {"scalar!", "all-word!"}));
  set("default!", types({T::map, T::bitset}, {"series!", "immediate!", "any-object!", "external!", "any-function!"}));
  set("any-type!", types({}, {"default!", "internal!"}));
}

// Makes a native! or action! from its spec text and index, and binds its word to it.
void define_callable(const char* name, const char* spec_text, int index, Type type) {
  stack::Mark mark;
  Cell* spec = routine::push_spec(spec_text);
  Cell* made = block::push_only(2);
  block::append_copy(*made, *spec);
  block::append_copy(*made, make_integer(index));
  Cell value = *registry::entry<Action::make>(type)(made, made, type);
  set(name, value);
}

// Slots 7 to 9 have no word: the evaluator reaches them directly.
void bind_actions() {
  for (int slot = 1; slot <= action_count; ++slot) {
    const char* word = registry::action_word(static_cast<Action>(slot));
    if (*word) define_callable(word, actions::spec_of(slot), slot, Type::action);
  }
}

void bind_natives() {
  for (int i = 1; i <= natives::count; ++i)
    define_callable(natives::word_of(i), natives::spec_of(i), i, Type::native);
}

// The infix operators, in their definition order, each made with make op! from the value its
// prefix word holds now: rebinding that word later leaves the operator as it is.
void bind_operators() {
  static constexpr const char* ops[][2] = {
      {"+", "add"}, {"-", "subtract"}, {"*", "multiply"}, {"/", "divide"}, {"//", "modulo"},
      {"%", "remainder"}, {"=", "equal?"}, {"<>", "not-equal?"}, {"==", "strict-equal?"},
      {"=?", "same?"}, {"<", "lesser?"}, {">", "greater?"}, {"<=", "lesser-or-equal?"},
      {">=", "greater-or-equal?"}, {"<<", "shift-left"}, {">>", "shift-right"},
      {">>>", "shift-logical"}, {"**", "power"}, {"and", "and~"}, {"or", "or~"}, {"xor", "xor~"},
  };
  for (const auto& op : ops) {
    stack::Mark mark;
    Cell* source = stack::push(get(op[1]));
    Cell* made = registry::entry<Action::make>(Type::op)(source, source, Type::op);
    set(op[0], *made);
  }
}

// What the built-ins' stretch of start-up leaves outside the heap and a replayed heap does not
// hold: the C++ bodies, registered in the order defining their routines registers them, and the
// typeset words' symbols.
void restore_outside_heap() {
  system_object::register_bodies();
  register_routine_bodies();
  library::register_json_bodies();
  vyn::image::register_codec_bodies();
  vynbin::register_bodies();
  register_predicate_bodies();
  tui::register_platform_routines();
  note_typeset_symbols();
}

// The built-ins, then the library from its image (or its text when the program has none).
bool make_built_ins() {
  heap::note_start();
  system_object::init();
  prescanned::start();
  bind_datatypes();
  bind_typesets();
  bind_actions();
  bind_natives();
  native_shape::seal(get("any-type!"));
  define_routines();
  library::define_json_unescape();
  vyn::image::define_codec_routines();
  vynbin::define_routines();
  define_constants();
  define_predicates();
  define_base_arith();
  bind_operators();
  define_lexer_object();
  tui::register_platform_routines();
  prescanned::stop();
  return boot::image::load();
}

}  // namespace

void bootstrap() {
  bool replayed = heap::replay(restore_outside_heap);
  bool image = replayed || make_built_ins();
  heap::report(replayed);
  if (image) {
    system_object::refresh_for_image();
  } else {
    load_base_library();
    system_object::finish_library();
    if (boot::image::on_library_loaded) boot::image::on_library_loaded();
  }
  system_object::finish_run();
  bind_compiled_bodies();
  define_fault_trigger();  // last: the other bodies keep their entries whether it is there or not
}

}  // namespace vyn::boot
