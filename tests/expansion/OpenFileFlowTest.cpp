// The open-file flow and the replace prompt, driven in process with scripted answers.
#include "support/ExpansionFixture.h"

#include "progress/ExtractingProgressWindow.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>

namespace quendle::test {
namespace {

QStringList trashedNames(const TemporaryHome& home)
{
    return QDir(home.dataHome() + QStringLiteral("/Trash/files")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
}

// A fake archiver: lists one folder "top" with one file (or, with NONAME set, a listing that
// ends right after the first entry's path), and extracts top/a.txt into the destination.
QByteArray fakeTool(bool withName)
{
    QByteArray script = R"(case "$1" in
l) printf 'header\n\nPath = %s\nType = zip\n\n----------\n' "$2"
   )";
    script += withName ? R"(printf 'Path = top\nFolder = +\n\nPath = top/a.txt\nFolder = -\n' ;;)"
                       : R"(printf 'Path = top' ;;)";
    script += R"(
x) dest="${3#-o}"; mkdir -p "$dest/top" && echo extracted > "$dest/top/a.txt" ;;
esac
)";
    return script;
}

TEST_F(ExpansionTest, ExpandsBesideTheArchiveRevealsAndQuits)
{
    const QString archive = makeArchive(QStringLiteral("a.zip"),
        {{QStringLiteral("top/a.txt"), "one"}, {QStringLiteral("top/b/c.txt"), "two"}});
    EXPECT_TRUE(delegate->applicationOpenFile(archive));
    EXPECT_TRUE(delegate->openedFromFinder());
    EXPECT_EQ(delegate->whatToShow(), work() + QStringLiteral("/top"));
    EXPECT_EQ(delegate->amountFilesInArchive(), 4);
    EXPECT_EQ(delegate->extractProgressWindow()->window()->windowTitle(), QStringLiteral("Extracting a.zip"));
    ASSERT_TRUE(waitForCompletion());

    EXPECT_EQ(readFile(work() + QStringLiteral("/top/b/c.txt")), QByteArray("two"));
    EXPECT_EQ(seam.revealed, QStringList {work() + QStringLiteral("/top")});
    EXPECT_EQ(seam.terminateCount, 1);
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_FALSE(delegate->extractProgressWindow()->window()->isVisible());
    EXPECT_EQ(delegate->mExtractTimer(), nullptr);
    EXPECT_TRUE(QFileInfo::exists(archive));
}

TEST_F(ExpansionTest, ExpandsIntoTheCustomFolderInBothStoredForms)
{
    for (const bool asUrl : {true, false}) {
        QTemporaryDir custom;
        const QString folder = custom.path() + QStringLiteral("/with space %25 ü");
        QDir().mkpath(folder);
        setPreference(keys::IsUsedCustomFolder, QStringLiteral("1"));
        setPreference(keys::CustomFolder, asUrl ? QUrl::fromLocalFile(folder + u'/').toString(QUrl::FullyEncoded) : folder);
        setPreference(keys::IsRevealInFinder, QStringLiteral("0"));
        relaunch();
        const QString archive = makeArchive(QStringLiteral("c.7z"), {{QStringLiteral("inner/x.txt"), "x"}});
        delegate->applicationOpenFile(archive);
        ASSERT_TRUE(waitForCompletion()) << asUrl;
        EXPECT_EQ(readFile(folder + QStringLiteral("/inner/x.txt")), QByteArray("x")) << asUrl;
        EXPECT_TRUE(seam.revealed.isEmpty());
    }
}

TEST_F(ExpansionTest, MovesTheResultToTheTrashWhenAskedTo)
{
    setPreference(keys::ActionAfterExpanding, QStringLiteral("1"));
    relaunch();
    const QString archive = makeArchive(QStringLiteral("t.zip"), {{QStringLiteral("result/f.txt"), "f"}});
    delegate->applicationOpenFile(archive);
    ASSERT_TRUE(waitForCompletion());
    EXPECT_FALSE(QFileInfo::exists(work() + QStringLiteral("/result")));
    EXPECT_EQ(trashedNames(mHome), QStringList {QStringLiteral("result")});
    EXPECT_TRUE(QFileInfo::exists(archive));
}

