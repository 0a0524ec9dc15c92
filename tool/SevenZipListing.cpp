// 7-Zip's listing, as Quendle reads it: the sign added when the archive is encrypted, the
// password tried on one entry when only the entries are encrypted, legacy zip names in the
// user's code page, and lsar's listing when 7-Zip cannot open the archive.
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/OutputRelay.h"
#include "tool/Serve.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
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
} // namespace

int listWithSevenZip(const Request& request)
{
    int out;
    int err;
    pid_t child;
    if (const std::optional<int> failed = startSevenZip(request.arguments, &child, &out, &err))
        return *failed;

    const std::optional<std::string>& password = request.call.password;
    const std::string lsar = findOnPath("lsar");
    OutputRelay relay(!lsar.empty(), {std::nullopt, request.shownAs, request.codePage, !password, request.rewrite});
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
    return refused ? exited(kFatalError) : status;
}

} // namespace quendle::adapter
