// 7-Zip's listing, as Quendle reads it: the sign added when the archive is encrypted, the
// password tried on one entry when only the entries are encrypted, legacy zip names in the
// user's code page, and lsar's listing when 7-Zip cannot open the archive.
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/OutputRelay.h"
#include "tool/Serve.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace quendle::adapter {

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

namespace {

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
            refused = passwordRefused(request.sevenZip(), request.archive, *password, *entry);
    }
    relay.finishSign(refused);
    return refused ? exited(kFatalError) : status;
}

} // namespace quendle::adapter
