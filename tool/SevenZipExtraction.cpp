// 7-Zip's extraction: zip names stored in a DOS code page renamed afterwards to the readable
// names the listing showed, and unar's extraction when 7-Zip cannot open the archive.
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/CodePage.h"
#include "tool/ListingRecords.h"
#include "tool/OutputRelay.h"
#include "tool/Serve.h"
#include "tool/SplitSet.h"

#include <fcntl.h>
#include <unistd.h>

namespace quendle::adapter {

namespace {

bool looksLikeZip(std::string_view head)
{
    return head.starts_with("PK\x03\x04") || head.starts_with("PK\x05\x06") || head.starts_with("PK\x07\x08");
}

// The entries of a zip whose names are stored in the code page; nothing when 7-Zip cannot
// list it.
std::vector<NameChange> legacyNames(const Request& request)
{
    int out[2];
    if (!makePipe(out))
        return {};
    std::vector<std::string> argv {request.sevenZip(), "l", "-slt", "-sccUTF-8", "-spd"};
    if (request.call.password)
        argv.push_back("-p" + *request.call.password);
    argv.push_back("--");
    argv.push_back(request.archive);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t child = startChild(argv, {-1, out[1], null});
    closeFd(null);
    close(out[1]);
    if (child < 0) {
        close(out[0]);
        return {};
    }
    ListingRecords records(request.codePage);
    // A split set's listing reads like its archive's only once its head is folded.
    SplitHeadFolder head(request.shownArchive());
    std::string folded;
    std::string ignored;
    char buffer[1 << 16];
    while (const std::size_t size = readSome(out[0], buffer, sizeof buffer)) {
        head.feed(std::string_view(buffer, size), folded);
        records.feed(folded, ignored);
        folded.clear();
        ignored.clear();
    }
    head.finish(folded);
    records.feed(folded, ignored);
    records.finish(ignored);
    close(out[0]);
    const int status = waitChild(child);
    if (stopSignal() != 0)
        exitLike(status);
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? records.changes() : std::vector<NameChange> {};
}

} // namespace

int extractWithSevenZip(const Request& request)
{
    const Invocation& call = request.call;
    const std::string unar = findOnPath("unar");
    // 7-Zip writes a zip's names as they are stored: those in a DOS code page get their
    // readable names afterwards, the ones the listing showed.
    const std::vector<NameChange> changes
        = looksLikeZip(headOf(request.archive)) ? legacyNames(request) : std::vector<NameChange> {};
    int out;
    int err;
    pid_t child;
    if (const std::optional<int> failed = startSevenZip(request.arguments, &child, &out, &err))
        return *failed;
    // Held back when unar may take over: 7-Zip's "ERROR:" lines would otherwise be taken for
    // the reason of a failure that is not 7-Zip's.
    OutputRelay relay(!unar.empty());
    serve(nullptr, out, err, &relay);
    const int status = waitChild(child);
    if (stopSignal() == 0 && !unar.empty() && !relay.opened() && !relay.showsEncryption() && WIFEXITED(status)
        && WEXITSTATUS(status) == kFatalError)
        return extractWithUnar(unar, request.archive, call);
    relay.release();
    if (!changes.empty())
        applyDecodedNames(call.outputFolder && !call.outputFolder->empty() ? *call.outputFolder : std::string("."), changes);
    return status;
}

} // namespace quendle::adapter
