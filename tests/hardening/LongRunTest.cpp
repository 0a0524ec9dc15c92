// Runs that measure as much as they check, in this process: a listing of a million entries and
// an extraction of 2 GiB of zeros stopped after a second. Memory stays flat, the counts are
// right, nothing is left behind. They take a while, so they carry the "long" label.
#include "Hardening.h"
#include "support/ExpansionFixture.h"

#include "progress/ExtractingProgressWindow.h"
#include "task/TaskWrapper.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <iostream>
#include <thread>
#include <unistd.h>

using namespace quendle;
using namespace quendle::hardening;

namespace {

class InProcessFaults : public quendle::test::ExpansionTest { };

// Under AddressSanitizer freed memory waits in a quarantine and every thread gets a shadow
// stack, so resident memory measures the sanitizer, not the program: the bounds are checked in
// the plain build only.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif
#else
constexpr bool kMemoryIsMeasurable = true;
#endif


} // namespace

TEST_F(InProcessFaults, AMillionEntryListingIsCountedInFlatMemory)
{
    // About 60 MB of listing text: read whole, it would take well over 100 MB as a string.
    useFakeTool(R"(case "$1" in
l) exec awk 'BEGIN {
     print "Path = huge.zip"; print "Type = zip"; print ""; print "----------"
     for (i = 0; i < 1000000; i++) printf "Path = folder/file%07d.txt\nFolder = -\nSize = 1\nEncrypted = -\n\n", i
   }' ;;
esac
)");
    const QString archive = work() + QStringLiteral("/huge.zip");
    quendle::test::writeFile(archive, "read by nobody");
    setPreference(keys::IsRevealInFinder, QStringLiteral("0"));

    ASSERT_TRUE(resetPeakResident());
    const qint64 before = residentKiB(::getpid());
    delegate->applicationOpenFile(archive);
    const qint64 growth = peakResidentKiB(::getpid()) - before;

    EXPECT_EQ(delegate->amountFilesInArchive(), 1000000);
    ASSERT_TRUE(waitForCompletion());
    EXPECT_TRUE(seam.alerts.isEmpty());
    RecordProperty("peak_growth_kib", int(growth));
    std::cout << "[ measured ] listing of 1,000,000 entries: peak resident memory grew by " << growth << " KiB" << std::endl;
    if (kMemoryIsMeasurable) {
        EXPECT_LT(growth, 16 * 1024);
    }
}

TEST_F(InProcessFaults, TwoGibibytesOfZerosStoppedAfterASecond)
{
    if (freeBytes(work()) < (qint64(3) << 30))
        GTEST_SKIP() << "needs 3 GiB free in " << work().toStdString();
    const QString archive = work() + QStringLiteral("/zeros.gz");
    QString output;
    ASSERT_TRUE(writeZerosGzip(archive, QStringLiteral("zeros"), 2, &output)) << output.toStdString();
    const QString result = work() + QStringLiteral("/zeros");
    setPreference(keys::IsRevealInFinder, QStringLiteral("0"));

    delegate->applicationOpenFile(archive);
    ASSERT_NE(delegate->runningTask(), nullptr);
    ASSERT_TRUE(resetPeakResident());
    const qint64 before = residentKiB(::getpid());
    qint64 toolPeak = 0;
    QElapsedTimer running;
    running.start();
    while (running.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        for (const pid_t child : descendants())
            toolPeak = std::max(toolPeak, residentKiB(child));
    }
    if (delegate->runningTask()->hasExited()) {
        waitForCompletion();
        QFile::remove(result);
        GTEST_SKIP() << "this machine wrote 2 GiB within the second: there was nothing left to stop";
    }

    delegate->extractProgressWindow()->stopButton()->click();
    ASSERT_TRUE(waitForCompletion());
    const qint64 growth = peakResidentKiB(::getpid()) - before;
    const qint64 written = QFileInfo(result).size();

    // The stop path: no failure alert, the completion steps, the end of the application.
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_EQ(seam.terminateCount, 1);
    EXPECT_LT(written, qint64(2) << 30);
    // No archiver keeps writing after the stop.
    EXPECT_TRUE(descendants().empty());
    const qint64 writtenLater = QFileInfo(result).size();
    QThread::msleep(200);
    EXPECT_EQ(QFileInfo(result).size(), writtenLater);

    std::cout << "[ measured ] 2 GiB of zeros stopped after 1 s: " << written / (1 << 20)
              << " MiB written; our peak resident memory grew by " << growth << " KiB; the archiver's peak was "
              << toolPeak << " KiB" << std::endl;
    RecordProperty("written_mib", int(written / (1 << 20)));
    RecordProperty("peak_growth_kib", int(growth));
    RecordProperty("archiver_peak_kib", int(toolPeak));
    if (kMemoryIsMeasurable) {
        EXPECT_LT(growth, 32 * 1024);
    }
    EXPECT_LT(toolPeak, 256 * 1024);

    // The disk is given back at once.
    EXPECT_TRUE(QFile::remove(result));
}
