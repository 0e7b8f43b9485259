// platform/process.hpp: other programs, started directly or through /bin/sh, with their standard
// streams fed from data or files and captured into memory or appended to files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vyn::os {

// Where one standard stream of the child comes from or goes to.
struct Redirect {
  enum class Kind { none, file, data } kind = Kind::none;
  std::string path;  // file: the path opened (input read, output appended)
  std::string data;  // data: the bytes fed (input) or captured (output, error)
};

struct ProcessRequest {
  std::string command;  // a command line: words split as command_words does, unless shell
  bool wait = false;
  bool console = false;  // the child shares this process's standard streams (and is waited for)
  bool shell = false;    // run through "/bin/sh -c"
  Redirect input, output, error;
};

// Runs the command: when it names no program, once more through the shell. Any redirection
// implies waiting. Unredirected output and error go to /dev/null unless console is set. Waiting
// answers the exit status (128 + the signal for a child ended by a signal), else the process id
// of a child that nobody has to reap; -1 when a file cannot be opened, a pipe made or the program
// started. Captured bytes land in the request's data; input and output are fed and drained
// together, so no child blocks on a full pipe, and a child that stops reading only ends the feed.
int32_t run_process(ProcessRequest& request);

// Path of the program on PATH (a name with "/" as it is), or "" when none is executable.
std::string find_program(const std::string& name);

}  // namespace vyn::os

namespace vyn::os {

// Starts the program (argv[0], looked up on PATH) with the arguments as they are, its output and
// error sent to /dev/null, without waiting; the process id, or -1 when it cannot be started.
int32_t launch_detached(const std::vector<std::string>& argv);

}  // namespace vyn::os
