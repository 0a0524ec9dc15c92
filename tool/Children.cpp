// The archiver adapter's child processes: started from argument vectors, stopped together
// when the adapter is asked to stop, and collected without ever signalling a recycled id.
#include "tool/Children.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

extern char** environ;

namespace quendle::adapter {

namespace {

constexpr int kForwarded[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

// Children that have not been collected yet: their ids cannot have been given to anyone else,
// so the signal handler may send to them. A slot is cleared, with the signals held back, just
// before its child is collected.
constexpr int kSlots = 8;
volatile sig_atomic_t gChildren[kSlots] = {};
volatile sig_atomic_t gStopSignal = 0;

void forward(int signal)
{
    if (gStopSignal == 0)
        gStopSignal = signal;
    for (int i = 0; i < kSlots; ++i) {
        const pid_t child = pid_t(gChildren[i]);
        if (child > 0)
            kill(child, signal);
    }
}

sigset_t forwardedSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kForwarded)
        sigaddset(&set, signal);
    return set;
}

class HeldSignals {
public:
    HeldSignals()
    {
        const sigset_t set = forwardedSet();
        sigprocmask(SIG_BLOCK, &set, &mOld);
    }
    ~HeldSignals() { sigprocmask(SIG_SETMASK, &mOld, nullptr); }

private:
    sigset_t mOld;
};

void remember(pid_t child)
{
    for (int i = 0; i < kSlots; ++i) {
        if (gChildren[i] == 0) {
            gChildren[i] = child;
            return;
        }
    }
}

void forget(pid_t child)
{
    for (int i = 0; i < kSlots; ++i) {
        if (gChildren[i] == child)
            gChildren[i] = 0;
    }
}

bool isRemembered(pid_t child)
{
    for (int i = 0; i < kSlots; ++i) {
        if (gChildren[i] == child)
            return true;
    }
    return false;
}

bool moveTo(int from, int to)
{
    if (from < 0 || from == to)
        return true;
    return dup2(from, to) == to;
}

} // namespace

void installSignalForwarding()
{
    for (int signal : kForwarded) {
        struct sigaction action {};
        action.sa_handler = forward;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

int stopSignal()
{
    return int(gStopSignal);
}

pid_t startChild(const std::vector<std::string>& argv, const ChildStreams& streams)
{
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);

    // The child reports a failed exec through this pipe; success closes it unwritten.
    int report[2];
    if (!makePipe(report))
        return -1;

    const pid_t parent = getpid();
    pid_t child;
    {
        // Registered before any signal can be handled, so a stop that comes now reaches it.
        HeldSignals held;
        child = fork();
        if (child == 0) {
            int error = 0;
#ifdef __linux__
            if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent)
                _exit(126);
#else
            (void)parent;
#endif
            for (int signal : kForwarded)
                std::signal(signal, SIG_DFL);
            std::signal(SIGPIPE, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            // The adapter's own descriptors are all above 2, so no move undoes another.
            if (!moveTo(streams.in, 0) || !moveTo(streams.out, 1) || !moveTo(streams.err, 2))
                error = errno;
            if (error == 0) {
                execve(arguments[0], arguments.data(), environ);
                error = errno;
            }
            while (write(report[1], &error, sizeof error) < 0 && errno == EINTR) {
            }
            _exit(127);
        }
        if (child > 0)
            remember(child);
    }
    const int forkError = errno;
    close(report[1]);
    if (child < 0) {
        close(report[0]);
        errno = forkError;
        return -1;
    }

    int error = 0;
    ssize_t size;
    while ((size = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    if (size == ssize_t(sizeof error)) {
        waitChild(child);
        errno = error;
        return -1;
    }
    if (gStopSignal != 0)
        kill(child, gStopSignal);
    return child;
}

int waitChild(pid_t child)
{
    // Wait without collecting, so that a stop arriving meanwhile can still reach the child.
    siginfo_t info {};
    while (waitid(P_PID, id_t(child), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    int status = 0;
    HeldSignals held;
    forget(child);
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            status = 0;
            break;
        }
    }
    return status;
}

bool childEnded(pid_t child, int* status)
{
    siginfo_t info {};
    info.si_pid = 0;
    if (waitid(P_PID, id_t(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == 0)
        return false;
    if (status) {
        if (info.si_code == CLD_EXITED)
            *status = (info.si_status & 0xFF) << 8;
        else
            *status = info.si_status & 0x7F;
    }
    return true;
}

void signalChild(pid_t child, int signal)
{
    HeldSignals held;
    if (isRemembered(child))
        kill(child, signal);
}

void exitLike(int status)
{
    if (WIFEXITED(status))
        std::exit(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        std::signal(signal, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        sigprocmask(SIG_UNBLOCK, &only, nullptr);
        raise(signal);
        std::exit(128 + signal);
    }
    std::exit(126);
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

std::string findOnPath(const char* name)
{
    std::string searchPath;
    if (const char* path = std::getenv("PATH")) {
        searchPath = path;
    } else {
        searchPath.resize(confstr(_CS_PATH, nullptr, 0));
        if (!searchPath.empty()) {
            confstr(_CS_PATH, searchPath.data(), searchPath.size());
            searchPath.pop_back(); // confstr counts the terminating NUL
        }
    }

    // The adapter is called 7z too: a PATH that leads back to it must not make it run itself.
    struct stat self {};
    bool knowSelf = false;
#ifdef __linux__
    knowSelf = stat("/proc/self/exe", &self) == 0;
#endif

    std::size_t begin = 0;
    while (begin <= searchPath.size()) {
        std::size_t end = searchPath.find(':', begin);
        if (end == std::string::npos)
            end = searchPath.size();
        const std::string folder = searchPath.substr(begin, end - begin);
        begin = end + 1;
        // Empty and relative entries would mean "wherever the caller happens to stand",
        // which could be the folder of the archive being opened.
        if (folder.empty() || folder[0] != '/')
            continue;
        const std::string candidate = folder + '/' + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || access(candidate.c_str(), X_OK) != 0)
            continue;
        if (knowSelf && info.st_dev == self.st_dev && info.st_ino == self.st_ino)
            continue;
        return candidate;
    }
    return {};
}

} // namespace quendle::adapter
