// Counts the items that have appeared below the extraction's result, for the progress bar.
#include "core/ProgressCounter.h"

#include "base/AsideFolder.h"

#include <QFile>
#include <QMetaObject>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#ifdef __linux__
#include <linux/openat2.h>
#include <sys/syscall.h>
#endif

namespace quendle {

// ---- Pacing -----------------------------------------------------------------------------

bool CountPacer::mayStart(Time now) const
{
    if (!mLastEnded)
        return true;
    return now - *mLastEnded >= kFactor * mLastDuration;
}

void CountPacer::recordWalk(Time started, Time ended)
{
    mLastEnded = ended;
    mLastDuration = ended > started ? ended - started : Time {0};
}

// ---- Walking ----------------------------------------------------------------------------

namespace {

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

// Opens a folder below the root by its relative path without following a symbolic link on
// the way, so a link swapped in while we walk can never lead the count out of the tree.
int openFolderBelow(int rootFd, const std::string& relative)
{
#ifdef __linux__
    static std::atomic<bool> openat2Missing {false};
    if (!openat2Missing.load(std::memory_order_relaxed)) {
        open_how how {};
        how.flags = kDirectoryFlags;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
        const long fd = ::syscall(SYS_openat2, rootFd, relative.c_str(), &how, sizeof how);
        // Kernels before 5.6, and some container filters, do not know the call.
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM))
            return int(fd);
        if (errno == ENOSYS)
            openat2Missing.store(true, std::memory_order_relaxed);
    }
#endif
    // Only the last component is guarded here; good enough where the call above is missing.
    return ::openat(rootFd, relative.c_str(), kDirectoryFlags);
}

class Walk {
public:
    explicit Walk(const std::atomic<bool>& cancelled)
        : mCancelled(cancelled)
    {
    }

    std::uint64_t run(const QByteArray& path)
    {
        if (path.isEmpty())
            return 0;
        // A missing path, a file or a symbolic link counts 0.
        const int rootFd = ::open(path.constData(), kDirectoryFlags);
        if (rootFd < 0)
            return 0;
        listFolder(::dup(rootFd), std::string());
        // Depth first through a list of relative paths: only two descriptors are open at any
        // time, however deep the tree, and memory grows with the folders still to visit,
        // never with the entries.
        while (!mPending.empty() && !mCancelled.load(std::memory_order_relaxed)) {
            const std::string relative = std::move(mPending.back());
            mPending.pop_back();
            const int fd = openFolderBelow(rootFd, relative);
            if (fd >= 0)
                listFolder(fd, relative);
            // A folder that vanished or cannot be read still counted as one entry above.
        }
        ::close(rootFd);
        return mCount;
    }

private:
    void listFolder(int fd, const std::string& relative)
    {
        if (fd < 0)
            return;
        DIR* folder = ::fdopendir(fd);
        if (!folder) {
            ::close(fd);
            return;
        }
        while (const dirent* entry = ::readdir(folder)) {
            if (mCancelled.load(std::memory_order_relaxed))
                break;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            ++mCount;
            bool isFolder = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN) {
                // Some file systems do not give the type in the listing; only then ask.
                struct stat status;
                isFolder = ::fstatat(::dirfd(folder), name, &status, AT_SYMLINK_NOFOLLOW) == 0
                    && S_ISDIR(status.st_mode);
            }
            if (isFolder)
                mPending.push_back(relative.empty() ? std::string(name) : relative + '/' + name);
        }
        ::closedir(folder);
    }

    const std::atomic<bool>& mCancelled;
    std::vector<std::string> mPending;
    std::uint64_t mCount = 0;
};

