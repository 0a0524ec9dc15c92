// Tests of the task wrapper with real child processes: relaying, stopping, waiting, failing to
// start, and what a run leaves behind (descriptors, zombies).
#include "support/Processes.h"
#include "support/TestEnvironment.h"
#include "task/TaskWrapper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace quendle;
using namespace std::chrono_literals;

namespace {

// Records every call in order, as "started", "finished", "out:<text>" or "null".
class Recorder : public TaskWrapperController {
public:
    QStringList events;
    std::function<void(const QString&)> onOutput;

    void processStarted() override { events << QStringLiteral("started"); }
    void processFinished() override { events << QStringLiteral("finished"); }
    void appendOutput(const QString& output) override
    {
        events << (output.isNull() ? QStringLiteral("null") : QStringLiteral("out:") + output);
        if (onOutput)
            onOutput(output);
    }

    int count(const QString& event) const { return int(events.count(event)); }
    bool finished() const { return events.contains(QStringLiteral("finished")); }
    // Every relayed chunk joined, in order.
    QString output() const
    {
        QString all;
        for (const QString& event : events)
            if (event.startsWith(QLatin1String("out:")))
                all += event.mid(4);
        return all;
    }
};

QStringList shell(const QString& script) { return {QStringLiteral("/bin/sh"), QStringLiteral("-c"), script}; }

bool processExists(pid_t pid) { return QFile::exists(QStringLiteral("/proc/%1").arg(pid)); }

QString writeScript(const QTemporaryDir& dir, const QString& name, const QByteArray& body)
{
    const QString path = dir.filePath(name);
    test::writeFile(path, body, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

void testWriteLine(const QByteArray& fifo)
{
    const int fd = ::open(fifo.constData(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        [[maybe_unused]] const auto written = ::write(fd, "go\n", 3);
        ::close(fd);
    }
}

TaskWrapper::StopTimeouts shortTimeouts() { return {300ms, 300ms, 1000ms}; }

} // namespace

TEST(TaskWrapper, ChildThatWritesNothingEndsWithFinishedOnly)
{
    Recorder recorder;
    TaskWrapper wrapper(&recorder, {QStringLiteral("/bin/true")});
    ASSERT_TRUE(wrapper.startProcess()) << wrapper.launchError().toStdString();
    ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
    EXPECT_EQ(recorder.events, QStringList({"started", "finished"}));
    EXPECT_EQ(wrapper.waitUntilExit(), 0);
}

TEST(TaskWrapper, RelaysOutputAndErrorInTheOrderWritten)
{
    Recorder recorder;
    TaskWrapper wrapper(&recorder,
        shell("echo one; sleep 0.1; echo two >&2; sleep 0.1; printf 'th'; printf 'ree\\n'; exit 7"));
    ASSERT_TRUE(wrapper.startProcess());
    ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
    EXPECT_EQ(recorder.output(), QStringLiteral("one\ntwo\nthree\n"));
    EXPECT_EQ(recorder.events.first(), "started");
    EXPECT_EQ(recorder.events.last(), "finished");
    EXPECT_EQ(recorder.count("finished"), 1);
    EXPECT_FALSE(recorder.events.contains("out:")) << "an empty chunk was relayed";
    EXPECT_EQ(wrapper.waitUntilExit(), 7);
}

TEST(TaskWrapper, ChunkThatIsNotUtf8IsRelayedAsNullString)
{
    // The child writes the second half only once the first has been relayed, so the two
    // arrive as two reads.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("go"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    Recorder recorder;
    TaskWrapper wrapper(&recorder,
        shell(QStringLiteral("printf '\\303'; read x < '%1'; printf '\\303\\251\\n'").arg(QFile::decodeName(fifo))));
    recorder.onOutput = [&](const QString&) {
        if (recorder.events.size() == 2)
            testWriteLine(fifo);
    };
    ASSERT_TRUE(wrapper.startProcess());
    ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
    // The first chunk ends inside a character and is not completed by the next one.
    EXPECT_EQ(recorder.events, QStringList({"started", "null", QStringLiteral("out:\u00e9\n"), "finished"}));
}

TEST(TaskWrapper, StopTwiceTellsFinishedOnce)
{
    Recorder recorder;
    {
        TaskWrapper wrapper(&recorder, shell("echo done"));
        ASSERT_TRUE(wrapper.startProcess());
        ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
        wrapper.stopProcess(); // the stop button after the output has ended
        wrapper.stopProcess();
        EXPECT_EQ(wrapper.waitUntilExit(), 0);
    } // and destruction stops once more
    EXPECT_EQ(recorder.count("finished"), 1);
    EXPECT_EQ(recorder.events.last(), "finished");
}

TEST(TaskWrapper, StopWhileRunningRelaysTheRestThenLetsTheWaiterReturn)
{
    Recorder recorder;
    TaskWrapper wrapper(&recorder,
        shell("trap 'echo stopping; echo bye >&2; exit 3' TERM; echo ready; while :; do sleep 0.05; done"));
    ASSERT_TRUE(wrapper.startProcess());
    ASSERT_TRUE(test::spinUntil([&] { return recorder.output().contains("ready"); }));

    std::atomic<int> status {-100};
    std::thread waiter([&] { status = wrapper.waitUntilExit(); });
    wrapper.stopProcess();
    waiter.join();

    EXPECT_EQ(status.load(), 3);
    EXPECT_EQ(recorder.output(), QStringLiteral("ready\nstopping\nbye\n"));
    EXPECT_EQ(recorder.events.last(), "finished");
    EXPECT_EQ(recorder.count("finished"), 1);
}

TEST(TaskWrapper, SecondStartLeavesTheRunningChildAlone)
{
    Recorder recorder;
    TaskWrapper wrapper(&recorder, shell("echo once"));
    ASSERT_TRUE(wrapper.startProcess());
    EXPECT_FALSE(wrapper.startProcess());
    ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
    EXPECT_EQ(recorder.events, QStringList({"started", "out:once\n", "finished"}));
}

TEST(TaskWrapper, StopFromInsideTheOutputCallback)
{
    Recorder recorder;
    TaskWrapper wrapper(&recorder, shell("echo ready; exec sleep 30"));
    recorder.onOutput = [&](const QString&) { wrapper.stopProcess(); };
    ASSERT_TRUE(wrapper.startProcess());
    ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
    EXPECT_EQ(recorder.events, QStringList({"started", "out:ready\n", "finished"}));
    EXPECT_EQ(wrapper.waitUntilExit(), 128 + SIGTERM);
    // The notifier goes away on the next turn of the loop; nothing else may arrive.
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.count("finished"), 1);
}

TEST(TaskWrapper, ArgumentsReachTheChildUntouched)
{
    QTemporaryDir dir;
    const QString script = writeScript(dir, "args", "#!/bin/sh\necho \"count:$#\"\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
    struct Case {
        QStringList arguments;
        QString expected;
    };
    const Case cases[] = {
        {{}, "count:0\n"}, // a one-element list: the executable alone
        {{"a b", "", "-x", "--", "\u00fc\u00df", "$HOME;*", "x\ny", "'\""},
            "count:8\n[a b]\n[]\n[-x]\n[--]\n[\u00fc\u00df]\n[$HOME;*]\n[x\ny]\n['\"]\n"},
    };
    for (const Case& c : cases) {
        Recorder recorder;
        TaskWrapper wrapper(&recorder, QStringList {script} + c.arguments);
        ASSERT_TRUE(wrapper.startProcess()) << wrapper.launchError().toStdString();
        ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
        EXPECT_EQ(recorder.output(), c.expected);
    }
}

class TaskWrapperLaunchFailure : public testing::TestWithParam<const char*> { };

TEST_P(TaskWrapperLaunchFailure, IsReportedAndOwesNothing)
{
    QTemporaryDir dir;
    const QString notExecutable = writeScript(dir, "plain", "#!/bin/sh\n");
    QFile::setPermissions(notExecutable, QFile::ReadOwner | QFile::WriteOwner);
    const QString which = GetParam();
    QStringList arguments;
    if (which == "missing")
        arguments = {dir.filePath("no-such-program")};
    else if (which == "folder")
        arguments = {dir.path()};
    else if (which == "not-executable")
        arguments = {notExecutable};
    else if (which == "nul-in-argument")
        arguments = {QStringLiteral("/bin/echo"), QString::fromUtf8("pass\0word", 9)};
    // "empty": no program at all

    const int descriptorsBefore = test::openDescriptorCount();
    Recorder recorder;
    {
        TaskWrapper wrapper(&recorder, arguments);
        EXPECT_FALSE(wrapper.startProcess());
        EXPECT_FALSE(wrapper.launchError().isEmpty());
        EXPECT_EQ(wrapper.waitUntilExit(), -1);
        EXPECT_EQ(wrapper.processId(), -1);
        wrapper.stopProcess();
    }
    // The caller reports the failure; the controller heard of the start and nothing more.
    EXPECT_EQ(recorder.events, QStringList({"started"}));
    EXPECT_EQ(test::openDescriptorCount(), descriptorsBefore);
}

INSTANTIATE_TEST_SUITE_P(Cases, TaskWrapperLaunchFailure,
    testing::Values("missing", "folder", "not-executable", "empty", "nul-in-argument"));

TEST(TaskWrapper, MissingExecutableGivesTheSystemsReason)
{
    Recorder recorder;
    TaskWrapper wrapper(&recorder, {QStringLiteral("/nonexistent/7z"), QStringLiteral("x")});
    ASSERT_FALSE(wrapper.startProcess());
    EXPECT_EQ(wrapper.launchError(), qt_error_string(ENOENT));
}

TEST(TaskWrapper, DestroyingAWrapperNeverStartedTellsFinished)
{
    Recorder recorder;
    delete new TaskWrapper(&recorder, {QStringLiteral("/bin/true")});
    EXPECT_EQ(recorder.events, QStringList({"finished"}));
}

TEST(TaskWrapper, NoDescriptorOfOursReachesTheChild)
{
    // Descriptors opened without close-on-exec, as careless code elsewhere might.
    const int leaky = ::open("/dev/null", O_RDONLY);
    int leakyPipe[2];
    ASSERT_EQ(::pipe(leakyPipe), 0);
    ASSERT_GE(leaky, 0);

    Recorder recorder;
    TaskWrapper wrapper(&recorder, {QStringLiteral("/bin/ls"), QStringLiteral("-l"), QStringLiteral("/proc/self/fd")});
    ASSERT_TRUE(wrapper.startProcess());
    ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
    ::close(leaky);
    ::close(leakyPipe[0]);
    ::close(leakyPipe[1]);

    std::set<int> seen;
    for (const QString& line : recorder.output().split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype arrow = line.indexOf(QLatin1String(" -> "));
        if (arrow < 0)
            continue;
        // ls's own handle on the folder it lists is no leak.
        if (line.mid(arrow + 4).startsWith(QLatin1String("/proc/")))
            continue;
        seen.insert(line.left(arrow).section(u' ', -1).toInt());
    }
    EXPECT_EQ(seen, (std::set<int> {0, 1, 2})) << recorder.output().toStdString();
}

TEST(TaskWrapper, NoZombieIsLeft)
{
    pid_t waited;
    pid_t abandoned;
    {
        Recorder recorder;
        TaskWrapper wrapper(&recorder, {QStringLiteral("/bin/true")});
        ASSERT_TRUE(wrapper.startProcess());
        ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
        waited = wrapper.processId();
        EXPECT_EQ(wrapper.waitUntilExit(), 0);
        EXPECT_TRUE(wrapper.hasExited());
        EXPECT_FALSE(processExists(waited));
    }
    {
        // Nobody waits for this one: destruction reaps it.
        Recorder recorder;
        TaskWrapper wrapper(&recorder, {QStringLiteral("/bin/true")});
        ASSERT_TRUE(wrapper.startProcess());
        ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
        abandoned = wrapper.processId();
    }
    EXPECT_FALSE(processExists(abandoned));
    EXPECT_TRUE(test::childrenOf(::getpid()).empty());
}

TEST(TaskWrapper, ChildThatIgnoresTheTerminationSignalIsKilled)
{
    Recorder recorder;
    TaskWrapper wrapper(&recorder, shell("trap '' TERM; echo ready; exec sleep 60"));
    wrapper.setStopTimeouts(shortTimeouts());
    ASSERT_TRUE(wrapper.startProcess());
    ASSERT_TRUE(test::spinUntil([&] { return recorder.output().contains("ready"); }));
    std::atomic<int> status {-100};
    std::thread waiter([&] { status = wrapper.waitUntilExit(); });
    wrapper.stopProcess();
    waiter.join();
    EXPECT_EQ(status.load(), 128 + SIGKILL);
    EXPECT_EQ(recorder.events.last(), "finished");
}

TEST(TaskWrapper, ChildThatClosedItsOutputAndIgnoresTheSignalIsKilledOnDestruction)
{
    Recorder recorder;
    pid_t pid;
    {
        TaskWrapper wrapper(&recorder, shell("trap '' TERM; exec sleep 60 >/dev/null 2>&1"));
        wrapper.setStopTimeouts(shortTimeouts());
        ASSERT_TRUE(wrapper.startProcess());
        ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
        pid = wrapper.processId();
    }
    EXPECT_FALSE(processExists(pid));
}

TEST(TaskWrapper, GrandchildHoldingThePipeDoesNotHangTheStop)
{
    Recorder recorder;
    TaskWrapper wrapper(&recorder, shell("sleep 60 & echo $!; exit 5"));
    wrapper.setStopTimeouts(shortTimeouts());
    ASSERT_TRUE(wrapper.startProcess());
    ASSERT_TRUE(test::spinUntil([&] { return recorder.output().endsWith(u'\n'); }));
    const pid_t grandchild = recorder.output().trimmed().toInt();
    EXPECT_EQ(wrapper.waitUntilExit(), 5);
    EXPECT_FALSE(recorder.finished()); // the output has not ended: the grandchild holds the pipe

    wrapper.stopProcess();
    EXPECT_EQ(recorder.events.last(), "finished");
    ASSERT_GT(grandchild, 0);
    ::kill(grandchild, SIGKILL);
}

TEST(TaskWrapper, WaitersInOtherThreadsRaceWithStopAndDestruction)
{
    // Run under the thread sanitizer as well (see the build notes): a waiter blocks while the
    // starting thread stops, and a second waiter is still inside when the wrapper goes away.
    for (int round = 0; round < 20; ++round) {
        Recorder recorder;
        auto* wrapper = new TaskWrapper(&recorder, shell("echo x; exec sleep 30"));
        ASSERT_TRUE(wrapper->startProcess());
        std::atomic<int> first {-100};
        std::atomic<int> second {-100};
        std::thread one([&] { first = wrapper->waitUntilExit(); });
        std::thread two([&] { second = wrapper->waitUntilExit(); });
        // Both must be inside before the wrapper may go (a call on a destroyed wrapper is
        // the caller's fault, not the race under test).
        ASSERT_TRUE(test::spinUntil([&] { return wrapper->waiterCount() == 2; }));
        if (round % 2)
            wrapper->stopProcess();
        delete wrapper;
        one.join();
        two.join();
        EXPECT_EQ(first.load(), 128 + SIGTERM);
        EXPECT_EQ(second.load(), 128 + SIGTERM);
        EXPECT_EQ(recorder.count("finished"), 1);
    }
}

TEST(TaskWrapper, TwoHundredRunsLeaveNothingBehind)
{
    const int descriptorsBefore = test::openDescriptorCount();
    for (int run = 0; run < 200; ++run) {
        Recorder recorder;
        TaskWrapper wrapper(&recorder, shell("echo run"));
        ASSERT_TRUE(wrapper.startProcess());
        std::thread waiter([&] { wrapper.waitUntilExit(); });
        ASSERT_TRUE(test::spinUntil([&] { return recorder.finished(); }));
        waiter.join();
        ASSERT_EQ(recorder.output(), QStringLiteral("run\n"));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // notifiers handed to deleteLater
    EXPECT_EQ(test::openDescriptorCount(), descriptorsBefore);
    EXPECT_TRUE(test::childrenOf(::getpid()).empty());
}
