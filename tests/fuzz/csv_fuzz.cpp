// tests/fuzz/csv_fuzz.cpp: libFuzzer target: arbitrary text through load-csv with each set of
// refinements, and what it reads back through to-csv.
//
// The first byte picks the delimiter (one character, two, none, or a line end) and the second the
// refinements; the rest is the text. Rows read with the defaults must come back the same through
// to-csv, and to-csv must also survive the odd /skip sizes and quote characters.
#include "tests/fuzz/script_runner.hpp"

namespace {

constexpr std::string_view code = R"~(
    if 2 > length? fuzz-data [fuzz-data: append copy fuzz-data #{0000}]
    d: pick [#"," #";" #"^-" "||" "" #"a" #"^/" #"^""] 1 + ((first fuzz-data) and 7)
    n: ((second fuzz-data) and 7) - 2
    text: to string! skip fuzz-data 2
    calls: [
        [load-csv text]
        [load-csv/with text d]
        [load-csv/header text]
        [load-csv/as-records/with text d]
        [load-csv/flat text]
        [load-csv/trim/with text d]
        [load-csv/quote/with text #"'" d]
        [load-csv/header/as-records/trim/quote text d]
        [load-csv/as-columns/with text d]
        [load-csv/flat/as-columns text]
    ]
    rows: try pick calls 1 + ((second fuzz-data) and 15 // 10)
    if block? :rows [
        try [to-csv rows]
        try [to-csv/with rows d]
        try [to-csv/skip rows n]
        try [to-csv/quote/with rows d d]
    ]
    if map? :rows [try [to-csv rows]]
    if zero? (second fuzz-data) and 15 [
        if all [block? :rows not empty? rows] [
            again: try [load-csv to-csv rows]
            if not equal? :again rows [fuzz-bad: true]
        ]
    ]
)~";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 14) return 0;
  vyn::fuzz::run_script(code, data, size);
  return 0;
}
