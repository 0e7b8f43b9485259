// platform/clipboard_tool.hpp: running the desktop's clipboard programs under a time limit, with
// their arguments handed over as they are (never through a shell).
#pragma once

#include <string>
#include <vector>

namespace vyn::clipboard {

struct ToolRun {
  int status = -1;   // the exit status; -1 when it could not start, was killed or timed out
  std::string out;   // what it wrote to its output (only when asked to capture)
  std::string err;   // what it wrote to its error stream (likewise)
};

// Runs argv[0] (looked up on PATH) with input as its standard input. With capture, its output
// and error streams are collected; otherwise they go to /dev/null and the program starts a
// session of its own, so a selection server it leaves behind outlives this process and never
// holds our pipes or terminal. A program still running after limit_ms is killed.
ToolRun run_tool(const std::vector<std::string>& argv, const std::string& input, bool capture,
                 int limit_ms);

}  // namespace vyn::clipboard