struct ReplaceCase {
    const char* name;
    bool customFolder;
    bool withName;
    int answer;
    bool windowVisible;
};

class ReplacePrompt : public ExpansionTest, public testing::WithParamInterface<ReplaceCase> { };

TEST_P(ReplacePrompt, AsksBeforeReplacingAndEndsAsTheAnswerSays)
{
    const ReplaceCase& c = GetParam();
    useFakeTool(fakeTool(c.withName));
    QTemporaryDir custom;
    if (c.customFolder) {
        setPreference(keys::IsUsedCustomFolder, QStringLiteral("1"));
        setPreference(keys::CustomFolder, custom.path());
        relaunch();
    }
    const QString archive = work() + QStringLiteral("/arch.zip");
    writeFile(archive, "not read by the fake tool");
    // The item in the way: beside the archive it is the archive's name less its extension;
    // in a custom folder it is the expected result itself.
    const QString tested = !c.customFolder ? work() + QStringLiteral("/arch")
        : c.withName                       ? custom.path() + QStringLiteral("/top")
                                           : custom.path() + QStringLiteral("/arch");
    writeFile(tested + QStringLiteral("/old.txt"), "old");
    if (c.windowVisible)
        delegate->mMainWindow()->show();
    seam.alertAnswers = {c.answer};

    delegate->applicationOpenFile(archive);

    ASSERT_EQ(seam.alerts.size(), 1);
    EXPECT_EQ(seam.alerts[0].messageText, QStringLiteral("An item named \"%1\" already exists.").arg(tested));
    EXPECT_EQ(seam.alerts[0].informativeText, QStringLiteral("Do you want to replace it with the one you\u2019re extracting?"));
    EXPECT_EQ(seam.alerts[0].buttons, (QStringList {QStringLiteral("OK"), QStringLiteral("Cancel")}));
    EXPECT_EQ(seam.alerts[0].style, AlertStyle::Warning);

    if (c.answer == kAlertFirstButtonReturn) {
        EXPECT_EQ(trashedNames(mHome).size(), 1);
        EXPECT_FALSE(QFileInfo::exists(tested + QStringLiteral("/old.txt")));
        ASSERT_TRUE(waitForCompletion());
        EXPECT_EQ(seam.terminateCount, 1);
    } else {
        EXPECT_TRUE(QFileInfo::exists(tested + QStringLiteral("/old.txt")));
        EXPECT_TRUE(trashedNames(mHome).isEmpty());
        EXPECT_EQ(delegate->mExtractTimer(), nullptr);
        const int terminations = c.windowVisible || c.customFolder ? 0 : 1;
        EXPECT_EQ(seam.terminateCount, terminations);
        EXPECT_EQ(seam.exitStatuses, c.customFolder && !c.windowVisible ? QList<int> {1} : QList<int> {});
    }
}

INSTANTIATE_TEST_SUITE_P(FourPlans, ReplacePrompt,
    testing::Values(ReplaceCase {"BesideNameOk", false, true, kAlertFirstButtonReturn, false},
        ReplaceCase {"BesideNameCancel", false, true, kAlertSecondButtonReturn, false},
        ReplaceCase {"BesideNameCancelWindow", false, true, kAlertSecondButtonReturn, true},
        ReplaceCase {"BesideNoNameOk", false, false, kAlertFirstButtonReturn, false},
        ReplaceCase {"BesideNoNameCancel", false, false, kAlertSecondButtonReturn, false},
        ReplaceCase {"CustomNameOk", true, true, kAlertFirstButtonReturn, false},
        ReplaceCase {"CustomNameCancel", true, true, kAlertSecondButtonReturn, false},
        ReplaceCase {"CustomNameCancelWindow", true, true, kAlertSecondButtonReturn, true},
        ReplaceCase {"CustomNoNameOk", true, false, kAlertFirstButtonReturn, false},
        ReplaceCase {"CustomNoNameCancel", true, false, kAlertSecondButtonReturn, false}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

TEST_F(ExpansionTest, NeverOffersTheArchiveItselfForReplacing)
{
    // An archive without an extension, expanded beside itself, whose listing names no folder.
    useFakeTool(R"(case "$1" in
l) printf 'Path = %s\n\nPath = archive' "$2" ;;
x) exit 0 ;;
esac
)");
    setPreference(keys::ActionAfterExpanding, QStringLiteral("1"));
    relaunch();
    const QString archive = work() + QStringLiteral("/archive");
    writeFile(archive, "the user's archive");
    delegate->applicationOpenFile(archive);
    ASSERT_TRUE(waitForCompletion());
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_EQ(readFile(archive), QByteArray("the user's archive"));
    EXPECT_TRUE(trashedNames(mHome).isEmpty());
}

