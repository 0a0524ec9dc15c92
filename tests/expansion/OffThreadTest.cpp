// The listing and the password check run off the event loop's thread: the loop keeps turning
// while the archiver works, an archive arriving meanwhile meets the busy alert, and quitting or
// closing the password window meanwhile leaves no archiver running and nothing extracted.
#include "support/EventLoopWatch.h"
#include "support/ExpansionFixture.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMainWindow>
#include <QTimer>

#include <cerrno>
#include <csignal>

namespace quendle::test {
namespace {

const QString kBusy = QStringLiteral("Quendle.");
// Far below the archiver's second, far above what a loaded machine adds to one turn of the loop.
constexpr double kLongestGapMs = 400;

// A stand-in archiver for an encrypted or a plain "a.zip" of one folder "a". The listing (with a
// password: the check) takes HOLD seconds, or writes its process id to PIDFILE and never ends.
QByteArray slowArchiver(bool encrypted, const QString& hold)
{
    const QByteArray sign = encrypted ? "Encrypted = +" : "Encrypted = -";
    return "case \"$1\" in\n"
           "l) if [ \"$4\" != '' ] || [ " + QByteArray(encrypted ? "1" : "0") + " = 0 ]; then " + hold.toUtf8() + "; fi\n"
           "   printf 'Path = %s\\n\\nPath = a\\n" + sign + "\\nPath = a/x.txt\\n" + sign + "\\n' \"$2\" ;;\n"
           "x) mkdir -p \"${3#-o}/a\"; echo new > \"${3#-o}/a/x.txt\" ;;\n"
           "esac\n";
}

struct SlowCase {
    const char* name;
    bool passwordCheck; // else the opening listing is the slow one
};

class SlowArchiverTest : public ExpansionTest, public testing::WithParamInterface<SlowCase> {
protected:
    // Opens the archive and, for the check, presses OK; returns once the slow part is over.
    void openAndCheck(const QString& archive)
    {
        delegate->applicationOpenFile(archive);
        if (GetParam().passwordCheck) {
            ASSERT_TRUE(passwordWindow()->isVisible());
            typePasswordAndPressOk(QStringLiteral("pw"));
        }
    }
};

TEST_P(SlowArchiverTest, TheEventLoopTurnsAndANewcomerMeetsTheBusyAlert)
{
    useFakeTool(slowArchiver(GetParam().passwordCheck, QStringLiteral("sleep 1")));
    const QString archive = work() + QStringLiteral("/a.zip");
    writeFile(archive, "a");
    writeFile(work() + QStringLiteral("/b.zip"), "b");

    bool arrived = false;
    QTimer::singleShot(300, [&] {
        arrived = true;
        delegate->applicationOpenFile(work() + QStringLiteral("/b.zip"));
    });
    const EventLoopWatch watch;
    QElapsedTimer took;
    took.start();
    openAndCheck(archive);
    EXPECT_GE(took.elapsed(), 900); // the slow part was waited for
    EXPECT_LT(watch.longestGapMs(), kLongestGapMs);
    EXPECT_TRUE(arrived);

    ASSERT_TRUE(waitForCompletion());
    ASSERT_FALSE(seam.alerts.isEmpty());
    EXPECT_EQ(seam.alerts.first().messageText, kBusy);
    EXPECT_EQ(readFile(work() + QStringLiteral("/a/x.txt")).trimmed(), QByteArray("new"));
    EXPECT_FALSE(QFileInfo::exists(work() + QStringLiteral("/b")));
    EXPECT_EQ(seam.terminateCount, 1);
}

TEST_P(SlowArchiverTest, QuittingMeanwhileEndsTheArchiverAndExtractsNothing)
{
    const QString pidFile = work() + QStringLiteral("/listing.pid");
    useFakeTool(slowArchiver(GetParam().passwordCheck, QStringLiteral("echo $$ > '%1'; exec sleep 60").arg(pidFile)));
    const QString archive = work() + QStringLiteral("/a.zip");
    writeFile(archive, "a");

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QFileInfo(pidFile).size() > 0)
            QCoreApplication::exit(0);
    });
    poll.start(20);
    QElapsedTimer took;
    took.start();
    openAndCheck(archive);
    poll.stop();
    forgetApplicationExit();

    EXPECT_LT(took.elapsed(), 20000);
    const pid_t listing = pid_t(readFile(pidFile).trimmed().toInt());
    ASSERT_GT(listing, 0);
    // Stopped and collected: not even a zombie is left.
    EXPECT_EQ(::kill(listing, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_FALSE(QFileInfo::exists(work() + QStringLiteral("/a")));
    EXPECT_EQ(delegate->runningTask(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Moments, SlowArchiverTest,
    testing::Values(SlowCase {"OpeningListing", false}, SlowCase {"PasswordCheck", true}),
    [](const testing::TestParamInfo<SlowCase>& info) { return std::string(info.param.name); });

// The window closed while its password is checked: the request is dropped, as when the window
// is closed before OK; with the main window left, the application stays.
TEST_F(ExpansionTest, ClosingThePasswordWindowDuringTheCheckExtractsNothing)
{
    useFakeTool(slowArchiver(true, QStringLiteral("sleep 1")));
    const QString archive = work() + QStringLiteral("/a.zip");
    writeFile(archive, "a");
    delegate->mMainWindow()->show();
    delegate->applicationOpenFile(archive);
    ASSERT_TRUE(passwordWindow()->isVisible());

    QTimer::singleShot(300, [&] { passwordWindow()->reject(); });
    typePasswordAndPressOk(QStringLiteral("pw"));

    EXPECT_FALSE(passwordWindow()->isVisible());
    EXPECT_EQ(delegate->requestState(), RequestState::Idle);
    EXPECT_EQ(delegate->runningTask(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(work() + QStringLiteral("/a")));
    EXPECT_EQ(seam.terminateCount, 0);
}

} // namespace
} // namespace quendle::test
