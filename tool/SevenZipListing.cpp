// 7-Zip's listing, as Quendle reads it: the sign added when the archive is encrypted, the
// password tried on one entry when only the entries are encrypted, legacy zip names in the
// user's code page, and lsar's listing when 7-Zip cannot open the archive.
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/KeptFiles.h"
#include "tool/OutputRelay.h"
#include "tool/Serve.h"
#include "tool/SevenZipHeaders.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace quendle::adapter {

std::optional<int> startSevenZip(const std::vector<std::string>& argv, pid_t* child, int* out, int* err)
{
    return startWatched(argv, -1, child, out, err);
}

std::optional<int> startWatched(const std::vector<std::string>& argv, int input, pid_t* child, int* out, int* err)
{
    int outPipe[2];
    int errPipe[2];
    if (!makePipe(outPipe) || !makePipe(errPipe)) {
        std::fprintf(stderr, "7z: cannot run %s: %s\n", argv[0].c_str(), std::strerror(errno));
        return exited(kCannotRun);
    }
    *child = startChild(argv, {input, outPipe[1], errPipe[1]});
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

namespace {

// What the password probe's 7-Zip says, up to the decoded bytes that prove the password: once
// they have come, it is stopped.
class PrefixWatch final : public StreamSink {
public:
    PrefixWatch(pid_t child, bool whole) : mChild(child), mWhole(whole) {}
    void out(std::string_view data) override
    {
        mDecoded += data.size();
        if (!enough && !mWhole && mDecoded >= kPasswordProbePrefix) {
            enough = true;
            signalChild(mChild, SIGKILL);
        }
    }
    void err(std::string_view data) override
    {
        if (said.size() < 65536)
            said.append(data);
    }

    bool enough = false;
    std::string said;

private:
    pid_t mChild;
    bool mWhole;
    std::uint64_t mDecoded = 0;
};

// Whether 7-Zip refuses the password for one encrypted entry (literal, whatever its name:
// the switches end before it), by decoding it. Only a bounded prefix is decoded: a wrong
// password fails at once on the verifier of a zip entry (AES or ZipCrypto) or within the first
// bytes of a compressed stream, while a right one would otherwise cost a whole extra decode of
// a big file. A big stored file (whole) is decoded whole: nothing but its checksum tells. An
// entry it cannot decode for another reason (a method it lacks) is no sign of a wrong password.
bool passwordRefused(const std::string& sevenZip, const std::string& archive, const std::string& password,
    const std::string& entry, bool whole)
{
    int out[2];
    int err[2];
    if (!makePipe(out))
        return false;
    if (!makePipe(err)) {
        close(out[0]);
        close(out[1]);
        return false;
    }
    const pid_t child = startChild(
        {sevenZip, "x", "-so", "-sccUTF-8", "-spd", "-bsp0", "-p" + password, "--", archive, entry}, {-1, out[1], err[1]});
    close(out[1]);
    close(err[1]);
    if (child < 0) {
        close(out[0]);
        close(err[0]);
        return false;
    }
    PrefixWatch watch(child, whole);
    serve(nullptr, out[0], err[0], &watch);
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    if (watch.enough)
        return false;
    return !succeeded(status) && watch.said.find("Wrong password") != std::string::npos;
}
// The opening listing of an archive whose entries alone are encrypted is kept for the
// verifying listing that follows from the same Quendle once the password is typed: 7-Zip
// would read the same headers again (a second for a big 7z) only to print the same text, and
// the password is then tried on the same entry. Beyond this size the listing is made again.
constexpr std::size_t kKeptListingLimit = std::size_t(64) << 20;

// Quendle's opening listing ("l ARCHIVE -slt") or its verifying one ("l ARCHIVE -slt -pPW").
bool isQuendlesListing(const Request& request, bool verifying)
{
    const std::vector<std::string>& given = request.given;
    const bool opening = given.size() == 4 && given[1] == "l" && given[3] == "-slt" && request.call.archive == 2;
    const bool withPassword = given.size() == 5 && given[1] == "l" && given[3] == "-slt" && request.call.archive == 2
        && given[4].starts_with("-p");
    return shortcutsAllowed() && (verifying ? withPassword : opening);
}

std::string keptListingPath(const Request& request, bool makeFolder = true)
{
    const std::string folder = keptFolder(makeFolder);
    const std::string name = keptName("list", request.archive, ".slt");
    return folder.empty() || name.empty() ? std::string() : folder + '/' + name;
}

// Laid out as "<whole> <length of the probe>\n<probe><listing>".
void keepListing(const Request& request, std::string_view text, const std::optional<std::string>& probe, bool whole)
{
    if (!isQuendlesListing(request, false))
        return;
    const std::string folder = keptFolder();
    if (folder.empty())
        return;
    removeUnclaimed(folder, "list");
    const std::string path = keptListingPath(request);
    if (!probe || path.empty())
        return;
    std::string kept = std::to_string(whole ? 1 : 0) + ' ' + std::to_string(probe->size()) + '\n';
    kept += *probe;
    kept += text;
    writeKept(path, kept);
}

void keepListing(const Request& request, int status, const OutputRelay& relay)
{
    const std::optional<std::string_view> text = relay.copy();
    const bool listed = status == 0 && text && relay.opened() && !relay.showsEncryption();
    keepListing(request, listed ? *text : std::string_view(), listed ? relay.records().passwordProbe() : std::nullopt,
        relay.records().passwordProbeWhole());
}

struct KeptListing {
    bool whole = false;
    std::string probe;
    std::string text;
};

std::optional<KeptListing> keptListing(const Request& request)
{
    if (!isQuendlesListing(request, true))
        return std::nullopt;
    const std::string path = keptListingPath(request);
    std::optional<std::string> kept = path.empty() ? std::nullopt : readKept(path);
    if (!kept)
        return std::nullopt;
    const std::size_t line = kept->find('\n');
    if (line == std::string::npos || line < 3 || ((*kept)[0] != '0' && (*kept)[0] != '1') || (*kept)[1] != ' ')
        return std::nullopt;
    char* end = nullptr;
    const unsigned long long length = std::strtoull(kept->c_str() + 2, &end, 10);
    if (end != kept->c_str() + line || length == 0 || length > kept->size() - line - 1)
        return std::nullopt;
    KeptListing listing;
    listing.whole = (*kept)[0] == '1';
    listing.probe = kept->substr(line + 1, std::size_t(length));
    listing.text = kept->substr(line + 1 + std::size_t(length));
    return listing;
}

} // namespace

bool listFromSevenZipHeaders(const Request& request)
{
    std::string encrypted;
    if (!listFromSevenZipHeaders(request.archive, isQuendlesListing(request, false) ? &encrypted : nullptr))
        return false;
    // The same choice of the file to try a password on as for 7-Zip's listing.
    ListingRecords records(0);
    std::string passed;
    records.feed(encrypted, passed);
    records.finish(passed);
    keepListing(request, encrypted, records.passwordProbe(), records.passwordProbeWhole());
    return true;
}

void forgetKeptListing(const Request& request)
{
    if (const std::string path = keptListingPath(request, false); !path.empty())
        unlink(path.c_str());
}

int listWithSevenZip(const Request& request)
{
    const std::optional<std::string>& password = request.call.password;
    if (password) {
        if (const std::optional<KeptListing> kept = keptListing(request)) {
            const bool refused = passwordRefused(request.sevenZip(), request.archive, *password, kept->probe, kept->whole);
            // When nobody reads any more, the rest is not worth writing.
            if (writeAll(1, kept->text) && refused) {
                if (kept->text.empty() || kept->text.back() == '\n' || writeAll(1, "\n", 1))
                    writeAll(1, kSign.data(), kSign.size());
            }
            return refused ? exited(kFatalError) : exited(0);
        }
    }

    int out;
    int err;
    pid_t child;
    if (const std::optional<int> failed = startSevenZip(request.arguments, &child, &out, &err))
        return *failed;

    const std::string lsar = findOnPath("lsar");
    OutputRelay relay(!lsar.empty(), {std::nullopt, request.shownAs, request.codePage, !password, request.rewrite});
    if (isQuendlesListing(request, false))
        relay.keepCopy(kKeptListingLimit);
    serve(nullptr, out, err, &relay);
    const int status = waitChild(child);

    // 7-Zip could not open it at all, for no reason to do with a password: lsar may.
    if (!lsar.empty() && stopSignal() == 0 && !relay.opened() && !relay.showsEncryption()
        && WIFEXITED(status) && WEXITSTATUS(status) == kFatalError) {
        if (const std::optional<int> listed = listWithLsar(lsar, request.archive, password))
            return *listed;
    }
    relay.finishText();
    // A zip or a 7z whose entries alone are encrypted lists them with any password: the
    // password is tried on one of them before the listing may say it is right.
    bool refused = false;
    // (7-Zip's status 1 is a warning: the entries were listed.)
    if (password && stopSignal() == 0 && WIFEXITED(status) && WEXITSTATUS(status) <= 1 && relay.opened()
        && !relay.showsEncryption()) {
        if (const std::optional<std::string>& entry = relay.records().passwordProbe())
            refused = passwordRefused(request.sevenZip(), request.archive, *password, *entry,
                relay.records().passwordProbeWhole());
    }
    relay.finishSign(refused);
    if (!password && stopSignal() == 0)
        keepListing(request, status, relay);
    return refused ? exited(kFatalError) : status;
}

} // namespace quendle::adapter