TEST_F(ExpansionTest, TurnsAwayAnArchiveWhileOneIsExtracted)
{
    useFakeTool(R"(case "$1" in
l) printf 'Path = %s\n\nPath = slow/f\n' "$2" ;;
x) exec sleep 30 ;;
esac
)");
    const QString first = work() + QStringLiteral("/first.zip");
    const QString second = work() + QStringLiteral("/second.zip");
    writeFile(first, "1");
    writeFile(second, "2");
    delegate->applicationOpenFile(first);
    ASSERT_NE(delegate->mExtractTimer(), nullptr);
    const QStringList argumentsOfTheRun = delegate->mArgs();

    EXPECT_TRUE(delegate->applicationOpenFile(second));
    ASSERT_EQ(seam.alerts.size(), 1);
    EXPECT_EQ(seam.alerts[0].messageText, QStringLiteral("Quendle."));
    EXPECT_EQ(seam.alerts[0].informativeText,
        QStringLiteral("Quendle extracts some archive. Please, wait for end of the operation and try again."));
    EXPECT_EQ(seam.alerts[0].buttons, QStringList {QStringLiteral("OK")});
    EXPECT_EQ(delegate->mArgs(), argumentsOfTheRun);
    EXPECT_EQ(delegate->whatToShow(), work() + QStringLiteral("/slow"));
    // Nothing of the request under way changes, not even the password window's prompt.
    EXPECT_EQ(passwordWindow()->findChild<QLabel*>(QStringLiteral("mTopTextOnPasswordWindow"))->text(),
        QStringLiteral("Type in password for first.zip"));

    delegate->stopExtract();
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(seam.alerts.size(), 1); // a stop is not a failure
    EXPECT_EQ(seam.terminateCount, 1);
}

TEST_F(ExpansionTest, SaysSoWhenTheArchiverCannotStart)
{
    for (const bool customFolder : {false, true}) {
        useMissingTool();
        setPreference(keys::IsUsedCustomFolder, customFolder ? QStringLiteral("1") : QStringLiteral("0"));
        relaunch();
        seam = ScriptedSeam();
        const QString archive = work() + QStringLiteral("/a.zip");
        writeFile(archive, "a");
        delegate->applicationOpenFile(archive);
        ASSERT_EQ(seam.alerts.size(), 1);
        EXPECT_EQ(seam.alerts[0].messageText, QStringLiteral("Cannot Start the Archiver."));
        EXPECT_TRUE(seam.alerts[0].informativeText.contains(QStringLiteral("/.utility/7z")));
        EXPECT_EQ(seam.alerts[0].buttons, QStringList {QStringLiteral("OK")});
        EXPECT_EQ(delegate->mExtractTimer(), nullptr);
        // Nothing was expanded: the process ends with the failure's status in both cases.
        EXPECT_EQ(seam.terminateCount, 1);
        EXPECT_EQ(seam.terminateStatus, kExitExpansionFailed);
        EXPECT_EQ(seam.exitStatuses, QList<int> {});
    }
}

} // namespace
} // namespace quendle::test
