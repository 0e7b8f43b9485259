// The lexer's scanner: nesting, paths, points, errors with their lines, events, and the
// transcode and load-text entry points.
#include <gtest/gtest.h>

#include <vector>

#include "tests/unit/eval/lexer_support.hpp"
#include "core/gc.hpp"
#include "values/text/load_text.hpp"

namespace vyn::test {
namespace {

using LexerScan = RuntimeTest;

TEST_F(LexerScan, Structure) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"", ""},
      {" \t\r\n ; comment\n\x01\x02 ;", ""},
      {"[1 [2 (3)] ()]", "[1 [2 (3)] ()]"},
      {"(1 2)", "(1 2)"},
      {"a/b/c", "a/b/c"},
      {"'a/b :a/b a/b:", "'a/b :a/b a/b:"},
      {"a/1/(b c)/\"s\"/:d", R"~(a/1/(b c)/"s"/:d)~"},
      {"a/b[c]", "a/b [c]"},
      {"a/b(c)", "a/b (c)"},
      {"a/(b/c)/d e", "a/(b/c)/d e"},
      {"[a/b]", "[a/b]"},
      {"a/b:c", "a/b: c"},
      {"\xC2\xA0word", "word"},
      {"a\xE2\x80\x83""b", "a b"},
      {"\xE3\x80\x80", ""},
      {"#(true)#(none)", "true none"},
      {"{a}{b}", R"~("a" "b")~"},
      {"[1\n2]\n3", "[1\n2]\n3"},
  };
  for (const Case& c : cases) {
    stack::Mark mark;
    EXPECT_EQ(loaded(c.text), c.expected) << c.text;
  }
  EXPECT_EQ(loaded(std::string("1 2\0 3", 6)), "1 2");  // NUL ends the text
}

TEST_F(LexerScan, ManyValuesAndDeepNesting) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += std::to_string(i) + " ";
  Cell b = load(text);
  ASSERT_EQ(block::length_total(b), 5000);
  EXPECT_EQ(block::cells(b)[4999].int_value(), 4999);
  std::string deep(3000, '[');
  deep += "x";
  deep += std::string(3000, ']');
  Cell d = load(deep);
  for (int i = 0; i <= 3000; ++i) {  // the outer block, then 3000 levels
    ASSERT_EQ(block::length_total(d), 1);
    d = block::cells(d)[0];
  }
  EXPECT_TRUE(d.is(Type::word));
}

// With the collector on (and at every allocation under VYN_GC_STRESS), values waiting in the
// lexer's buffer and the blocks it builds survive buffers moving under them.
TEST_F(LexerScan, ValuesSurviveCollections) {
  gc::set_enabled(true);
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += "[w" + std::to_string(i) + " \"s" + std::to_string(i) + "\" #{0102} %f a/b/(c d) " +
            std::to_string(i) + " 1.5 {b{r}} #\"c\"]\n";
  Cell* b = stack::push(load(text));
  gc::collect();
  ASSERT_EQ(block::length_total(*b), 300);
  EXPECT_EQ(describe(block::cells(*b)[299]),
            R"~([w299 "s299" #{0102} file!"f" a/b/(c d) 299 1.5 "b{r}" char:99])~");
  // a binary's bytes move at every allocation under stress: the scan must not read them in place
  Cell* bin = stack::push(make_series(Type::binary, alloc::new_bytes(static_cast<uint32_t>(text.size()))));
  SeriesBuffer* buf = buffer_of(series_node(*bin));
  std::memcpy(buf->data(), text.data(), text.size());
  buf->tail = static_cast<uint32_t>(text.size());
  Cell* out = stack::push_unset();
  lexer::transcode(out, bin, {});
  EXPECT_EQ(describe(*out), describe(*b));
  gc::set_enabled(false);
}

