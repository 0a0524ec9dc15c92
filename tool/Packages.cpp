// Software packages, which 7-Zip opens as the container they are rather than as the files they
// hold. A Debian package gives one folder named after the package file, holding the package's
// files and, in DEBIAN/, its control files (the layout of dpkg-deb --raw-extract); each of its
// tars streams from one 7-Zip that takes it out of the package, through one that decompresses
// it, into the one that lists or writes it. An RPM gives the files of its cpio payload, which
// 7-Zip reads only from a file: the payload is decompressed into a private temporary folder
// first and removed afterwards.
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/ListingRecords.h"
#include "tool/Serve.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quendle::adapter {

namespace {

struct ArMember {
    std::string name;
};

// The members of an ar archive, in order; empty when it is not one.
std::vector<ArMember> arMembers(const std::string& path)
{
    std::vector<ArMember> members;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return members;
    struct stat info {};
    char magic[8];
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || pread(fd, magic, 8, 0) != 8
        || std::string_view(magic, 8) != "!<arch>\n") {
        close(fd);
        return members;
    }
    std::uint64_t at = 8;
    char header[60];
    // A package has three members; a few more are allowed for signatures.
    while (members.size() < 16 && at + 60 <= std::uint64_t(info.st_size) && pread(fd, header, 60, off_t(at)) == 60) {
        if (header[58] != '`' || header[59] != '\n')
            break;
        std::string name(header, 16);
        name.erase(name.find_last_not_of(' ') + 1);
        if (name.ends_with('/'))
            name.pop_back();
        const std::string sizeText(header + 48, 10);
        char* end = nullptr;
        const unsigned long long size = std::strtoull(sizeText.c_str(), &end, 10);
        if (end == sizeText.c_str())
            break;
        members.push_back({name});
        at += 60 + size + (size & 1);
    }
    close(fd);
    return members;
}

// 7-Zip's type for a tar member's compression, by the member's suffix; nothing for a member
// that is not a tar of the kinds a package holds.
std::optional<std::string> tarCompression(std::string_view member, std::string_view stem)
{
    if (!member.starts_with(stem))
        return std::nullopt;
    const std::string_view suffix = member.substr(stem.size());
    if (suffix.empty())
        return std::string();
    for (const auto& [ending, type] : {std::pair {".gz", "gzip"}, {".xz", "xz"}, {".zst", "zstd"},
             {".bz2", "bzip2"}, {".lzma", "lzma"}}) {
        if (suffix == ending)
            return std::string(type);
    }
    return std::nullopt;
}

std::string fileName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The programs that give one tar of a package on a descriptor.
struct TarStream {
    std::vector<pid_t> producers;
    int tar = -1;
};

std::optional<TarStream> openTar(const Request& request, const std::string& member, const std::string& compression)
{
    int taken[2];
    if (!makePipe(taken))
        return std::nullopt;
    TarStream stream;
    stream.producers.push_back(startChild({request.sevenZip(), "x", "-so", "-tar", "-spd", "-bso0", "-bsp0", "--",
                                              request.archive, member},
        {-1, taken[1], -1}));
    close(taken[1]);
    stream.tar = taken[0];
    if (!compression.empty()) {
        int plain[2];
        if (!makePipe(plain)) {
            closeFd(stream.tar);
            return stream;
        }
        stream.producers.push_back(startChild(
            {request.sevenZip(), "x", "-si", "-so", "-t" + compression, "-bso0", "-bsp0"}, {stream.tar, plain[1], -1}));
        close(plain[1]);
        closeFd(stream.tar);
        stream.tar = plain[0];
    }
    return stream;
}

// The first failure among the producers (the reader's own comes first at the caller).
int producersStatus(const TarStream& stream)
{
    int status = exited(0);
    for (const pid_t producer : stream.producers) {
        const int own = producer < 0 ? exited(kCannotRun) : waitChild(producer);
        if (succeeded(status) && !succeeded(own))
            status = own;
    }
    return status;
}

// One tar of the package listed or extracted below a folder of the package's (prefix, "NAME/"
// or "NAME/DEBIAN/"); the status of the first program that failed.
int runTar(const Request& request, const std::string& member, const std::string& compression,
    const std::string& prefix)
{
    std::optional<TarStream> stream = openTar(request, member, compression);
    if (!stream) {
        std::fprintf(stderr, "7z: cannot run 7-Zip: %s\n", std::strerror(errno));
        return exited(kCannotRun);
    }
    std::vector<std::string> reader {request.sevenZip(), request.call.command, "-sccUTF-8", "-spd", "-si", "-ttar"};
    int listed = -1;
    int out[2] = {-1, -1};
    if (request.call.isList()) {
        reader.push_back("-slt");
        if (!makePipe(out)) {
            closeFd(stream->tar);
            producersStatus(*stream);
            return exited(kCannotRun);
        }
    } else {
        const std::string destination = request.call.outputFolder && !request.call.outputFolder->empty()
            ? *request.call.outputFolder
            : std::string(".");
        reader.push_back("-o" + destination + '/' + prefix);
        // The caller's switches but the folder: the overwrite mode above all.
        for (std::size_t i = 2; i < request.given.size(); ++i) {
            const std::string& argument = request.given[i];
            if (int(i) != request.call.archive && argument != "--" && !argument.starts_with("-o")
                && !argument.starts_with("-O"))
                reader.push_back(argument);
        }
    }
    const pid_t child = startChild(reader, {stream->tar, out[1], -1});
    const int startError = errno;
    closeFd(stream->tar);
    closeFd(out[1]);
    listed = out[0];
    if (child < 0) {
        closeFd(listed);
        producersStatus(*stream);
        std::fprintf(stderr, "7z: cannot run %s: %s\n", request.sevenZip().c_str(), std::strerror(startError));
        return exited(startError == ENOENT ? kNotFound : kCannotRun);
    }
    if (listed >= 0) {
        ListingRecords records(0, {prefix, true, {}, true});
        Utf8Fixer fixer;
        std::string read;
        std::string text;
        char buffer[1 << 16];
        bool relay = true;
        while (const std::size_t size = readSome(listed, buffer, sizeof buffer)) {
            records.feed(std::string_view(buffer, size), read);
            fixer.feed(read, text);
            relay = relay && writeAll(1, text);
            read.clear();
            text.clear();
        }
        records.finish(read);
        fixer.feed(read, text);
        fixer.finish(text);
        if (relay)
            writeAll(1, text);
        closeFd(listed);
    }
    const int status = waitChild(child);
    const int before = producersStatus(*stream);
    if (stopSignal() != 0)
        exitLike(succeeded(status) ? before : status);
    return succeeded(status) ? before : status;
}

