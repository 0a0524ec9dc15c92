// One request at a time: an archive that arrives inside another request's prompts, run or end
// meets the busy alert and changes nothing; only a request waiting for its password gives way.
#include "progress/ExtractingProgressWindow.h"
#include "support/ExpansionFixture.h"

#include <QDialog>
#include <QMainWindow>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

namespace quendle::test {
namespace {

const QString kBusy = QStringLiteral("Quendle.");

enum class Moment { ReplacePrompt, FailureAlert, TrashAlert, Run, PasswordWait };

struct ArrivalCase {
    const char* name;
    Moment moment;
    bool newcomerTaken; // only the password wait gives way
};

class ArrivalTest : public ExpansionTest, public testing::WithParamInterface<ArrivalCase> { };

TEST_P(ArrivalTest, NeverStartsASecondRequestInsideTheFirst)
{
    const ArrivalCase& c = GetParam();
    const QString newcomer = makeArchive(QStringLiteral("b.zip"), {{QStringLiteral("b/x.txt"), "b"}});
    QString first;
    switch (c.moment) {
    case Moment::ReplacePrompt:
        first = makeArchive(QStringLiteral("a.zip"), {{QStringLiteral("a/x.txt"), "new"}});
        writeFile(work() + QStringLiteral("/a/x.txt"), "old");
        break;
    case Moment::FailureAlert:
        first = makeArchive(QStringLiteral("a.zip"), {{QStringLiteral("a/x.bin"), QByteArray(200000, 'x')}});
        QFile(first).resize(QFileInfo(first).size() / 2);
        break;
    case Moment::TrashAlert:
        // A Trash that cannot be made: moving the result there after expanding fails aloud.
        writeFile(mHome.dataHome() + QStringLiteral("/Trash"), "not a folder");
        setPreference(QStringLiteral("ActionAfterExpanding"), QStringLiteral("1"));
        first = makeArchive(QStringLiteral("a.zip"), {{QStringLiteral("a/x.txt"), "new"}});
        break;
    case Moment::Run:
        useFakeTool(R"(case "$1" in
l) printf 'Path = %s\n\nPath = a\nPath = a/x.txt\n' "$2" ;;
x) mkdir -p "${3#-o}/a"; sleep 1; echo new > "${3#-o}/a/x.txt" ;;
esac
)");
        first = work() + QStringLiteral("/a.zip");
        writeFile(first, "a");
        break;
    case Moment::PasswordWait:
        first = makeArchive(QStringLiteral("a.7z"), {{QStringLiteral("a/x.txt"), "new"}},
            {QStringLiteral("-psecret"), QStringLiteral("-mhe=on")});
        break;
    }

    int arrivals = 0;
    const auto arrive = [&] {
        ++arrivals;
        EXPECT_TRUE(delegate->applicationOpenFile(newcomer));
    };
    seam.onAlert = [&](const Alert& alert) {
        if (arrivals == 0 && alert.messageText != kBusy)
            arrive();
    };
    delegate->applicationOpenFile(first);
    if (c.moment == Moment::Run || c.moment == Moment::PasswordWait) {
        ASSERT_EQ(arrivals, 0);
        arrive();
    }
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(arrivals, 1);

    int busyAlerts = 0;
    for (const Alert& alert : seam.alerts)
        busyAlerts += alert.messageText == kBusy;
    EXPECT_EQ(busyAlerts, c.newcomerTaken ? 0 : 1);
    EXPECT_EQ(QFileInfo::exists(work() + QStringLiteral("/b/x.txt")), c.newcomerTaken);
    EXPECT_EQ(seam.terminateCount, 1);
    EXPECT_TRUE(QFileInfo::exists(first));
    if (c.moment == Moment::ReplacePrompt || c.moment == Moment::Run) {
        EXPECT_EQ(readFile(work() + QStringLiteral("/a/x.txt")).trimmed(), QByteArray("new"));
    }
}

INSTANTIATE_TEST_SUITE_P(Moments, ArrivalTest,
    testing::Values(ArrivalCase {"DuringTheReplacePrompt", Moment::ReplacePrompt, false},
        ArrivalCase {"DuringTheFailureAlert", Moment::FailureAlert, false},
        ArrivalCase {"DuringTheTrashAlert", Moment::TrashAlert, false},
        ArrivalCase {"DuringTheRun", Moment::Run, false},
        ArrivalCase {"WhileThePasswordWaits", Moment::PasswordWait, true}),
    [](const testing::TestParamInfo<ArrivalCase>& info) { return std::string(info.param.name); });

// An archiver that cannot be started for the extraction while a window stays on screen: the
// request ends there, and the next archive is taken and expanded as usual.
TEST_F(ExpansionTest, AFailedStartEndsTheRequestAndTheNextArchiveIsTaken)
{
    // The first listing works, then takes the archiver's own execute permission away.
    useFakeTool(R"(n=$(basename "$2" .zip)
case "$1" in
l) printf 'Path = %s\n\nPath = %s\nPath = %s/x.txt\n' "$2" "$n" "$n"; [ "$n" = a ] && chmod 644 "$0" ;;
x) mkdir -p "${3#-o}/$n"; echo "$n" > "${3#-o}/$n/x.txt" ;;
esac
)");
    const QString tool = QString::fromLocal8Bit(qgetenv("QUENDLE_RESOURCE_PATH")) + QStringLiteral("/.utility/7z");
    writeFile(work() + QStringLiteral("/a.zip"), "a");
    writeFile(work() + QStringLiteral("/b.zip"), "b");
    delegate->mMainWindow()->show();

    EXPECT_TRUE(delegate->applicationOpenFile(work() + QStringLiteral("/a.zip")));
    ASSERT_FALSE(seam.alerts.isEmpty());
    EXPECT_EQ(seam.alerts.last().messageText, QStringLiteral("Cannot Start the Archiver."));
    EXPECT_EQ(seam.terminateCount, 0);
    EXPECT_FALSE(delegate->extractProgressWindow()->window()->isVisible());

    QFile::setPermissions(tool, QFile::permissions(tool) | QFileDevice::ExeOwner);
    EXPECT_TRUE(delegate->applicationOpenFile(work() + QStringLiteral("/b.zip")));
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(readFile(work() + QStringLiteral("/b/x.txt")).trimmed(), QByteArray("b"));
    for (const Alert& alert : seam.alerts)
        EXPECT_NE(alert.messageText, kBusy);
    EXPECT_EQ(seam.terminateCount, 1);
}

TEST_F(ExpansionTest, EscapeInThePasswordWindowEndsLikeItsCloseButton)
{
    const QString archive = makeArchive(QStringLiteral("e.7z"), {{QStringLiteral("e/x"), "1"}},
        {QStringLiteral("-pe"), QStringLiteral("-mhe=on")});
    delegate->applicationOpenFile(archive);
    ASSERT_TRUE(passwordWindow()->isVisible());
    QTest::keyClick(passwordWindow(), Qt::Key_Escape);
    EXPECT_FALSE(passwordWindow()->isVisible());
    EXPECT_EQ(seam.terminateCount, 1);
    EXPECT_EQ(delegate->requestState(), RequestState::Ending);
}

} // namespace
} // namespace quendle::test