CountPacer::Time steadyNow()
{
    return std::chrono::duration_cast<CountPacer::Time>(std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace

std::uint64_t countEntriesBelow(const QString& root, const std::atomic<bool>& cancelled)
{
    return Walk(cancelled).run(QFile::encodeName(root));
}

std::uint64_t countExtractedItems(const QString& root, std::chrono::system_clock::time_point notBefore,
    const std::atomic<bool>& cancelled)
{
    const QByteArray path = QFile::encodeName(root);
    struct stat status {};
    const qsizetype slash = path.lastIndexOf('/');
    if (::lstat(path.constData(), &status) == 0 || errno != ENOENT || slash < 0 || slash + 1 == path.size())
        return Walk(cancelled).run(path);
    const QByteArray folder = path.left(slash); // empty for the root folder
    const QByteArray name = path.mid(slash + 1);
    DIR* beside = ::opendir(folder.isEmpty() ? "/" : folder.constData());
    if (!beside)
        return 0;
    const std::string_view prefix = base::kAsideFolderPrefix;
    const uid_t self = ::geteuid();
    std::uint64_t count = 0;
    while (const dirent* entry = ::readdir(beside)) {
        if (cancelled.load(std::memory_order_relaxed))
            break;
        if (!std::string_view(entry->d_name).starts_with(prefix))
            continue;
        struct stat aside {};
        if (::fstatat(::dirfd(beside), entry->d_name, &aside, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(aside.st_mode)
            || aside.st_uid != self
            || std::chrono::system_clock::from_time_t(aside.st_ctim.tv_sec) + std::chrono::seconds(1) < notBefore)
            continue;
        count += Walk(cancelled).run(folder + '/' + entry->d_name + '/' + name);
    }
    ::closedir(beside);
    return count;
}

std::uint64_t countEntriesBelow(const QString& root)
{
    const std::atomic<bool> never {false};
    return countEntriesBelow(root, never);
}

// ---- The counter ------------------------------------------------------------------------

ProgressCounter::ProgressCounter(QString root, QObject* parent)
    : ProgressCounter(std::move(root), steadyNow,
          [since = std::chrono::system_clock::now()](const QString& folder, const std::atomic<bool>& cancelled) {
              return countExtractedItems(folder, since, cancelled);
          },
          parent)
{
}

ProgressCounter::ProgressCounter(QString root, Clock clock, CountFunction count, QObject* parent)
    : QObject(parent)
    , mRoot(std::move(root))
    , mClock(std::move(clock))
    , mCount(std::move(count))
{
    // Queued, so the result is taken on this object's thread. The connection is made here,
    // before any walk, so that no data of ours travels inside Qt's event: the result is handed
    // over under our own mutex alone, which keeps the thread sanitizer's view of it complete.
    connect(this, &ProgressCounter::walkEnded, this, &ProgressCounter::applyWalk, Qt::QueuedConnection);
}

ProgressCounter::~ProgressCounter()
{
    cancelWalk();
}

std::uint64_t ProgressCounter::poll()
{
    if (!mCounting && mPacer.mayStart(mClock()))
        startWalk();
    return mLatest;
}

std::uint64_t ProgressCounter::countNow()
{
    cancelWalk();
    const std::atomic<bool> never {false};
    const auto started = mClock();
    const std::uint64_t count = mCount(mRoot, never);
    mPacer.recordWalk(started, mClock());
    mLatest = count;
    return count;
}

void ProgressCounter::startWalk()
{
    if (mWalker.joinable())
        mWalker.join();
    mCancelled = false;
    const std::uint64_t generation = ++mGeneration;
    try {
        mWalker = std::thread([this, generation] {
            const auto started = mClock();
            const std::uint64_t count = mCount(mRoot, mCancelled);
            const auto ended = mClock();
            if (mCancelled.load())
                return;
            {
                std::lock_guard lock(mResultMutex);
                mResult = Result {generation, count, started, ended};
            }
            emit walkEnded(QPrivateSignal());
        });
    } catch (const std::system_error&) {
        return; // no thread to be had now: show the last count, try again on a later tick
    }
    mCounting = true;
}

void ProgressCounter::applyWalk()
{
    std::optional<Result> result;
    {
        std::lock_guard lock(mResultMutex);
        result = std::exchange(mResult, std::nullopt);
    }
    if (!result || result->generation != mGeneration)
        return; // a walk that was cancelled after it had finished
    if (mWalker.joinable())
        mWalker.join();
    mCounting = false;
    mPacer.recordWalk(result->started, result->ended);
    mLatest = result->count;
    emit counted(mLatest);
}

void ProgressCounter::cancelWalk()
{
    if (!mWalker.joinable())
        return;
    mCancelled = true;
    mWalker.join();
    mCounting = false;
    ++mGeneration;
    std::lock_guard lock(mResultMutex);
    mResult.reset();
}

} // namespace quendle