TEST_F(LexerScan, SyntaxErrorsNameLineAndText) {
  struct Case {
    const char* text;
    Err id;
    const char* line;
    const char* arg2;
    const char* arg3;
  } cases[] = {
      {"[1 (2", Err::syntax_missing, "(line 1)", ")", "(2"},
      {"[1\n[2", Err::syntax_missing, "(line 2)", "]", "[2"},
      {"1]", Err::syntax_missing, "(line 1)", "[", "]"},
      {"1)", Err::syntax_missing, "(line 1)", "(", ")"},
      {"[1)", Err::syntax_missing, "(line 1)", "]", ")"},
      {"(1]", Err::syntax_missing, "(line 1)", ")", "]"},
      {"1\n2\n\"abc", Err::syntax_invalid, "(line 3)", "string!", "\"abc"},
      {"x\n1''0 y", Err::syntax_invalid, "(line 2)", "integer!", "1''0 y"},
      {"1, 2", Err::syntax_invalid, "(line 1)", "point2D!", ", 2"},
      {"[1, 2]", Err::syntax_invalid, "(line 1)", "point2D!", ", 2]"},
      {"[a, b]", Err::syntax_invalid, "(line 1)", "word!", "a, b]"},
      {"\n\n}", Err::syntax_bad_char, "(line 3)", "}", ""},
      {"#(foo)", Err::syntax_malconstruct, "(line 1)", "#(foo)", ""},
      {"'a/b:", Err::syntax_bad_char, "(line 1)", ":", ""},
      {":a/b:", Err::syntax_bad_char, "(line 1)", ":", ""},
      {"a/b:/c", Err::syntax_invalid, "(line 1)", "path!", "b:/c"},
      {"a/", Err::syntax_invalid, "(line 1)", "path!", "a/"},
      {"a/b/", Err::syntax_invalid, "(line 1)", "path!", "b/"},
      {"#[a]", Err::syntax_invalid, "(line 1)", "map!", "]"},
      {"#[[a] 1]", Err::syntax_invalid, "(line 1)", "map!", "]"},
      {"{a\n{b}", Err::syntax_invalid, "(line 1)", "string!", "{a"},
      {"1234567890123456789012345678901234567890x", Err::syntax_invalid, "(line 1)", "pair!",
       "123456789012345678901234567890"},
      {"a\xFF", Err::syntax_invalid, "(line 1)", "word!", "a\xEF\xBF\xBD"},
      {"\xC3", Err::syntax_invalid, "(line 1)", "word!", "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    stack::Mark mark;
    SyntaxError e = load_error(c.text);
    EXPECT_EQ(e.id, c.id) << c.text;
    EXPECT_EQ(e.line, c.line) << c.text;
    if (c.id == Err::syntax_bad_char || c.id == Err::syntax_malconstruct) {
      EXPECT_EQ(e.arg2, c.arg2) << c.text;
    } else {
      EXPECT_EQ(e.arg2, c.arg2) << c.text;
      EXPECT_EQ(e.arg3, c.arg3) << c.text;
    }
  }
}

TEST_F(LexerScan, ChecksAndPrescansRaiseNothing) {
  EXPECT_EQ(guessed(""), Type::nothing);
  EXPECT_EQ(guessed("  ; only a comment"), Type::nothing);
  EXPECT_EQ(guessed("123 abc"), Type::integer);
  EXPECT_EQ(guessed("[1 2] x"), Type::block);
  EXPECT_EQ(guessed("a/b c"), Type::path);
  EXPECT_EQ(guessed("a/b: c"), Type::set_path);
  EXPECT_EQ(guessed("1''0"), Type::error);
  EXPECT_EQ(guessed("[1 }"), Type::error);
  EXPECT_EQ(guessed("{a {b} c} d"), Type::string);
  EXPECT_EQ(guessed("1.2.3.4.5.6.7.8.9.10.11.12.13", true), Type::tuple);
  EXPECT_EQ(guessed("#\"a\" 1", true), Type::char_);
  EXPECT_EQ(guessed("[#\"a\" \"b\"] 1", true), Type::block);
  EXPECT_EQ(guessed("[1 }", true), Type::error);
  EXPECT_EQ(guessed("[(1, 2) x]", true), Type::block);
}

// A tracer that records what it receives, and may refuse one event.
struct Recorder : lexer::Tracer {
  uint32_t wanted = lexer::all_events;
  std::vector<std::string> seen;
  lexer::Event refuse_event = lexer::Event{0};
  int refuse_at = -1;
  uint32_t mask() const override { return wanted; }
  bool on_event(lexer::EventInfo& e) override {
    static const char* names[] = {"", "prescan", "scan", "", "load", "", "", "", "open"};
    std::string name = e.event == lexer::Event::close   ? "close"
                       : e.event == lexer::Event::error ? "error"
                                                        : names[static_cast<int>(e.event)];
    std::string type = e.type == Type::nothing ? "-" : registry::type_name(e.type);
    seen.push_back(name + " " + type + " " + std::to_string(e.index) + " L" +
                   std::to_string(e.line) + (e.value ? " " + describe(*e.value) : ""));
    return !(e.event == refuse_event && e.token_start - 1 == refuse_at);
  }
};

Cell traced(const std::string& text, Recorder& r, bool load = true) {
  Cell* out = stack::push_unset();
  lexer::ScanArgs args;
  args.tracer = &r;
  args.type_scan = !load;
  Cell* input = utf8_string(text);
  lexer::scan_string(out, input, static_cast<uint32_t>(string::length(*input)), args);
  return *out;
}

TEST_F(LexerScan, EventsReportPositionsInCharacters) {
  Recorder r;
  r.wanted = static_cast<uint32_t>(lexer::Event::load) | static_cast<uint32_t>(lexer::Event::open) |
             static_cast<uint32_t>(lexer::Event::close);
  traced("[\xC3\xA9 \n2]", r);
  std::vector<std::string> expected = {"open block! 0 L1", "load word! 2 L1 é", "load integer! 5 L2 2",
                                       "close block! 6 L2"};
  EXPECT_EQ(r.seen, expected);
}

TEST_F(LexerScan, TracerAnswersSkipAndDrop) {
  Recorder r;
  r.wanted = static_cast<uint32_t>(lexer::Event::load);
  r.refuse_event = lexer::Event::load;
  r.refuse_at = 2;
  EXPECT_EQ(describe(traced("1 2 3", r)), "[1 3]");
  Recorder p;
  p.wanted = static_cast<uint32_t>(lexer::Event::prescan);
  p.refuse_event = lexer::Event::prescan;
  p.refuse_at = 0;
  EXPECT_EQ(describe(traced("\"x\" 4", p)), "[4]");
}

// Moving the input position from a tracer moves the scan: here past the next token.
struct Skipper : lexer::Tracer {
  uint32_t mask() const override { return static_cast<uint32_t>(lexer::Event::load); }
  bool on_event(lexer::EventInfo& e) override {
    if (e.value && e.value->is(Type::integer) && e.value->int_value() == 1) e.index += 3;
    return true;
  }
};

TEST_F(LexerScan, TracerMovesThePosition) {
  Skipper k;
  Cell* out = stack::push_unset();
  lexer::ScanArgs args;
  args.tracer = &k;
  Cell* input = utf8_string("1 \xC3\xA9 3 4");
  lexer::scan_string(out, input, static_cast<uint32_t>(string::length(*input)), args);
  EXPECT_EQ(describe(*out), "[1 3 4]");
}

TEST_F(LexerScan, ErrorEventCanStopQuietly) {
  Recorder r;
  r.wanted = static_cast<uint32_t>(lexer::Event::error);
  r.refuse_event = lexer::Event::error;
  r.refuse_at = 2;
  Cell b = traced("1 1''0 3", r);
  EXPECT_EQ(describe(b), "[1]");
  ASSERT_EQ(r.seen.size(), 1u);
  EXPECT_EQ(r.seen[0], "error integer! 6 L1");
}

TEST_F(LexerScan, CallbackEventMaskFromTheBodysFirstBlock) {
  EXPECT_EQ(lexer::callback_event_mask(load("[load open foo 1] x")), 4u | 8u);
  EXPECT_EQ(lexer::callback_event_mask(load("x [load]")), lexer::all_events);
  EXPECT_EQ(lexer::callback_event_mask(load("")), lexer::all_events);
}

// A tracer that scans text of its own on every load: nested scans share the value buffer.
struct Nester : lexer::Tracer {
  std::vector<std::string> inner;
  uint32_t mask() const override { return static_cast<uint32_t>(lexer::Event::load); }
  bool on_event(lexer::EventInfo&) override {
    stack::Mark mark;
    inner.push_back(loaded("[x y] z"));
    return true;
  }
};

TEST_F(LexerScan, NestedScansKeepTheOuterValues) {
  Nester n;
  Cell* out = stack::push_unset();
  lexer::ScanArgs args;
  args.tracer = &n;
  std::string text = "[a [b c]] d";
  lexer::scan(out, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()),
              args);
  EXPECT_EQ(describe(*out), "[[a [b c]] d]");
  EXPECT_EQ(n.inner.size(), 4u);
  EXPECT_EQ(n.inner[0], "[x y] z");
}

