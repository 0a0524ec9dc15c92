// The progress bar of a real run as the trace notes it: an encrypted archive, which the adapter
// writes into a hidden folder and moves into place at the end, still shows its items as they
// appear; and the trace's own clock.
#include "e2e/PrivateSessionBus.h"

#include "support/Processes.h"

#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <ctime>

using namespace quendle::e2e;
using namespace std::chrono_literals;

namespace {

constexpr int kFiles = 2000;

// The values the progress bar took before the archiver exited, as the trace notes them.
QList<qulonglong> progressWhileRunning(const QString& err)
{
    static const QRegularExpression progress(QStringLiteral("\\) progress (\\d+)$"));
    QList<qulonglong> values;
    for (const QString& line : err.split(u'\n')) {
        if (line.endsWith(QLatin1String(") archiver exited")))
            break;
        if (const QRegularExpressionMatch match = progress.match(line); match.hasMatch())
            values.append(match.captured(1).toULongLong());
    }
    return values;
}

struct EncryptedCase {
    const char* name;
    const char* archive;
    QStringList switches;
};

void PrintTo(const EncryptedCase& c, std::ostream* out) { *out << c.name; }

class ProgressOfAnEncryptedArchive : public testing::TestWithParam<EncryptedCase> { };

// 7-Zip is paused once it has written a few items aside, long enough for several polls; the
// bar must have moved by then, and the result still lands whole in its place.
TEST_P(ProgressOfAnEncryptedArchive, CountsTheItemsWhileTheyAppearAside)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    const EncryptedCase& c = GetParam();
    Sandbox box;
    box.writePreferencesBeside();
    Tree tree;
    for (int i = 0; i < kFiles; ++i) {
        QByteArray bytes(2048, Qt::Uninitialized);
        for (int k = 0; k < bytes.size(); ++k)
            bytes[k] = char((i * 7919 + k * 104729) >> 5);
        tree.insert(QStringLiteral("Album/%1.bin").arg(i, 4, 10, QLatin1Char('0')), bytes);
    }
    const QString archive = box.work() + u'/' + QString::fromUtf8(c.archive);
    QString made;
    ASSERT_TRUE(makeArchive(archive, tree, c.switches, &made)) << made.toStdString();

    bool paused = false;
    std::optional<std::chrono::steady_clock::time_point> pausedAt;
    pid_t sevenZip = -1;
    RunOptions options;
    options.typedAnswers = {QStringLiteral("right")};
    options.environment = {{QStringLiteral("QUENDLE_TRACE_STARTUP"), QStringLiteral("1")}};
    options.whileRunning = [&](pid_t quendle) {
        if (pausedAt) {
            if (std::chrono::steady_clock::now() - *pausedAt < 1500ms)
                return true;
            ::kill(sevenZip, SIGCONT);
            return false;
        }
        const QStringList asides = QDir(box.work()).entryList({QStringLiteral(".quendle-*")}, QDir::Dirs | QDir::Hidden);
        if (asides.isEmpty()
            || entryNames(box.work() + u'/' + asides.first() + QStringLiteral("/Album")).isEmpty())
            return true;
        sevenZip = descendantNamed(quendle, QStringLiteral("7zz"));
        if (sevenZip > 0 && ::kill(sevenZip, SIGSTOP) == 0) {
            paused = true;
            pausedAt = std::chrono::steady_clock::now();
        }
        return true;
    };
    const QuendleRun run = runQuendle(box, {archive}, options);

    ASSERT_TRUE(run.ok()) << qPrintable(run.describe());
    ASSERT_TRUE(paused) << "7-Zip was never seen writing aside\n" << qPrintable(run.describe());
    const QList<qulonglong> values = progressWhileRunning(run.err);
    EXPECT_TRUE(std::any_of(values.cbegin(), values.cend(), [](qulonglong v) { return v > 0 && v < kFiles; }))
        << "the bar before the archiver exited: " << testing::PrintToString(values) << '\n' << qPrintable(run.err);
    EXPECT_EQ(entryNames(box.work() + QStringLiteral("/Album")).size(), kFiles);
    EXPECT_EQ(findNamesContaining(box.work(), QStringLiteral(".quendle-"), false), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Archives, ProgressOfAnEncryptedArchive,
    testing::Values(EncryptedCase {"SevenZip", "album.7z", {QStringLiteral("-pright")}},
        EncryptedCase {"SevenZipWithEncryptedNames", "album.7z", {QStringLiteral("-pright"), QStringLiteral("-mhe=on")}},
        EncryptedCase {"Aes256Zip", "album.zip", {QStringLiteral("-pright"), QStringLiteral("-mem=AES256")}}),
    [](const testing::TestParamInfo<EncryptedCase>& info) { return std::string(info.param.name); });

// The trace counts from the moment a launcher gives, or else from the process's own start;
// "1" only switches it on.
TEST(Trace, CountsFromTheGivenMomentOrElseFromTheProcessStart)
{
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const qint64 fiveSecondsAgo = qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000 - 5000;
    const struct {
        QString value;
        double least;
        double most;
    } cases[] = {{QStringLiteral("1"), 0, 5000}, {QString::number(fiveSecondsAgo), 5000, 65000}};
    for (const auto& c : cases) {
        Sandbox box;
        RunOptions options;
        options.environment = {{QStringLiteral("QUENDLE_TRACE_STARTUP"), c.value}};
        const QuendleRun run = runQuendle(box, {QStringLiteral("--version")}, options);
        static const QRegularExpression main(QStringLiteral("^quendle: +([0-9.]+) ms .* main$"), QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = main.match(run.err);
        ASSERT_TRUE(match.hasMatch()) << qPrintable(run.describe());
        EXPECT_GE(match.captured(1).toDouble(), c.least) << qPrintable(c.value) << '\n' << qPrintable(run.err);
        EXPECT_LT(match.captured(1).toDouble(), c.most) << qPrintable(c.value) << '\n' << qPrintable(run.err);
    }
}

} // namespace
