// boot/lexer_object.cpp: system/lexer. exit-states names the lexer's token kinds, in kind order;
// a transcode/trace callback receives the word of a structural token's kind as its type. trapper
// notes where load/trap met an error; tracer prints the lexer's events.
#include "boot/base_library.hpp"

namespace vyn::boot {

void define_lexer_object() {
  eval_startup_text(R"~(
system/lexer: make object! [
    pre-load: none
    err-pos: none
    exit-states: [
        eof error block-open block-close paren-open paren-close brace-open brace-close map-open
        path construct comment comma string word issue integer refinement char file binary
        percent float float-special tuple date pair point time money tag url email hex-integer
        raw-string ref
    ]
    ; load/trap's callback: the lexer calls it only at errors; scanning goes on
    trapper: func [
        event [word!] input [string! binary!] type [datatype! word! none!] line [integer!] token
        return: [logic!]
    ][
        [error]
        err-pos: index? input
        true
    ]
    ; transcode/trace's default callback: one line per lexer event; at an error it steps past one
    ; character and stops the scan
    tracer: func [
        event [word!] input [string! binary!] type [datatype! word! none!] line [integer!] token
        return: [logic!]
    ][
        print [
            pad uppercase form event 8
            pad mold type 12
            pad copy/part mold token 12 12
            pad line 4
            copy/part mold input 16
        ]
        either event = 'error [input: next input false] [true]
    ]
]
)~");
}

}  // namespace vyn::boot
