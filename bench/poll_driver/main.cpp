// Polls a folder with the progress counter on a timer, as an extraction run does, so that a
// benchmark can run it beside a bare archiver and see what the polling costs.
//
//   poll_driver FOLDER [--interval MS] [--stop-file PATH] [--every-tick] [--trace]
//
// Polls FOLDER every MS milliseconds (default 50) until it gets SIGTERM, SIGINT or SIGHUP, or
// until PATH exists (checked on every tick). --every-tick walks the whole tree on every tick on
// the timer's thread, without pacing (the unpaced poll, for comparison). --trace prints
// "<ms since start> <count>" on standard error whenever the shown count changes. At the end one
// line goes to standard output:
//   ticks=<n> walks=<n> walk_ms=<total walking time> final=<exact count> elapsed_ms=<n>
#include "core/ProgressCounter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace quendle;

namespace {

int gSignalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(gSignalPipe[1], &byte, 1);
}

CountPacer::Time steadyNow()
{
    return std::chrono::duration_cast<CountPacer::Time>(std::chrono::steady_clock::now().time_since_epoch());
}

int usage()
{
    std::fprintf(stderr, "usage: poll_driver FOLDER [--interval MS] [--stop-file PATH] [--every-tick] [--trace]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString folder;
    QString stopFile;
    int interval = 50;
    bool everyTick = false;
    bool trace = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--interval") && i + 1 < args.size())
            interval = args[++i].toInt();
        else if (arg == QLatin1String("--stop-file") && i + 1 < args.size())
            stopFile = args[++i];
        else if (arg == QLatin1String("--every-tick"))
            everyTick = true;
        else if (arg == QLatin1String("--trace"))
            trace = true;
        else if (folder.isEmpty() && !arg.startsWith(QLatin1String("--")))
            folder = arg;
        else
            return usage();
    }
    if (folder.isEmpty() || interval <= 0)
        return usage();

    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    QSocketNotifier signalNotifier(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    std::atomic<std::uint64_t> walks {0};
    std::atomic<std::int64_t> walkNs {0};
    const auto timedCount = [&](const QString& root, const std::atomic<bool>& cancelled) {
        const auto started = steadyNow();
        const std::uint64_t count = countEntriesBelow(root, cancelled);
        walkNs += (steadyNow() - started).count();
        ++walks;
        return count;
    };
    ProgressCounter counter(folder, steadyNow, timedCount);

    QElapsedTimer elapsed;
    elapsed.start();
    std::uint64_t ticks = 0;
    std::uint64_t shown = std::uint64_t(-1);
    QTimer timer;
    timer.setInterval(interval);
    QObject::connect(&timer, &QTimer::timeout, &app, [&] {
        if (!stopFile.isEmpty() && QFile::exists(stopFile)) {
            app.quit();
            return;
        }
        ++ticks;
        const std::atomic<bool> never {false};
        const std::uint64_t count = everyTick ? timedCount(folder, never) : counter.poll();
        if (trace && count != shown)
            std::fprintf(stderr, "%lld %llu\n", (long long)elapsed.elapsed(), (unsigned long long)count);
        shown = count;
    });
    timer.start();
    app.exec();

    const std::uint64_t finalCount = counter.countNow();
    std::printf("ticks=%llu walks=%llu walk_ms=%.1f final=%llu elapsed_ms=%lld\n",
        (unsigned long long)ticks, (unsigned long long)walks.load(), double(walkNs.load()) / 1e6,
        (unsigned long long)finalCount, (long long)elapsed.elapsed());
    return 0;
}
