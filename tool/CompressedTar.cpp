// Compressed tars: 7-Zip sees a .tar.gz as one compressed file holding a .tar. When a gzip,
// bzip2, xz, zstd or compress stream holds a tar, the listing shows the tar's entries and the
// extraction writes the tar's files, streaming the decompressed tar from one 7-Zip into
// another.
//
// The stream is decompressed once: Quendle's listing keeps the decompressed tar in a private
// cache file on the way, and the extraction that follows from the same Quendle streams the tar
// from there instead of decompressing it again. The file is removed as the extraction opens
// it; one that no extraction took (the user cancelled) is removed by the next listing.
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/OutputRelay.h"
#include "tool/Serve.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>

#include <cinttypes>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace quendle::adapter {

namespace {

// The caller's arguments for a 7-Zip that reads the tar from standard input: the same command
// and switches, without the archive path.
std::vector<std::string> tarReaderArguments(const Request& request)
{
    const std::vector<std::string>& given = request.given;
    std::vector<std::string> arguments {request.sevenZip(), given[1], "-sccUTF-8", "-spd", "-si", "-ttar"};
    for (std::size_t i = 2; i < given.size(); ++i) {
        if (int(i) != request.call.archive)
            arguments.push_back(given[i]);
    }
    return arguments;
}

// The decompressing 7-Zip, and the first block of what it gives.
struct Decompression {
    pid_t producer = -1;
    int data = -1;
    std::string first;

    // Gives up on the stream: the decompressing 7-Zip is stopped and collected.
    void abandon()
    {
        closeFd(data);
        if (producer >= 0) {
            signalChild(producer, SIGKILL);
            waitChild(producer);
        }
    }
};

// Starts decompressing the archive and reads the first block; nothing when 7-Zip cannot be
// started.
std::optional<Decompression> startDecompression(const Request& request)
{
    int data[2];
    if (!makePipe(data))
        return std::nullopt;
    Decompression stream;
    stream.producer = startChild(
        {request.sevenZip(), "x", "-so", "-spd", "-bso0", "-bsp0", "--", request.archive}, {-1, data[1], -1});
    close(data[1]);
    stream.data = data[0];
    if (stream.producer < 0) {
        closeFd(stream.data);
        return std::nullopt;
    }
    stream.first.resize(512);
    std::size_t have = 0;
    while (have < stream.first.size()) {
        const std::size_t size = readSome(stream.data, stream.first.data() + have, stream.first.size() - have);
        if (size == 0)
            break;
        have += size;
    }
    stream.first.resize(have);
    return stream;
}

// The folder of the decompressed tars, made private to the user; empty when there is none.
std::string cacheFolder()
{
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/')
        base = cache;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        base = std::string(home) + "/.cache";
    else
        return {};
    mkdir(base.c_str(), 0700);
    const std::string folder = base + "/quendle";
    mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()
        || (info.st_mode & 077) != 0)
        return {};
    return folder;
}

// The decompressed tar of this archive, for the Quendle that runs us (our parent): named after
// it and after the archive's identity, so that a changed archive is never read from an old
// copy. Empty when the archive cannot be looked at.
std::string cachedTarName(const std::string& archive)
{
    struct stat info {};
    if (stat(archive.c_str(), &info) != 0)
        return {};
    char name[200];
    std::snprintf(name, sizeof name, "tar-%ld-%" PRIu64 "-%" PRIu64 "-%" PRId64 "-%" PRId64 ".%09ld-%" PRId64 ".%09ld.tar",
        long(getppid()), std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), std::int64_t(info.st_size),
        std::int64_t(info.st_mtim.tv_sec), info.st_mtim.tv_nsec, std::int64_t(info.st_ctim.tv_sec), info.st_ctim.tv_nsec);
    return name;
}

// Removes the tars no extraction will take: those of a Quendle that has ended, and the
// earlier ones of ours (it lists one archive at a time).
void removeUnclaimedTars(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    const std::string ours = "tar-" + std::to_string(getppid()) + "-";
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (!name.starts_with("tar-"))
            continue;
        const long owner = std::strtol(name.c_str() + 4, nullptr, 10);
        if (name.starts_with(ours) || owner <= 0 || (kill(pid_t(owner), 0) != 0 && errno == ESRCH))
            unlink((folder + '/' + name).c_str());
    }
    closedir(dir);
}

// The copy a listing keeps of the decompressed tar: written under a name of its own, and put
// where the extraction finds it only when the whole stream was read well.
struct TarCopy {
    std::string partial;
    std::string complete;
    int fd = -1;
    std::uint64_t budget = 0;

