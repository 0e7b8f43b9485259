// tests/fuzz/engine_diff_fuzz.cpp: libFuzzer target: the evaluation engine against the interpreter.
//
// The input picks tokens that make a block of code: calls of functions with and without
// refinements, operators, parens, set-words, conditionals and counted loops, words rebound to
// other natives or operators, blocks changed in place while they run, exits, errors and a
// recursion that runs into the stack limit. The block runs once on the interpreter and once on the
// engine (its verifier on), each time from the same start; the molded answer (an error with its
// near, where and stack), the words' values afterwards and the recursion's depth must be the same.
// Every loop and recursion the tokens can make ends soon, whatever they rebind: f stops past 12
// and the while loop counts with natives no token rebinds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "eval/engine/engine.hpp"
#include "tests/fuzz/script_runner.hpp"

namespace {

// Run once: the natives and operators that tokens rebind, kept under names of their own.
constexpr std::string_view driver = R"vyn(
fz-keep: reduce [:either :if :unless :loop :repeat :while :+ :- :* :<]
fz-words: [either if unless loop repeat while + - * <]
)vyn";

// The rebound words put back.
constexpr std::string_view restore = R"vyn(
repeat i length? fz-words [set pick fz-words i pick fz-keep i]
)vyn";

// Run before each pass: the same start for both.
constexpr std::string_view prelude = R"vyn(
a: 1 b: 2 c: 0 n: 3 dd: 0
f: func [x] [either any [x < 2 x > 12] [x] [(f x - 1) + (f x - 2)]]
g: func [x /twice /local y] [y: x if twice [y: y * 2] return y + 1]
h: does [a: a + 1 exit]
deep: func [k] [dd: dd + 1 deep k + 1]
code: copy [a: a + 1 b: b * 2]
self-mod: func [] [poke code 2 'b do code]
)vyn";

const char* const tokens[] = {
    "a", "b", "c", "n", "a:", "b:", "c:", "n:", "0", "1", "2", "-1", "2147483647", "-2147483648",
    "+", "-", "*", "<", "=", "/", "//", "f", "g", "g/twice", "h", "either", "if", "unless",
    "[", "]", "(", ")", "return", "exit", "break", "continue", "throw 'x", "catch", "try",
    "loop 2", "repeat n 2", "while [lesser? c 3] [c: add c 1]", "do code", "self-mod", "deep 0",
    "append code [c: c + 1]", "clear code", "insert code [a]", "reverse code", "bind code self",
    "set 'either :if", "set 'if :unless", "set '+ :-", "set '< :*", "set 'a :+", "f: :g",
    "g: func [x] [x - 1]", "either: func [c t f] [t]", "'a", ":a", "none", "true", "false",
    "\"s\"", "[1 2]", "reduce", "compose", "do", "quote", "x/y", "f 10", "(f n)", "n - 1",
};

std::string pass(const std::string& body, const char* result) {
  std::string text(restore);
  text += prelude;
  text += "fz-r: mold/all try/all ";
  text += body;
  text += "\n";
  text += result;
  text += ": rejoin [fz-r mold/all reduce [:a :b :c :n dd mold code]]\n";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const uint8_t none[1] = {0};
  static bool ready = (vyn::fuzz::run_script(driver, none, 0), true);
  (void)ready;
  if (size > 96) return 0;
  std::string body = vyn::fuzz::token_block(tokens, data, size);
  bool on = vyn::engine::on, verify = vyn::engine::verify;
  vyn::engine::on = false;
  vyn::fuzz::run_script(pass(body, "fz-old"), data, size);
  vyn::engine::on = true;
  vyn::engine::verify = true;
  vyn::fuzz::run_script(pass(body, "fz-new"), data, size);
  std::string check(restore);
  check += "if fz-old <> fz-new [print fz-old print fz-new fuzz-bad: true]";
  vyn::fuzz::run_script(check, data, size);
  vyn::engine::on = on;
  vyn::engine::verify = verify;
  return 0;
}
