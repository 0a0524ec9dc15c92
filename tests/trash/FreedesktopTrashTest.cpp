// Move to Trash into the freedesktop.org Trash, on real folders, checked with gio.
#include "trash/FileManager.h"
#include "trash/TrashNames.h"
#include "trash/TrashTestSupport.h"

#include "support/ScriptedSeam.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace quendle {
namespace {

using test::exists;

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class FreedesktopTrash : public ::testing::Test {
protected:
    TrashSetting setting() const
    {
        TrashSetting setting;
        setting.layout = TrashLayout::Freedesktop;
        setting.now = [] { return test::fixedDeletionTime(); };
        return setting;
    }
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(work)); }

    QByteArray record(const QString& name) const
    {
        return test::readFile(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
    }
    QByteArray expectedRecord(const QByteArray& encodedPath) const
    {
        return "[Trash Info]\nPath=" + encodedPath + "\nDeletionDate=2026-03-14T14:05:09\n";
    }
    // The desktop sees `count` items in the Trash that came from `original`.
    void expectGioLists(const QString& original, int count = 1)
    {
        QString error;
        const auto entries = test::gioTrashList(&error);
        ASSERT_TRUE(entries) << "gio trash --list failed: " << error.toStdString();
        const QByteArray wanted = test::gioEscaped(QFile::encodeName(original));
        int found = 0;
        for (const test::GioTrashEntry& entry : *entries) {
            if (entry.originalPath == wanted) {
                EXPECT_TRUE(entry.uri.startsWith("trash:///")) << entry.uri.constData();
                ++found;
            }
        }
        EXPECT_EQ(found, count) << "no line for " << wanted.constData();
    }
    void expectNoMessages()
    {
        EXPECT_TRUE(seam.alerts.isEmpty());
        EXPECT_TRUE(seam.panels.isEmpty());
        EXPECT_TRUE(seam.logLines.isEmpty());
    }

    test::TemporaryHome env;
    test::ScriptedSeam seam;
    const QString work = env.root() + QStringLiteral("/work");
    const QString trash = env.dataHome() + QStringLiteral("/Trash");
    FileManager manager {seam, setting()};
};

enum class Kind { File, Folder, LinkToFile, LinkToFolder, DanglingLink };

struct ItemCase {
    const char* label;
    const char* name;
    const char* encodedName; // as Path= must end
    Kind kind;
};
void PrintTo(const ItemCase& c, std::ostream* os) { *os << c.label; }


class FreedesktopTrashItem : public FreedesktopTrash, public ::testing::WithParamInterface<ItemCase> {};

TEST_P(FreedesktopTrashItem, MovesTheItemAndRecordsWhereItCameFrom)
{
    const ItemCase& item = GetParam();
    const QString name = QString::fromUtf8(item.name);
    const QString path = work + u'/' + name;
    const QString target = work + QStringLiteral("/target");
    switch (item.kind) {
    case Kind::File:
        test::writeFile(path, "contents");
        break;
    case Kind::Folder:
        test::writeFile(path + QStringLiteral("/inner/file.txt"), "inside");
        break;
    case Kind::LinkToFile:
        test::writeFile(target, "target");
        ASSERT_TRUE(test::makeLink(target, path));
        break;
    case Kind::LinkToFolder:
        test::writeFile(target + QStringLiteral("/kept.txt"), "kept");
        ASSERT_TRUE(test::makeLink(target, path));
        break;
    case Kind::DanglingLink:
        ASSERT_TRUE(test::makeLink(work + QStringLiteral("/nowhere"), path));
        break;
    }

    ASSERT_TRUE(manager.trashPath(path, false));

    expectNoMessages();
    EXPECT_FALSE(exists(path));
    const QString trashed = trash + QStringLiteral("/files/") + name;
    switch (item.kind) {
    case Kind::File:
        EXPECT_EQ(test::readFile(trashed), QByteArray("contents"));
        break;
    case Kind::Folder:
        EXPECT_EQ(test::readFile(trashed + QStringLiteral("/inner/file.txt")), QByteArray("inside"));
        break;
    case Kind::LinkToFile:
    case Kind::LinkToFolder:
    case Kind::DanglingLink:
        // The link itself went; what it points at stays where it was.
        EXPECT_TRUE(test::isLink(trashed));
        EXPECT_EQ(test::linkTarget(trashed), item.kind == Kind::DanglingLink ? work + QStringLiteral("/nowhere") : target);
        break;
    }
    if (item.kind == Kind::LinkToFile) {
        EXPECT_EQ(test::readFile(target), QByteArray("target"));
    }
    if (item.kind == Kind::LinkToFolder) {
        EXPECT_EQ(test::readFile(target + QStringLiteral("/kept.txt")), QByteArray("kept"));
    }
    EXPECT_EQ(record(name), expectedRecord(trash::percentEncodePath(QFile::encodeName(work + u'/')) + item.encodedName));

    if (const QString why = test::gioUnavailableReason(); !why.isEmpty()) {
        GTEST_SKIP() << "the desktop's view is not checked, " << why.toStdString();
    }
    expectGioLists(path);
}