Cell binary_of(const std::string& bytes) {
  Cell* b = stack::push(make_series(Type::binary, alloc::new_bytes(static_cast<uint32_t>(bytes.size()))));
  SeriesBuffer* buf = buffer_of(series_node(*b));
  std::memcpy(buf->data(), bytes.data(), bytes.size());
  buf->tail = static_cast<uint32_t>(bytes.size());
  return *b;
}

TEST_F(LexerScan, Transcode) {
  auto run = [](Cell src, lexer::TranscodeArgs a) {
    Cell* in = stack::push(src);
    Cell* out = stack::push_unset();
    lexer::transcode(out, in, a);
    return *out;
  };
  EXPECT_EQ(describe(run(binary_of("\xEF\xBB\xBF" "1"), {})), "[1]");
  EXPECT_EQ(describe(run(*string_of("1 [2] 3"), {})), "[1 [2] 3]");
  lexer::TranscodeArgs next;
  next.next = true;
  Cell r = run(*utf8_string("\xC3\xA9 2 3"), next);
  EXPECT_EQ(describe(block::cells(r)[0]), "é");
  EXPECT_EQ(series_head(block::cells(r)[1]), 1);
  Cell rb = run(binary_of("[a] b"), next);
  EXPECT_EQ(describe(block::cells(rb)[0]), "[a]");
  EXPECT_EQ(series_head(block::cells(rb)[1]), 3);
  lexer::TranscodeArgs one;
  one.one = true;
  EXPECT_EQ(describe(run(*string_of("7 8"), one)), "7");
  lexer::TranscodeArgs scan;
  scan.scan = true;
  EXPECT_EQ(describe(run(*string_of(""), scan)), "none");
  EXPECT_EQ(describe(run(*string_of("x"), scan)), "word!");
  EXPECT_EQ(describe(run(*string_of("1'"), scan)), "integer!");
  EXPECT_EQ(describe(run(*string_of("1''2"), scan)), "error!");
  lexer::TranscodeArgs part;
  Cell n = make_integer(3);
  part.part = &n;
  EXPECT_EQ(describe(run(*string_of("123456"), part)), "[123]");
  Cell* text = string_of("12 34");
  Cell pos = *text;
  set_series_head(pos, 2);
  part.part = &pos;
  EXPECT_EQ(describe(run(*text, part)), "[12]");
  Cell other = binary_of("1");
  part.part = &other;
  EXPECT_EQ(raised([&] { run(*text, part); }), Err::script_not_same_type);
  lexer::TranscodeArgs into;
  into.into = block_of({make_integer(0)});
  EXPECT_EQ(describe(run(*string_of("1 2"), into)), "[0 1 2]");
}

TEST_F(LexerScan, LoadText) {
  EXPECT_EQ(describe(*load_text(*string_of("foo bar"))), "foo");
  EXPECT_TRUE(load_text(*string_of("  "))->is(Type::unset));
  EXPECT_EQ(raised([] { load_text(*string_of("1''2")); }), Err::syntax_invalid);
}

}  // namespace
}  // namespace vyn::test
