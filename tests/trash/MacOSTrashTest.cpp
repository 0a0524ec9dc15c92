// Move to Trash into the macOS Trash folders, rebuilt inside a temporary folder for user 501.
#include "trash/FileManager.h"
#include "trash/TrashTestSupport.h"

#include "support/ScriptedSeam.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace quendle {
namespace {

using test::exists;

class MacOSTrash : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mRoot.isValid());
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.Trash")));
    }
    bool trash(const QString& path, bool showAlerts, const QString& homeFolder = {})
    {
        TrashSetting setting;
        setting.layout = TrashLayout::MacOS;
        setting.homePath = homeFolder.isEmpty() ? home : homeFolder;
        setting.volumesRoot = volumes;
        setting.userId = 501;
        setting.now = [] { return test::fixedDeletionTime(); };
        return FileManager(seam, setting).trashPath(path, showAlerts);
    }
    QString volumeTrash(const QString& volume) const
    {
        return volumes + u'/' + volume + QStringLiteral("/.Trashes/501");
    }
    void expectNoMessages()
    {
        EXPECT_TRUE(seam.alerts.isEmpty());
        EXPECT_TRUE(seam.panels.isEmpty());
        EXPECT_TRUE(seam.logLines.isEmpty());
    }
    void expectMoveFailure(int error)
    {
        ASSERT_EQ(seam.alerts.size(), 1);
        EXPECT_EQ(seam.alerts[0].messageText, QStringLiteral("Cannot Trash Source Files."));
        EXPECT_EQ(seam.alerts[0].informativeText, QString::fromLocal8Bit(std::strerror(error)));
        EXPECT_EQ(seam.alerts[0].buttons, QStringList {QStringLiteral("OK")});
        EXPECT_EQ(seam.alerts[0].style, AlertStyle::Warning);
        EXPECT_TRUE(seam.panels.isEmpty());
    }

    QTemporaryDir mRoot;
    const QString root = QFileInfo(mRoot.path()).canonicalFilePath();
    const QString volumes = root + QStringLiteral("/Volumes");
    const QString home = root + QStringLiteral("/Users/me");
    const QString homeTrash = home + QStringLiteral("/.Trash");
    test::ScriptedSeam seam;
};

TEST_F(MacOSTrash, AnItemOnAVolumeGoesToTheUsersFolderInItsTrashes)
{
    const QString item = volumes + QStringLiteral("/Backup/a.txt");
    test::writeFile(item, "a");
    QDir().mkpath(volumeTrash(QStringLiteral("Backup")));
    EXPECT_TRUE(trash(item, false));
    expectNoMessages();
    EXPECT_FALSE(exists(item));
    EXPECT_EQ(test::readFile(volumeTrash(QStringLiteral("Backup")) + QStringLiteral("/a.txt")), QByteArray("a"));
}

// The volume has no Trash folder for user 501: nothing there, or a plain file in its place.
class MacOSVolumeWithoutTrash : public MacOSTrash, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        MacOSTrash::SetUp();
        test::writeFile(item, "a");
        if (GetParam())
            test::writeFile(volumeTrash(QStringLiteral("Backup")), "not a folder");
    }
    const QString item = volumes + QStringLiteral("/Backup/a.txt");
};

TEST_P(MacOSVolumeWithoutTrash, GivesUpQuietlyWhenAlertsAreOff)
{
    EXPECT_FALSE(trash(item, false));
    expectNoMessages();
    EXPECT_EQ(test::readFile(item), QByteArray("a"));
}

TEST_P(MacOSVolumeWithoutTrash, AsksAndKeepsTheItemOnNo)
{
    seam.panelAnswers = {kPanelAlternateReturn};
    EXPECT_FALSE(trash(item, true));
    ASSERT_EQ(seam.panels.size(), 1);
    EXPECT_EQ(seam.panels[0].title, QStringLiteral("Warning"));
    EXPECT_EQ(seam.panels[0].message,
        QStringLiteral("The file \"a.txt\" will be deleted immediately.\nAre you sure you want to continue?"));
    EXPECT_EQ(seam.panels[0].defaultButton, QStringLiteral("Yes"));
    EXPECT_EQ(seam.panels[0].alternateButton, QStringLiteral("No"));
    EXPECT_EQ(seam.panels[0].style, AlertStyle::Critical);
    EXPECT_EQ(test::readFile(item), QByteArray("a"));
}

