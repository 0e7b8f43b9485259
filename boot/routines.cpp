// boot/routines.cpp: the base library's routines: language specs with C++ bodies, made and bound
// in their definition order.
#include "boot/base_library.hpp"
#include "boot/routine_bodies.hpp"
#include "eval/natives/shift.hpp"
#include "core/stack.hpp"
#include "values/ports/event.hpp"
#include "view/tui/helper_routines.hpp"
#include "view/tui/platform_routines.hpp"

namespace vyn::boot {
namespace {

template <int32_t (*Shift)(int32_t, int32_t)>
void shift_body(routine::Invocation& inv) {
  *inv.result = make_integer(Shift(inv.args[0].i, inv.args[1].i));
}

struct Definition {
  const char* name;
  const char* spec;
  routine::Body body;
};

// clang-format off
const Definition definitions[] = {
    {"quit-return", R"~("Stops evaluation and exits the program with a given status"
        status [integer!] "Process termination value to return")~", bodies::quit_return},
    {"set-quiet", R"~("Set an object's field to a value without triggering eventual object's events"
        word [any-type!] value [any-type!] return: [any-type!])~", bodies::set_quiet},
    {"set-slot-quiet", R"~("Set a value in series without triggering eventual owner's events"
        series [any-type!] value [any-type!])~", bodies::set_slot_quiet},
    {"shift-right", R"~("Shift bits to the right" data [integer!] bits [integer!])~",
        shift_body<shifts::right>},
    {"shift-left", R"~("Shift bits to the left" data [integer!] bits [integer!])~",
        shift_body<shifts::left>},
    {"shift-logical", R"~("Shift bits to the right (unsigned)" data [integer!] bits [integer!])~",
        shift_body<shifts::logical>},
    {"last-lf?", R"~("Internal Use Only")~", bodies::last_lf_q},
    {"get-current-dir", R"~("Returns the platform's current directory for the process")~",
        bodies::get_current_dir},
    {"set-current-dir", R"~("Sets the platform's current process directory" path [file!])~",
        bodies::set_current_dir},
    {"create-dir", R"~("Create the given directory" path [file!])~", bodies::create_dir},
    {"exists?", R"~("Returns TRUE if the file exists" path [file!] return: [logic!])~",
        bodies::exists_q},
    {"_write-safely", R"~("Writes a whole file or, failing, leaves the old one as it was (mode 0600)"
        path [file!] data [any-type!] "binary! or string!")~", bodies::write_safely},
    {"_make-private-dir", R"~("Creates a directory and its missing parents, each new one private (0700)"
        path [file!])~", bodies::make_private_dir},
    {"os-info", R"~("Returns detailed operating system version information")~", bodies::os_info},
    {"as-color", R"~("Combine R, G and B values into a tuple"
        r [integer!] g [integer!] b [integer!])~", bodies::as_color},
    {"as-ipv4", R"~("Combine a, b, c and d values into a tuple"
        a [integer!] b [integer!] c [integer!] d [integer!])~", bodies::as_ipv4},
    {"as-rgba", R"~("Combine R, G, B and A color components into a tuple"
        r [integer!] g [integer!] b [integer!] a [integer!])~", bodies::as_ipv4},
    {"count-chars", R"~("Count UTF-8 encoded characters between two positions in a binary series"
        start [binary!] pos [binary!] return: [integer!])~", bodies::count_chars},
    {"stack-size?", R"~("Returns the number of cells on the evaluation stack" return: [integer!])~", bodies::stack_size_q},
    {"pick-stack", R"~("Returns a cell of the evaluation stack, counted from its bottom; none outside it"
        idx [integer!])~", bodies::pick_stack},
    {"frame-index?", R"~("Returns the stack position of the current call's arguments" return: [integer!])~", bodies::frame_index_q},
    {"collect-calls", R"~("Appends the named calls of the call stack to a block" blk [block!])~", bodies::collect_calls},
    {"tracing?", R"~("Returns TRUE while the interpreter reports its events to a tracer")~",
        bodies::tracing_q},
    {"set-tracing", R"~("Switches the interpreter's event reporting, only while a tracer is installed"
        on [logic!] return: [logic!])~", bodies::set_tracing},
    {"read-stdin-line", R"~("Reads one line of standard input; none at its end"
        return: [string! none!])~", bodies::read_stdin_line},
    {"read-clipboard", R"~("Return the contents of the system clipboard"
        return: [any-type!] "false on failure, none if empty, otherwise: string!, block! of files!, or an image!")~",
        bodies::read_clipboard},
    {"write-clipboard", R"~("Write content to the system clipboard"
        data [any-type!] "string!, block! of files!, an image! or none!"
        return: [logic!] "indicates success")~", bodies::write_clipboard},
    {"write-stdout", R"~("Write data to STDOUT" data [any-type!])~", bodies::write_stdout},
    {"_set-buffer-history", R"~("Gives the next line edit its line buffer and history"
        line [string!] hist [block!])~", bodies::set_buffer_history},
    {"_read-input", R"~("Reads a line into the line buffer, with the line editor on a terminal"
        prompt [string!] hidden? [logic!])~", bodies::read_input},
    {"_input-ended?", R"~("Whether standard input reached its end" return: [logic!])~",
        bodies::input_ended_q},
    {"_terminate-console", R"~("Ends the console's use of the terminal; nothing is left to do here")~",
        bodies::terminate_console},
    {"_trace-floor", R"~("Leaves the calls made so far out of error traces (none), or restores a floor"
        floor [any-type!] return: [integer!] "The floor before")~", bodies::trace_floor},
    {"_terminal-size", R"~("The terminal's size in character cells; none when standard input is not one"
        return: [pair! none!])~", bodies::terminal_size},
    {"_terminal-title", R"~("Sets the terminal's window title; the terminal's own comes back at the end"
        title [string!])~", bodies::terminal_title},
    {"input-stdin", R"~("Reads a line of standard input" return: [string!])~", bodies::input_stdin},
    {"read-stdin", R"~("Reads bytes of standard input into a binary buffer"
        buffer [binary!] buflen [integer!])~", bodies::read_stdin},
    {"find-flag?", R"~("Returns TRUE if a face's flags facet is or holds the flag"
        facet [any-type!] flag [word!])~", event::find_flag_q},
    {"send-event-os", R"~("Hands an event to the platform; the text UI takes none, so always FALSE"
        event [event!] queued? [logic!] return: [logic!])~", event::send_event_os},
    {"_tui-focused?", R"~("Returns TRUE if the face has the text UI's focus" face [object!] return: [logic!])~", tui::focused_q},
    {"_tui-widget-data", R"~("Returns the text UI's widget data of a face" face [object!] return: [integer!])~", tui::widget_data_of},
    {"_tui-set-face-ui", R"~("Sets the text UI's rendering of a face" face [object!] ui [string!])~", tui::set_face_ui},
    {"_gui-routine", R"~("Returns the platform routine of a name" name [word!])~", tui::platform_routine},
    {"_gui-init", R"~("Starts the text UI back end with its platform object" platform [object!])~", tui::gui_init_body},
};
// clang-format on
constexpr int definition_count = sizeof(definitions) / sizeof(definitions[0]);

const int32_t* entries() { return routine::entries_of<definitions>(); }

}  // namespace

void register_routine_bodies() { (void)entries(); }

void define_routines() {
  const int32_t* at = entries();
  for (int i = 0; i < definition_count; ++i)
    routine::define(definitions[i].name, definitions[i].spec, at[i]);
}

}  // namespace vyn::boot
