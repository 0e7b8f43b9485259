// tests/fuzz/text_fuzz.cpp: libFuzzer target: arbitrary bytes through the conversions between
// binary! and text: UTF-8 decoding, the bases of enbase and debase, percent-encoding, and the
// characters of the resulting strings.
//
// Text decoded from bytes must encode back to bytes that decode to the same text, and what enbase
// writes, debase must read back to the same bytes.
#include "tests/fuzz/script_runner.hpp"

namespace {

constexpr std::string_view code = R"~(
    bin: fuzz-data
    text: try [to string! bin]
    if string? :text [
        if not equal? text to string! to binary! text [fuzz-bad: true]
        foreach base [2 16 58 64] [
            try [debase/base text base]
            coded: enbase/base bin base
            if not equal? bin debase/base coded base [fuzz-bad: true]
        ]
        try [dehex text]
        try [enhex text]
        try [dehex as url! text]
        try [enhex as file! text]
        try [uppercase copy text]
        try [lowercase/part copy text 3.5]
        try [to-hex to integer! copy/part bin 4]
        try [load text]
        try [to block! text]
        if not empty? text [
            c: last text
            if not equal? c first to string! to binary! c [fuzz-bad: true]
        ]
    ]
    try [to char! bin]
    try [to integer! bin]
    try [to tuple! bin]
    try [load bin]
    try [to-json bin]
    try [decompress bin]
)~";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 14) return 0;
  vyn::fuzz::run_script(code, data, size);
  return 0;
}
