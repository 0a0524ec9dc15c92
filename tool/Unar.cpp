// RAR, StuffIt and the other formats of lsar and unar, for what 7-Zip cannot open: lsar's
// listing printed in 7-Zip's layout, and unar's extraction with its failures in 7-Zip's words.
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/Serve.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace quendle::adapter {

namespace {

// lsar and unar read an argument beginning with "-" as an option.
std::string asOperand(const std::string& path)
{
    return path.starts_with('-') ? "./" + path : path;
}

// unar's output, relayed unchanged, with the reason of the first failure kept ("Failed! (Wrong
// checksum)"), or its last line when it failed as a whole ("Couldn't recognize the archive format.").
class UnarWatch final : public StreamSink {
public:
    void out(std::string_view data) override { take(data, 1); }
    void err(std::string_view data) override { take(data, 2); }

    // Why unar failed, as it said; empty when it said nothing.
    const std::string& reason() const { return !mReason.empty() ? mReason : mLastLine; }

private:
    void take(std::string_view data, int fd)
    {
        writeAll(fd, data.data(), data.size());
        for (const char c : data) {
            if (c != '\n') {
                if (mLine.size() < 4096)
                    mLine += c;
                continue;
            }
            const std::size_t failed = mLine.find("Failed! (");
            if (mReason.empty() && failed != std::string::npos) {
                const std::size_t open = failed + 9;
                mReason = mLine.substr(open, mLine.rfind(')') > open ? mLine.rfind(')') - open : std::string::npos);
            }
            if (mLine.find_first_not_of(" \t") != std::string::npos)
                mLastLine = mLine;
            mLine.clear();
        }
    }

    std::string mLine;
    std::string mLastLine;
    std::string mReason;
};

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

// lsar's listing printed in 7-Zip's layout, valid UTF-8; when nobody reads any more, the rest
// is dropped.
class ListingPrinter {
public:
    explicit ListingPrinter(std::string archive) : mArchive(std::move(archive)) {}

    void head()
    {
        mPrintedHead = true;
        print(lsarListingHead(mArchive));
    }
    void entry(const LsarEntry& entry) { print(lsarListingRecord(entry)); }
    // The end of the listing, with its head even when there was no list of entries.
    void finish()
    {
        if (!mPrintedHead)
            head();
        std::string tail;
        mFixer.finish(tail);
        mRelay = mRelay && writeAll(1, tail);
    }
    void sign() { mRelay = mRelay && writeAll(1, kSign.data(), kSign.size()); }

private:
    void print(std::string_view text)
    {
        std::string valid;
        mFixer.feed(text, valid);
        mRelay = mRelay && writeAll(1, valid);
    }

    std::string mArchive;
    Utf8Fixer mFixer;
    bool mRelay = true;
    bool mPrintedHead = false;
};

} // namespace

bool onlyUnarReads(std::string_view head)
{
    return head.starts_with(std::string_view("Rar!\x1a\x07", 6)) || head.starts_with("SIT!")
        || head.starts_with("StuffIt (c)");
}

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
    ListingPrinter printer(archive);
    const ByteSource source = [&out](char* buffer, std::size_t capacity) { return readSome(out[0], buffer, capacity); };
    const LsarSummary summary
        = readLsarJson(source, [&] { printer.head(); }, [&](const LsarEntry& entry) { printer.entry(entry); });
    char rest[4096];
    while (readSome(out[0], rest, sizeof rest) > 0) {
    }
    close(out[0]);
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    if (!summary.recognized())
        return std::nullopt;
    printer.finish();

    bool refused = summary.needsPassword();
    if (!refused && password && summary.error == 0 && summary.passwordProbeIndex)
        refused = !passwordOpens(lsar, archive, *password, *summary.passwordProbeIndex);
    if (refused) {
        printer.sign();
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

    pid_t child;
    int out;
    int err;
    if (startWatched(argv, -1, &child, &out, &err))
        return exited(kFatalError);
    UnarWatch watch;
    serve(nullptr, out, err, &watch);
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    if (succeeded(status))
        return exited(0);
    // In 7-Zip's words, which is what the failure alert quotes.
    const std::string& reason = watch.reason();
    const std::string line = "ERROR: " + archive + " : " + (reason.empty() ? std::string("unar failed") : reason) + '\n';
    writeAll(1, line);
    return exited(kFatalError);
}

} // namespace quendle::adapter
