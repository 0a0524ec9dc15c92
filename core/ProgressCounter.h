// Counts the items that have appeared below the extraction's result, for the progress bar.
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace quendle {

// Decides when a new walk of the tree may start. Walking the tree while the archiver fills it
// makes both fight over the same directories on disk, so walks are paced by their own cost:
// a new one starts only when the time since the last one ended is at least kFactor times what
// that walk took, which keeps walking to at most 1 / (1 + kFactor) = 5 % of the time.
class CountPacer {
public:
    static constexpr int kFactor = 19;
    using Time = std::chrono::nanoseconds; // on a monotonic clock

    bool mayStart(Time now) const;
    void recordWalk(Time started, Time ended);

private:
    std::optional<Time> mLastEnded;
    Time mLastDuration {0};
};

// Counts every file and folder at any depth below a folder (0 when the path is missing or
// not a folder; see countExtractedItems for what is counted by default). Cheap enough to be asked on every tick of the progress timer: it never
// blocks the caller, walks off the caller's thread, never runs two walks at once, and paces
// its walks by their own cost so that counting does not slow the archiver down.
class ProgressCounter : public QObject {
    Q_OBJECT
public:
    // A monotonic clock, and a way of counting that gives up early when told to; both may be
    // called on the walking thread.
    using Clock = std::function<CountPacer::Time()>;
    using CountFunction = std::function<std::uint64_t(const QString& root, const std::atomic<bool>& cancelled)>;

    // Counts with countExtractedItems, taking aside folders made from now on.
    explicit ProgressCounter(QString root, QObject* parent = nullptr);
    // For tests and measurements: another clock and another way of counting.
    ProgressCounter(QString root, Clock clock, CountFunction count, QObject* parent = nullptr);
    // Cancels a running walk and waits for it to stop.
    ~ProgressCounter() override;

    // The latest known count (0 before the first walk has ended). When no walk is running and
    // the pacing allows it, starts a new walk in the background; its result arrives through
    // counted() and is returned by the following polls.
    std::uint64_t poll();
    // An exact count, made now on the calling thread (for the final value). A background walk
    // still running is cancelled first, and its result is dropped.
    std::uint64_t countNow();

    QString root() const { return mRoot; }
    bool isCounting() const { return mCounting; }

signals:
    // A background walk has ended with this result (delivered on the owner's thread).
    void counted(std::uint64_t count);
    // The walking thread has left its result; only this class emits it.
    void walkEnded(QPrivateSignal);

private:
    // Takes the walking thread's result, on the owner's thread.
    void applyWalk();
    void startWalk();
    void cancelWalk();

    QString mRoot;
    Clock mClock;
    CountFunction mCount;
    CountPacer mPacer;
    std::uint64_t mLatest = 0;
    bool mCounting = false;
    std::uint64_t mGeneration = 0; // results of older walks are dropped

    std::thread mWalker;
    std::atomic<bool> mCancelled {false};
    // What the walking thread hands back; guarded by mResultMutex.
    struct Result {
        std::uint64_t generation = 0;
        std::uint64_t count = 0;
        CountPacer::Time started {0};
        CountPacer::Time ended {0};
    };
    std::mutex mResultMutex;
    std::optional<Result> mResult;
};

// Counts the entries below root without a stat per entry where the file system gives the type.
// Symbolic links are counted and never followed, the root included (a link is not a folder).
std::uint64_t countEntriesBelow(const QString& root);
// The same, giving up (with a partial count) as soon as cancelled becomes true.
std::uint64_t countEntriesBelow(const QString& root, const std::atomic<bool>& cancelled);
// What an extraction whose result is root has written so far. An encrypted archive is written
// into a hidden aside folder beside root and moved into place only at the end; while root is
// not there, the entries below the item of root's name in such a folder are counted instead.
// Only our own aside folders changed at notBefore or later count, so one left over from an
// earlier run does not.
std::uint64_t countExtractedItems(const QString& root, std::chrono::system_clock::time_point notBefore,
    const std::atomic<bool>& cancelled);

} // namespace quendle