std::optional<int> runDebianPackage(const Request& request)
{
    const std::vector<ArMember> members = arMembers(request.archive);
    if (members.empty() || members[0].name != "debian-binary")
        return std::nullopt;
    std::optional<std::pair<std::string, std::string>> control;
    std::optional<std::pair<std::string, std::string>> data;
    for (const ArMember& member : members) {
        if (const std::optional<std::string> type = tarCompression(member.name, "control.tar"); type && !control)
            control.emplace(member.name, *type);
        if (const std::optional<std::string> type = tarCompression(member.name, "data.tar"); type && !data)
            data.emplace(member.name, *type);
    }
    if (!control || !data)
        return std::nullopt;

    std::string name = fileName(request.shownArchive());
    if (name.size() > 4 && (name.ends_with(".deb") || name.ends_with(".DEB") || name.ends_with(".udeb")))
        name.erase(name.rfind('.'));
    if (name.empty() || name == "." || name == "..")
        name = "package";
    if (request.call.isList()) {
        const std::string head = "\nListing archive: " + request.shownArchive() + "\n\n--\nPath = "
            + request.shownArchive() + "\nType = deb\n\n----------\nPath = " + name + "\nFolder = +\n\nPath = " + name
            + "/DEBIAN\nFolder = +\n\n";
        std::string valid;
        Utf8Fixer fixer;
        fixer.feed(head, valid);
        fixer.finish(valid);
        writeAll(1, valid);
    } else {
        const std::string destination
            = request.call.outputFolder && !request.call.outputFolder->empty() ? *request.call.outputFolder : ".";
        // The control files' folder is there even when the package has no control file.
        mkdir((destination + '/' + name).c_str(), 0777);
        mkdir((destination + '/' + name + "/DEBIAN").c_str(), 0777);
    }
    const int controlStatus = runTar(request, control->first, control->second, name + "/DEBIAN/");
    if (!succeeded(controlStatus))
        return controlStatus;
    return runTar(request, data->first, data->second, name + '/');
}

bool isCpio(std::string_view head)
{
    return head.starts_with("070701") || head.starts_with("070702") || head.starts_with("070707")
        || head.starts_with("\xC7\x71") || head.starts_with("\x71\xC7");
}

std::optional<int> runRpm(const Request& request)
{
    const char* temporary = std::getenv("TMPDIR");
    std::string folder = std::string(temporary && *temporary == '/' ? temporary : "/tmp") + "/quendle-rpm-XXXXXX";
    if (!mkdtemp(folder.data()))
        return std::nullopt;
    std::string name = fileName(request.shownArchive());
    if (name.size() > 4 && (name.ends_with(".rpm") || name.ends_with(".RPM")))
        name.erase(name.size() - 4);
    const std::string payload = folder + '/' + name + ".cpio";
    const auto removeAll = [&] {
        unlink(payload.c_str());
        rmdir(folder.c_str());
    };
    const int fd = open(payload.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        removeAll();
        return std::nullopt;
    }
    const pid_t child = startChild(
        {request.sevenZip(), "x", "-so", "-spd", "-bso0", "-bsp0", "--", request.archive}, {-1, fd, -1});
    close(fd);
    const int status = child < 0 ? exited(kCannotRun) : waitChild(child);
    if (stopSignal() != 0) {
        removeAll();
        exitLike(status);
    }
    if (!succeeded(status) || !isCpio(headOf(payload))) {
        removeAll();
        return std::nullopt;
    }
    Request inner = request;
    inner.shownAs = request.shownArchive();
    inner.archive = payload;
    inner.arguments[std::size_t(request.call.archive) + 2] = payload;
    inner.rewrite.tidy = true;
    const int result = request.call.isList() ? listWithSevenZip(inner) : extractWithSevenZip(inner);
    removeAll();
    return result;
}

} // namespace

std::optional<int> runPackage(const Request& request, std::string_view head)
{
    if (head.starts_with("!<arch>\n"))
        return runDebianPackage(request);
    if (head.starts_with("\xED\xAB\xEE\xDB"))
        return runRpm(request);
    return std::nullopt;
}

} // namespace quendle::adapter