TEST_P(MacOSVolumeWithoutTrash, DeletesOnYes)
{
    seam.panelAnswers = {kPanelDefaultReturn};
    EXPECT_TRUE(trash(item, true));
    EXPECT_EQ(seam.panels.size(), 1);
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_FALSE(exists(item));
}

INSTANTIATE_TEST_SUITE_P(Volumes, MacOSVolumeWithoutTrash, ::testing::Values(false, true),
    [](const auto& info) { return info.param ? std::string("PlainFileInItsPlace") : std::string("Missing"); });

TEST_F(MacOSTrash, ItemsOutsideTheVolumesGoToTheHomeTrash)
{
    // The volume test is case-sensitive: "volumes" is just another folder.
    const QString outside = root + QStringLiteral("/tmp/file");
    const QString lowerCase = root + QStringLiteral("/volumes/Backup/b.txt");
    test::writeFile(outside, "outside");
    test::writeFile(lowerCase, "lower");
    QDir().mkpath(root + QStringLiteral("/volumes/Backup/.Trashes/501"));
    EXPECT_TRUE(trash(outside, false));
    EXPECT_TRUE(trash(lowerCase, true));
    expectNoMessages();
    EXPECT_EQ(test::readFile(homeTrash + QStringLiteral("/file")), QByteArray("outside"));
    EXPECT_EQ(test::readFile(homeTrash + QStringLiteral("/b.txt")), QByteArray("lower"));
}

class MacOSHomeOnAVolume : public MacOSTrash {
protected:
    void SetUp() override
    {
        MacOSTrash::SetUp();
        QDir().mkpath(volumeHome + QStringLiteral("/.Trash"));
    }
    const QString volumeHome = volumes + QStringLiteral("/Data/Users/me");
};

TEST_F(MacOSHomeOnAVolume, ItemsInsideTheHomeGoToTheHomeTrash)
{
    QDir().mkpath(volumeTrash(QStringLiteral("Data")));
    test::writeFile(volumeHome + QStringLiteral("/x"), "x");
    EXPECT_TRUE(trash(volumeHome + QStringLiteral("/x"), false, volumeHome));
    expectNoMessages();
    EXPECT_EQ(test::readFile(volumeHome + QStringLiteral("/.Trash/x")), QByteArray("x"));
}

TEST_F(MacOSHomeOnAVolume, TheHomeIsRecognisedThroughALink)
{
    QDir().mkpath(volumeTrash(QStringLiteral("Data")));
    const QString linkedHome = root + QStringLiteral("/home-link");
    ASSERT_TRUE(test::makeLink(volumeHome, linkedHome));
    test::writeFile(volumeHome + QStringLiteral("/x"), "x");
    EXPECT_TRUE(trash(volumeHome + QStringLiteral("/x"), false, linkedHome));
    expectNoMessages();
    EXPECT_EQ(test::readFile(volumeHome + QStringLiteral("/.Trash/x")), QByteArray("x"));
}

TEST_F(MacOSHomeOnAVolume, WithoutTheVolumesTrashEvenTheHomeGivesUp)
{
    test::writeFile(volumeHome + QStringLiteral("/x"), "x");
    EXPECT_FALSE(trash(volumeHome + QStringLiteral("/x"), false, volumeHome));
    expectNoMessages();
    EXPECT_EQ(test::readFile(volumeHome + QStringLiteral("/x")), QByteArray("x"));
}

TEST_F(MacOSHomeOnAVolume, TheHomeItselfAndItsLookAlikeSiblingGoToTheVolumesTrash)
{
    QDir().mkpath(volumeTrash(QStringLiteral("Data")));
    const QString sibling = volumes + QStringLiteral("/Data/Users/me2");
    test::writeFile(sibling + QStringLiteral("/y"), "y");
    EXPECT_TRUE(trash(sibling, false, volumeHome));
    EXPECT_TRUE(trash(volumeHome, false, volumeHome));
    expectNoMessages();
    EXPECT_EQ(test::readFile(volumeTrash(QStringLiteral("Data")) + QStringLiteral("/me2/y")), QByteArray("y"));
    EXPECT_TRUE(test::isFolderEntry(volumeTrash(QStringLiteral("Data")) + QStringLiteral("/me/.Trash")));
    EXPECT_FALSE(exists(volumeHome));
}

