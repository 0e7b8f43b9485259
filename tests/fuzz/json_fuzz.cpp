// tests/fuzz/json_fuzz.cpp: libFuzzer target: arbitrary text through the JSON reader (its fast
// path and its rules) and what it reads back through the writer.
//
// Text the reader accepts must be written to JSON that reads again (but numbers too large to
// hold, which the writer refuses); the writer also gets the values of arbitrary source text, of
// every datatype, plain, laid out and ASCII-escaped.
#include "tests/fuzz/script_runner.hpp"

namespace {

constexpr std::string_view code = R"~(
    text: to string! fuzz-data
    value: try [load-json text]
    if not error? :value [
        foreach out reduce [
            try [to-json :value]
            try [to-json/pretty :value "  "]
            try [to-json/ascii :value]
        ] [
            ; infinity and NaN (from numbers too large) are the only values refused
            if error? :out [if out/id <> 'invalid-arg [fuzz-bad: true]]
            if all [string? :out error? try [load-json out]] [fuzz-bad: true]
        ]
    ]
    source: try [load text]
    if not error? :source [
        try [load-json to-json :source]
        try [to-json/pretty/ascii :source "^-"]
    ]
)~";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  vyn::fuzz::run_script(code, data, size);
  return 0;
}
