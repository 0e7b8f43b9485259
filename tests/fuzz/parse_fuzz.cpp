// tests/fuzz/parse_fuzz.cpp: libFuzzer target: random parse rules over random inputs.
//
// The bytes choose an input (a string, file, tag, binary, block or paren) and four rule blocks
// made of every keyword of the dialect, repetition counts and ranges, literals, datatypes,
// sub-rules that call each other (recursion included) and parens that edit the input or the rules
// while they run, call parse again, raise errors or leave by break, return and throw. The program
// runs under try, so malformed rules are answers; a crash, a sanitizer report or a hang is a
// fault. Rules that may rightly loop for ever (while over a rule that consumes nothing, any over
// an insert that grows the input as it advances) only run under a trace callback that stops
// parsing after a fixed number of events, or once the input has grown past a few thousand items
// (an insert of a copy of the whole input doubles it at each pass).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/fuzz/script_runner.hpp"

namespace {

struct Bytes {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool endless = false;  // a rule that may loop for ever was written
  uint8_t next() { return at < size ? data[at++] : 0; }
  bool more() const { return at < size; }
};

// Helpers the parens call: they keep the input and the rules from growing without bound.
constexpr std::string_view prelude = R"vyn(
fz-grow: func [s] [if 64 > length? head s [either any-block? s [append s [1 a "b"]] [append s "ab"]]]
fz-cut: func [s] [clear skip head s (length? head s) / 2]
fz-rule: func [r] [if 32 > length? r [append r [skip]]]
fz-tick: 0
; a full collection takes milliseconds: a rule looping over one until the trace stops it would
; outlast the timeout, so only the first few of a run collect
fz-recycles: 0
fz-recycle: func [] [if 20 > fz-recycles: fz-recycles + 1 [recycle]]
; a paren that copies the input and an insert of the copy double the input at every pass, so the
; events alone would let it reach gigabytes: the input's length stops parsing too
fz-stop: func [event match? rule input stack] [
    fz-tick: fz-tick + 1
    all [fz-tick < 1500 4096 > length? head input 4096 > length? head in]
]
cs: charset "ab^(0)^(FF)"
ts: make typeset! [integer! string! word!]
n: 2
t: copy []
ts-str: copy "x"
)vyn";

const char* const parens[] = {
    "(fz-grow in)", "(fz-cut in)", "(clear in)", "(remove head in)", "(insert head in first head in)",
    "(fz-rule r1)", "(clear r1)", "(r2: [skip])", "(r1: copy r3)", "(clear r0)",
    "(parse/trace in r2 :fz-stop)", "(parse/case in [any skip])", "(x: parse in [collect [keep skip]])",
    "(break)", "(return 1)", "(throw 2)", "(continue)", "(1 / 0)", "(fz-recycle)", "(exit)",
    "(in: next in)", "(true)", "(none)", "(false)", "(n: 0)", "(n: 3)", "(t: copy in)", "(x)",
    "(clear t)", "(t: tail t)", "(clear ts-str)", "(fz-rule r3 append/only r3 r3)", "(x: tail in)",
};

const char* const keywords[] = {
    "some", "any", "opt", "not", "ahead", "to", "thru", "into", "copy x", "set x", "collect",
    "keep", "keep pick", "change", "change only", "insert", "insert only", "remove", "if", "fail",
    "reject", "break", "end", "skip", "quote", "case true", "case false", "|", "none", "x:", ":x",
    "copy t", "collect into t", "collect after t", "collect set x", "collect into ts-str", "remove x",
    "change x", "insert x", "then", "keep x", "collect into x", "into x", "case", "copy", "set",
    "quote |", "to end", "thru end", "skip skip", "any skip", "collect keep", "keep 2 skip",
};

const char* const literals[] = {
    "\"a\"", "\"b\"", "\"ab\"", "\"\"", "#\"a\"", "#\"^(0)\"", "cs", "1", "'a", "a", "<t>", "%f",
    "integer!", "word!", "string!", "block!", "ts", "#{61}", "#{}", "2", "0", "-1", "1 2", "2 1",
    "0 0", "n", "1 n", "n 1", "3 3", "2147483647", "-2147483648", "0 2147483647", "none!",
    "[]", "\"A\"", "#\"B\"", "1.5", "a/b", "'a/b", "[1 a]", "#\"^(FF)\"", "(1)",
};

