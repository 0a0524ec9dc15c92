// 7-Zip's extraction: zip names stored in a DOS code page renamed afterwards to the readable
// names the listing showed, an encrypted zip or 7z extracted aside first, and unar's extraction
// when 7-Zip cannot open the archive.
#include "base/AsideFolder.h"
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/CodePage.h"
#include "tool/ListingRecords.h"
#include "tool/OutputRelay.h"
#include "tool/Serve.h"
#include "tool/SplitSet.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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

bool looksLikeSevenZip(std::string_view head)
{
    return head.starts_with(std::string_view("7z\xBC\xAF\x27\x1C", 6));
}

// 7-Zip's output on its way to the relay, watched for a refused password.
class PasswordWatch final : public StreamSink {
public:
    explicit PasswordWatch(OutputRelay& relay) : mRelay(relay) {}
    void out(std::string_view data) override
    {
        look(data);
        mRelay.out(data);
    }
    void err(std::string_view data) override
    {
        look(data);
        mRelay.err(data);
    }
    bool refused() const { return mWrong.found; }

private:
    void look(std::string_view data)
    {
        for (const char c : data)
            mWrong.step(c);
    }
    OutputRelay& mRelay;
    StreamSearch mWrong {"Wrong password"};
};

// Removes a tree that this run made, never following a link out of it.
void removeTree(const std::string& path)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode)) {
        if (DIR* dir = opendir(path.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    removeTree(path + '/' + name);
            }
            closedir(dir);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

// Moves what 7-Zip wrote aside into the output folder as 7-Zip's overwrite-all would have left
// it there: a new item by a rename, a folder that is already there merged, an item that is
// there replaced. Says what could not be moved.
bool moveInto(const std::string& from, const std::string& to)
{
    DIR* dir = opendir(from.c_str());
    if (!dir)
        return false;
    bool all = true;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string source = from + '/' + name;
        const std::string target = to + '/' + name;
        struct stat there {};
        struct stat here {};
        if (lstat(target.c_str(), &there) == 0 && S_ISDIR(there.st_mode) && lstat(source.c_str(), &here) == 0
            && S_ISDIR(here.st_mode)) {
            all = moveInto(source, target) && all;
            rmdir(source.c_str());
            continue;
        }
        if (rename(source.c_str(), target.c_str()) != 0) {
            std::fprintf(stderr, "7z: cannot move %s into place: %s\n", target.c_str(), std::strerror(errno));
            all = false;
        }
    }
    closedir(dir);
    return all;
}

// Makes a folder and the folders above it that are missing; returns the topmost one it made
// (empty when all were there, or when it failed).
std::string makeFolders(const std::string& path)
{
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) == 0)
        return {};
    const std::size_t slash = path.find_last_of('/');
    std::string made = slash == std::string::npos || slash == 0 ? std::string() : makeFolders(path.substr(0, slash));
    if (mkdir(path.c_str(), 0777) != 0)
        return made;
    return made.empty() ? path : made;
}

// Removes the folders makeFolders made, from the output folder up to the topmost, while they
// are empty.
void removeMadeFolders(std::string folder, const std::string& topmost)
{
    if (topmost.empty())
        return;
    while (folder.size() >= topmost.size() && rmdir(folder.c_str()) == 0 && folder != topmost) {
        const std::size_t slash = folder.find_last_of('/');
        if (slash == std::string::npos || slash == 0)
            break;
        folder.resize(slash);
    }
}

// The caller's arguments with the output folder replaced.
std::vector<std::string> withOutputFolder(const std::vector<std::string>& arguments, const std::string& folder)
{
    std::vector<std::string> changed;
    bool replaced = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--") {
            changed.insert(changed.end(), arguments.begin() + std::ptrdiff_t(i), arguments.end());
            break;
        }
        if (i > 1 && arguments[i].starts_with("-o")) {
            if (!replaced)
                changed.push_back("-o" + folder);
            replaced = true;
            continue;
        }
        changed.push_back(arguments[i]);
    }
    if (!replaced)
        changed.insert(changed.begin() + 2, "-o" + folder);
    return changed;
}

} // namespace

int extractWithSevenZip(const Request& request)
{
    const Invocation& call = request.call;
    const std::string unar = findOnPath("unar");
    // 7-Zip writes a zip's names as they are stored: those in a DOS code page get their
    // readable names afterwards, the ones a listing shows. A zip whose directory vouches for
    // every name needs no listing.
    const bool mayHoldLegacyNames = !(shortcutsAllowed() && request.zipNamesAreUnicode);
    const std::vector<NameChange> changes = looksLikeZip(headOf(request.archive)) && mayHoldLegacyNames
        ? legacyNames(request)
        : std::vector<NameChange> {};
    const std::string output = call.outputFolder && !call.outputFolder->empty() ? *call.outputFolder : std::string(".");
    // A password that got past the listing's check, which decodes only a little, may still
    // prove wrong on the way: an encrypted zip or 7z is extracted into a folder of its own
    // beside the output and moved into place afterwards, so that a refused password leaves the
    // output folder as it was.
    std::string aside;
    std::string madeOutput;
    const std::string head = headOf(request.archive);
    if (call.password && shortcutsAllowed() && (looksLikeZip(head) || looksLikeSevenZip(head))) {
        madeOutput = makeFolders(output);
        std::string pattern = output + '/' + std::string(base::kAsideFolderPrefix) + "XXXXXX";
        if (mkdtemp(pattern.data()))
            aside = pattern;
    }
    int out;
    int err;
    pid_t child;
    if (const std::optional<int> failed
        = startSevenZip(aside.empty() ? request.arguments : withOutputFolder(request.arguments, aside), &child, &out, &err)) {
        removeTree(aside);
        return *failed;
    }
    // Held back when unar may take over: 7-Zip's "ERROR:" lines would otherwise be taken for
    // the reason of a failure that is not 7-Zip's.
    OutputRelay relay(!unar.empty());
    PasswordWatch watch(relay);
    serve(nullptr, out, err, &watch);
    const int status = waitChild(child);
    if (stopSignal() == 0 && !unar.empty() && !relay.opened() && !relay.showsEncryption() && WIFEXITED(status)
        && WEXITSTATUS(status) == kFatalError) {
        removeTree(aside);
        removeMadeFolders(output, madeOutput);
        return extractWithUnar(unar, request.archive, call);
    }
    relay.release();
    if (!changes.empty())
        applyDecodedNames(aside.empty() ? output : aside, changes);
    if (aside.empty())
        return status;
    if (!succeeded(status) && watch.refused()) {
        removeTree(aside);
        removeMadeFolders(output, madeOutput);
        std::fputs("7z: the password is wrong: nothing was extracted\n", stderr);
        return status;
    }
    // What could not be moved stays aside, where the message says.
    if (!moveInto(aside, output))
        return succeeded(status) ? exited(kFatalError) : status;
    rmdir(aside.c_str());
    return status;
}

} // namespace quendle::adapter