INSTANTIATE_TEST_SUITE_P(Items, FreedesktopTrashItem,
    ::testing::Values(ItemCase {"File", "notes.txt", "notes.txt", Kind::File},
        ItemCase {"Folder", "Photos", "Photos", Kind::Folder},
        ItemCase {"LinkToFile", "link", "link", Kind::LinkToFile},
        ItemCase {"LinkToFolder", "folder link", "folder%20link", Kind::LinkToFolder},
        ItemCase {"DanglingLink", "dangling", "dangling", Kind::DanglingLink},
        ItemCase {"Spaces", "with  two spaces.txt", "with%20%20two%20spaces.txt", Kind::File},
        ItemCase {"Percent", "100% sure%41.txt", "100%25%20sure%2541.txt", Kind::File},
        ItemCase {"LineBreak", "line\nbreak.txt", "line%0Abreak.txt", Kind::File},
        ItemCase {"NonAscii", "Ünïcødé 日本.txt", "%C3%9Cn%C3%AFc%C3%B8d%C3%A9%20%E6%97%A5%E6%9C%AC.txt", Kind::File},
        ItemCase {"Backslash", "back\\slash [1].txt", "back%5Cslash%20%5B1%5D.txt", Kind::File}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(FreedesktopTrash, TheDesktopCanPutTheItemBack)
{
    if (const QString why = test::gioUnavailableReason(); !why.isEmpty()) {
        GTEST_SKIP() << why.toStdString();
    }
    const QString path = work + QStringLiteral("/sub folder/100% sure.txt");
    test::writeFile(path, "back");
    ASSERT_TRUE(manager.trashPath(path, false));
    ASSERT_FALSE(exists(path));
    QDir(work).removeRecursively();

    QString error;
    const auto entries = test::gioTrashList(&error);
    ASSERT_TRUE(entries) << error.toStdString();
    const auto entry = std::find_if(entries->begin(), entries->end(),
        [&](const test::GioTrashEntry& e) { return e.originalPath == QFile::encodeName(path); });
    ASSERT_NE(entry, entries->end());
    ASSERT_TRUE(test::gioRestore(entry->uri, &error)) << error.toStdString();
    EXPECT_EQ(test::readFile(path), QByteArray("back"));
    EXPECT_EQ(QDir(trash + QStringLiteral("/info")).count() - 2, 0u);
}

TEST_F(FreedesktopTrash, CollisionGetsTheTimeStampedNameOnceThenFails)
{
    const QString path = work + QStringLiteral("/report.tar.gz");
    test::writeFile(path, "first");
    ASSERT_TRUE(manager.trashPath(path, false));
    test::writeFile(path, "second");
    ASSERT_TRUE(manager.trashPath(path, false));
    expectNoMessages();
    const QString stamped = QStringLiteral("report.tar 14-05-09.gz");
    EXPECT_EQ(test::readFile(trash + QStringLiteral("/files/report.tar.gz")), QByteArray("first"));
    EXPECT_EQ(test::readFile(trash + QStringLiteral("/files/") + stamped), QByteArray("second"));
    EXPECT_EQ(record(stamped), record(QStringLiteral("report.tar.gz")));

    // A third one within the same second finds the stamped name taken too.
    test::writeFile(path, "third");
    EXPECT_FALSE(manager.trashPath(path, true));
    ASSERT_EQ(seam.alerts.size(), 1);
    EXPECT_EQ(seam.alerts[0].messageText, QStringLiteral("Cannot Trash Source Files."));
    EXPECT_EQ(seam.alerts[0].informativeText, errorText(EEXIST));
    EXPECT_EQ(seam.alerts[0].buttons, QStringList {QStringLiteral("OK")});
    EXPECT_EQ(seam.alerts[0].style, AlertStyle::Warning);
    EXPECT_TRUE(seam.panels.isEmpty());
    EXPECT_EQ(test::readFile(path), QByteArray("third"));
    EXPECT_EQ(QDir(trash + QStringLiteral("/files")).count() - 2, 2u);
    EXPECT_EQ(QDir(trash + QStringLiteral("/info")).count() - 2, 2u);

    if (const QString why = test::gioUnavailableReason(); !why.isEmpty()) {
        GTEST_SKIP() << "the desktop's view is not checked, " << why.toStdString();
    }
    expectGioLists(path, 2);
}

TEST_F(FreedesktopTrash, ANameIsTakenByAnItemOrByARecordAlone)
{
    const QString path = work + QStringLiteral("/notes.txt");
    // A record left without its item, and an item without its record.
    test::writeFile(trash + QStringLiteral("/info/notes.txt.trashinfo"), "[Trash Info]\nPath=/elsewhere\n");
    test::writeFile(trash + QStringLiteral("/files/Photos/old.jpg"), "old");
    test::writeFile(path, "notes");
    test::writeFile(work + QStringLiteral("/Photos/new.jpg"), "new");

    ASSERT_TRUE(manager.trashPath(path, false));
    ASSERT_TRUE(manager.trashPath(work + QStringLiteral("/Photos"), false));
    expectNoMessages();
    EXPECT_EQ(test::readFile(trash + QStringLiteral("/files/notes 14-05-09.txt")), QByteArray("notes"));
    EXPECT_EQ(test::readFile(trash + QStringLiteral("/info/notes.txt.trashinfo")), QByteArray("[Trash Info]\nPath=/elsewhere\n"));
    EXPECT_EQ(test::readFile(trash + QStringLiteral("/files/Photos 14-05-09/new.jpg")), QByteArray("new"));
    EXPECT_EQ(test::readFile(trash + QStringLiteral("/files/Photos/old.jpg")), QByteArray("old"));
    EXPECT_FALSE(exists(trash + QStringLiteral("/files/notes.txt")));
}

TEST_F(FreedesktopTrash, AnItemThatNamesNothingIsOnlyLogged)
{
    const QString path = work + QStringLiteral("/missing.txt");
    EXPECT_FALSE(manager.trashPath(path, true));
    EXPECT_EQ(seam.logLines, QStringList {QStringLiteral("don't have the permissions to trash file: ") + path});
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_TRUE(seam.panels.isEmpty());
    EXPECT_FALSE(exists(trash));
}

TEST_F(FreedesktopTrash, MissingHomeTrashIsCreatedForTheOwnerOnly)
{
    ASSERT_FALSE(exists(trash));
    const QString path = work + QStringLiteral("/a.txt");
    test::writeFile(path, "a");
    ASSERT_TRUE(manager.trashPath(path, false));
    expectNoMessages();
    for (const QString& folder : {trash, trash + QStringLiteral("/files"), trash + QStringLiteral("/info")})
        EXPECT_EQ(test::permissions(folder), 0700u) << folder.toStdString();
    EXPECT_EQ(test::permissions(trash + QStringLiteral("/info/a.txt.trashinfo")), 0600u);
    EXPECT_TRUE(exists(trash + QStringLiteral("/files/a.txt")));
}

TEST_F(FreedesktopTrash, WithoutXdgDataHomeTheTrashIsUnderDotLocalShare)
{
    qunsetenv("XDG_DATA_HOME"); // put back by the temporary home
    const QString path = work + QStringLiteral("/a.txt");
    test::writeFile(path, "a");
    ASSERT_TRUE(manager.trashPath(path, false));
    expectNoMessages();
    const QString homeTrash = env.home() + QStringLiteral("/.local/share/Trash");
    EXPECT_TRUE(exists(homeTrash + QStringLiteral("/files/a.txt")));
    EXPECT_TRUE(exists(homeTrash + QStringLiteral("/info/a.txt.trashinfo")));
    EXPECT_EQ(test::permissions(env.home() + QStringLiteral("/.local")), 0700u);
    EXPECT_FALSE(exists(trash));

    if (const QString why = test::gioUnavailableReason(); !why.isEmpty()) {
        GTEST_SKIP() << "the desktop's view is not checked, " << why.toStdString();
    }
    expectGioLists(path);
}

TEST_F(FreedesktopTrash, AFailedMoveLeavesNoRecordBehind)
{
    // The data folder holds the Trash: it cannot move into itself.
    const QString dataHome = env.dataHome();
    test::writeFile(dataHome + QStringLiteral("/keep.txt"), "keep");
    EXPECT_FALSE(manager.trashPath(dataHome, false));
    ASSERT_EQ(seam.alerts.size(), 1);
    EXPECT_EQ(seam.alerts[0].messageText, QStringLiteral("Cannot Trash Source Files."));
    EXPECT_EQ(seam.alerts[0].informativeText, errorText(EINVAL));
    EXPECT_EQ(test::readFile(dataHome + QStringLiteral("/keep.txt")), QByteArray("keep"));
    EXPECT_EQ(QDir(trash + QStringLiteral("/info")).count() - 2, 0u);
    EXPECT_EQ(QDir(trash + QStringLiteral("/files")).count() - 2, 0u);
}

TEST_F(FreedesktopTrash, ATrashThatCannotBeMadeIsReported)
{
    // A file where the Trash folder should be.
    test::writeFile(trash, "not a folder");
    const QString path = work + QStringLiteral("/a.txt");
    test::writeFile(path, "a");
    EXPECT_FALSE(manager.trashPath(path, true));
    ASSERT_EQ(seam.alerts.size(), 1);
    EXPECT_EQ(seam.alerts[0].informativeText, errorText(ENOTDIR));
    EXPECT_TRUE(seam.panels.isEmpty());
    EXPECT_EQ(test::readFile(path), QByteArray("a"));
}

// Items on another file system than the home Trash. The volume's top folder is a folder of the
// temporary home that the test declares to be one; moves inside it stay real renames.
class FreedesktopVolumeTrash : public FreedesktopTrash {
protected:
    TrashSetting volumeSetting() const
    {
        TrashSetting setting = this->setting();
        const QString top = volume;
        setting.mountPointOf = [top](const QString& folder) {
            return folder == top || folder.startsWith(top + u'/') ? top : QStringLiteral("/");
        };
        return setting;
    }
    void SetUp() override
    {
        FreedesktopTrash::SetUp();
        test::writeFile(item, "on the volume");
    }

    const QString volume = QFileInfo(env.root()).canonicalFilePath() + QStringLiteral("/volume");
    const QString item = volume + QStringLiteral("/dir/a b.txt");
    const QString uid = QString::number(::getuid());
    FileManager volumeManager {seam, volumeSetting()};
};

struct VolumeCase {
    const char* label;
    void (*prepare)(const QString& volume);
    const char* trashFolder; // below the volume, %1 standing for the user id
    bool madeHere; // the Trash folder is made by the move, for the user alone
};
void PrintTo(const VolumeCase& c, std::ostream* os) { *os << c.label; }


class FreedesktopVolumeTrashFolder : public FreedesktopVolumeTrash, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(FreedesktopVolumeTrashFolder, RecordsThePathBelowTheVolume)
{
    GetParam().prepare(volume);
    ASSERT_TRUE(volumeManager.trashPath(item, false));
    expectNoMessages();
    const QString folder = volume + u'/' + QString::fromLatin1(GetParam().trashFolder).arg(uid);
    EXPECT_EQ(test::readFile(folder + QStringLiteral("/files/a b.txt")), QByteArray("on the volume"));
    EXPECT_EQ(test::readFile(folder + QStringLiteral("/info/a b.txt.trashinfo")), expectedRecord("dir/a%20b.txt"));
    if (GetParam().madeHere) {
        EXPECT_EQ(test::permissions(folder), 0700u);
    }
    EXPECT_FALSE(exists(trash)) << "nothing goes to the home Trash";
}

void makeSharedTrash(const QString& volume, unsigned mode)
{
    QDir().mkpath(volume + QStringLiteral("/.Trash"));
    ::chmod(QFile::encodeName(volume + QStringLiteral("/.Trash")).constData(), mode);
}

INSTANTIATE_TEST_SUITE_P(Folders, FreedesktopVolumeTrashFolder,
    ::testing::Values(VolumeCase {"NoSharedTrash", [](const QString&) {}, ".Trash-%1", true},
        VolumeCase {"StickySharedTrash", [](const QString& v) { makeSharedTrash(v, 01777); }, ".Trash/%1", true},
        VolumeCase {"SharedTrashWithoutStickyBit", [](const QString& v) { makeSharedTrash(v, 0777); }, ".Trash-%1", true},
        VolumeCase {"SharedTrashIsALink",
            [](const QString& v) {
                makeSharedTrash(v + QStringLiteral("/elsewhere"), 01777);
                test::makeLink(v + QStringLiteral("/elsewhere/.Trash"), v + QStringLiteral("/.Trash"));
            },
            ".Trash-%1", true},
        VolumeCase {"OwnTrashAlreadyThere",
            [](const QString& v) { QDir().mkpath(v + QStringLiteral("/.Trash-") + QString::number(::getuid()) + QStringLiteral("/files")); },
            ".Trash-%1", false}),
    [](const auto& info) { return std::string(info.param.label); });

struct UnusableCase {
    const char* label;
    void (*prepare)(const QString& volume, const QString& uid);
    bool needsRoot;
};
void PrintTo(const UnusableCase& c, std::ostream* os) { *os << c.label; }


class FreedesktopVolumeWithoutTrash : public FreedesktopVolumeTrash, public ::testing::WithParamInterface<UnusableCase> {
protected:
    void SetUp() override
    {
        FreedesktopVolumeTrash::SetUp();
        if (GetParam().needsRoot && ::geteuid() != 0)
            GTEST_SKIP() << "only the superuser can give a folder to someone else";
        GetParam().prepare(volume, uid);
    }
};

TEST_P(FreedesktopVolumeWithoutTrash, GivesUpQuietlyWithoutAlerts)
{
    EXPECT_FALSE(volumeManager.trashPath(item, false));
    expectNoMessages();
    EXPECT_EQ(test::readFile(item), QByteArray("on the volume"));
    EXPECT_FALSE(exists(trash));
}

TEST_P(FreedesktopVolumeWithoutTrash, AsksBeforeDeletingAndKeepsTheItemOnNo)
{
    seam.panelAnswers = {kPanelAlternateReturn};
    EXPECT_FALSE(volumeManager.trashPath(item, true));
    ASSERT_EQ(seam.panels.size(), 1);
    EXPECT_EQ(seam.panels[0].title, QStringLiteral("Warning"));
    EXPECT_EQ(seam.panels[0].message,
        QStringLiteral("The file \"a b.txt\" will be deleted immediately.\nAre you sure you want to continue?"));
    EXPECT_EQ(seam.panels[0].defaultButton, QStringLiteral("Yes"));
    EXPECT_EQ(seam.panels[0].alternateButton, QStringLiteral("No"));
    EXPECT_EQ(seam.panels[0].style, AlertStyle::Critical);
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_EQ(test::readFile(item), QByteArray("on the volume"));
}

TEST_P(FreedesktopVolumeWithoutTrash, DeletesTheWholeFolderOnYes)
{
    seam.panelAnswers = {kPanelDefaultReturn};
    const QString folder = volume + QStringLiteral("/dir");
    EXPECT_TRUE(volumeManager.trashPath(folder, true));
    EXPECT_EQ(seam.panels.size(), 1);
    EXPECT_FALSE(exists(folder));
    EXPECT_TRUE(seam.alerts.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Volumes, FreedesktopVolumeWithoutTrash,
    ::testing::Values(UnusableCase {"OwnTrashIsAFile",
                          [](const QString& v, const QString& uid) { test::writeFile(v + QStringLiteral("/.Trash-") + uid, "file"); }, false},
        UnusableCase {"OwnTrashIsALink",
            [](const QString& v, const QString& uid) {
                QDir().mkpath(v + QStringLiteral("/mine"));
                test::makeLink(v + QStringLiteral("/mine"), v + QStringLiteral("/.Trash-") + uid);
            },
            false},
        UnusableCase {"OwnTrashBelongsToSomeoneElse",
            [](const QString& v, const QString& uid) {
                const QByteArray path = QFile::encodeName(v + QStringLiteral("/.Trash-") + uid);
                ::mkdir(path.constData(), 0700);
                ASSERT_EQ(::chown(path.constData(), 65534, 65534), 0);
            },
            true},
        UnusableCase {"SharedAndOwnTrashBothUnusable",
            [](const QString& v, const QString& uid) {
                makeSharedTrash(v, 01777);
                test::writeFile(v + QStringLiteral("/.Trash/") + uid, "file");
                test::writeFile(v + QStringLiteral("/.Trash-") + uid, "file");
            },
            false}),
    [](const auto& info) { return std::string(info.param.label); });

// A real second file system, when the machine has one we may write to: the move must stay on it.
TEST_F(FreedesktopTrash, AnItemOnAnotherFileSystemGoesToThatVolumesTrash)
{
    const QString top = QStringLiteral("/dev/shm");
    struct stat topStat, homeStat;
    if (::stat("/dev/shm", &topStat) != 0 || ::access("/dev/shm", W_OK) != 0
        || ::stat(QFile::encodeName(env.root()).constData(), &homeStat) != 0 || topStat.st_dev == homeStat.st_dev)
        GTEST_SKIP() << "/dev/shm is not a writable file system of its own here";
    if (mountPointOf(top) != top)
        GTEST_SKIP() << "/dev/shm is not the top of its file system here";

    QTemporaryDir onVolume(top + QStringLiteral("/quendle-trash-XXXXXX"));
    ASSERT_TRUE(onVolume.isValid());
    const QString ownTrash = top + QStringLiteral("/.Trash-") + QString::number(::getuid());
    const bool hadOwnTrash = exists(ownTrash);
    const QString name = QFileInfo(onVolume.path()).fileName() + QStringLiteral(".txt");
    const QString path = onVolume.path() + u'/' + name;
    test::writeFile(path, "shm");

    const bool moved = manager.trashPath(path, false);
    const QByteArray trashed = test::readFile(ownTrash + QStringLiteral("/files/") + name);
    const QByteArray info = test::readFile(ownTrash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
    // Leave the shared folder as it was found.
    QFile::remove(ownTrash + QStringLiteral("/files/") + name);
    QFile::remove(ownTrash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
    if (!hadOwnTrash)
        QDir(ownTrash).removeRecursively();

    EXPECT_TRUE(moved);
    expectNoMessages();
    EXPECT_EQ(trashed, QByteArray("shm"));
    EXPECT_EQ(info, expectedRecord(trash::percentEncodePath(QFile::encodeName(path.mid(top.size() + 1)))));
    EXPECT_FALSE(exists(trash)) << "nothing goes to the home Trash";
}

} // namespace
} // namespace quendle
