// The extraction run: stopping, both orders of its two endings, and failures reported.
#include "support/ExpansionFixture.h"

#include "progress/ExtractingProgressWindow.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QWidget>

namespace quendle::test {
namespace {

// Lists "run" with three entries; extracts two files, then behaves as the body says.
QByteArray toolThatExtractsThen(const QByteArray& then)
{
    return R"(case "$1" in
l) printf 'Path = %s\n\nPath = run\n\nPath = run/a\n\nPath = run/b\n' "$2" ;;
x) dest="${3#-o}"; mkdir -p "$dest/run" && echo a > "$dest/run/a" && echo b > "$dest/run/b"
   )" + then + R"(
   ;;
esac
)";
}

TEST_F(ExpansionTest, StopEndsTheRunTheWayAFinishedOneEnds)
{
    useFakeTool(toolThatExtractsThen("echo 'still going'; exec sleep 30"));
    const QString archive = work() + QStringLiteral("/s.zip");
    writeFile(archive, "s");
    delegate->applicationOpenFile(archive);
    ASSERT_NE(delegate->runningTask(), nullptr);
    // Let the archiver write its files, then stop it from the progress window's control.
    for (int i = 0; i < 100 && !QFileInfo::exists(work() + QStringLiteral("/run/b")); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    delegate->stopExtract();
    // Output has ended first: the bar shows the whole count and the window is hidden.
    EXPECT_EQ(delegate->extractProgressWindow()->currentValue(), 3.0);
    EXPECT_FALSE(delegate->extractProgressWindow()->window()->isVisible());
    ASSERT_TRUE(waitForCompletion());
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_EQ(seam.revealed, QStringList {work() + QStringLiteral("/run")});
    EXPECT_EQ(seam.terminateCount, 1);
    EXPECT_EQ(mCompletions, 1);
}

TEST_F(ExpansionTest, AnExitBeforeTheEndOfTheOutputEndsTheSameWay)
{
    // A helper process of the archiver keeps the output open after the archiver has exited.
    useFakeTool(toolThatExtractsThen("(sleep 1; echo late) & exit 0"));
    const QString archive = work() + QStringLiteral("/e.zip");
    writeFile(archive, "e");
    delegate->applicationOpenFile(archive);
    ASSERT_TRUE(waitForCompletion());
    EXPECT_TRUE(seam.alerts.isEmpty());
    // The last poll after the exit counts exactly what is on disk below the result.
    EXPECT_EQ(delegate->extractProgressWindow()->currentValue(), 2.0);
    EXPECT_FALSE(delegate->extractProgressWindow()->window()->isVisible());
    EXPECT_EQ(seam.terminateCount, 1);
    EXPECT_EQ(mCompletions, 1);
}

TEST_F(ExpansionTest, AFailedExtractionIsReportedWithTheArchiversErrorLines)
{
    useFakeTool(toolThatExtractsThen(R"(printf 'ERROR: Data Error : run/a\nERROR: CRC Failed : run/b\nsome other line\n'
   i=0; while [ $i -lt 8 ]; do echo "ERROR: line $i"; i=$((i+1)); done
   exit 2)"));
    const QString archive = work() + QStringLiteral("/f.zip");
    writeFile(archive, "f");
    delegate->applicationOpenFile(archive);
    ASSERT_TRUE(waitForCompletion());
    ASSERT_EQ(seam.alerts.size(), 1);
    EXPECT_EQ(seam.alerts[0].messageText, QStringLiteral("Cannot Expand Archive."));
    EXPECT_EQ(seam.alerts[0].informativeText,
        QStringLiteral("Data Error: run/a\nCRC Failed: run/b\nline 0\nline 1\nline 2\nWhat was expanded at \"%1\" is incomplete.")
            .arg(work() + QStringLiteral("/run")));
    EXPECT_EQ(seam.alerts[0].buttons, QStringList {QStringLiteral("OK")});
    EXPECT_EQ(seam.alerts[0].style, AlertStyle::Warning);
    // The completion steps still run.
    EXPECT_EQ(seam.revealed.size(), 1);
    EXPECT_EQ(seam.terminateCount, 1);
    EXPECT_EQ(seam.terminateStatus, kExitExpansionFailed);
}

TEST_F(ExpansionTest, AFailureWithoutErrorLinesGivesTheStatus)
{
    useFakeTool(toolThatExtractsThen("exit 7"));
    const QString archive = work() + QStringLiteral("/g.zip");
    writeFile(archive, "g");
    delegate->applicationOpenFile(archive);
    ASSERT_TRUE(waitForCompletion());
    ASSERT_EQ(seam.alerts.size(), 1);
    EXPECT_TRUE(seam.alerts[0].informativeText.startsWith(QStringLiteral("The archiver exited with status 7.\n")))
        << qPrintable(seam.alerts[0].informativeText);
}

TEST_F(ExpansionTest, AnEmptyListingRunsWithMaximumZero)
{
    useFakeTool(R"(case "$1" in
l) ;;
x) exit 0 ;;
esac
)");
    const QString archive = work() + QStringLiteral("/empty.zip");
    writeFile(archive, "");
    delegate->applicationOpenFile(archive);
    EXPECT_EQ(delegate->amountFilesInArchive(), 0);
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(delegate->extractProgressWindow()->currentValue(), 0.0);
    EXPECT_EQ(delegate->whatToShow(), work() + QStringLiteral("/empty"));
}

} // namespace
} // namespace quendle::test
