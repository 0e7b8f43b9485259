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
; left out: a ref! in a path takes the slashes after it, so a path holding a ref! before its last
; element has no literal form; a word that starts with "." and a digit is read only as a path
; element (d/.3.4), elsewhere that text is a number; a block or map holding either is left out too
fz-known?: func [v m /local p w] [
    if any [word? :v  set-word? :v  get-word? :v  lit-word? :v] [
        w: form to word! :v
        if all [1 < length? w  #"." = first w  find "0123456789" w/2] [return true]
    ]
    if any-path? :v [
        p: to block! :v
        foreach e copy/part p back tail p [if ref? :e [return true]]
    ]
    if any [any-block? :v  map? :v] [foreach e to block! :v [if fz-known? :e mold :e [return true]]]
    false
]
; a word, path or text of these types made by a conversion may hold what no literal of its type
; can ("abc" as a url!, a path of one word, a ref! holding a space): such a value need only come
; back equal when its mold loads whole, as one value of its type that molds the same
fz-loose-types: reduce [
    url! email! ref! issue! tag! word! set-word! lit-word! get-word! refinement!
    path! lit-path! set-path! get-path!
]
fz-loose: false
fz-back: func [how v m /local b] [
    if fz-known? :v m [exit]
    b: try [transcode m]
    if all [fz-loose  any [
        error? b  1 <> length? b  not equal? type? :v type? first b  m <> mold/all first b
    ]] [exit]
    if any [error? b  1 <> length? b  not fz-eq? :v first b] [fz-report how :v m :b]
]
fz-writers: func [v] [
    form :v  mold/flat :v  mold/part :v 7  mold/part :v 0  mold/only :v  form/part :v 3
]
; none, logic values and datatypes mold as words and need mold/all, money! molds all its
; decimals only with mold/all (-$0.002 molds as -$0.00); what molds as "make ..."
; needs evaluation
fz-money?: func [v] [
    if money? :v [return true]
    if any [any-block? :v  map? :v] [foreach e to block! :v [if fz-money? :e [return true]]]
    false
]
fz-check: func [v how /local m] [
    fz-writers :v
    m: mold/all :v
    if find/match m "make " [exit]
    if not any [none? :v  logic? :v  unset? :v  datatype? :v  fz-money? :v] [fz-back how :v mold :v]
    fz-back rejoin [how "/all"] :v m
]
fz-run: func [src /local vals x cyc] [
    vals: try [transcode src]
    if error? vals [exit]
    foreach v vals [
        fz-check :v "lexed"
        foreach t fz-types [
            fz-loose: false
            foreach l fz-loose-types [if equal? l t [fz-loose: true]]
            if not error? x: try [to t :v] [fz-check :x mold t]
        ]
        fz-loose: false
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
