// Where what Quendle expects and what happens differ, the user's files must not pay: a Trash
// that refuses an item in the way, names 7-Zip writes otherwise than it lists, the folder that
// holds the archive, an empty archive, and failures that must say why. End to end, with the
// real quendle and 7-Zip; each case checks the files on disk.
#include "Hardening.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

using namespace quendle::hardening;
using quendle::test::writeFile;

namespace {

// What one case sets up: the archive to open, and anything to be undone afterwards.
struct Scene {
    QString archive;
    QStringList extraArguments;
    std::vector<std::unique_ptr<Mount>> mounts;
    QString whyNot; // set: the machine cannot stage this case
};

struct LossCase {
    const char* name;
    std::function<void(Sandbox&, Scene&)> stage;
    QStringList answers; // typed on the terminal, one per question
    int exitCode;
    QStringList said;    // each on standard error
    QStringList notSaid;
    std::function<void(const Sandbox&)> check;
};
void PrintTo(const LossCase& c, std::ostream* out) { *out << c.name; }

QString at(const Sandbox& box, const QString& relative) { return box.work() + u'/' + relative; }

void archiveOf(const QString& archive, const Tree& files, const QStringList& switches = {})
{
    QString output;
    ASSERT_TRUE(quendle::test::makeArchive(archive, files, switches, &output)) << output.toStdString();
}

// A small file system of its own below the work folder, or the reason there is none.
QString smallDisk(const Sandbox& box, Scene& scene, const QString& relative, const QString& size)
{
    const QString folder = at(box, relative);
    QDir().mkpath(folder);
    auto mount = std::make_unique<Mount>();
    if (!mount->tmpfs(folder, QStringLiteral("size=") + size, &scene.whyNot))
        return {};
    scene.mounts.push_back(std::move(mount));
    return folder;
}

// Fills a file system to the last byte.
void fill(const QString& folder)
{
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) { }
    filler.close();
}

const QString kNotMoved = QStringLiteral("could not be moved to the Trash.");
const QString kNothingChanged = QStringLiteral("Nothing was extracted, and nothing of yours was changed.");
const QString kAlreadyExists = QStringLiteral("already exists.");