TEST_F(MacOSTrash, ACollisionGetsTheTimeStampedNameOnceThenFails)
{
    const QString item = root + QStringLiteral("/tmp/notes.txt");
    test::writeFile(homeTrash + QStringLiteral("/notes.txt"), "older");
    test::writeFile(item, "first");
    EXPECT_TRUE(trash(item, false));
    expectNoMessages();
    EXPECT_EQ(test::readFile(homeTrash + QStringLiteral("/notes 14-05-09.txt")), QByteArray("first"));

    test::writeFile(item, "second");
    EXPECT_FALSE(trash(item, false));
    expectMoveFailure(EEXIST);
    EXPECT_EQ(test::readFile(item), QByteArray("second"));
    EXPECT_EQ(test::readFile(homeTrash + QStringLiteral("/notes 14-05-09.txt")), QByteArray("first"));
    EXPECT_EQ(test::readFile(homeTrash + QStringLiteral("/notes.txt")), QByteArray("older"));
}

TEST_F(MacOSTrash, ACollisionInAVolumesTrashKeepsTheLastExtension)
{
    const QString item = volumes + QStringLiteral("/Backup/report.tar.gz");
    test::writeFile(volumeTrash(QStringLiteral("Backup")) + QStringLiteral("/report.tar.gz"), "older");
    test::writeFile(item, "new");
    EXPECT_TRUE(trash(item, false));
    expectNoMessages();
    EXPECT_EQ(test::readFile(volumeTrash(QStringLiteral("Backup")) + QStringLiteral("/report.tar 14-05-09.gz")), QByteArray("new"));
}

TEST_F(MacOSTrash, AMissingHomeTrashMakesTheMoveFail)
{
    QDir(homeTrash).removeRecursively();
    const QString item = root + QStringLiteral("/tmp/Photos/p.jpg");
    test::writeFile(item, "p");
    EXPECT_FALSE(trash(root + QStringLiteral("/tmp/Photos"), false));
    expectMoveFailure(ENOENT);
    EXPECT_EQ(test::readFile(item), QByteArray("p"));
    EXPECT_FALSE(exists(homeTrash));
}

TEST_F(MacOSTrash, AnItemThatNamesNothingIsOnlyLogged)
{
    const QString item = volumes + QStringLiteral("/Backup/gone.txt");
    QDir().mkpath(volumeTrash(QStringLiteral("Backup")));
    EXPECT_FALSE(trash(item, true));
    EXPECT_EQ(seam.logLines, QStringList {QStringLiteral("don't have the permissions to trash file: ") + item});
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_TRUE(seam.panels.isEmpty());
}

TEST_F(MacOSTrash, TheVolumesFolderItselfNamesNoVolume)
{
    test::writeFile(volumes + QStringLiteral("/Backup/a.txt"), "a");
    QDir().mkpath(volumeTrash(QStringLiteral("Backup")));
    EXPECT_FALSE(trash(volumes + u'/', false));
    expectNoMessages();
    EXPECT_TRUE(exists(volumes + QStringLiteral("/Backup/a.txt")));
}

TEST_F(MacOSTrash, ALinkIsTrashedAsTheLink)
{
    const QString target = root + QStringLiteral("/tmp/target");
    const QString link = root + QStringLiteral("/tmp/link");
    test::writeFile(target + QStringLiteral("/t.txt"), "t");
    ASSERT_TRUE(test::makeLink(target, link));
    EXPECT_TRUE(trash(link + u'/', false));
    expectNoMessages();
    EXPECT_TRUE(test::isLink(homeTrash + QStringLiteral("/link")));
    EXPECT_EQ(test::readFile(target + QStringLiteral("/t.txt")), QByteArray("t"));
}

} // namespace
} // namespace quendle
