// The archiver at Quendle's tool path: runs the installed 7-Zip with Quendle's arguments and
// gives back what Quendle relies on, for more archives than 7-Zip alone opens the way a user
// expects.
//
// - Password signs: current 7-Zip releases complain about encrypted headers on standard error
//   ("Cannot open encrypted archive. Wrong password?") or stop at a password prompt, while
//   Quendle reads its signs from the listing; the listing gets the sign added. A zip or 7z whose
//   entries alone are encrypted is listed with any password: a listing given one tries it on
//   one encrypted entry and says when it is wrong, so that nothing is extracted with it. The
//   opening listing's text is kept for that listing (KeptFiles.h), so that the headers are not
//   read again.
// - Split sets: any part of "x.7z.001", "x.7z.002", … stands for the whole set, listed like the
//   archive it splits; a set with a part missing is refused, naming the part.
// - Packages: a Debian package gives a folder of its files and control files, an RPM the files
//   of its payload, a xar its files without its table of contents (Packages.cpp).
// - Compressed tars: 7-Zip sees a .tar.gz as one compressed file holding a .tar. When a gzip,
//   bzip2, xz, zstd or compress stream holds a tar, the listing shows the tar's entries and the
//   extraction writes the tar's files, streaming the decompressed tar from one 7-Zip into
//   another. Quendle's listing keeps the decompressed tar for the extraction that follows, so
//   that the stream is decompressed once, and reads the tar's headers itself as the stream
//   passes (TarHeaders.h) instead of having 7-Zip list the tar.
// - An encrypted zip or 7z is extracted aside and moved into place when 7-Zip is done, so that a
//   wrong password that got past the listing's quick check leaves the output as it was.
// - RAR and StuffIt: when 7-Zip cannot open an archive and lsar can, lsar's listing is printed
//   in 7-Zip's layout and unar extracts. RAR and StuffIt, known by their first bytes, go to
//   them straight away (Debian's 7-Zip has no RAR). The opening listing of a plain RAR comes from
//   its block headers (RarHeaders.h), which spares lsar's start-up and walk.
// - Archive paths are always literal: "what?.zip" never matches "whatX.zip".
// - Listings are valid UTF-8: names stored in a legacy code page would otherwise make the
//   whole listing unreadable, which Quendle takes for an encrypted archive. Zip names that old
//   DOS and Windows tools stored in a code page are read in the page the names themselves show
//   (else the page of the user's language), backslashes of DOS and Windows names separate
//   folders, and the extraction writes them under those names.
// - The opening listing of a plain zip comes from the zip's central directory (ZipDirectory.h),
//   which takes milliseconds where 7-Zip takes seconds for a big archive, and that of a plain
//   7z from its header (SevenZipHeaders.h).
//
// This file chooses the backend; each has its file: SevenZipListing.cpp, SevenZipExtraction.cpp,
// CompressedTar.cpp, Packages.cpp and Unar.cpp, with OutputRelay.h between 7-Zip's output and ours.
//
// A request to stop (the termination signal) reaches every program the adapter started, and
// the adapter then ends as the archiver did.
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/CodePage.h"
#include "tool/RarHeaders.h"
#include "tool/SevenZipHeaders.h"
#include "tool/SplitSet.h"
#include "tool/ZipDirectory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quendle::adapter {

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

} // namespace quendle::adapter

using namespace quendle::adapter;

namespace {

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
        const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
        if (tty >= 0) {
            ioctl(tty, TIOCNOTTY);
            close(tty);
        }
    }
#endif
}

// Hands the whole command to 7-Zip, for what the adapter adds nothing to.
[[noreturn]] void runSevenZip(std::vector<std::string> arguments)
{
    std::vector<char*> vector;
    for (std::string& argument : arguments)
        vector.push_back(argument.data());
    vector.push_back(nullptr);
    execv(arguments[0].c_str(), vector.data());
    const int error = errno;
    std::fprintf(stderr, "7z: cannot run %s: %s\n", arguments[0].c_str(), std::strerror(error));
    std::exit(error == ENOENT ? kNotFound : kCannotRun);
}

