// Starting the archiver: an argument vector (never a shell), its output on a pipe, nothing
// else of Quendle's reaching it, and the signal handling a fresh program expects.
#include "task/ChildProcess.h"

#include "base/Pipe.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace quendle {

SpawnedChild spawnWithOutputPipe(std::vector<QByteArray> argv, bool mergeStandardError)
{
    SpawnedChild child;
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (QByteArray& argument : argv)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    int fds[2];
    if (!base::makePipe(fds)) {
        child.error = errno;
        return child;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the copies, so only these reach the child; the originals
    // and every other descriptor of this process stay behind.
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    if (mergeStandardError)
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
#ifdef __linux__
    // Descriptors opened elsewhere without close-on-exec (by a library, another thread)
    // must not reach the archiver either.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef __APPLE__
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
    posix_spawn_file_actions_addinherit_np(&actions, STDIN_FILENO);
    if (!mergeStandardError)
        posix_spawn_file_actions_addinherit_np(&actions, STDERR_FILENO);
#endif
    posix_spawnattr_setflags(&attributes, flags);
    // A mask inherited from the calling thread would keep the termination signal away from the
    // child; a signal Quendle ignores (a broken pipe, as the network code may set it) would
    // change how the child fails.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);

    const int spawnError = ::posix_spawn(&child.pid, pointers[0], &actions, &attributes, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    // The child holds the only writing end now, so its exit ends the reads.
    ::close(fds[1]);
    if (spawnError != 0) {
        ::close(fds[0]);
        child.pid = -1;
        child.error = spawnError;
        return child;
    }
    child.outputFd = fds[0];
    return child;
}

} // namespace quendle
