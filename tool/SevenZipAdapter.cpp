// The archiver at Quendle's tool path: runs the installed 7-Zip with Quendle's arguments and
// writes onto the listing the password signs that Quendle reads.
//
// Current 7-Zip releases complain about encrypted headers on standard error ("Cannot open
// encrypted archive. Wrong password?") or stop at a password prompt, while Quendle reads its
// signs from the listing on standard output. For "l" this program therefore stands between
// 7-Zip and Quendle and adds one line to the listing when 7-Zip could not open an encrypted
// archive. Every other command replaces this program with 7-Zip, so that signals and the exit
// status are 7-Zip's own.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr std::string_view kSign = "Can not open encrypted archive. Wrong password?\n";
constexpr int kCannotRun = 126;
constexpr int kNotFound = 127;

// Finds a text in a stream that arrives in chunks of any size.
struct StreamSearch {
    std::string_view text;
    std::size_t matched = 0;
    bool found = false;

    void step(char c)
    {
        if (found)
            return;
        if (text[matched] == c) {
            found = ++matched == text.size();
            return;
        }
        // Fall back to the longest end of what was seen that still starts the text.
        for (std::size_t k = matched; k > 0; --k) {
            if (text[k - 1] == c && text.substr(0, k - 1) == text.substr(matched - k + 1, k - 1)) {
                matched = k;
                return;
            }
        }
        matched = 0;
    }
};

// Finds a line that begins with a text.
struct LineStartSearch {
    std::string_view text;
    std::size_t matched = 0;
    bool atLineStart = true;
    bool found = false;

    void step(char c)
    {
        if (found)
            return;
        if (c == '\n') {
            atLineStart = true;
            matched = 0;
        } else if (atLineStart) {
            if (text[matched] == c)
                found = ++matched == text.size();
            else
                atLineStart = false;
        }
    }
};

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The first of 7zz, 7z and 7za on PATH, in that order of preference; empty when none is.
std::string findSevenZip()
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

    // This program is called 7z too: a PATH that leads back to it must not make it run itself.
    struct stat self {};
    bool knowSelf = false;
#ifdef __linux__
    knowSelf = stat("/proc/self/exe", &self) == 0;
#endif

    for (const char* name : {"7zz", "7z", "7za"}) {
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
            if (stat(candidate.c_str(), &info) != 0 || !S_ISREG(info.st_mode)
                || access(candidate.c_str(), X_OK) != 0)
                continue;
            if (knowSelf && sameFile(info, self))
                continue;
            return candidate;
        }
    }
    return {};
}