const LossCase kCases[] = {
    {"TrashFullDiskKeepsTheItemInTheWay",
        [](Sandbox& box, Scene& scene) {
            const QString disk = smallDisk(box, scene, QStringLiteral("disk"), QStringLiteral("1m"));
            if (disk.isEmpty())
                return;
            archiveOf(disk + QStringLiteral("/a.zip"), {{QStringLiteral("a/f.txt"), "from the archive"}});
            writeFile(disk + QStringLiteral("/a/f.txt"), "the user's own");
            fill(disk);
            scene.archive = disk + QStringLiteral("/a.zip");
        },
        {QStringLiteral("1"), QStringLiteral("1")}, 2, {kAlreadyExists, kNotMoved, QStringLiteral("No space left on device"), kNothingChanged}, {},
        [](const Sandbox& box) { EXPECT_EQ(readFile(at(box, QStringLiteral("disk/a/f.txt"))), "the user's own"); }},
    {"TrashThatCannotBeMadeOnTheItemsDisk",
        [](Sandbox& box, Scene& scene) {
            const QString disk = smallDisk(box, scene, QStringLiteral("share"), QStringLiteral("4m"));
            if (disk.isEmpty())
                return;
            // The disk's top folder already holds something else under the Trash's name.
            writeFile(disk + QStringLiteral("/.Trash-%1").arg(::getuid()), "not a folder");
            archiveOf(disk + QStringLiteral("/a.zip"), {{QStringLiteral("a/f.txt"), "from the archive"}});
            writeFile(disk + QStringLiteral("/a/f.txt"), "the user's own");
            scene.archive = disk + QStringLiteral("/a.zip");
        },
        {QStringLiteral("1"), QStringLiteral("1")}, 2, {kNotMoved, QStringLiteral("Its disk has no Trash for you"), kNothingChanged}, {},
        [](const Sandbox& box) { EXPECT_EQ(readFile(at(box, QStringLiteral("share/a/f.txt"))), "the user's own"); }},
    {"PackageBesideTheUsersOwnTar",
        [](Sandbox& box, Scene& scene) {
            if (!quendle::test::haveProgram(QStringLiteral("dpkg-deb"))) {
                scene.whyNot = QStringLiteral("dpkg-deb is not installed");
                return;
            }
            const QString tree = at(box, QStringLiteral("pkg"));
            writeFile(tree + QStringLiteral("/DEBIAN/control"),
                "Package: x\nVersion: 1\nArchitecture: all\nMaintainer: A <a@example.org>\nDescription: d\n");
            writeFile(tree + QStringLiteral("/usr/share/doc/x/readme"), "hello\n");
            const quendle::test::ProgramRun built = quendle::test::runProgram(QStringLiteral("dpkg-deb"),
                {QStringLiteral("--root-owner-group"), QStringLiteral("-b"), tree, at(box, QStringLiteral("x.deb"))});
            ASSERT_TRUE(built.ok()) << built.describe().toStdString();
            QDir(tree).removeRecursively();
            writeFile(at(box, QStringLiteral("data.tar")), "the user's own tar");
            scene.archive = at(box, QStringLiteral("x.deb"));
        },
        {}, 0, {}, {kAlreadyExists},
        [](const Sandbox& box) {
            EXPECT_EQ(readFile(at(box, QStringLiteral("data.tar"))), "the user's own tar");
            EXPECT_TRUE(QFileInfo(at(box, QStringLiteral("x"))).isDir());
        }},
    {"SplitSetIntoItsOwnFolderNamedWithoutThePart",
        [](Sandbox& box, Scene& scene) {
            archiveOf(at(box, QStringLiteral("s.7z")), {{QStringLiteral("top/big"), QByteArray(6000, 'b')}, {QStringLiteral("top/f"), "f"}},
                {QStringLiteral("-v2k"), QStringLiteral("-mx0")});
            writeFile(at(box, QStringLiteral("s.7z")), "the user's own s.7z");
            scene.archive = at(box, QStringLiteral("s.7z.001"));
        },
        {}, 0, {}, {kAlreadyExists},
        [](const Sandbox& box) {
            EXPECT_EQ(readFile(at(box, QStringLiteral("s.7z"))), "the user's own s.7z");
            EXPECT_EQ(readFile(at(box, QStringLiteral("s/top/f"))), "f");
        }},
    {"CustomFolderAboveTheArchivesFolder",
        [](Sandbox& box, Scene& scene) {
            archiveOf(at(box, QStringLiteral("dl/photos/photos.zip")), {{QStringLiteral("photos/x.jpg"), "jpeg"}});
            writeFile(at(box, QStringLiteral("dl/photos/neighbour.txt")), "neighbour");
            box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")},
                {QStringLiteral("IsUsedCustomFolder"), QStringLiteral("1")}, {QStringLiteral("CustomFolder"), at(box, QStringLiteral("dl"))}});
            scene.archive = at(box, QStringLiteral("dl/photos/photos.zip"));
        },
        {QStringLiteral("1")}, 0, {}, {kAlreadyExists},
        [](const Sandbox& box) {
            EXPECT_TRUE(QFileInfo::exists(at(box, QStringLiteral("dl/photos/photos.zip"))));
            EXPECT_EQ(readFile(at(box, QStringLiteral("dl/photos/neighbour.txt"))), "neighbour");
            EXPECT_EQ(readFile(at(box, QStringLiteral("dl/photos 2/photos/x.jpg"))), "jpeg");
            EXPECT_EQ(QDir(box.trashFiles()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        }},
    {"EmptyArchiveBesideAFolderOfItsName",
        [](Sandbox& box, Scene& scene) {
            // An end-of-central-directory record alone: a valid zip without entries.
            writeFile(at(box, QStringLiteral("e.zip")), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
            writeFile(at(box, QStringLiteral("e/mine.txt")), "mine");
            scene.archive = at(box, QStringLiteral("e.zip"));
        },
        {QStringLiteral("1")}, 0, {QStringLiteral("\"e.zip\" is empty.")}, {kAlreadyExists},
        [](const Sandbox& box) { EXPECT_EQ(readFile(at(box, QStringLiteral("e/mine.txt"))), "mine"); }},
    {"FullDiskSaysSoAndThatTheResultIsIncomplete",
        [](Sandbox& box, Scene& scene) {
            archiveOf(at(box, QStringLiteral("z.7z")), {{QStringLiteral("z/zeros.bin"), QByteArray(4 << 20, '\0')}, {QStringLiteral("z/after.txt"), "after"}});
            const QString disk = smallDisk(box, scene, QStringLiteral("disk"), QStringLiteral("1m"));
            if (disk.isEmpty())
                return;
            ASSERT_TRUE(QFile::rename(at(box, QStringLiteral("z.7z")), disk + QStringLiteral("/z.7z")));
            scene.archive = disk + QStringLiteral("/z.7z");
        },
        {}, 2, {QStringLiteral("No space left on device"), QStringLiteral("/disk/z\" is incomplete.")}, {QStringLiteral("exited with status")},
        [](const Sandbox&) { }},
    {"ReadOnlyFolderOfALooseZip",
        [](Sandbox& box, Scene& scene) {
            archiveOf(at(box, QStringLiteral("src/loose.zip")), {{QStringLiteral("one"), "1"}, {QStringLiteral("two"), "2"}});
            QDir().mkpath(at(box, QStringLiteral("ro")));
            auto mount = std::make_unique<Mount>();
            if (!mount->bindReadOnly(at(box, QStringLiteral("src")), at(box, QStringLiteral("ro")), &scene.whyNot))
                return;
            scene.mounts.push_back(std::move(mount));
            scene.archive = at(box, QStringLiteral("ro/loose.zip"));
        },
        {}, 2, {QStringLiteral("Read-only file system")}, {QStringLiteral("exited with status"), QStringLiteral("File exists")},
        [](const Sandbox& box) { EXPECT_FALSE(QFileInfo::exists(at(box, QStringLiteral("src/loose")))); }},
    {"AFolderGivenForAnArchive",
        [](Sandbox& box, Scene& scene) {
            QDir().mkpath(at(box, QStringLiteral("folder.zip")));
            scene.archive = at(box, QStringLiteral("folder.zip"));
        },
        {}, 2, {QStringLiteral("is a folder, not an archive.")}, {QStringLiteral("Cannot find archive")},
        [](const Sandbox&) { }},
    {"OnlyTheFirstOfSeveralArchivesCounts",
        [](Sandbox& box, Scene& scene) {
            archiveOf(at(box, QStringLiteral("a.zip")), {{QStringLiteral("a/f.txt"), "a"}});
            scene.archive = at(box, QStringLiteral("a.zip"));
            scene.extraArguments = {at(box, QStringLiteral("missing.zip"))};
        },
        {}, 0, {}, {QStringLiteral("cannot open")},
        [](const Sandbox& box) { EXPECT_EQ(readFile(at(box, QStringLiteral("a/f.txt"))), "a"); }},
};

class NothingLost : public testing::TestWithParam<LossCase> { };

TEST_P(NothingLost, WhereThePlanAndTheDiskDisagree)
{
    const LossCase& c = GetParam();
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")}});
    Scene scene;
    c.stage(box, scene);
    if (!scene.whyNot.isEmpty())
        GTEST_SKIP() << scene.whyNot.toStdString();
    ASSERT_FALSE(scene.archive.isEmpty());

    RunOptions options;
    options.typedAnswers = c.answers;
    const QuendleRun run = runQuendle(box, QStringList {scene.archive} + scene.extraArguments, options);
    ASSERT_TRUE(run.finished && !run.crashed) << run.describe().toStdString();
    EXPECT_EQ(run.exitCode, c.exitCode) << run.describe().toStdString();
    for (const QString& text : c.said)
        EXPECT_TRUE(run.err.contains(text)) << text.toStdString() << "\n" << run.describe().toStdString();
    for (const QString& text : c.notSaid)
        EXPECT_FALSE(run.err.contains(text)) << text.toStdString() << "\n" << run.describe().toStdString();
    c.check(box);
}

INSTANTIATE_TEST_SUITE_P(Cases, NothingLost, testing::ValuesIn(kCases),
    [](const testing::TestParamInfo<LossCase>& info) { return std::string(info.param.name); });

} // namespace
