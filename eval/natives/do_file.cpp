// eval/natives/do_file.cpp: running a script file for do. The library's do-file runs it once the
// base library has defined it; until then (while start-up runs) this does the part local files need.
#include "eval/natives/do_file.hpp"

#include <unistd.h>

#include <string>

#include "core/error.hpp"
#include "values/frames.hpp"
#include "eval/interp.hpp"
#include "eval/script_file.hpp"
#include "core/stack.hpp"
#include "values/series/block.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/predefined.hpp"
#include "values/words/symbol.hpp"
#include "values/text/url.hpp"
#include "values/words/word.hpp"

namespace vyn::natives {
namespace {

// The value a field of an object word holds, or nullptr; good until the next allocation.
Cell* field_of(const Cell& obj, const char* name) {
  if (!obj.is(Type::object)) return nullptr;
  int32_t i = object::find_word_index(obj, word::load(name));
  return i < 0 ? nullptr : context::values(object::context(obj)) + i;
}

Cell system_object() { return *word::value_cell(predefined::word(predefined::W::system)); }

// While the script runs: system/script is a new object (its parent the one before, args the
// /args value) and the process is in the script's directory. Both come back however it ends.
class ScriptScope {
 public:
  ScriptScope(const std::string& path, const Cell& args) {
    old_ = stack::push(make_none());
    if (Cell* s = field_of(system_object(), "script")) *old_ = *s;
    Cell* obj = object::make_context_at(stack::push_unset(), 5);
    NodeId ctx = object::context(*obj);
    object::set_field(ctx, predefined::symbol(predefined::S::title), make_none());
    object::set_field(ctx, predefined::symbol(predefined::S::header), make_none());
    object::set_field(ctx, predefined::symbol(predefined::S::parent), *old_);
    object::set_field(ctx, predefined::symbol(predefined::S::path), make_none());
    object::set_field(ctx, predefined::symbol(predefined::S::args), args);
    if (Cell* s = field_of(system_object(), "script")) *s = *obj;
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && getcwd(dir_, sizeof dir_)) {
      std::string dir = path.substr(0, slash + 1);
      moved_ = chdir(dir.c_str()) == 0;
    }
  }
  ~ScriptScope() {
    if (moved_ && chdir(dir_) != 0) moved_ = false;  // the directory left may be gone: stay
    if (Cell* s = field_of(system_object(), "script")) *s = *old_;
  }
  ScriptScope(const ScriptScope&) = delete;
  ScriptScope& operator=(const ScriptScope&) = delete;

 private:
  Cell* old_;
  char dir_[4096] = {};
  bool moved_ = false;
};

// The library's do-file, called with the file, none (no trace callback) and the /args value.
Flow library_do_file(const Cell& fn, const Cell& file, const Cell& args) {
  Cell* result = stack::arguments();
  Cell values[3] = {file, make_none(), args};
  Flow f = interp::call_with(fn, values, 3, predefined::word(predefined::W::do_file));
  if (f != Flow::normal) return f;
  *result = *stack::last_value();
  stack::set_top(result + 1);
  return Flow::normal;
}

}  // namespace

Flow expand_block(const Cell& block) {
  Cell pre = *word::value_cell(predefined::word(predefined::W::preprocessor));
  Cell* fn = field_of(pre, "expand");
  if (!fn || !fn->is(Type::function)) return Flow::normal;
  Cell values[3] = {block, make_none(), make_logic(false)};
  Cell expand = *fn;
  Cell* base = stack::top();
  Flow f = interp::call_with(expand, values, 3, predefined::word(predefined::W::expand));
  if (f == Flow::normal) stack::set_top(base);
  return f;
}

Flow do_file(Cell* file, const Cell& args, bool expand) {
  Cell fn = *word::value_cell(predefined::word(predefined::W::do_file));
  if (fn.is(Type::function)) return library_do_file(fn, *file, args);
  if (file->is(Type::url)) fire(Err::internal_not_here, {make_datatype(Type::url)});
  std::string path = file::to_local(*file, false);
  Cell* result = stack::arguments();
  Cell* code = stack::push_unset();
  switch (script::load_script(path, code)) {
    case script::Loaded::unreadable: fire(Err::access_cannot_open, {*file});
    case script::Loaded::no_header: fire(Err::syntax_no_header, {*file});
    case script::Loaded::system: fire(Err::internal_vyn_system);
    case script::Loaded::ok: set_series_head(*code, 2); break;  // the body, after the word Vyn and the header
    case script::Loaded::not_vyn: break;
  }
  if (expand) {
    Flow f = expand_block(*code);
    if (f != Flow::normal) return f;
  }
  ScriptScope scope(path, args);
  // A barrier: break, continue, return, exit and throw end at the script's top as their errors.
  Cell name = predefined::word(predefined::W::do_file);
  stack::mark_try_all(&name);
  stack::push_unset();
  Flow f = interp::eval_block(*code, true);
  if (f != Flow::normal) return f;
  Cell value = *stack::arguments();
  stack::unwind_drop();
  *result = value;
  stack::set_top(result + 1);
  return Flow::normal;
}

}  // namespace vyn::natives
