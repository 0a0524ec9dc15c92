// The archiver adapter's child processes: started from argument vectors, stopped together
// when the adapter is asked to stop, and collected without ever signalling a recycled id.
#pragma once

#include "base/Pipe.h"

#include <string>
#include <vector>

#include <sys/types.h>

namespace quendle::adapter {

// Where a child's standard stream goes: an open descriptor of ours, or -1 to share ours.
struct ChildStreams {
    int in = -1;
    int out = -1;
    int err = -1;
};

// The termination, interrupt, hang-up and quit signals are passed on to every child still
// running; a pipe whose reader left no longer kills the adapter (writes fail instead).
void installSignalForwarding();

// The signal that asked the adapter to stop; 0 while none has come.
int stopSignal();

// Starts a program (an absolute path) with default signal handling and an empty signal mask.
// On Linux a child is also stopped when the adapter dies, so that none outlives it.
// Returns the child's id, or -1 with errno set to why it could not start.
pid_t startChild(const std::vector<std::string>& argv, const ChildStreams& streams);

// Waits for a child to end and collects it; returns its status as waitpid gives it.
int waitChild(pid_t child);
// Whether the child has ended (it is not collected); its status when it has.
bool childEnded(pid_t child, int* status);
// Sends a signal to a child that has not been collected yet.
void signalChild(pid_t child, int signal);

// Leaves with a child's exit status, or dies of the signal that ended it.
[[noreturn]] void exitLike(int status);

// A pipe whose ends are closed in every program the adapter starts.
using base::makePipe;
bool writeAll(int fd, const char* data, std::size_t size);
inline bool writeAll(int fd, const std::string& data)
{
    return writeAll(fd, data.data(), data.size());
}

// The first executable of that name in an absolute folder of PATH, skipping the adapter
// itself; empty when there is none.
std::string findOnPath(const char* name);

} // namespace quendle::adapter
