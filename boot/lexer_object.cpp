// boot/lexer_object.cpp: system/lexer. exit-states names what the lexer makes of each token kind:
// a datatype, or one of the words eof, comment, hex and rawstring; a transcode/trace callback
// receives a structural token's entry as its type. trapper
// notes where load/trap met an error; tracer prints the lexer's events.
#include "boot/base_library.hpp"

namespace vyn::boot {

void define_lexer_object() {
  eval_startup_text(R"~(
system/lexer: make object! [
    pre-load: none
    err-pos: none
    exit-states: reduce [
        'eof error! block! block! paren! paren! string! string! map! path! datatype! 'comment
        string! word! issue! integer! refinement! char! file! binary! percent! float! float!
        tuple! date! pair! time! money! tag! url! email! 'hex 'rawstring ref!
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
