// Compressed tars: 7-Zip sees a .tar.gz as one compressed file holding a .tar. When a gzip,
// bzip2, xz, zstd or compress stream holds a tar, the listing shows the tar's entries and the
// extraction writes the tar's files, streaming the decompressed tar from one 7-Zip into
// another.
//
// The stream is decompressed once: Quendle's listing keeps the decompressed tar in a private
// cache file on the way, and the extraction that follows from the same Quendle streams the tar
// from there instead of decompressing it again. The file is removed as the extraction opens
// it; one that no extraction took (the user cancelled) is removed by the next listing.
//
// 7-Zip writes a tar's small files at more than twice the cost of GNU tar. When the listing
// showed only plain files and folders (short ASCII names below the output, permission bits
// alone, whole-second times, no links, nothing twice) GNU tar writes the kept copy instead,
// told to give exactly what 7-Zip gives: the user's umask applied, no owners.
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/KeptFiles.h"
#include "tool/OutputRelay.h"
#include "tool/Serve.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>

#include <cstdlib>
#include <functional>
#include <unordered_set>

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
        const std::string folder = keptFolder();
        const std::string name = keptName("tar", request.archive, ".tar");
        if (folder.empty() || name.empty())
            return std::nullopt;
        removeUnclaimed(folder, "tar");
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
    // otherwise. Whether it was kept.
    bool keep(bool whole)
    {
        const bool closed = fd < 0 || close(std::exchange(fd, -1)) == 0;
        if (whole && closed && rename(partial.c_str(), complete.c_str()) == 0)
            return true;
        unlink(partial.c_str());
        return false;
    }
};

