// boot/system_fields.cpp: the fields of `system` that hold language functions or need the base
// library, filled once the library exists: build facts, path accessors, the locale and its
// guarded currency list, the change hooks of system/options and system/state/callbacks. Then the
// version becomes a tuple, the cache directory is set and the command line is split.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "boot/base_library.hpp"
#include "boot/script.hpp"
#include "boot/system_builder.hpp"
#include "boot/system_object.hpp"
#include "core/error.hpp"
#include "core/stack.hpp"
#include "platform/file_io.hpp"
#include "platform/user_folder.hpp"
#include "values/objects/context.hpp"
#include "values/objects/object.hpp"
#include "values/words/symbol.hpp"
#include "values/words/word.hpp"
#include "values/predefined.hpp"

namespace vyn::system_object {
namespace {

const char* const build_text = R"~(
system/build: make object! [
    date: 20-Nov-2026/21:57:24+0:00
    git: make object! [
        branch: "master" tag: #v0.6.6 ahead: 719 date: to-local-date 20-Nov-2026/21:55:27+0:00
        commit: #0000000000000000000000000000000000000000 message: ""
    ]
    config: make object! [
        config-name: 'Linux OS: 'Linux OS-version: 0 ABI: none link?: true debug?: false
        encap?: false build-prefix: %"" build-basename: %vyn build-suffix: none format: 'ELF
        type: 'exe target: 'x86-64 cpu-version: 6.0 verbosity: 0 sub-system: 'console
        runtime?: true use-natives?: false debug-safe?: true dev-mode?: false static-link?: false
        need-main?: false PIC?: false base-address: none dynamic-linker: none syscall: 'Linux
        export-ABI: none stack-align-16?: false literal-pool?: false idiv?: true unicode?: false
        vyn-pass?: true vyn-only?: false vyn-store-bodies?: true vyn-strict-check?: true
        vyn-tracing?: true vyn-help?: false vynbin-compress?: false legacy: none
        gui-console?: false libVyn?: false libVynRT?: false libVynRT-update?: false
        GUI-engine: 'terminal draw-engine: none modules: [JSON CSV View] show: none
        command-line: none show-func-map?: false
    ]
]
system/catalog/accessors: [
    date! [date year month day zone time hour minute second weekday yearday timezone week isoweek julian]
    email! [user host]
    event! [type face window offset key picked flags orientation away? down? mid-down? alt-down? aux-down? ctrl? shift?]
    image! [size argb rgb alpha]
    pair! [x y]
    point2D! [x y]
    point3D! [x y z]
    time! [hour minute second]
    money! [code amount]
]
system/state/interpreted?: func ["Return TRUE if called from the interpreter"] [true]
system/state/callbacks: make object! [
    lexer?: parse?: sort?: change?: deep?: port?: false
    bits: 0
    on-change*: func [word old new /local idx] [
        if word = 'bits [exit]
        unless integer? bits [set-quiet 'bits 0]
        idx: shift-left 1 (index? find words-of self word) - 1
        set-quiet 'bits either new [bits or idx] [bits and complement idx]
    ]
]
)~";

// The currency codes, in the order of the runtime's own list (values/numbers/money_currency.cpp). A script
// may only append new three-letter codes, stored in upper case, while at most 255 are listed.
const char* const locale_text = R"~(
system/locale: make object! [
    language: language*: locale: locale*: none
    months: ["January" "February" "March" "April" "May" "June" "July" "August" "September"
        "October" "November" "December"]
    days: ["Monday" "Tuesday" "Wednesday" "Thursday" "Friday" "Saturday" "Sunday"]
    currencies: make object! [
        list: [
            AED AFN ALL AMD ANG AOA ARS AUD AWG AZN BAM BBD BDT BGN BHD BIF BMD BND BOB BRL BSD
            BTC BTN BWP BYN BZD CAD CDF CHF CLP CNY COP CRC CUC CUP CVE CZK DJF DKK DOP DZD EGP
            ERN ETB ETH EUR FJD FKP GBP GEL GGP GHS GIP GMD GNF GTQ GYD HKD HNL HRK HTG HUF IDR
            ILS IMP INR IQD IRR ISK JEP JMD JOD JPY KES KGS KHR KMF KPW KRW KWD KYD KZT LAK LBP
            LKR LRD LSL LYD MAD MDL MGA MKD MMK MNT MOP MRU MUR MVR MWK MXN MYR MZN NAD NGN NIO
            NOK NPR NZD OMR PAB PEN PGK PHP PKR PLN PYG QAR RON RSD RUB RWF SAR SBD SCR SDG SEK
            SGD SHP SLL SOS SPL SRD STN SVC SYP SZL THB TJS TMT TND TOP TRY TTD TVD TWD TZS UAH
            UGX USD UYU UZS VEF VND VUV VYN WST XAF XCD XDR XOF XPF YER ZAR ZMW
        ]
        on-change*: func [word old new] [
            set-quiet word old
            cause-error 'script 'protected []
        ]
        on-deep-change*: func [owner word target action new index part] [
            if any [
                word <> 'list
                not find [append appended] action
                not word? :new
                all [action = 'append any [find list new 255 < length? list]]
                3 <> length? form new
            ][
                cause-error 'script 'protected []
            ]
            if action = 'appended [
                set-slot-quiet back tail list to word! uppercase form new
            ]
        ]
    ]
]
)~";

// The options' hooks: the process's current directory follows system/options/path. A directory
// that cannot be made current leaves the field as it was. A path changed in place moves the
// process once the change is made, to the whole path (the notice before it would move it twice).
const char* const options_text = R"~(
system/options: make system/options [
    on-change*: func [word old new /local failed] [
        if word = 'path [
            unless file? :new [
                set-quiet word old
                cause-error 'script 'invalid-type [type? :new]
            ]
            if error? failed: try [set-current-dir new] [
                set-quiet word old
                do failed
            ]
        ]
    ]
    on-deep-change*: func [owner word target action new index part] [
        if all [word = 'path find [appended inserted changed poked] action] [
            set-current-dir head target
        ]
    ]
]
)~";