// 7-Zip must never wait for a typed password: it gets no standard input, and no terminal
// to open for one (some builds read the password from /dev/tty).
void cutOffInput()
{
    const int null = open("/dev/null", O_RDONLY);
    if (null < 0) {
        close(0);
    } else if (null != 0) {
        dup2(null, 0);
        close(null);
    }
#if defined(__linux__) && defined(TIOCNOTTY)
    // Giving up the terminal as a session leader would hang up the whole session.
    if (getsid(0) != getpid()) {
        const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (tty >= 0) {
            ioctl(tty, TIOCNOTTY);
            close(tty);
        }
    }
#endif
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

volatile sig_atomic_t gChild = 0;
volatile sig_atomic_t gPendingSignal = 0;

// A request to stop the listing is meant for 7-Zip; it ends, and this program with it.
void forwardSignal(int signal)
{
    gPendingSignal = signal;
    if (gChild > 0)
        kill(pid_t(gChild), signal);
}

// Leaves with 7-Zip's own exit status, or dies of the signal that ended it.
int exitLike(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        std::signal(signal, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        sigprocmask(SIG_UNBLOCK, &only, nullptr);
        raise(signal);
        return 128 + signal;
    }
    return kCannotRun;
}

int listAndRelay(const std::string& sevenZip, std::vector<char*>& arguments)
{
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        std::fprintf(stderr, "7z: cannot run 7-Zip: %s\n", std::strerror(errno));
        return kCannotRun;
    }
    for (int fd : {out[0], out[1], err[0], err[1]})
        fcntl(fd, F_SETFD, FD_CLOEXEC);

    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        struct sigaction action {};
        action.sa_handler = forwardSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t child = -1;
    const int spawnError = posix_spawn(&child, sevenZip.c_str(), &actions, &attributes,
        arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(out[1]);
    close(err[1]);
    if (spawnError != 0) {
        std::fprintf(stderr, "7z: cannot run %s: %s\n", sevenZip.c_str(), std::strerror(spawnError));
        return spawnError == ENOENT ? kNotFound : kCannotRun;
    }
    gChild = child;
    if (gPendingSignal != 0)
        kill(child, gPendingSignal);

    // 7-Zip asks for a password on standard output when none was given, and reports a
    // refused one on standard error.
    LineStartSearch prompt {"Enter password"};
    StreamSearch cannotOpen {"Cannot open encrypted archive"};
    StreamSearch canNotOpen {"Can not open encrypted archive"};
    bool relayOut = true;
    bool relayErr = true;
    char lastOut = '\n';

    pollfd streams[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    static char buffer[1 << 16];
    while (open > 0) {
        if (poll(streams, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || streams[i].revents == 0)
                continue;
            const ssize_t size = read(streams[i].fd, buffer, sizeof buffer);
            if (size < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (size <= 0) {
                close(streams[i].fd);
                streams[i].fd = -1;
                --open;
                continue;
            }
            const char* const data = buffer;
            if (i == 0) {
                for (ssize_t k = 0; k < size; ++k)
                    prompt.step(data[k]);
                // When nobody reads any more, keep draining so that 7-Zip is never stuck.
                relayOut = relayOut && writeAll(1, data, std::size_t(size));
                lastOut = data[size - 1];
            } else {
                for (ssize_t k = 0; k < size; ++k) {
                    cannotOpen.step(data[k]);
                    canNotOpen.step(data[k]);
                }
                relayErr = relayErr && writeAll(2, data, std::size_t(size));
            }
        }
    }
    for (const pollfd& stream : streams) {
        if (stream.fd >= 0)
            close(stream.fd);
    }

    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            status = 0;
            break;
        }
    }
    gChild = 0;

    if (relayOut && (prompt.found || cannotOpen.found || canNotOpen.found)) {
        // The sign goes on a line of its own.
        if (lastOut != '\n')
            writeAll(1, "\n", 1);
        writeAll(1, kSign.data(), kSign.size());
    }
    return exitLike(status);
}

bool isListCommand(const char* command)
{
    return (command[0] == 'l' || command[0] == 'L') && command[1] == '\0';
}

} // namespace

int main(int argc, char** argv)
{
    std::string sevenZip = findSevenZip();
    if (sevenZip.empty()) {
        std::fputs("7z: 7-Zip is not installed (none of 7zz, 7z or 7za was found on PATH)\n", stderr);
        return kNotFound;
    }

    // 7-Zip's own switch for UTF-8 output goes right after the command, ahead of anything
    // (such as "--") that could end the switches.
    static char utf8Switch[] = "-sccUTF-8";
    std::vector<char*> arguments {sevenZip.data()};
    if (argc > 1) {
        arguments.push_back(argv[1]);
        arguments.push_back(utf8Switch);
        arguments.insert(arguments.end(), argv + 2, argv + argc);
    }
    arguments.push_back(nullptr);

    // Names reach 7-Zip and leave it as UTF-8 whatever the caller's locale.
    setenv("LC_ALL", "C.UTF-8", 1);
    cutOffInput();

    if (argc > 1 && isListCommand(argv[1]))
        return listAndRelay(sevenZip, arguments);

    execv(sevenZip.c_str(), arguments.data());
    const int error = errno;
    std::fprintf(stderr, "7z: cannot run %s: %s\n", sevenZip.c_str(), std::strerror(error));
    return error == ENOENT ? kNotFound : kCannotRun;
}