// The tar our Quendle's listing kept of this archive, opened and already removed from the
// folder; -1 when there is none.
int takeCachedTar(const Request& request)
{
    if (!shortcutsAllowed())
        return -1;
    const std::string folder = keptFolder();
    const std::string name = keptName("tar", request.archive, ".tar");
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

// Watches 7-Zip's technical listing of a tar on its way to the relay: whether every entry is
// one that GNU tar writes exactly as 7-Zip does, and the names at the top.
class PlainTarWatch final : public StreamSink {
public:
    explicit PlainTarWatch(StreamSink& relay) : mRelay(relay) {}
    void out(std::string_view data) override
    {
        for (const char c : data) {
            if (c != '\n') {
                if (mLine.size() < 4096)
                    mLine += c;
                else
                    mPlain = false;
                continue;
            }
            line(mLine);
            mLine.clear();
        }
        mRelay.out(data);
    }
    void err(std::string_view data) override { mRelay.err(data); }

    // Plain, with at least one entry; its top-level names.
    bool plain() const { return mPlain && mInRecords && !mInRecord && mEntries > 0 && mLine.empty(); }
    const std::vector<std::string>& tops() const { return mTops; }

private:
    static bool plainPath(std::string_view path)
    {
        if (path.empty() || path.front() == '/' || path.back() == '/')
            return false;
        for (const char c : path) {
            if (c < 0x20 || c > 0x7E || c == '\\')
                return false;
        }
        std::size_t at = 0;
        while (at <= path.size()) {
            const std::size_t slash = std::min(path.find('/', at), path.size());
            const std::string_view component = path.substr(at, slash - at);
            if (component.empty() || component == "." || component == "..")
                return false;
            at = slash + 1;
        }
        return true;
    }
    static bool plainMode(std::string_view mode, bool folder)
    {
        static constexpr std::string_view kBits = "rwxrwxrwx";
        // A folder its owner may not write into is filled in another order by each.
        if (mode.size() != 10 || mode[0] != (folder ? 'd' : '-') || (folder && mode.substr(1, 3) != "rwx"))
            return false;
        for (std::size_t i = 0; i < kBits.size(); ++i) {
            if (mode[i + 1] != '-' && mode[i + 1] != kBits[i])
                return false;
        }
        return true;
    }

    void line(std::string_view text)
    {
        if (!mInRecords) {
            mInRecords = text == "----------";
            return;
        }
        if (text.empty()) {
            if (mInRecord)
                endRecord();
            return;
        }
        mInRecord = true;
        const std::size_t equals = text.find(" = ");
        const std::string_view key = text.substr(0, equals);
        const std::string_view value = equals == std::string_view::npos ? std::string_view() : text.substr(equals + 3);
        if (key == "Path")
            mPath = value, mFields |= 1;
        else if (key == "Folder")
            mFolder = value == "+", mFields |= 2;
        else if (key == "Mode")
            mMode = value, mFields |= 4;
        else if (key == "Modified")
            mFields |= value.size() == 19 ? 8 : 0;
        else if (key == "Characteristics")
            mCharacteristics = value, mFields |= 16;
        else if ((key == "Symbolic Link" || key == "Hard Link") && !value.empty())
            mPlain = false;
    }

    void endRecord()
    {
        mInRecord = false;
        ++mEntries;
        const bool known = mCharacteristics == (mFolder ? "5 GNU ASCII" : "0 GNU ASCII")
            || mCharacteristics == (mFolder ? "5 POSIX ASCII" : "0 POSIX ASCII");
        if (mFields != 31 || !known || !plainPath(mPath) || !plainMode(mMode, mFolder)
            || !mSeen.insert(std::hash<std::string>()(mPath)).second)
            mPlain = false;
        const std::string top = mPath.substr(0, mPath.find('/'));
        if (mPlain && std::find(mTops.begin(), mTops.end(), top) == mTops.end()) {
            if (mTops.size() < 64)
                mTops.push_back(top);
            else
                mPlain = false;
        }
        mFields = 0;
        mPath.clear();
        mMode.clear();
        mCharacteristics.clear();
    }

    StreamSink& mRelay;
    std::string mLine;
    bool mInRecords = false;
    bool mInRecord = false;
    bool mPlain = true;
    std::uint64_t mEntries = 0;
    int mFields = 0;
    std::string mPath;
    bool mFolder = false;
    std::string mMode;
    std::string mCharacteristics;
    std::unordered_set<std::size_t> mSeen; // a collision only costs the shortcut
    std::vector<std::string> mTops;
};

// Beside a kept tar: its top-level names, one a line, when GNU tar may write it.
std::string plainNote(const std::string& tar) { return tar + ".plain"; }

void writePlainNote(const std::string& tar, const std::vector<std::string>& tops)
{
    const std::string note = plainNote(tar);
    const int fd = open(note.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    std::string text;
    for (const std::string& top : tops)
        text += top + '\n';
    const bool written = writeAll(fd, text);
    if (close(fd) != 0 || !written)
        unlink(note.c_str());
}

// The top-level names noted beside the tar our Quendle's listing kept; the note is removed.
std::optional<std::vector<std::string>> takePlainNote(const Request& request)
{
    const std::string folder = keptFolder();
    const std::string name = keptName("tar", request.archive, ".tar");
    if (folder.empty() || name.empty())
        return std::nullopt;
    const std::string note = plainNote(folder + '/' + name);
    const int fd = open(note.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    unlink(note.c_str());
    std::string text;
    char buffer[4096];
    while (const std::size_t size = readSome(fd, buffer, sizeof buffer))
        text.append(buffer, size);
    close(fd);
    std::vector<std::string> tops;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            return std::nullopt;
        tops.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (tops.empty())
        return std::nullopt;
    return tops;
}

// GNU tar's complaints ("tar: top/a: Cannot write: No space left on device") in 7-Zip's words,
// which is what the failure alert quotes; its closing summary is left out.
class TarReasons final : public StreamSink {
public:
    void out(std::string_view data) override { take(data); }
    void err(std::string_view data) override { take(data); }
    void finish()
    {
        if (!mLine.empty())
            line();
    }

private:
    void take(std::string_view data)
    {
        for (const char c : data) {
            if (c != '\n') {
                if (mLine.size() < 4096)
                    mLine += c;
                continue;
            }
            line();
        }
    }
    void line()
    {
        std::string text = std::exchange(mLine, std::string());
        if (text.starts_with("tar: ")) {
            if (text.starts_with("tar: Exiting with failure status") || text.starts_with("tar: Error is not recoverable"))
                return;
            text = "ERROR: " + text.substr(5);
        }
        writeAll(1, text + '\n');
    }

    std::string mLine;
};

// Whether the tar there is GNU tar, whose switches and behaviour the shortcut relies on (a
// BSD or BusyBox tar is not asked).
bool isGnuTar(const std::string& tar)
{
    int out[2];
    if (!makePipe(out))
        return false;
    const pid_t child = startChild({tar, "--version"}, {-1, out[1], -1});
    close(out[1]);
    std::string text;
    char buffer[4096];
    while (child >= 0 && text.size() < 65536) {
        const std::size_t size = readSome(out[0], buffer, sizeof buffer);
        if (size == 0)
            break;
        text.append(buffer, size);
    }
    close(out[0]);
    if (child < 0)
        return false;
    return succeeded(waitChild(child)) && text.starts_with("tar (GNU tar) ");
}

// Whether the tar's headers, each with its right checksum, lead one after the other to the
// zero block that ends it. 7-Zip quietly stops at bytes that are no header where GNU tar
// complains and fails; such a tar is left to 7-Zip.
bool endsWhereItShould(int tar)
{
    char block[512];
    for (std::uint64_t at = 0;; ) {
        if (pread(tar, block, sizeof block, off_t(at)) != ssize_t(sizeof block))
            return false;
        if (std::all_of(std::begin(block), std::end(block), [](char c) { return c == 0; }))
            return true;
        const auto octal = [&](std::size_t from, std::size_t size, std::uint64_t* value) {
            *value = 0;
            std::size_t i = from;
            while (i < from + size && block[i] == ' ')
                ++i;
            const std::size_t first = i;
            for (; i < from + size && block[i] >= '0' && block[i] <= '7'; ++i)
                *value = *value * 8 + std::uint64_t(block[i] - '0');
            if (i == first || *value >= (std::uint64_t(1) << 40))
                return false;
            for (; i < from + size; ++i) {
                if (block[i] != ' ' && block[i] != '\0')
                    return false;
            }
            return true;
        };
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < sizeof block; ++i)
            sum += i >= 148 && i < 156 ? ' ' : static_cast<unsigned char>(block[i]);
        std::uint64_t recorded = 0;
        std::uint64_t size = 0;
        if (!octal(148, 8, &recorded) || recorded != sum || !octal(124, 12, &size))
            return false;
        at += sizeof block + (size + 511) / 512 * 512;
    }
}

// Makes a folder and the missing folders above it, as 7-Zip does for its output folder.
bool makeOutputFolder(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeOutputFolder(path.substr(0, slash)))
        return false;
    return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

// GNU tar writes the plain tar kept by the listing, for an extraction as Quendle asks for it
// (x, the archive, -o, -aoa) into an output where none of its top-level names is there yet;
// nothing when it cannot be had. tar reads the tar from the open copy.
std::optional<int> extractWithGnuTar(const Request& request, int tar, const std::vector<std::string>& tops)
{
    const std::vector<std::string>& given = request.given;
    const Invocation& call = request.call;
    if (given.size() != 5 || given[1] != "x" || call.archive != 2 || call.overwrite != 'a' || given[4] != "-aoa"
        || !call.outputFolder || call.outputFolder->empty() || call.password)
        return std::nullopt;
    const std::string gnuTar = findOnPath("tar");
    if (gnuTar.empty() || !isGnuTar(gnuTar))
        return std::nullopt;
    const std::string& output = *call.outputFolder;
    for (const std::string& top : tops) {
        struct stat info {};
        if (lstat((output + '/' + top).c_str(), &info) == 0 || errno != ENOENT)
            return std::nullopt;
    }
    if (!endsWhereItShould(tar) || !makeOutputFolder(output))
        return std::nullopt;
    pid_t child;
    int out;
    int err;
    if (startWatched({gnuTar, "-x", "-f", "-", "-C", output, "--no-same-owner", "--no-same-permissions", "--warning=none"},
            tar, &child, &out, &err))
        return exited(kCannotRun);
    TarReasons reasons;
    serve(nullptr, out, err, &reasons);
    reasons.finish();
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    return succeeded(status) ? exited(0) : exited(kFatalError);
}

} // namespace

std::optional<int> runCompressedTar(const Request& request, Compression compression)
{
    const bool listing = request.call.isList();
    std::optional<Decompression> stream;
    if (const int cached = listing ? -1 : takeCachedTar(request); cached >= 0) {
        // Decompressed and checked by the listing: the tar is read from its copy, by GNU tar
        // when the listing found it plain.
        if (const std::optional<std::vector<std::string>> tops = takePlainNote(request)) {
            if (const std::optional<int> status = extractWithGnuTar(request, cached, *tops)) {
                close(cached);
                return status;
            }
        }
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
    std::optional<PlainTarWatch> watch;
    if (listing) {
        relay.emplace(false, OutputRelay::Listing {request.shownArchive(), std::nullopt, request.codePage, !request.call.password});
        watch.emplace(*relay);
    }
    serve(&pump, out[0], err[0], watch ? &*watch : nullptr);
    const int consumerStatus = waitChild(consumer);
    const int producerStatus = stream->producer >= 0 ? waitChild(stream->producer) : exited(0);
    if (relay)
        relay->finish();
    if (copy) {
        copy->fd = pump.copy; // closed by now when the copy was given up
        const bool whole = !pump.copyFailed && stopSignal() == 0 && succeeded(consumerStatus) && succeeded(producerStatus);
        // The note first: the extraction looks for it only once the tar is in place.
        unlink(plainNote(copy->complete).c_str());
        if (whole && watch->plain())
            writePlainNote(copy->complete, watch->tops());
        if (!copy->keep(whole))
            unlink(plainNote(copy->complete).c_str());
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
