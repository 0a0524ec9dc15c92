// The pipe between this process and a child.
#pragma once

namespace quendle::base {

// A pipe whose ends close on exec and lie at 3 or above; false (with errno) when none could
// be made.
bool makePipe(int fds[2]);

} // namespace quendle::base