const char* pick(Bytes& b, const char* const* list, size_t count) { return list[b.next() % count]; }

void rule_block(Bytes& b, std::string& out, int depth);

void element(Bytes& b, std::string& out, int depth) {
  uint8_t k = b.next();
  switch (k % 8) {
    case 0: case 1: {
      std::string_view word = pick(b, keywords, std::size(keywords));
      if (word.starts_with("insert") || word.starts_with("change")) b.endless = true;
      out += word;
      break;
    }
    case 2: case 3: out += pick(b, literals, std::size(literals)); break;
    case 4: out += pick(b, parens, std::size(parens)); break;
    case 5: out += "r" + std::to_string(b.next() % 4); break;
    case 6:
      if (depth < 4) rule_block(b, out, depth + 1);
      else out += "skip";
      break;
    case 7:
      if (k & 8) b.endless = true;
      out += k & 8 ? "while" : (k & 16 ? "any" : "some");
      break;
  }
  out += ' ';
}

void rule_block(Bytes& b, std::string& out, int depth) {
  out += '[';
  int n = b.next() % 8;
  for (int i = 0; i < n && b.more(); ++i) element(b, out, depth);
  out += ']';
}

// A string (kinds 0, 1 as a file!, 4 as a tag!), a binary (2) or a block (3, 5 as a paren!)
// whose items include series for into.
void input(Bytes& b, std::string& out) {
  uint8_t kind = b.next() % 6;
  int n = b.next() % 12;
  static const char* const items[] = {"1", "a", "\"b\"", "[c 1]", "x", "#\"a\"", "2.5", "<t>",
                                      "'a", "(1)", "#{0102}", "%f", "[]", "[[a] \"ab\"]"};
  if (kind == 3 || kind == 5) {
    out += "in: copy [";
    for (int i = 0; i < n; ++i) out += std::string(items[b.next() % std::size(items)]) + " ";
    out += kind == 5 ? "]\nin: to paren! in\n" : "]\n";
    return;
  }
  out += kind == 2 ? "in: copy #{" : "in: copy \"";
  static const char hex[] = "0123456789ABCDEF";
  static const uint8_t alphabet[] = {'a', 'b', 'A', 'B', 0, 0xFF, '|', 'x'};
  for (int i = 0; i < n; ++i) {
    uint8_t c = kind == 2 ? b.next() : alphabet[b.next() % sizeof alphabet];
    if (kind != 2) out += "^(";
    out += hex[c >> 4];
    out += hex[c & 15];
    if (kind != 2) out += ")";
  }
  out += kind == 2 ? "}\n" : "\"\n";
  if (kind == 1) out += "in: to file! in\n";
  if (kind == 4) out += "in: to tag! in\n";
}

std::string program(Bytes& b) {
  uint8_t mode = b.next();
  std::string src;
  input(b, src);
  for (int i = 0; i < 4; ++i) {
    src += "r" + std::to_string(i) + ": ";
    rule_block(b, src, i == 0 ? 0 : 1);
    src += '\n';
  }
  bool traced = (mode & 1) || b.endless;
  src += "\nx: none fz-tick: 0\n";
  std::string call = "parse";
  if (mode & 2) call += "/case";
  if (mode & 4) call += "/part";
  if (traced) call += "/trace";
  call += " in r0";
  static const char* const parts[] = {
      " next in", " tail in", " 1.#NaN", " 1e300", " -1.5", " \"x\"", " 0"};
  if (mode & 4)
    call += mode & 8 ? " " + std::to_string(static_cast<int>(b.next()) - 8) : pick(b, parts, std::size(parts));
  if (traced) call += " :fz-stop";
  const char* guard = mode & 16 ? "try/all" : "try";
  src += "catch [loop 1 [fz: func [] [" + std::string(guard) + " [" + call + "]] fz]]\n";
  return src;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  Bytes b{data, size};
  std::string code = std::string(prelude) + program(b);
  if (std::getenv("VYN_FUZZ_SHOW")) std::fputs(code.c_str(), stderr);
  vyn::fuzz::run_script(code, data, size);
  return 0;
}