// Quendle's opening listing ("l", archive, "-slt"), which a zip's own directory or a RAR's
// headers give when that is certain.
bool isOpeningListing(const Request& request)
{
    const std::vector<std::string>& given = request.given;
    return given.size() == 4 && given[1] == "l" && given[3] == "-slt" && request.call.archive == 2
        && std::getenv("QUENDLE_ADAPTER_SEVEN_ZIP_LISTING") == nullptr;
}

// A part of a split set stands for the whole set, which 7-Zip opens from its first part. A set
// with a part missing is neither listed nor extracted: the failure names the part (false).
bool openSplitSet(Request& request)
{
    const std::optional<SplitSet> set = findSplitSet(request.archive);
    if (!set)
        return true;
    if (!set->missing.empty()) {
        const std::size_t slash = set->missing.rfind('/');
        std::fprintf(stderr, "ERROR: %s is missing\n",
            set->missing.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
        return false;
    }
    request.shownAs = request.archive;
    request.archive = set->first;
    request.arguments[std::size_t(request.call.archive) + 2] = set->first;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string sevenZip = findSevenZip();
    if (sevenZip.empty()) {
        std::fputs("7z: 7-Zip is not installed (none of 7zz, 7z or 7za was found on PATH)\n", stderr);
        return kNotFound;
    }

    Request request;
    request.given.assign(argv, argv + argc);
    // 7-Zip's own switches go right after the command, ahead of anything (such as "--") that
    // could end the switches: UTF-8 output, and archive names taken literally rather than as
    // wildcards.
    request.arguments = {sevenZip};
    if (argc > 1) {
        request.arguments.insert(request.arguments.end(), {argv[1], "-sccUTF-8", "-spd"});
        request.arguments.insert(request.arguments.end(), argv + 2, argv + argc);
    }

    // Names reach 7-Zip and leave it as UTF-8 whatever the caller's locale; the locale still
    // tells which code page old zips from the user's part of the world were written in.
    request.codePage = oemCodePageFromEnvironment();
    setenv("LC_ALL", "C.UTF-8", 1);
    cutOffInput();

    request.call = readInvocation(argc, argv);
    const Invocation& call = request.call;
    if (!(call.isList() || call.isExtract()) || call.archive < 0 || call.nonSwitches != 1 || call.readsStandardInput)
        runSevenZip(request.arguments);

    installSignalForwarding();
    request.archive = argv[call.archive];
    if (!openSplitSet(request))
        exitLike(exited(kFatalError));
    if (call.isExtract() && shortcutsAllowed())
        forgetKeptListing(request);
    if (isOpeningListing(request) && (listFromZipDirectory(request.archive) || listFromSevenZipHeaders(request)))
        exitLike(exited(0));
    const std::string head = headOf(request.archive);
    // What 7-Zip cannot open here goes straight to lsar and unar, known by its first bytes.
    if (shortcutsAllowed() && onlyUnarReads(head)) {
        // Only where unar extracts what the listing shows.
        if (isOpeningListing(request) && !findOnPath("unar").empty() && listFromRarHeaders(request.archive))
            exitLike(exited(0));
        if (const std::string lsar = findOnPath("lsar"); call.isList() && !lsar.empty()) {
            if (const std::optional<int> listed = listWithLsar(lsar, request.archive, call.password))
                exitLike(*listed);
        } else if (const std::string unar = findOnPath("unar"); call.isExtract() && !unar.empty()) {
            exitLike(extractWithUnar(unar, request.archive, call));
        }
    }
    // 7-Zip shows a xar's table of contents as a file of its own, which is no file of the user's.
    if (head.starts_with("xar!"))
        request.arguments.insert(request.arguments.begin() + 4, "-xr-![TOC].xml");
    if (const std::optional<int> status = runPackage(request, head))
        exitLike(*status);
    // Legacy zip names are read in the code page they show, when that is certain.
    if (head.starts_with("PK\x03\x04") || head.starts_with("PK\x05\x06")) {
        const ZipNameSurvey names = surveyZipNames(request.archive);
        request.zipNamesAreUnicode = names.namesAreUnicode();
        if (const std::optional<int> page = detectCodePage(names.legacyNames))
            request.codePage = *page;
    }
    const Compression compression = compressionOf(head);
    if (compression != Compression::None) {
        if (const std::optional<int> status = runCompressedTar(request, compression))
            exitLike(*status);
    }
    exitLike(call.isList() ? listWithSevenZip(request) : extractWithSevenZip(request));
}
