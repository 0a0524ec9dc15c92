// Two quendle processes: a second launch during a slow expansion hands its archive to the first
// (which meets it with the busy alert) and ends at once with status 0.
#include "support/Sandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace quendle::test;

namespace {

const QString kBusyText = QStringLiteral("Quendle extracts some archive. Please, wait for end of the operation and try again.");

class SecondLaunchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(quendleBinary()).isExecutable())
            GTEST_SKIP() << "quendle is not built";
        ASSERT_TRUE(mBox.isValid());
        const QString root = mBox.root();
        mStarted = root + QStringLiteral("/extraction-started");
        mRelease = root + QStringLiteral("/release");

        // A stand-in for the archiver: one entry in its listing; extracting waits until the
        // test lets it go (or gives up after a minute), then writes that entry.
        mListingStarted = root + QStringLiteral("/listing-started");
        mListingRelease = root + QStringLiteral("/listing-release");
        mHoldListing = root + QStringLiteral("/hold-listing");
        mInvocations = root + QStringLiteral("/invocations");
        const QByteArray script = "#!/bin/sh\n"
            "echo \"$1 $2\" >> '" + QFile::encodeName(mInvocations) + "'\n"
            // Held: the listing waits (as a slow disk or a huge archive would make it) until
            // the test lets it go.
            "if [ \"$1\" = l ] && [ -e '" + QFile::encodeName(mHoldListing) + "' ]; then\n"
            "   : > '" + QFile::encodeName(mListingStarted) + "'\n"
            "   n=0; while [ ! -e '" + QFile::encodeName(mListingRelease) + "' ] && [ $n -lt 600 ]; do sleep 0.1; n=$((n+1)); done\n"
            "fi\n"
            "case \"$1\" in\n"
            "l) printf '%s\\n' '' \"Listing archive: $2\" '' '--' \"Path = $2\" 'Type = zip' '' '----------'"
            " 'Path = hello.txt' 'Folder = -' 'Size = 6' 'Encrypted = -' '' ;;\n"
            "x) : > '" + QFile::encodeName(mStarted) + "'\n"
            "   n=0; while [ ! -e '" + QFile::encodeName(mRelease) + "' ] && [ $n -lt 600 ]; do sleep 0.1; n=$((n+1)); done\n"
            "   for a; do case \"$a\" in -o*) mkdir -p \"${a#-o}\" && echo hello > \"${a#-o}/hello.txt\" ;; esac; done ;;\n"
            "esac\n"
            "exit 0\n";
        ASSERT_TRUE(writeFile(root + QStringLiteral("/resources/.utility/7z"), script,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        ASSERT_TRUE(writeFile(mBox.work() + QStringLiteral("/a.zip"), "PK\x05\x06 first"));
        ASSERT_TRUE(writeFile(mBox.work() + QStringLiteral("/b.zip"), "PK\x05\x06 second"));
        // Nothing is to be shown in a file manager afterwards.
        mBox.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")}});

        mEnvironment = mBox.environment();
        mEnvironment.insert(QStringLiteral("QUENDLE_RESOURCE_PATH"), root + QStringLiteral("/resources"));
    }

    void TearDown() override
    {
        // Whatever happened, the stand-in stops waiting and nothing is left running.
        for (const QString& path : {mRelease, mListingRelease}) {
            QFile release(path);
            if (!path.isEmpty())
                release.open(QIODevice::WriteOnly);
        }
        for (QProcess* process : {&mFirst, &mSecond}) {
            if (process->state() != QProcess::NotRunning && !process->waitForFinished(30000)) {
                process->kill();
                process->waitForFinished();
            }
        }
    }

    void start(QProcess& process, const QStringList& arguments)
    {
        process.setProcessEnvironment(mEnvironment);
        process.setStandardInputFile(QProcess::nullDevice()); // no terminal: alerts take their only answer
        process.setWorkingDirectory(mBox.work());
        process.start(quendleBinary(), arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    Sandbox mBox;
    QString mStarted;
    QString mRelease;
    QString mListingStarted;
    QString mListingRelease;
    QString mHoldListing;
    QString mInvocations;
    QProcessEnvironment mEnvironment;
    QProcess mFirst;
    QProcess mSecond;
};

TEST_F(SecondLaunchTest, ASecondArchiveMeetsTheBusyAlertInTheRunningInstance)
{
    start(mFirst, {mBox.work() + QStringLiteral("/a.zip")});
    ASSERT_TRUE(spinUntil([&] { return QFileInfo::exists(mStarted) || mFirst.state() == QProcess::NotRunning; }))
        << mFirst.readAllStandardError().toStdString();
    ASSERT_TRUE(QFileInfo::exists(mStarted)) << "the first run ended early:\n" << mFirst.readAllStandardError().toStdString();

    // A relative path: the running instance gets it made absolute.
    start(mSecond, {QStringLiteral("b.zip")});
    ASSERT_TRUE(mSecond.waitForFinished(60000));
    EXPECT_EQ(mSecond.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(mSecond.exitCode(), 0);
    EXPECT_FALSE(QString::fromUtf8(mSecond.readAllStandardError()).contains(kBusyText));

    QByteArray firstErrors;
    EXPECT_TRUE(spinUntil([&] {
        firstErrors += mFirst.readAllStandardError();
        return QString::fromUtf8(firstErrors).contains(kBusyText);
    })) << firstErrors.toStdString();

    // The first run goes on to its end undisturbed.
    QFile(mRelease).open(QIODevice::WriteOnly);
    ASSERT_TRUE(mFirst.waitForFinished(60000));
    EXPECT_EQ(mFirst.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(mFirst.exitCode(), 0);
    EXPECT_TRUE(QFileInfo::exists(mBox.work() + QStringLiteral("/hello.txt")));
    EXPECT_FALSE(QFileInfo::exists(mBox.runtimeDir() + QStringLiteral("/quendle.socket")));
}

TEST_F(SecondLaunchTest, ALaunchWithoutFilesOnlyBringsTheRunningInstanceForward)
{
    start(mFirst, {mBox.work() + QStringLiteral("/a.zip")});
    ASSERT_TRUE(spinUntil([&] { return QFileInfo::exists(mStarted) || mFirst.state() == QProcess::NotRunning; }));
    ASSERT_TRUE(QFileInfo::exists(mStarted)) << mFirst.readAllStandardError().toStdString();

    start(mSecond, {});
    ASSERT_TRUE(mSecond.waitForFinished(60000));
    EXPECT_EQ(mSecond.exitCode(), 0);

    QFile(mRelease).open(QIODevice::WriteOnly);
    ASSERT_TRUE(mFirst.waitForFinished(60000));
    EXPECT_EQ(mFirst.exitCode(), 0);
    EXPECT_FALSE(QString::fromUtf8(mFirst.readAllStandardError()).contains(kBusyText));
}

// A launch given --into keeps its archive (the running instance would expand it where its own
// preferences say) and expands it there itself, beside the running one.
TEST_F(SecondLaunchTest, ALaunchWithItsOwnFolderExpandsItsArchiveItself)
{
    start(mFirst, {mBox.work() + QStringLiteral("/a.zip")});
    ASSERT_TRUE(spinUntil([&] { return QFileInfo::exists(mStarted) || mFirst.state() == QProcess::NotRunning; }));
    ASSERT_TRUE(QFileInfo::exists(mStarted)) << mFirst.readAllStandardError().toStdString();

    const QString into = mBox.root() + QStringLiteral("/into");
    ASSERT_TRUE(QDir().mkpath(into));
    start(mSecond, {QStringLiteral("--into"), into, QStringLiteral("b.zip")});
    QFile(mRelease).open(QIODevice::WriteOnly);
    ASSERT_TRUE(mSecond.waitForFinished(60000));
    EXPECT_EQ(mSecond.exitCode(), 0) << mSecond.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(into + QStringLiteral("/hello.txt")));

    ASSERT_TRUE(mFirst.waitForFinished(60000));
    EXPECT_EQ(mFirst.exitCode(), 0);
    EXPECT_FALSE(QString::fromUtf8(mFirst.readAllStandardError()).contains(kBusyText));
    EXPECT_TRUE(QFileInfo::exists(mBox.work() + QStringLiteral("/hello.txt")));
}

// The first instance is held in its listing for seconds, longer than a launch waits before it
// says so: its event loop keeps turning meanwhile (as its own probe shows), so the second launch
// is answered at once, and its archive meets the busy alert there and is never expanded by a
// Quendle of its own.
TEST_F(SecondLaunchTest, ASecondLaunchIsAnsweredWhileTheFirstIsHeldInItsListing)
{
    ASSERT_TRUE(writeFile(mHoldListing, ""));
    mEnvironment.insert(QStringLiteral("QUENDLE_PROBE_EVENT_LOOP"), QStringLiteral("1"));
    start(mFirst, {mBox.work() + QStringLiteral("/a.zip")});
    ASSERT_TRUE(spinUntil([&] { return QFileInfo::exists(mListingStarted) || mFirst.state() == QProcess::NotRunning; }));
    ASSERT_TRUE(QFileInfo::exists(mListingStarted)) << mFirst.readAllStandardError().toStdString();
    QElapsedTimer held;
    held.start();
    QFile::remove(mHoldListing);

    start(mSecond, {mBox.work() + QStringLiteral("/b.zip")});
    ASSERT_TRUE(mSecond.waitForFinished(10000));
    EXPECT_EQ(mSecond.exitCode(), 0);
    EXPECT_FALSE(QString::fromUtf8(mSecond.readAllStandardError()).contains(QStringLiteral("waiting for the running Quendle")));
    EXPECT_FALSE(QFileInfo::exists(mStarted)); // the first is still in its listing
    EXPECT_FALSE(readFile(mInvocations).contains("b.zip"));

    // Held for a while yet, so that a blocked loop could not hide in the probe's figure.
    QThread::msleep(std::max<qint64>(0, 2500 - held.elapsed()));
    QFile(mListingRelease).open(QIODevice::WriteOnly);
    QFile(mRelease).open(QIODevice::WriteOnly);
    ASSERT_TRUE(mFirst.waitForFinished(60000));
    EXPECT_EQ(mFirst.exitCode(), 0);
    const QString said = QString::fromUtf8(mFirst.readAllStandardError());
    EXPECT_TRUE(said.contains(kBusyText));
    EXPECT_FALSE(readFile(mInvocations).contains("b.zip"));
    EXPECT_TRUE(QFileInfo::exists(mBox.work() + QStringLiteral("/hello.txt")));
    const std::optional<double> longestGap = probedLongestGapMs(said);
    ASSERT_TRUE(longestGap) << said.toStdString();
    EXPECT_LT(*longestGap, 1000.0) << said.toStdString();
}

} // namespace
