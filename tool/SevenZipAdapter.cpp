// The archiver at Quendle's tool path: runs the installed 7-Zip with Quendle's arguments and
// gives back what Quendle relies on, for more archives than 7-Zip alone opens the way a user
// expects.
//
// - Password signs: current 7-Zip releases complain about encrypted headers on standard error
//   ("Cannot open encrypted archive. Wrong password?") or stop at a password prompt, while
//   Quendle reads its signs from the listing; the listing gets the sign added. A zip or 7z whose
//   entries alone are encrypted is listed with any password: a listing given one tries it on
//   one encrypted entry and says when it is wrong, so that nothing is extracted with it.
// - Compressed tars: 7-Zip sees a .tar.gz as one compressed file holding a .tar. When a gzip,
//   bzip2, xz, zstd or compress stream holds a tar, the listing shows the tar's entries and the
//   extraction writes the tar's files, streaming the decompressed tar from one 7-Zip into
//   another (nothing is written to disk on the way).
// - RAR and StuffIt: when 7-Zip cannot open an archive and lsar can, lsar's listing is printed
//   in 7-Zip's layout and unar extracts.
// - Archive paths are always literal: "what?.zip" never matches "whatX.zip".
// - Listings are valid UTF-8: names stored in a legacy code page would otherwise make the
//   whole listing unreadable, which Quendle takes for an encrypted archive. Zip names that old
//   DOS and Windows tools stored in an OEM code page are read in the page of the user's
//   language, and the extraction writes them under those names.
// - The opening listing of a plain zip comes from the zip's central directory (ZipDirectory.h),
//   which takes milliseconds where 7-Zip takes seconds for a big archive.
//
// A request to stop (the termination signal) reaches every program the adapter started, and
// the adapter then ends as the archiver did.
#include "tool/AdapterText.h"
#include "tool/Children.h"
#include "tool/CodePage.h"
#include "tool/ListingRecords.h"
#include "tool/ZipDirectory.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quendle::adapter;

