// boot/main.cpp: the program's entry. The runtime runs on a thread of its own with a large
// reserved stack, so that the interpreter's frame limits always trip before the machine stack
// runs out.
#include <pthread.h>

#include <new>

#include <cstdio>
#include <string>

#include "boot/runtime.hpp"
#include "boot/script.hpp"
#include "boot/system_object.hpp"
#include "boot/termination.hpp"
#include "core/error.hpp"
#include "core/fault.hpp"
#include "platform/console_out.hpp"
#include "platform/signals.hpp"
#include "platform/terminal.hpp"

namespace {

constexpr size_t runtime_stack = size_t{256} << 20;  // reserved, committed as it is used
// A native's large frame cannot step over a guard this size into other memory: it faults there,
// and the fault is reported as a stack overflow.
constexpr size_t runtime_stack_guard = size_t{1} << 20;

struct Program {
  int argc;
  char** argv;
  int status = 0;
};

void* run(void* arg) {
  auto* p = static_cast<Program*>(arg);
  vyn::signals::prepare_this_thread();
  try {
    vyn::runtime::init();
  } catch (const vyn::Raised&) {
    vyn::fault::report(94, "out of memory", __builtin_return_address(0));
  } catch (const std::bad_alloc&) {  // a C++ table of start-up's refused
    vyn::fault::report(94, "out of memory", __builtin_return_address(0));
  }
  vyn::boot::install_termination();
  vyn::signals::unblock_in_this_thread();
  p->status = vyn::boot::run_command_line();
  vyn::runtime::shutdown();
  vyn::terminal::restore_for_exit();  // the terminal's own title back
  vyn::os::flush();  // output still buffered that cannot be written ends the run here
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  Program program{argc, argv};
  vyn::system_object::set_command_line(argc, argv);
  // the termination and resize signals go to the runtime's thread, which unblocks them: they
  // must interrupt its blocking reads, not this thread's wait
  vyn::signals::install();
  vyn::signals::block_in_this_thread();
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, runtime_stack);
  pthread_attr_setguardsize(&attr, runtime_stack_guard);
  pthread_t thread;
  if (pthread_create(&thread, &attr, run, &program) != 0) {
    run(&program);
  } else {
    pthread_join(thread, nullptr);
  }
  pthread_attr_destroy(&attr);
  return program.status;
}
