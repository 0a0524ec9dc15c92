#include "base/Pipe.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quendle::base {

namespace {

// Moves a descriptor to 3 or above: when this process runs with 0, 1 or 2 closed, a pipe end
// could land there and be clobbered by the child's own redirection of 1 and 2.
int awayFromStandardDescriptors(int fd)
{
    if (fd > 2)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

} // namespace

bool makePipe(int fds[2])
{
#ifdef __linux__
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
#else
    if (::pipe(fds) != 0)
        return false;
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
#endif
    fds[0] = awayFromStandardDescriptors(fds[0]);
    fds[1] = awayFromStandardDescriptors(fds[1]);
    if (fds[0] < 0 || fds[1] < 0) {
        const int saved = errno;
        if (fds[0] >= 0)
            ::close(fds[0]);
        if (fds[1] >= 0)
            ::close(fds[1]);
        errno = saved;
        return false;
    }
    return true;
}

} // namespace quendle::base