namespace {

constexpr std::string_view kSign = "Can not open encrypted archive. Wrong password?\n";
constexpr int kCannotRun = 126;
constexpr int kNotFound = 127;
// 7-Zip's exit status for a fatal error, such as an archive it cannot open.
constexpr int kFatalError = 2;

// The code page of zip names stored without the UTF-8 flag, from the caller's locale.
int sCodePage = 437;

int exited(int code)
{
    return (code & 0xFF) << 8;
}

bool succeeded(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The first of 7zz, 7z and 7za on PATH, in that order of preference; empty when none is.
std::string findSevenZip()
{
    for (const char* name : {"7zz", "7z", "7za"}) {
        std::string found = findOnPath(name);
        if (!found.empty())
            return found;
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

// lsar and unar read an argument beginning with "-" as an option.
std::string asOperand(const std::string& path)
{
    return path.starts_with('-') ? "./" + path : path;
}

// The first bytes of a regular file; empty for anything else.
std::string headOf(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    std::string head;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        char buffer[16];
        ssize_t size;
        while ((size = read(fd, buffer, sizeof buffer)) < 0 && errno == EINTR) {
        }
        if (size > 0)
            head.assign(buffer, std::size_t(size));
    }
    close(fd);
    return head;
}

std::size_t readSome(int fd, char* buffer, std::size_t capacity)
{
    while (true) {
        const ssize_t size = read(fd, buffer, capacity);
        if (size < 0 && errno == EINTR)
            continue;
        return size < 0 ? 0 : std::size_t(size);
    }
}

// ---------------------------------------------------------------------------------------------
// The listing as Quendle reads it.

class ListingRelay {
public:
    // hold: keep everything back until 7-Zip shows that it opened the archive (or until
    // release), so that another reader can take over without a word of 7-Zip's getting out.
    // Standard error is always held that long: when 7-Zip could not open an encrypted archive
    // without a password, its complaint is not for the terminal (quiet).
    ListingRelay(bool hold, std::optional<std::string> namedArchive, int codePage, bool quiet)
        : mHolding(hold)
        , mQuiet(quiet)
        , mRecords(codePage)
    {
        if (namedArchive)
            mNamer.emplace(std::move(*namedArchive));
    }

    void out(const char* data, std::size_t size)
    {
        for (std::size_t k = 0; k < size; ++k) {
            mPrompt.step(data[k]);
            mRecord.step(data[k]);
        }
        std::string named;
        if (mNamer)
            mNamer->feed(std::string_view(data, size), named);
        std::string read;
        mRecords.feed(mNamer ? std::string_view(named) : std::string_view(data, size), read);
        std::string text;
        mFixer.feed(read, text);
        emit(text);
        if ((mHolding || mHoldingErr) && mRecord.found)
            release();
    }

    void err(const char* data, std::size_t size)
    {
        for (std::size_t k = 0; k < size; ++k) {
            mCannotOpen.step(data[k]);
            mCanNotOpen.step(data[k]);
        }
        if (mHoldingErr && mHeldErr.size() < kHoldLimit)
            mHeldErr.append(data, size);
        else if (!mHoldingErr)
            mRelayErr = mRelayErr && writeAll(2, data, size);
    }

    const ListingRecords& records() const { return mRecords; }

    // 7-Zip opened the archive: a record began.
    bool opened() const { return mRecord.found; }
    bool showsEncryption() const { return mPrompt.found || mCannotOpen.found || mCanNotOpen.found; }

    void release()
    {
        mHolding = false;
        mHoldingErr = false;
        emit(mHeldOut);
        mHeldOut.clear();
        mRelayErr = mRelayErr && writeAll(2, mHeldErr);
        mHeldErr.clear();
    }

    // Everything has been relayed: the end of the text, and the sign when 7-Zip showed that
    // it could not open an encrypted archive, or when the password was refused.
    void finish(bool refused = false)
    {
        finishText();
        finishSign(refused);
    }

    void finishText()
    {
        std::string named;
        if (mNamer)
            mNamer->finish(named);
        std::string read;
        mRecords.feed(named, read);
        mRecords.finish(read);
        std::string text;
        mFixer.feed(read, text);
        mFixer.finish(text);
        emit(text);
        if (mQuiet && showsEncryption() && !mRecord.found)
            mHeldErr = withoutPasswordNoise(mHeldErr);
        release();
    }

    void finishSign(bool refused)
    {
        if (mRelayOut && (refused || showsEncryption())) {
            // The sign goes on a line of its own.
            if (mLastOut != '\n')
                mRelayOut = writeAll(1, "\n", 1);
            mRelayOut = mRelayOut && writeAll(1, kSign.data(), kSign.size());
        }
    }

private:
    static constexpr std::size_t kHoldLimit = 1 << 20;

    void emit(const std::string& text)
    {
        if (text.empty())
            return;
        if (mHolding) {
            mHeldOut += text;
            // No preamble is this long: 7-Zip has got somewhere, let it be read.
            if (mHeldOut.size() > kHoldLimit)
                release();
            return;
        }
        // When nobody reads any more, keep draining so that 7-Zip is never stuck.
        mRelayOut = mRelayOut && writeAll(1, text);
        mLastOut = text.back();
    }

    bool mHolding;
    bool mHoldingErr = true;
    bool mQuiet;
    std::optional<ListingHeadNamer> mNamer;
    ListingRecords mRecords;
    Utf8Fixer mFixer;
    // 7-Zip asks for a password on standard output when none was given, and reports a
    // refused one on standard error.
    LineStartSearch mPrompt {"Enter password"};
    LineStartSearch mRecord {"Path = "};
    StreamSearch mCannotOpen {"Cannot open encrypted archive"};
    StreamSearch mCanNotOpen {"Can not open encrypted archive"};
    std::string mHeldOut;
    std::string mHeldErr;
    bool mRelayOut = true;
    bool mRelayErr = true;
    char mLastOut = '\n';
};

// ---------------------------------------------------------------------------------------------
// Serving the children: their output and error, and the decompressed tar passed from one 7-Zip
// to the other.

struct Pump {
    int source = -1; // the decompressed stream
    int sink = -1;   // the standard input of the 7-Zip that reads the tar
    pid_t producer = -1;
    pid_t consumer = -1;
    std::string pending;
    std::size_t pendingAt = 0;
    bool sourceEnded = false;
};

using Receiver = void (*)(void* context, const char* data, std::size_t size);

struct Watched {
    int fd = -1;
    Receiver receive = nullptr;
    void* context = nullptr;
};

void closeFd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// Runs until the watched streams and the pump's source have all ended.
void serve(Pump* pump, Watched out, Watched err)
{
    static char buffer[1 << 17];
    bool sinkClosedEarly = false;
    while (true) {
        if (pump && stopSignal() != 0) {
            // Everyone has been told to stop: nothing more is passed on.
            closeFd(pump->source);
            closeFd(pump->sink);
        }
        pollfd fds[4];
        Watched* owners[4] = {};
        int count = 0;
        int sourceAt = -1;
        int sinkAt = -1;
        if (pump && pump->source >= 0 && pump->pendingAt == pump->pending.size()) {
            sourceAt = count;
            fds[count++] = {pump->source, POLLIN, 0};
        }
        if (pump && pump->sink >= 0 && pump->pendingAt < pump->pending.size()) {
            sinkAt = count;
            fds[count++] = {pump->sink, POLLOUT, 0};
        }
        for (Watched* watched : {&out, &err}) {
            if (watched->fd >= 0) {
                owners[count] = watched;
                fds[count++] = {watched->fd, POLLIN, 0};
            }
        }
        if (count == 0)
            break;

        // A reader that left early has either failed (then the rest is not worth decompressing)
        // or found the tar's end (then the rest is drained, so the stream's checksum is seen).
        if (sinkClosedEarly && pump->source >= 0) {
            int status = 0;
            if (childEnded(pump->consumer, &status)) {
                sinkClosedEarly = false;
                if (!succeeded(status)) {
                    closeFd(pump->source);
                    signalChild(pump->producer, SIGTERM);
                    continue;
                }
            }
        }
        const int ready = poll(fds, nfds_t(count), sinkClosedEarly ? 100 : -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }

        for (int i = 0; i < count; ++i) {
            if (fds[i].revents == 0)
                continue;
            if (i == sourceAt) {
                const std::size_t size = readSome(pump->source, buffer, sizeof buffer);
                if (size == 0) {
                    closeFd(pump->source);
                    pump->sourceEnded = true;
                } else if (pump->sink >= 0) {
                    pump->pending.assign(buffer, size);
                    pump->pendingAt = 0;
                }
            } else if (i == sinkAt) {
                const ssize_t written = write(pump->sink, pump->pending.data() + pump->pendingAt,
                    pump->pending.size() - pump->pendingAt);
                if (written > 0) {
                    pump->pendingAt += std::size_t(written);
                } else if (written < 0 && errno != EINTR && errno != EAGAIN) {
                    closeFd(pump->sink);
                    pump->pending.clear();
                    pump->pendingAt = 0;
                    sinkClosedEarly = pump->source >= 0;
                }
            } else {
                Watched* watched = owners[i];
                const std::size_t size = readSome(watched->fd, buffer, sizeof buffer);
                if (size == 0)
                    closeFd(watched->fd);
                else
                    watched->receive(watched->context, buffer, size);
            }
        }
        // The whole stream has been passed on: the reader sees its end.
        if (pump && pump->sourceEnded && pump->sink >= 0 && pump->pendingAt == pump->pending.size())
            closeFd(pump->sink);
    }
    if (pump) {
        closeFd(pump->source);
        closeFd(pump->sink);
    }
    closeFd(out.fd);
    closeFd(err.fd);
}

void toRelayOut(void* relay, const char* data, std::size_t size)
{
    static_cast<ListingRelay*>(relay)->out(data, size);
}

void toRelayErr(void* relay, const char* data, std::size_t size)
{
    static_cast<ListingRelay*>(relay)->err(data, size);
}

// An extraction's output, relayed unchanged; held back until 7-Zip shows that it opened the
// archive when another extractor may take over (its "ERROR:" lines would otherwise be taken
// for the reason of a failure that is not 7-Zip's).
struct OpenWatch {
    static constexpr std::size_t kHoldLimit = 1 << 20;

    explicit OpenWatch(bool hold) : holding(hold) {}

    void out(const char* data, std::size_t size)
    {
        for (std::size_t k = 0; k < size; ++k) {
            record.step(data[k]);
            prompt.step(data[k]);
        }
        if (holding)
            heldOut.append(data, size);
        else
            relayOut = relayOut && writeAll(1, data, size);
        if (holding && (record.found || heldOut.size() > kHoldLimit))
            release();
    }

    void err(const char* data, std::size_t size)
    {
        for (std::size_t k = 0; k < size; ++k) {
            cannotOpen.step(data[k]);
            canNotOpen.step(data[k]);
        }
        if (holding && heldErr.size() < kHoldLimit)
            heldErr.append(data, size);
        else if (!holding)
            relayErr = relayErr && writeAll(2, data, size);
    }

    void release()
    {
        holding = false;
        relayOut = relayOut && writeAll(1, heldOut);
        relayErr = relayErr && writeAll(2, heldErr);
        heldOut.clear();
        heldErr.clear();
    }

    bool passwordTrouble() const { return prompt.found || cannotOpen.found || canNotOpen.found; }

    LineStartSearch record {"Path = "};
    StreamSearch cannotOpen {"Cannot open encrypted archive"};
    StreamSearch canNotOpen {"Can not open encrypted archive"};
    LineStartSearch prompt {"Enter password"};
    bool holding;
    std::string heldOut;
    std::string heldErr;
    bool relayOut = true;
    bool relayErr = true;
};

void watchOut(void* context, const char* data, std::size_t size)
{
    static_cast<OpenWatch*>(context)->out(data, size);
}

void watchErr(void* context, const char* data, std::size_t size)
{
    static_cast<OpenWatch*>(context)->err(data, size);
}

// unar's output, relayed unchanged, with the reason of the first failure kept ("Failed! (Wrong
// checksum)"), or its last line when it failed as a whole ("Couldn't recognize the archive format.").
struct UnarWatch {
    void take(const char* data, std::size_t size, int fd)
    {
        writeAll(fd, data, size);
        for (std::size_t k = 0; k < size; ++k) {
            if (data[k] != '\n') {
                if (line.size() < 4096)
                    line += data[k];
                continue;
            }
            const std::size_t failed = line.find("Failed! (");
            if (reason.empty() && failed != std::string::npos) {
                const std::size_t open = failed + 9;
                reason = line.substr(open, line.rfind(')') > open ? line.rfind(')') - open : std::string::npos);
            }
            if (line.find_first_not_of(" \t") != std::string::npos)
                lastLine = line;
            line.clear();
        }
    }

    std::string line;
    std::string lastLine;
    std::string reason;
};

void unarOut(void* context, const char* data, std::size_t size)
{
    static_cast<UnarWatch*>(context)->take(data, size, 1);
}

void unarErr(void* context, const char* data, std::size_t size)
{
    static_cast<UnarWatch*>(context)->take(data, size, 2);
}

// ---------------------------------------------------------------------------------------------
// RAR, StuffIt and the other formats of lsar and unar.

// Whether the password opens one encrypted file (the smallest one, so that the check is quick).
bool passwordOpens(const std::string& lsar, const std::string& archive, const std::string& password,
    std::int64_t index)
{
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t child = startChild({lsar, "-t", "-nr", "-p", password, "-i", asOperand(archive), std::to_string(index)},
        {-1, null, null});
    closeFd(null);
    if (child < 0)
        return false;
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    return succeeded(status);
}

// The listing made by lsar, when lsar knows the archive; nothing is printed otherwise.
std::optional<int> listWithLsar(const std::string& lsar, const std::string& archive,
    const std::optional<std::string>& password)
{
    int out[2];
    if (!makePipe(out))
        return std::nullopt;
    std::vector<std::string> argv {lsar, "-j", "-nr"};
    if (password) {
        argv.push_back("-p");
        argv.push_back(*password);
    }
    argv.push_back(asOperand(archive));
    const pid_t child = startChild(argv, {-1, out[1], -1});
    close(out[1]);
    if (child < 0) {
        close(out[0]);
        return std::nullopt;
    }

    Utf8Fixer fixer;
    bool relay = true;
    bool printing = false;
    const auto print = [&](std::string_view text) {
        std::string valid;
        fixer.feed(text, valid);
        relay = relay && writeAll(1, valid);
    };
    const ByteSource source = [&out](char* buffer, std::size_t capacity) { return readSome(out[0], buffer, capacity); };
    const LsarSummary summary = readLsarJson(
        source, [&] { printing = true; print(lsarListingHead(archive)); },
        [&](const LsarEntry& entry) { print(lsarListingRecord(entry)); });
    char rest[4096];
    while (readSome(out[0], rest, sizeof rest) > 0) {
    }
    close(out[0]);
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    if (!summary.recognized())
        return std::nullopt;

    if (!printing)
        print(lsarListingHead(archive));
    std::string tail;
    fixer.finish(tail);
    relay = relay && writeAll(1, tail);

    bool refused = summary.needsPassword();
    if (!refused && password && summary.error == 0 && summary.passwordProbeIndex)
        refused = !passwordOpens(lsar, archive, *password, *summary.passwordProbeIndex);
    if (refused) {
        relay = relay && writeAll(1, kSign.data(), kSign.size());
        return exited(kFatalError);
    }
    if (summary.error != 0 || !summary.complete || !succeeded(status)) {
        std::fprintf(stderr, "7z: lsar could not read all of %s: %s\n", archive.c_str(),
            lsarErrorText(summary.error).c_str());
        return exited(kFatalError);
    }
    return exited(0);
}

int extractWithUnar(const std::string& unar, const std::string& archive, const Invocation& call)
{
    std::vector<std::string> argv {unar, "-nr", "-D"};
    // 7-Zip's overwrite modes: all, skip, rename the new one (u), rename the old one (t).
    switch (call.overwrite) {
    case 'a': argv.push_back("-f"); break;
    case 's': argv.push_back("-s"); break;
    case 'u': case 't': argv.push_back("-r"); break;
    default: break;
    }
    argv.push_back("-o");
    argv.push_back(call.outputFolder && !call.outputFolder->empty() ? *call.outputFolder : std::string("."));
    if (call.password) {
        argv.push_back("-p");
        argv.push_back(*call.password);
    }
    argv.push_back(asOperand(archive));

    int out[2];
    int err[2];
    if (!makePipe(out) || !makePipe(err)) {
        std::fprintf(stderr, "7z: cannot run %s: %s\n", unar.c_str(), std::strerror(errno));
        return exited(kFatalError);
    }
    const pid_t child = startChild(argv, {-1, out[1], err[1]});
    const int startError = errno;
    close(out[1]);
    close(err[1]);
    if (child < 0) {
        close(out[0]);
        close(err[0]);
        std::fprintf(stderr, "7z: cannot run %s: %s\n", unar.c_str(), std::strerror(startError));
        return exited(kFatalError);
    }
    UnarWatch watch;
    serve(nullptr, {out[0], unarOut, &watch}, {err[0], unarErr, &watch});
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    if (succeeded(status))
        return exited(0);
    // In 7-Zip's words, which is what the failure alert quotes.
    const std::string reason = !watch.reason.empty() ? watch.reason : watch.lastLine;
    const std::string line = "ERROR: " + archive + " : " + (reason.empty() ? std::string("unar failed") : reason) + '\n';
    writeAll(1, line);
    return exited(kFatalError);
}

// ---------------------------------------------------------------------------------------------
// 7-Zip itself.

// Starts 7-Zip with its standard output and error on pipes of their own. Nothing on success;
// otherwise the status to exit with, the reason already said on standard error.
std::optional<int> startSevenZip(const std::vector<std::string>& argv, pid_t* child, int* out, int* err)
{
    int outPipe[2];
    int errPipe[2];
    if (!makePipe(outPipe) || !makePipe(errPipe)) {
        std::fprintf(stderr, "7z: cannot run 7-Zip: %s\n", std::strerror(errno));
        return exited(kCannotRun);
    }
    *child = startChild(argv, {-1, outPipe[1], errPipe[1]});
    const int startError = errno;
    close(outPipe[1]);
    close(errPipe[1]);
    if (*child < 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        std::fprintf(stderr, "7z: cannot run %s: %s\n", argv[0].c_str(), std::strerror(startError));
        return exited(startError == ENOENT ? kNotFound : kCannotRun);
    }
    *out = outPipe[0];
    *err = errPipe[0];
    return std::nullopt;
}

// Whether 7-Zip refuses the password for one encrypted entry (literal, whatever its name:
// the switches end before it), by testing it. An entry it cannot test for another reason
// (a method it lacks) is no sign of a wrong password.
bool passwordRefused(const std::string& sevenZip, const std::string& archive, const std::string& password,
    const std::string& entry)
{
    int err[2];
    if (!makePipe(err))
        return false;
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t child = startChild(
        {sevenZip, "t", "-sccUTF-8", "-spd", "-bso0", "-bsp0", "-p" + password, "--", archive, entry}, {-1, null, err[1]});
    closeFd(null);
    close(err[1]);
    if (child < 0) {
        close(err[0]);
        return false;
    }
    std::string said;
    char buffer[4096];
    while (const std::size_t size = readSome(err[0], buffer, sizeof buffer)) {
        if (said.size() < 65536)
            said.append(buffer, size);
    }
    close(err[0]);
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    return !succeeded(status) && said.find("Wrong password") != std::string::npos;
}

int listWithSevenZip(const std::vector<std::string>& argv, const std::string& archive, const Invocation& call)
{
    int out;
    int err;
    pid_t child;
    if (const std::optional<int> failed = startSevenZip(argv, &child, &out, &err))
        return *failed;

    const std::string lsar = findOnPath("lsar");
    ListingRelay relay(!lsar.empty(), std::nullopt, sCodePage, !call.password);
    serve(nullptr, {out, toRelayOut, &relay}, {err, toRelayErr, &relay});
    const int status = waitChild(child);

    // 7-Zip could not open it at all, for no reason to do with a password: lsar may.
    if (!lsar.empty() && stopSignal() == 0 && !relay.opened() && !relay.showsEncryption()
        && WIFEXITED(status) && WEXITSTATUS(status) == kFatalError) {
        if (const std::optional<int> listed = listWithLsar(lsar, archive, call.password))
            return *listed;
    }
    relay.finishText();
    // A zip or a 7z whose entries alone are encrypted lists them with any password: the
    // password is tried on one of them before the listing may say it is right.
    bool refused = false;
    // (7-Zip's status 1 is a warning: the entries were listed.)
    if (call.password && stopSignal() == 0 && WIFEXITED(status) && WEXITSTATUS(status) <= 1 && relay.opened()
        && !relay.showsEncryption()) {
        if (const std::optional<std::string>& entry = relay.records().passwordProbe())
            refused = passwordRefused(argv[0], archive, *call.password, *entry);
    }
    relay.finishSign(refused);
    return refused ? exited(kFatalError) : status;
}

bool looksLikeZip(std::string_view head)
{
    return head.starts_with("PK\x03\x04") || head.starts_with("PK\x05\x06") || head.starts_with("PK\x07\x08");
}

// The entries of a zip whose names are stored in the code page; nothing when 7-Zip cannot
// list it.
std::vector<NameChange> legacyNames(const std::string& sevenZip, const std::string& archive, const Invocation& call)
{
    int out[2];
    if (!makePipe(out))
        return {};
    std::vector<std::string> argv {sevenZip, "l", "-slt", "-sccUTF-8", "-spd"};
    if (call.password)
        argv.push_back("-p" + *call.password);
    argv.push_back("--");
    argv.push_back(archive);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t child = startChild(argv, {-1, out[1], null});
    closeFd(null);
    close(out[1]);
    if (child < 0) {
        close(out[0]);
        return {};
    }
    ListingRecords records(sCodePage);
    std::string ignored;
    char buffer[1 << 16];
    while (const std::size_t size = readSome(out[0], buffer, sizeof buffer)) {
        records.feed(std::string_view(buffer, size), ignored);
        ignored.clear();
    }
    records.finish(ignored);
    close(out[0]);
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? records.changes() : std::vector<NameChange> {};
}

int extractWithSevenZip(const std::vector<std::string>& argv, const std::string& archive, const Invocation& call)
{
    const std::string unar = findOnPath("unar");
    // 7-Zip writes a zip's names as they are stored: those in a DOS code page get their
    // readable names afterwards, the ones the listing showed.
    const std::vector<NameChange> changes
        = looksLikeZip(headOf(archive)) ? legacyNames(argv[0], archive, call) : std::vector<NameChange> {};
    int out;
    int err;
    pid_t child;
    if (const std::optional<int> failed = startSevenZip(argv, &child, &out, &err))
        return *failed;
    OpenWatch watch(!unar.empty());
    serve(nullptr, {out, watchOut, &watch}, {err, watchErr, &watch});
    const int status = waitChild(child);
    if (stopSignal() == 0 && !unar.empty() && !watch.record.found && !watch.passwordTrouble() && WIFEXITED(status)
        && WEXITSTATUS(status) == kFatalError)
        return extractWithUnar(unar, archive, call);
    watch.release();
    if (!changes.empty())
        applyDecodedNames(call.outputFolder && !call.outputFolder->empty() ? *call.outputFolder : std::string("."), changes);
    return status;
}

// ---------------------------------------------------------------------------------------------
// Compressed tars.

// The caller's arguments for a 7-Zip that reads the tar from standard input: the same command
// and switches, without the archive path.
std::vector<std::string> tarReaderArguments(const std::string& sevenZip, int argc, char** argv, const Invocation& call)
{
    std::vector<std::string> arguments {sevenZip, argv[1], "-sccUTF-8", "-spd", "-si", "-ttar"};
    for (int i = 2; i < argc; ++i) {
        if (i != call.archive)
            arguments.emplace_back(argv[i]);
    }
    return arguments;
}

// Lists or extracts the tar inside a compressed stream; nothing when the stream holds no tar
// (7-Zip then treats it as the one compressed file it is).
std::optional<int> runCompressedTar(const std::string& sevenZip, int argc, char** argv, const Invocation& call,
    Compression compression)
{
    const std::string archive = argv[call.archive];
    int data[2];
    if (!makePipe(data))
        return std::nullopt;
    const pid_t producer = startChild({sevenZip, "x", "-so", "-spd", "-bso0", "-bsp0", "--", archive}, {-1, data[1], -1});
    close(data[1]);
    if (producer < 0) {
        close(data[0]);
        return std::nullopt;
    }

    std::string first(512, '\0');
    std::size_t have = 0;
    while (have < first.size()) {
        const std::size_t size = readSome(data[0], first.data() + have, first.size() - have);
        if (size == 0)
            break;
        have += size;
    }
    first.resize(have);
    if (stopSignal() != 0) {
        close(data[0]);
        waitChild(producer);
        exitLike(stopSignal());
    }
    if (!looksLikeTar(first)) {
        signalChild(producer, SIGKILL);
        close(data[0]);
        waitChild(producer);
        return std::nullopt;
    }

    int in[2];
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (!makePipe(in) || (call.isList() && (!makePipe(out) || !makePipe(err)))) {
        std::fprintf(stderr, "7z: cannot run 7-Zip: %s\n", std::strerror(errno));
        signalChild(producer, SIGKILL);
        close(data[0]);
        waitChild(producer);
        return exited(kCannotRun);
    }
    const pid_t consumer = startChild(tarReaderArguments(sevenZip, argc, argv, call), {in[0], out[1], err[1]});
    const int startError = errno;
    close(in[0]);
    closeFd(out[1]);
    closeFd(err[1]);
    if (consumer < 0) {
        std::fprintf(stderr, "7z: cannot run %s: %s\n", sevenZip.c_str(), std::strerror(startError));
        signalChild(producer, SIGKILL);
        close(data[0]);
        close(in[1]);
        closeFd(out[0]);
        closeFd(err[0]);
        waitChild(producer);
        return exited(kCannotRun);
    }
    // The reader may be slow to take the tar while its listing waits to be read: never block
    // on it.
    fcntl(in[1], F_SETFL, fcntl(in[1], F_GETFL) | O_NONBLOCK);

    Pump pump;
    pump.source = data[0];
    pump.sink = in[1];
    pump.producer = producer;
    pump.consumer = consumer;
    pump.pending = std::move(first);

    std::optional<ListingRelay> relay;
    if (call.isList()) {
        relay.emplace(false, archive, sCodePage, !call.password);
        serve(&pump, {out[0], toRelayOut, &*relay}, {err[0], toRelayErr, &*relay});
    } else {
        serve(&pump, {}, {});
    }
    const int consumerStatus = waitChild(consumer);
    const int producerStatus = waitChild(producer);
    if (relay)
        relay->finish();
    if (stopSignal() != 0 || !succeeded(consumerStatus))
        return consumerStatus;
    if (!succeeded(producerStatus)) {
        std::fprintf(stderr, "7z: the %s stream of %s is damaged\n", nameOf(compression), archive.c_str());
        return exited(kFatalError);
    }
    return exited(0);
}

} // namespace

int main(int argc, char** argv)
{
    std::string sevenZip = findSevenZip();
    if (sevenZip.empty()) {
        std::fputs("7z: 7-Zip is not installed (none of 7zz, 7z or 7za was found on PATH)\n", stderr);
        return kNotFound;
    }

    // 7-Zip's own switches go right after the command, ahead of anything (such as "--") that
    // could end the switches: UTF-8 output, and archive names taken literally rather than as
    // wildcards.
    std::vector<std::string> arguments {sevenZip};
    if (argc > 1) {
        arguments.emplace_back(argv[1]);
        arguments.emplace_back("-sccUTF-8");
        arguments.emplace_back("-spd");
        arguments.insert(arguments.end(), argv + 2, argv + argc);
    }

    // Names reach 7-Zip and leave it as UTF-8 whatever the caller's locale; the locale still
    // tells which code page old zips from the user's part of the world were written in.
    sCodePage = oemCodePageFromEnvironment();
    setenv("LC_ALL", "C.UTF-8", 1);
    cutOffInput();

    const Invocation call = readInvocation(argc, argv);
    const bool ours = (call.isList() || call.isExtract()) && call.archive >= 0 && call.nonSwitches == 1
        && !call.readsStandardInput;
    if (!ours) {
        std::vector<char*> vector;
        for (std::string& argument : arguments)
            vector.push_back(argument.data());
        vector.push_back(nullptr);
        execv(sevenZip.c_str(), vector.data());
        const int error = errno;
        std::fprintf(stderr, "7z: cannot run %s: %s\n", sevenZip.c_str(), std::strerror(error));
        return error == ENOENT ? kNotFound : kCannotRun;
    }

    installSignalForwarding();
    const std::string archive = argv[call.archive];
    // Quendle's opening listing of a zip, from the zip's own directory when that is certain.
    if (argc == 4 && std::string_view(argv[1]) == "l" && std::string_view(argv[3]) == "-slt" && call.archive == 2
        && std::getenv("QUENDLE_ADAPTER_SEVEN_ZIP_LISTING") == nullptr && listFromZipDirectory(archive))
        exitLike(exited(0));
    const Compression compression = compressionOf(headOf(archive));
    if (compression != Compression::None) {
        if (const std::optional<int> status = runCompressedTar(sevenZip, argc, argv, call, compression))
            exitLike(*status);
    }
    exitLike(call.isList() ? listWithSevenZip(arguments, archive, call) : extractWithSevenZip(arguments, archive, call));
}
