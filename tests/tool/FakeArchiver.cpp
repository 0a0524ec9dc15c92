// A stand-in for 7-Zip in tests: records how it was started and prints what the test asks for.
//
// FAKE_ARCHIVER_RECORD  file to write the record to: NUL-terminated fields "pid", "stdin",
//                       "stderr", "lc_all", "fds", "argv0", then every argument
// FAKE_ARCHIVER_STDOUT  file whose bytes go to standard output
// FAKE_ARCHIVER_STDERR  file whose bytes go to standard error
// FAKE_ARCHIVER_CHUNK   write in pieces of this many bytes (one write each)
// FAKE_ARCHIVER_WAIT    after writing, wait for a signal before leaving
// FAKE_ARCHIVER_EXIT    exit status; FAKE_ARCHIVER_SIGNAL: die of this signal instead
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string readAll(const char* path)
{
    std::string contents;
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return contents;
    char buffer[65536];
    ssize_t size;
    while ((size = read(fd, buffer, sizeof buffer)) > 0)
        contents.append(buffer, std::size_t(size));
    close(fd);
    return contents;
}

std::string linkOf(const char* path)
{
    char target[4096];
    const ssize_t size = readlink(path, target, sizeof target);
    return size < 0 ? std::string("(closed)") : std::string(target, std::size_t(size));
}

std::string openDescriptors()
{
    std::string list;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return "(unknown)";
    const int own = dirfd(dir);
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own)
            continue;
        list += entry->d_name;
        list += ' ';
    }
    closedir(dir);
    return list;
}

void writeInPieces(int fd, const std::string& data, std::size_t piece)
{
    for (std::size_t at = 0; at < data.size(); at += piece) {
        const std::size_t size = std::min(piece, data.size() - at);
        if (write(fd, data.data() + at, size) != ssize_t(size))
            return;
    }
}

void onSignal(int signal)
{
    std::signal(signal, SIG_DFL);
    raise(signal);
}

} // namespace

int main(int argc, char** argv)
{
    // Taken before anything else is opened here.
    const std::string fds = openDescriptors();

    if (const char* recordPath = std::getenv("FAKE_ARCHIVER_RECORD")) {
        std::string record;
        const auto field = [&record](const std::string& name, const std::string& value) {
            record += name;
            record += '\0';
            record += value;
            record += '\0';
        };
        field("pid", std::to_string(getpid()));
        field("stdin", linkOf("/proc/self/fd/0"));
        field("stderr", linkOf("/proc/self/fd/2"));
        const char* lcAll = std::getenv("LC_ALL");
        field("lc_all", lcAll ? lcAll : "(unset)");
        field("fds", fds);
        field("argv0", argv[0]);
        for (int i = 1; i < argc; ++i) {
            record += argv[i];
            record += '\0';
        }
        const int fd = open(recordPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            writeInPieces(fd, record, record.size() + 1);
            close(fd);
        }
    }

    std::size_t piece = 1 << 20;
    if (const char* chunk = std::getenv("FAKE_ARCHIVER_CHUNK"))
        piece = std::max<std::size_t>(1, std::strtoul(chunk, nullptr, 10));
    if (const char* path = std::getenv("FAKE_ARCHIVER_STDOUT"))
        writeInPieces(1, readAll(path), piece);
    if (const char* path = std::getenv("FAKE_ARCHIVER_STDERR"))
        writeInPieces(2, readAll(path), piece);

    if (std::getenv("FAKE_ARCHIVER_WAIT")) {
        std::signal(SIGTERM, onSignal);
        for (;;)
            pause();
    }
    if (const char* signal = std::getenv("FAKE_ARCHIVER_SIGNAL"))
        onSignal(std::atoi(signal));
    if (const char* status = std::getenv("FAKE_ARCHIVER_EXIT"))
        return std::atoi(status);
    return 0;
}