    // No copy when shortcuts are off, for a listing other than Quendle's, or without room.
    static std::optional<TarCopy> start(const Request& request)
    {
        const std::vector<std::string>& given = request.given;
        const bool quendles = (given.size() == 4 || given.size() == 5) && given[1] == "l" && given[3] == "-slt"
            && request.call.archive == 2;
        if (!quendles || !shortcutsAllowed())
            return std::nullopt;
        const std::string folder = cacheFolder();
        const std::string name = cachedTarName(request.archive);
        if (folder.empty() || name.empty())
            return std::nullopt;
        removeUnclaimedTars(folder);
        // Never more than half of the room there is.
        struct statvfs room {};
        if (statvfs(folder.c_str(), &room) != 0)
            return std::nullopt;
        TarCopy copy;
        copy.budget = std::uint64_t(room.f_bavail) * room.f_frsize / 2;
        copy.complete = folder + '/' + name;
        copy.partial = copy.complete + ".part";
        copy.fd = open(copy.partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (copy.fd < 0)
            return std::nullopt;
        return copy;
    }

    // Puts the copy where the extraction finds it when it holds the whole tar; removes it
    // otherwise.
    void keep(bool whole)
    {
        const bool closed = fd < 0 || close(std::exchange(fd, -1)) == 0;
        if (whole && closed && rename(partial.c_str(), complete.c_str()) == 0)
            return;
        unlink(partial.c_str());
    }
};

// The tar our Quendle's listing kept of this archive, opened and already removed from the
// folder; -1 when there is none.
int takeCachedTar(const Request& request)
{
    if (!shortcutsAllowed())
        return -1;
    const std::string folder = cacheFolder();
    const std::string name = cachedTarName(request.archive);
    if (folder.empty() || name.empty())
        return -1;
    const std::string path = folder + '/' + name;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    unlink(path.c_str());
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::optional<int> runCompressedTar(const Request& request, Compression compression)
{
    const bool listing = request.call.isList();
    std::optional<Decompression> stream;
    if (const int cached = listing ? -1 : takeCachedTar(request); cached >= 0) {
        // Decompressed and checked by the listing: the tar is read from its copy.
        stream.emplace();
        stream->data = cached;
    } else {
        stream = startDecompression(request);
    }
    if (!stream)
        return std::nullopt;
    if (stopSignal() != 0) {
        stream->abandon();
        exitLike(stopSignal());
    }
    if (stream->producer >= 0 && !looksLikeTar(stream->first)) {
        stream->abandon();
        return std::nullopt;
    }
    int in[2];
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (!makePipe(in) || (listing && (!makePipe(out) || !makePipe(err)))) {
        std::fprintf(stderr, "7z: cannot run 7-Zip: %s\n", std::strerror(errno));
        stream->abandon();
        return exited(kCannotRun);
    }
    const pid_t consumer = startChild(tarReaderArguments(request), {in[0], out[1], err[1]});
    const int startError = errno;
    close(in[0]);
    closeFd(out[1]);
    closeFd(err[1]);
    if (consumer < 0) {
        std::fprintf(stderr, "7z: cannot run %s: %s\n", request.sevenZip().c_str(), std::strerror(startError));
        close(in[1]);
        closeFd(out[0]);
        closeFd(err[0]);
        stream->abandon();
        return exited(kCannotRun);
    }
    // The reader may be slow to take the tar while its listing waits to be read: never block
    // on it.
    fcntl(in[1], F_SETFL, fcntl(in[1], F_GETFL) | O_NONBLOCK);

    Pump pump;
    pump.source = stream->data;
    pump.sink = in[1];
    pump.producer = stream->producer;
    pump.consumer = consumer;
    pump.pending = std::move(stream->first);
    std::optional<TarCopy> copy = listing ? TarCopy::start(request) : std::nullopt;
    if (copy) {
        pump.copy = copy->fd;
        pump.copyBudget = copy->budget;
        pump.copied = pump.pending.size();
        if (!writeAll(copy->fd, pump.pending))
            pump.copyFailed = true;
    }

    std::optional<OutputRelay> relay;
    if (listing)
        relay.emplace(false, OutputRelay::Listing {request.shownArchive(), std::nullopt, request.codePage, !request.call.password});
    serve(&pump, out[0], err[0], relay ? &*relay : nullptr);
    const int consumerStatus = waitChild(consumer);
    const int producerStatus = stream->producer >= 0 ? waitChild(stream->producer) : exited(0);
    if (relay)
        relay->finish();
    if (copy) {
        copy->fd = pump.copy; // closed by now when the copy was given up
        copy->keep(!pump.copyFailed && stopSignal() == 0 && succeeded(consumerStatus)
            && succeeded(producerStatus));
    }
    if (stopSignal() != 0 || !succeeded(consumerStatus))
        return consumerStatus;
    if (!succeeded(producerStatus)) {
        std::fprintf(stderr, "7z: the %s stream of %s is damaged\n", nameOf(compression), request.archive.c_str());
        return exited(kFatalError);
    }
    return exited(0);
}

} // namespace quendle::adapter
