// Tests of the progress counter: what it counts on disk, how its walks are paced, and that it
// never runs two walks at once.
#include "core/ProgressCounter.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <random>

using namespace quendle;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

void touch(const fs::path& path)
{
    fs::create_directories(path.parent_path());
    QFile file(QString::fromStdString(path.string()));
    file.open(QIODevice::WriteOnly);
}

// The same count the slow way, for trees made at random.
std::uint64_t referenceCount(const fs::path& root)
{
    std::uint64_t count = 0;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        ++count;
    return count;
}

struct TreeCase {
    const char* name;
    std::function<void(const fs::path& dir)> make; // builds the tree inside dir
    const char* root; // relative to dir
    std::uint64_t expected;
};

std::ostream& operator<<(std::ostream& out, const TreeCase& c) { return out << c.name; }

const TreeCase kTrees[] = {
    {"EmptyFolder", [](const fs::path& d) { fs::create_directory(d / "r"); }, "r", 0},
    {"Files", [](const fs::path& d) { touch(d / "r/a"); touch(d / "r/b"); touch(d / "r/.hidden"); }, "r", 3},
    {"Nested",
        [](const fs::path& d) {
            touch(d / "r/a/b/c.txt");
            touch(d / "r/a/d.txt");
            touch(d / "r/e.txt");
            fs::create_directories(d / "r/empty/deeper");
        },
        "r", 7},
    {"SymlinksAreEntriesNeverFollowed",
        [](const fs::path& d) {
            touch(d / "outside/x");
            touch(d / "outside/y");
            fs::create_directory(d / "r");
            fs::create_directory_symlink(d / "outside", d / "r/toFolder");
            fs::create_symlink(d / "outside/x", d / "r/toFile");
            fs::create_symlink(d / "nowhere", d / "r/dangling");
            fs::create_directory_symlink(".", d / "r/loop");
        },
        "r", 4},
    {"Missing", [](const fs::path&) {}, "r", 0},
    {"RootIsAFile", [](const fs::path& d) { touch(d / "r"); }, "r", 0},
    {"RootIsALinkToAFolder",
        [](const fs::path& d) {
            touch(d / "real/a");
            fs::create_directory_symlink(d / "real", d / "r");
        },
        "r", 0},
    {"NamesThatAreNotUtf8",
        [](const fs::path& d) {
            fs::create_directory(d / "r");
            touch(d / "r" / std::string("caf\xe9"));
            touch(d / "r" / std::string("line\nbreak"));
        },
        "r", 2},
    {"Deep",
        [](const fs::path& d) {
            fs::path p = d / "r";
            for (int i = 0; i < 200; ++i)
                p /= "d";
            touch(p / "leaf");
        },
        "r", 201},
};

class CountEntries : public testing::TestWithParam<TreeCase> { };