const char* const version_text = "system/version: load system/version";

// The commit date in the local zone, and the text UI set up for this terminal.
const char* const refresh_text = R"~(
system/build/git/date: to-local-date system/build/git/date
if all [object? system/view object? system/view/platform function? select system/view/platform 'init] [
    system/view/platform/init
]
)~";

Cell field(const Cell& object, const char* name) {
  Cell* v = object.is(Type::object) ? context::value_cell_of(object::context(object), symbol::make(name)) : nullptr;
  return v ? *v : make_none();
}

// system/options/cache: the user's data folder (platform/user_folder); none when there is no
// folder that only this user can reach, which the console reports when it looks for its settings.
void set_cache() {
  std::string why;
  std::string dir = os::user_data_folder(why);
  if (dir.empty()) return;
  stack::Mark mark;
  Cell* text = push_utf8(dir, Type::file);
  Cell options = field(*word::value_cell(predefined::word(predefined::W::system)), "options");
  if (Cell* slot = context::value_cell_of(object::context(options), predefined::symbol(predefined::S::cache))) *slot = *text;
}

// Sets system/SUB/NAME to the value on the stack top, and drops it.
void set_sub_field(const char* sub, const char* name) {
  Cell object = field(*word::value_cell(predefined::word(predefined::W::system)), sub);
  if (Cell* slot = context::value_cell_of(object::context(object), symbol::make(name))) *slot = *stack::last_value();
  stack::pop(1);
}

template <typename Step>
void filling_system(Step step) {
  try {
    step();
  } catch (const Raised&) {
    std::fprintf(stderr, "*** Start-up: error while filling system\n");
    boot::report_pending_error();
    std::exit(1);
  }
}

// The fields that depend on the run: the current folder and the command line.
void set_run_fields() {
  stack::Mark mark;
  push_utf8(os::current_dir(), Type::file);
  set_sub_field("options", "path");
  if (command_line().empty()) stack::push(make_none());
  else push_utf8(join_arguments(command_line(), 0), Type::string);
  set_sub_field("script", "args");
}

}  // namespace

void finish_library() {
  filling_system([] {
    set_run_fields();
    for (const char* text : {build_text, locale_text, options_text, version_text}) boot::eval_startup_text(text);
  });
}

void refresh_for_image() {
  filling_system([] {
    set_run_fields();
    boot::eval_startup_text(refresh_text);
  });
}

void finish_run() {
  filling_system([] {
    set_cache();
    boot::eval_startup_text("extract-boot-args");
  });
}

}  // namespace vyn::system_object
