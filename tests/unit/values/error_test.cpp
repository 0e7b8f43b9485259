// error!: making errors from codes, names, fields and text; the catalog; the report text; the
// pending error as a value; the stack capture.
#include <gtest/gtest.h>

#include "core/text/float_text.hpp"
#include "tests/unit/values/eval_text.hpp"
#include "values/compare.hpp"
#include "core/compare_ops.hpp"
#include "values/objects/context.hpp"
#include "values/objects/error.hpp"
#include "values/objects/object.hpp"

namespace vyn::test {
namespace {

using Errors = RuntimeTest;

std::string field_text(const Cell& err, error::Field f) { return mold(*error::field(err, f)); }

// The report of the error begins with the text.
void expect_start(const Cell& err, const std::string& expected) {
  EXPECT_EQ(error::report(err).substr(0, expected.size()), expected);
}

TEST_F(Errors, MakeFromCodesAndNames) {
  struct Case {
    const char* spec;
    int code;
    const char* type;
    const char* id;
  };
  const Case cases[] = {
      {"300", 300, "script", "no-value"},          {"305", 305, "script", "expect-arg"},
      {"0", 0, "throw", "break"},                  {"904", 904, "internal", "stack-overflow"},
      {"[script expect-arg]", 305, "script", "expect-arg"},
      {"[MATH Zero-Divide]", 400, "math", "zero-divide"},
      {"[type: 'math id: 'zero-divide]", 400, "math", "zero-divide"},
      {"[id: 'no-value type: 'script arg1: 'x]", 300, "script", "no-value"},
  };
  for (const Case& c : cases) {
    Cell err = *eval_text(std::string("make error! ") + c.spec);
    ASSERT_TRUE(err.is(Type::error)) << c.spec;
    EXPECT_EQ(object::class_id(err), object::error_class_id);
    EXPECT_EQ(object::events(err), 0u);
    EXPECT_EQ(error::field(err, error::Field::code)->int_value(), c.code) << c.spec;
    EXPECT_EQ(form(*error::field(err, error::Field::type)), c.type) << c.spec;
    EXPECT_EQ(form(*error::field(err, error::Field::id)), c.id) << c.spec;
  }
}

TEST_F(Errors, MakeRejects) {
  struct Case {
    const char* spec;
    Err error;
  };
  const Case cases[] = {
      {"1000", Err::script_out_of_range},  {"-1", Err::script_out_of_range},
      {"600", Err::script_out_of_range},   {"399", Err::script_out_of_range},
      {"[script nothing]", Err::script_invalid_spec_field},
      {"[nothing no-value]", Err::script_invalid_spec_field},
      {"[script]", Err::script_invalid_spec_field},
      {"[script 1]", Err::script_invalid_arg},
      {"[type: 'script id: 'nothing]", Err::script_invalid_spec_field},
      {"[arg1: 1]", Err::script_invalid_spec_field},
      {"[1 2]", Err::internal_invalid_error},
      {"[]", Err::internal_invalid_error},
      {"1.5", Err::script_bad_make_arg},
  };
  for (const Case& c : cases) EXPECT_EQ(eval_error(std::string("make error! ") + c.spec), c.error) << c.spec;
  Cell* err = error_of("make error! [script nothing]");
  EXPECT_EQ(form(*error::field(*err, error::Field::arg1)), "id");
}

TEST_F(Errors, Reports) {
  Cell err = *eval_text("make error! \"boom\"");
  EXPECT_EQ(error::report(err), "*** User Error: boom\n*** Where: ???\n*** Near : make error! \"boom\"");
  EXPECT_EQ(field_text(err, error::Field::code), "800");
  // a near longer than 40 characters is cut at 40
  eval_text("e: make error! [type: 'script id: 'no-value arg1: 'abc] 1 2 3 4 5 6 7 8 9 10 11 12");
  EXPECT_EQ(error::report(value_of("e")),
            "*** Script Error: abc has no value\n*** Where: ???\n*** Near : e: make error! [type: 'script id: 'no-va");
  Cell expect = *eval_text("e: make error! 305 e/arg1: 'append e/arg2: integer! e/arg3: 'series e");
  expect_start(expect, "*** Script Error: append does not allow integer! for its series argument");
  // strings are molded in messages, but formed for syntax errors
  Cell invalid_arg = *eval_text("e: make error! [script invalid-arg] e/arg1: \"x\" e/where: 'foo e");
  expect_start(invalid_arg, "*** Script Error: invalid argument: \"x\"\n*** Where: foo");
  Cell syntax = *eval_text("e: make error! [syntax invalid] e/arg1: \"word\" e/arg2: \"x\" e/arg3: \"y\" e");
  expect_start(syntax, "*** Syntax Error: word invalid x at y");
  // an internal template of plain words
  Cell deprecated = *eval_text("e: make error! [internal deprecated] e/arg1: 'a e/arg2: 'b e/where: \"here\" e");
  expect_start(deprecated, "*** Internal Error: a is DEPRECATED, please use b instead\n*** Where: here\n*** ");
}

TEST_F(Errors, UnknownTypeOrIdReportsInvalidError) {
  Cell bad_id = *eval_text("e: make error! 300 e/id: 'nope e");
  expect_start(bad_id, "*** Internal Error: invalid error object field value: nope\n*** Where: ???");
  Cell bad_type = *eval_text("e: make error! 300 e/type: 'nope e");
  expect_start(bad_type, "*** Internal Error: invalid error object field value: nope");
  Cell not_word = *eval_text("e: make error! 300 e/type: 1 e");
  expect_start(not_word, "*** Internal Error: invalid error object field value: 1");
  // a user message whose argument is no string writes no message
  Cell user = *eval_text("make error! [user message]");
  expect_start(user, "*** User Error: \n*** Where: ");
}

TEST_F(Errors, RaisedErrorsAsValues) {
  // near and where are those of the moment of the raise, not of the catch
  std::string top_level = report_of("1 + 2 unknown-word");
  EXPECT_EQ(top_level.substr(0, 43), "*** Script Error: unknown-word has no value");
  EXPECT_NE(top_level.find("\n*** Near : unknown-word\n"), std::string::npos) << top_level;
  Cell* err = error_of("f: make function! [[x] [x undefined-thing]] f 1");
  EXPECT_EQ(form(*error::field(*err, error::Field::where)), "f");
  EXPECT_TRUE(error::field(*err, error::Field::stack)->is(Type::integer));
  expect_start(*err, "*** Script Error: undefined-thing has no value\n*** Where: f\n*** Near : undefined-thing");
  // from C++: the pending record's category, id and arguments
  try {
    fire(Err::script_expect_arg, {word::load("append"), make_datatype(Type::integer), word::load("series")});
  } catch (const Raised&) {
    Cell* e = error::from_pending();
    EXPECT_EQ(error::field(*e, error::Field::code)->int_value(), 305);
    EXPECT_EQ(form(*error::field(*e, error::Field::arg3)), "series");
    EXPECT_EQ(error::get_type(*e), word::symbol(word::load("script")));
    EXPECT_EQ(error::get_id(*e), word::symbol(word::load("expect-arg")));
  }
}

TEST_F(Errors, RaisingAnErrorValue) {
  Cell* made = eval_text("e: make error! [type: 'script id: 'no-value arg1: 'zz] e");
  try {
    error::raise(*made);
  } catch (const Raised&) {
    EXPECT_EQ(pending_error().id, Err::script_no_value);
    EXPECT_EQ(form(pending_error().args[0]), "zz");
    Cell* caught = error::from_pending();
    EXPECT_EQ(object::context(*caught), object::context(*made));  // the very value, not a copy
  }
  // the next error raised by fire() is its own again
  EXPECT_EQ(form(*error::field(*error_of("nothing-like-it"), error::Field::arg1)), "nothing-like-it");
}

TEST_F(Errors, StackLines) {
  eval_text("f: make function! [[] [g]] g: make function! [[] [1 + nothing-here]]");
  // formed while the frames are in place, as the top level does: the functions down to the raise
  int depth = stack::frame_depth();
  Cell* top = stack::top();
  try {
    eval_text("f");
    ADD_FAILURE();
  } catch (const Raised&) {
    std::string text = error::report(*error::from_pending());
    EXPECT_NE(text.find("\n*** Stack: f g "), std::string::npos) << text;
    stack::catch_error_at(depth, top);
  }
  Cell* captured = error_of("f", true);
  Cell stack_field = *error::field(*captured, error::Field::stack);
  ASSERT_TRUE(stack_field.is(Type::block));
  EXPECT_EQ(mold(stack_field), "[f g]");
  EXPECT_NE(error::report(*captured).find("\n*** Stack: f g"), std::string::npos);
  // level 2 names every call, not only functions
  eval_text("system/state/stack-trace: 2 h: make function! [[] [print nothing-here]]");
  std::string all_calls = mold(*error::field(*error_of("h", true), error::Field::stack));
  EXPECT_EQ(all_calls.substr(0, 3), "[h ") << all_calls;
  EXPECT_NE(all_calls.find("print"), std::string::npos) << all_calls;
  eval_text("system/state/stack-trace: 0");
  EXPECT_EQ(report_of("f").find("*** Stack"), std::string::npos);
  EXPECT_EQ(error::report(*captured).find("*** Stack"), std::string::npos);
  eval_text("system/state/stack-trace: 1 append system/state/source-files \"a.vyn\"");
  Cell* with_files = error_of("f", true);
  EXPECT_EQ(mold(*error::field(*with_files, error::Field::files)), "[\"a.vyn\"]");
  EXPECT_NE(error::report(*with_files).find("\n*** Files: \"a.vyn\""), std::string::npos);
}

TEST_F(Errors, PathMoldCompare) {
  eval_text("e: make error! 300");
  EXPECT_EQ(eval_error("e/stack"), Err::script_invalid_path_set);
  EXPECT_EQ(eval_error("e/STACK: 1"), Err::script_invalid_path_set);
  EXPECT_EQ(mold_of("e/code"), "300");
  EXPECT_EQ(mold_of("make error! [math zero-divide]").substr(0, 54),
            "make error! [\n    code: 400\n    type: 'math\n    id: 'z");
  Cell a = *eval_text("make error! 400"), b = *eval_text("make error! 400");
  Cell c = *eval_text("make error! 401");
  Cell o = *eval_text("make object! [a: 1]");
  *error::field(a, error::Field::near) = make_none();
  *error::field(b, error::Field::near) = make_none();
  *error::field(c, error::Field::near) = make_none();
  EXPECT_EQ(compare_value(&a, &b, cmp::equal), 0);
  EXPECT_NE(compare_value(&a, &c, cmp::equal), 0);
  EXPECT_EQ(compare_value(&a, &o, cmp::equal), -2);
  Cell copy = *eval_text("copy make error! 300");
  EXPECT_TRUE(copy.is(Type::error));
}

TEST_F(Errors, CatalogObject) {
  EXPECT_EQ(mold_of("system/catalog/errors/script/no-value"), "[:arg1 \"has no value\"]");
  EXPECT_EQ(mold_of("system/catalog/errors/math/code"), "400");
  EXPECT_EQ(mold_of("system/catalog/errors/internal/type"), "\"Internal Error\"");
  EXPECT_EQ(mold_of("system/catalog/errors/user/message"), "arg1");
  EXPECT_EQ(mold_of("system/catalog/errors/internal/not-here"), "[arg1 \"not supported on your system\"]");
  EXPECT_EQ(eval_text("length? reflect system/catalog/errors 'words")->int_value(), 10);
  EXPECT_EQ(eval_text("length? reflect system/catalog/errors/script 'words")->int_value(), 96);
  EXPECT_EQ(mold_of("system/standard/error"),
            "make object! [\n    code: none\n    type: none\n    id: none\n    arg1: none\n    arg2: none\n"
            "    arg3: none\n    near: none\n    where: none\n    stack: none\n    files: none\n]");
}

TEST_F(Errors, FloatOptionsFollowTheFlags) {
  eval_text("system/options/float/pretty?: false");
  EXPECT_FALSE(float_text::pretty_print());
  eval_text("system/options/float/pretty?: 1");
  EXPECT_TRUE(float_text::pretty_print());
  eval_text("system/options/float/full?: true");
  EXPECT_TRUE(float_text::full_support());
  eval_text("system/options/float/full?: none");
  EXPECT_FALSE(float_text::full_support());
  EXPECT_TRUE(float_text::pretty_print());
}

}  // namespace
}  // namespace vyn::test
