// Starting the archiver: an argument vector (never a shell), its output on a pipe, nothing
// else of Quendle's reaching it, and the signal handling a fresh program expects.
#pragma once

#include <QByteArray>

#include <sys/types.h>
#include <vector>

namespace quendle {

struct SpawnedChild {
    pid_t pid = -1;
    int outputFd = -1; // the reading end of the child's output, close-on-exec, 3 or above
    int error = 0;     // the system's error number when nothing was started
};

// Runs argv[0] (as given, no PATH search) with argv. Its standard output goes to a new pipe,
// and its standard error too when mergeStandardError is set; otherwise standard error, like
// standard input, stays Quendle's own. No other descriptor reaches the child.
SpawnedChild spawnWithOutputPipe(std::vector<QByteArray> argv, bool mergeStandardError);

} // namespace quendle
