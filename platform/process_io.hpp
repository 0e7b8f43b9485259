// platform/process_io.hpp: feeding and draining a child's pipes at once.
#pragma once

#include <string>

namespace vyn::os {

// Writes feed to feed_fd while reading out_fd into out and err_fd into err, until every pipe is
// done: the reads at their end, the feed written or refused by a child that closed its end. An fd
// of -1 takes no part. Closes every fd it is given. A closed reader never raises SIGPIPE here.
void pump_pipes(int feed_fd, const std::string& feed, int out_fd, std::string& out, int err_fd,
                std::string& err);

}  // namespace vyn::os