TEST_P(CountEntries, CountsEveryEntryBelowTheRoot)
{
    QTemporaryDir dir;
    const fs::path base = dir.path().toStdString();
    GetParam().make(base);
    const QString root = QFile::decodeName(QByteArray::fromStdString((base / GetParam().root).string()));
    EXPECT_EQ(countEntriesBelow(root), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Trees, CountEntries, testing::ValuesIn(kTrees),
    [](const testing::TestParamInfo<TreeCase>& info) { return std::string(info.param.name); });

// What an extraction has written so far when an encrypted archive is written aside first:
// "r" is the planned result, ".quendle-…/r" what the archiver is filling. Cases with a
// stale aside folder take one changed before the counting began.
struct ExtractedCase {
    const char* name;
    std::function<void(const fs::path& dir)> make;
    bool stale; // the counting began an hour after the tree was made
    std::uint64_t expected;
};

std::ostream& operator<<(std::ostream& out, const ExtractedCase& c) { return out << c.name; }

const ExtractedCase kExtracted[] = {
    {"PlannedPlaceOnly", [](const fs::path& d) { touch(d / "r/a"); touch(d / "r/b/c"); }, false, 3},
    {"AsideWhileThePlannedPlaceIsMissing", [](const fs::path& d) { touch(d / ".quendle-Ab12Cd/r/a"); touch(d / ".quendle-Ab12Cd/r/b/c"); },
        false, 3},
    {"PlannedPlaceOnceMovedThere", [](const fs::path& d) { touch(d / "r/a"); touch(d / ".quendle-Ab12Cd/r/a"); }, false, 1},
    {"StaleAside", [](const fs::path& d) { touch(d / ".quendle-Ab12Cd/r/a"); }, true, 0},
    {"OtherNameAside", [](const fs::path& d) { touch(d / ".quendle-Ab12Cd/other/a"); }, false, 0},
    {"AsideThatIsALink",
        [](const fs::path& d) {
            touch(d / "elsewhere/r/a");
            fs::create_directory_symlink(d / "elsewhere", d / ".quendle-Ab12Cd");
        },
        false, 0},
    {"FolderWithoutThePrefix", [](const fs::path& d) { touch(d / ".other-Ab12Cd/r/a"); }, false, 0},
};

class CountExtracted : public testing::TestWithParam<ExtractedCase> { };

TEST_P(CountExtracted, CountsThePlannedPlaceElseAFreshAsideFolder)
{
    QTemporaryDir dir;
    const fs::path base = dir.path().toStdString();
    GetParam().make(base);
    const auto since = std::chrono::system_clock::now() + (GetParam().stale ? 1h : 0h);
    const std::atomic<bool> never {false};
    EXPECT_EQ(countExtractedItems(dir.path() + QStringLiteral("/r"), since, never), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Trees, CountExtracted, testing::ValuesIn(kExtracted),
    [](const testing::TestParamInfo<ExtractedCase>& info) { return std::string(info.param.name); });

TEST(CountEntries, AgreesWithARecursiveListingOnARandomTree)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    std::mt19937 random(7);
    std::vector<fs::path> folders {root};
    for (int i = 0; i < 3000; ++i) {
        const fs::path parent = folders[random() % folders.size()];
        const fs::path item = parent / ("n" + std::to_string(i));
        switch (random() % 4) {
        case 0:
            fs::create_directory(item);
            folders.push_back(item);
            break;
        case 1:
            fs::create_symlink(folders[random() % folders.size()], item);
            break;
        default:
            touch(item);
        }
    }
    EXPECT_EQ(countEntriesBelow(dir.path()), referenceCount(root));
}

TEST(CountEntries, StopsWhenCancelled)
{
    QTemporaryDir dir;
    for (int i = 0; i < 50; ++i)
        touch(fs::path(dir.path().toStdString()) / std::to_string(i) / "x");
    const std::atomic<bool> cancelled {true};
    EXPECT_LT(countEntriesBelow(dir.path(), cancelled), 100u);
}

// ---- Pacing -----------------------------------------------------------------------------

TEST(CountPacer, StartsAgainOnlyAfterNineteenTimesTheLastWalk)
{
    struct Case {
        std::chrono::milliseconds started, ended, now;
        bool mayStart;
    };
    const Case cases[] = {
        {100ms, 110ms, 110ms, false},
        {100ms, 110ms, 299ms, false},
        {100ms, 110ms, 300ms, true}, // 190 ms after a 10 ms walk
        {100ms, 100ms, 100ms, true}, // a walk that took no time holds nothing back
        {100ms, 90ms, 90ms, true}, // a clock that went backwards counts as no time
        {0ms, 1000ms, 19999ms, false},
        {0ms, 1000ms, 20000ms, true},
    };
    for (const Case& c : cases) {
        CountPacer pacer;
        EXPECT_TRUE(pacer.mayStart(0ns)); // nothing counted yet
        pacer.recordWalk(c.started, c.ended);
        EXPECT_EQ(pacer.mayStart(c.now), c.mayStart) << c.started.count() << ".." << c.ended.count() << " at " << c.now.count();
    }
}

// A clock the test moves, and a walk that takes the time the test says (by moving that clock)
// and can be held until the test lets it finish.
struct FakeWalks {
    std::atomic<std::int64_t> nowNs {0};
    std::atomic<std::int64_t> walkCostNs {0};
    std::atomic<std::uint64_t> result {0};
    std::atomic<int> started {0};
    std::atomic<int> running {0};
    std::atomic<int> mostAtOnce {0};

    // Walks numbered up to this one wait until released or cancelled.
    std::atomic<int> holdUpTo {0};
    std::mutex mutex;
    std::condition_variable released;

    ProgressCounter::Clock clock()
    {
        return [this] { return std::chrono::nanoseconds(nowNs.load()); };
    }
    ProgressCounter::CountFunction count()
    {
        return [this](const QString&, const std::atomic<bool>& cancelled) -> std::uint64_t {
            const int index = ++started;
            const int now = ++running;
            mostAtOnce = std::max(mostAtOnce.load(), now);
            {
                std::unique_lock lock(mutex);
                while (index <= holdUpTo.load() && !cancelled.load())
                    released.wait_for(lock, 1ms);
            }
            nowNs += walkCostNs.load();
            --running;
            return result.load();
        };
    }
    void release()
    {
        std::lock_guard lock(mutex);
        holdUpTo = 0;
        released.notify_all();
    }
};

TEST(ProgressCounter, PacesWalksByTheirOwnCost)
{
    FakeWalks walks;
    walks.walkCostNs = std::chrono::nanoseconds(10ms).count();
    walks.result = 5;
    ProgressCounter counter(QStringLiteral("/unused"), walks.clock(), walks.count());
    std::vector<std::uint64_t> reported;
    QObject::connect(&counter, &ProgressCounter::counted, [&](std::uint64_t n) { reported.push_back(n); });

    EXPECT_EQ(counter.poll(), 0u); // the first walk starts; nothing is known yet
    ASSERT_TRUE(test::spinUntil([&] { return reported.size() == 1; }));
    EXPECT_EQ(reported.back(), 5u);
    EXPECT_FALSE(counter.isCounting());

    // The walk took 10 ms and ended at 10 ms: the next may start at 200 ms.
    walks.result = 8;
    for (const auto now : {10ms, 100ms, 199ms}) {
        walks.nowNs = std::chrono::nanoseconds(now).count();
        EXPECT_EQ(counter.poll(), 5u);
        EXPECT_FALSE(counter.isCounting()) << now.count();
    }
    EXPECT_EQ(walks.started.load(), 1);

    walks.nowNs = std::chrono::nanoseconds(200ms).count();
    EXPECT_EQ(counter.poll(), 5u);
    EXPECT_TRUE(counter.isCounting());
    ASSERT_TRUE(test::spinUntil([&] { return reported.size() == 2; }));
    EXPECT_EQ(counter.poll(), 8u);
    EXPECT_EQ(walks.started.load(), 2);
}

TEST(ProgressCounter, NeverRunsTwoWalksAtOnce)
{
    FakeWalks walks;
    walks.holdUpTo = 1;
    walks.result = 3;
    walks.walkCostNs = std::chrono::nanoseconds(1ms).count();
    ProgressCounter counter(QStringLiteral("/unused"), walks.clock(), walks.count());
    int reports = 0;
    QObject::connect(&counter, &ProgressCounter::counted, [&](std::uint64_t) {
        ++reports;
        counter.poll(); // a poll from inside the report: the walk has just ended, nothing starts
    });

    for (int tick = 0; tick < 100; ++tick) {
        EXPECT_EQ(counter.poll(), 0u);
        walks.nowNs += std::chrono::nanoseconds(50ms).count(); // long past any pacing
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(counter.isCounting());
    ASSERT_TRUE(test::spinUntil([&] { return walks.running.load() == 1; }));
    EXPECT_EQ(walks.started.load(), 1);

    walks.release();
    ASSERT_TRUE(test::spinUntil([&] { return reports > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(counter.isCounting());
    EXPECT_EQ(counter.poll(), 3u);
    EXPECT_EQ(walks.mostAtOnce.load(), 1);
}

TEST(ProgressCounter, CountNowCancelsARunningWalkAndDropsItsResult)
{
    FakeWalks walks;
    walks.holdUpTo = 1;
    walks.result = 1;
    ProgressCounter counter(QStringLiteral("/unused"), walks.clock(), walks.count());
    int reports = 0;
    QObject::connect(&counter, &ProgressCounter::counted, [&](std::uint64_t) { ++reports; });

    counter.poll();
    ASSERT_TRUE(test::spinUntil([&] { return walks.running.load() == 1; }));
    walks.result = 42; // the synchronous walk, number 2, is not held
    EXPECT_EQ(counter.countNow(), 42u);
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 0);
    EXPECT_FALSE(counter.isCounting());
    EXPECT_EQ(walks.mostAtOnce.load(), 1);
}

TEST(ProgressCounter, DestructionStopsARunningWalk)
{
    FakeWalks walks;
    walks.holdUpTo = 1;
    {
        ProgressCounter counter(QStringLiteral("/unused"), walks.clock(), walks.count());
        counter.poll();
        ASSERT_TRUE(test::spinUntil([&] { return walks.running.load() == 1; }));
    } // returns only because the walk saw the cancellation
    EXPECT_EQ(walks.running.load(), 0);
}

TEST(ProgressCounter, FollowsAFolderThatAppearsAndGrows)
{
    QTemporaryDir dir;
    const QString root = dir.filePath("result");
    ProgressCounter counter(root);
    std::uint64_t last = 0;
    QObject::connect(&counter, &ProgressCounter::counted, [&](std::uint64_t n) { last = n; });

    counter.poll();
    ASSERT_TRUE(test::spinUntil([&] { return !counter.isCounting(); }));
    EXPECT_EQ(last, 0u);

    for (int i = 0; i < 10; ++i)
        touch(fs::path(root.toStdString()) / "sub" / std::to_string(i));
    ASSERT_TRUE(test::spinUntil([&] {
        counter.poll();
        return last == 11;
    }));
    touch(fs::path(root.toStdString()) / "more");
    EXPECT_EQ(counter.countNow(), 12u);
    EXPECT_EQ(counter.poll(), 12u);
}

} // namespace
