// tests/fuzz/roundtrip_fuzz.cpp: libFuzzer target: values must mold to text that loads back.
//
// The bytes are loaded by the lexer; every value found, every value the conversions and some
// arithmetic make from it (to integer!, to string!, to pair! ..., v * 1e300, negate v ...) and
// the whole block are molded, molded/all, formed, molded flat and in part, and the molded text is
// loaded again: it must give one value of the same type, equal to the first. A value that does
// not come back is reported and the run stops; an error of the conversions is an answer, a crash
// or a sanitizer report a fault. Cycles are made on purpose (a block holding itself, an object
// holding itself) so that every writer meets them.
#include <string>

#include "tests/fuzz/script_runner.hpp"

namespace {

constexpr std::string_view prelude = R"vyn(
fz-types: reduce [
    integer! float! percent! money! char! string! file! url! tag! email! issue! binary! word!
    set-word! lit-word! get-word! refinement! block! paren! path! lit-path! set-path! get-path!
    pair! tuple! time! date! logic! bitset! typeset! map! vector! ref! point2D! point3D!
]
fz-eq?: func [a b] [
    if not equal? type? :a type? :b [return false]
    if all [float? :a NaN? :a] [return NaN? :b]
    ; a percent! molds 13 significant digits: what comes back must at least mold the same
    any [equal? :a :b  equal? mold :a mold :b]
]
fz-report: func [how v m back] [
    fuzz-bad: true
    print ["*** no round trip:" how mold type? :v]
    print ["    molded:" m]
    print ["    loaded:" mold/all :back]
]
; left out: the lexer reads no percent escape in a url! that starts with a sign ("-:a%41"), an
; infinite or NaN percent! has no literal form, a ref! in a path takes the slashes after it, and
; a time! made of huge minutes or seconds molds more hours than a time literal may hold; a block
; or map holding any of these is left out too
fz-known?: func [v m] [
    if any [
        all [url? :v  find "+-" first m  find m "%"]
        all [percent? :v  find m "#"]
        all [any-path? :v  find m "@"]
        all [time? :v  error? try [v/hour]]
    ] [return true]
    if any [any-block? :v  map? :v] [foreach e to block! :v [if fz-known? :e mold :e [return true]]]
    false
]
fz-back: func [how v m /local b] [
    if fz-known? :v m [exit]
    b: try [transcode m]
    if any [error? b  1 <> length? b  not fz-eq? :v first b] [fz-report how :v m :b]
]
fz-writers: func [v] [
    form :v  mold/flat :v  mold/part :v 7  mold/part :v 0  mold/only :v  form/part :v 3
]
; none, logic values and datatypes mold as words and need mold/all; what molds as "make ..."
; needs evaluation
fz-check: func [v how /local m] [
    fz-writers :v
    m: mold/all :v
    if find/match m "make " [exit]
    if not any [none? :v  logic? :v  unset? :v  datatype? :v] [fz-back how :v mold :v]
    fz-back join how "/all" m
]
fz-run: func [src /local vals x cyc] [
    vals: try [transcode src]
    if error? vals [exit]
    foreach v vals [
        fz-check :v "lexed"
        foreach t fz-types [if not error? x: try [to t :v] [fz-check :x mold t]]
        foreach op [[v * 1e300] [v / 7] [v * 1e-300] [negate v] [v + 0.1] [to time! v]] [
            if not error? x: try bind op 'v [fz-check :x mold op]
        ]
    ]
    fz-check vals "block"
    cyc: copy vals  append/only cyc cyc  insert/only cyc cyc
    fz-writers cyc  fz-writers make object! [a: 1 b: cyc]
    x: make object! [s: none]  x/s: x  fz-writers x  fz-writers reduce [x]
]
)vyn";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string code = std::string(prelude) + "fz-run fuzz-data\n";
  if (size > 1 << 12) return 0;
  vyn::fuzz::run_script(code, data, size);
  return 0;
}
