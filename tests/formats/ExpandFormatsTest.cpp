// Real-world archives expanded end to end by the built quendle, headless, beside the archive:
// compressed tars, a single compressed file, RAR and StuffIt, a zip with legacy names and an
// archive whose name holds a wildcard. The progress maximum and the item the expansion is to
// produce come from the same listing and planning the application runs.
#include "core/Listing.h"
#include "core/Planning.h"
#include "formats/FormatFixtures.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

using namespace quendle;
using namespace quendle::formats;

namespace {

// What the application plans for an archive beside itself: the progress maximum (the
// listing's entry count) and the item it will show.
struct Plan {
    int maximum = 0;
    QString whatToShow;
    bool encrypted = false;
};

Plan planFor(const QString& archive)
{
    const ListingRun run = listArchive(test::testToolPath(), archive, std::nullopt);
    Plan plan;
    plan.maximum = run.listing.amountFiles;
    plan.whatToShow = planDestination(archive, run.listing.topLevelName, std::nullopt).whatToShow;
    plan.encrypted = run.listing.isEncrypted;
    return plan;
}

class Expansion : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test::sevenZip().isEmpty())
            GTEST_SKIP() << "7-Zip is not installed";
        ASSERT_TRUE(QFileInfo(test::quendleBinary()).isExecutable());
        mArchives = mRoot.path() + QStringLiteral("/archives");
        QDir().mkpath(mArchives);
    }

    // Expands the archive and checks that quendle ended well and raised no failure alert.
    void expand(const QString& archive)
    {
        mSession.writePreferencesBeside();
        const test::QuendleRun run = test::runQuendle(mSession, {archive}, {.display = test::Display::Offscreen, .timeoutMs = 240000});
        EXPECT_TRUE(run.ok()) << qPrintable(run.describe());
        EXPECT_FALSE(run.err.contains(QStringLiteral("Cannot Expand Archive"))) << qPrintable(run.describe());
    }

    Tree besideTheArchive(const QString& archive) const
    {
        Tree tree = readTree(mArchives);
        tree.remove(QFileInfo(archive).fileName());
        return tree;
    }

    QTemporaryDir mRoot;
    QString mArchives;
    test::Sandbox mSession;
};


class CompressedTarExpansion : public Expansion, public ::testing::WithParamInterface<CompressedTar> {};

TEST_P(CompressedTarExpansion, GivesTheTarsTreeWithItsTopFolderShownAndEveryEntryCounted)
{
    writeTree(mRoot.path() + QStringLiteral("/source"), sampleTree());
    QString why;
    const QString archive = makeCompressedTar(GetParam(), mRoot.path() + QStringLiteral("/source"),
        mArchives + QStringLiteral("/album.") + QString::fromLatin1(GetParam().suffix), &why);
    if (archive.isEmpty())
        GTEST_SKIP() << qPrintable(why);

    const Plan plan = planFor(archive);
    EXPECT_EQ(plan.maximum, int(sampleTree().size()));
    EXPECT_EQ(plan.whatToShow, mArchives + QStringLiteral("/top"));
    EXPECT_FALSE(plan.encrypted);

    expand(archive);
    EXPECT_EQ(besideTheArchive(archive), sampleTree());
    EXPECT_TRUE(QFileInfo::exists(archive)) << "the archive itself stays";
}

// The suffixes a user meets; the others are covered at the adapter.
INSTANTIATE_TEST_SUITE_P(Kinds, CompressedTarExpansion,
    ::testing::Values(CompressedTar {"tar.gz", "gzip"}, CompressedTar {"tgz", "gzip"}, CompressedTar {"tar.bz2", "bzip2"},
        CompressedTar {"tbz2", "bzip2"}, CompressedTar {"tar.xz", "xz"}, CompressedTar {"tar.zst", "zstd"}),
    caseName);

TEST_F(Expansion, GzipOfATextFileGivesTheTextFile)
{
    const QString text = mRoot.path() + QStringLiteral("/notes.txt");
    test::writeFile(text, "just some notes\n");
    QString why;
    const QString archive = mArchives + QStringLiteral("/notes.txt.gz");
    ASSERT_TRUE(compressFile("gzip", text, archive, &why)) << qPrintable(why);

    const Plan plan = planFor(archive);
    EXPECT_EQ(plan.maximum, 1);
    EXPECT_EQ(plan.whatToShow, mArchives + QStringLiteral("/notes.txt"));
    expand(archive);
    EXPECT_EQ(besideTheArchive(archive), (Tree {{QStringLiteral("notes.txt"), "just some notes\n"}}));
}

TEST_F(Expansion, RarThroughUnar)
{
    if (!haveProgram(QStringLiteral("unar")) || !haveProgram(QStringLiteral("lsar")))
        GTEST_SKIP() << "lsar and unar (package unar) are not installed";
    const QString archive = mArchives + QStringLiteral("/photos.rar");
    QString why;
    ASSERT_TRUE(makeRar(QStringLiteral("rar5"), archive, std::nullopt,
        {QStringLiteral("Photos/"), QStringLiteral("Photos/one.txt=1"), QStringLiteral("Photos/Trip/"),
            QStringLiteral("Photos/Trip/two.txt=2")},
        &why))
        << qPrintable(why);
    const Plan plan = planFor(archive);
    EXPECT_EQ(plan.maximum, 4);
    EXPECT_EQ(plan.whatToShow, mArchives + QStringLiteral("/Photos"));
    expand(archive);
    EXPECT_EQ(besideTheArchive(archive),
        (Tree {{QStringLiteral("Photos/"), {}}, {QStringLiteral("Photos/one.txt"), "1"}, {QStringLiteral("Photos/Trip/"), {}},
            {QStringLiteral("Photos/Trip/two.txt"), "2"}}));
}

TEST_F(Expansion, LegacyNamesExpandWithoutAPasswordWindow)
{
    const QString archive = mArchives + QStringLiteral("/legacy.zip");
    QString why;
    ASSERT_TRUE(makeLegacyZip(archive, &why)) << qPrintable(why);
    const Plan plan = planFor(archive);
    EXPECT_FALSE(plan.encrypted);
    EXPECT_EQ(plan.maximum, 3);
    EXPECT_EQ(plan.whatToShow, mArchives + QStringLiteral("/B\u00fccher"));

    // Headless, a password window would be cancelled and quendle would quit with nothing
    // extracted: the files prove there was none. They have the names the listing showed.
    expand(archive);
    EXPECT_EQ(test::readFile(mArchives + QStringLiteral("/B\u00fccher/\u00dcber.txt")), "uber\n");
    EXPECT_EQ(test::readFile(mArchives + QStringLiteral("/B\u00fccher/plain.txt")), "plain\n");
    EXPECT_EQ(QDir(mArchives).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        (QStringList {QStringLiteral("B\u00fccher"), QStringLiteral("legacy.zip")}));
}

// Archives a user meets, expanded by the whole application under C.UTF-8: what is beside the
// archive afterwards (its parts left out), and the failure alert's reason when there is one.
struct MetCase {
    const char* name;
    std::function<QString(const QString& folder, const QString& scratch)> make; // the archive to open
    Tree beside;
    QString alert; // empty: no failure
};

void PrintTo(const MetCase& c, std::ostream* out)
{
    *out << c.name;
}

class MetArchives : public Expansion, public ::testing::WithParamInterface<MetCase> {};

TEST_P(MetArchives, GiveWhatTheUserMeans)
{
    const MetCase& c = GetParam();
    const QString archive = c.make(mArchives, mRoot.path());
    ASSERT_FALSE(archive.isEmpty());
    const QStringList parts = QDir(mArchives).entryList(QDir::Files);
    mSession.writePreferencesBeside();
    const test::QuendleRun run = test::runQuendle(mSession, {archive},
        {.display = test::Display::Offscreen, .timeoutMs = 240000, .environment = {{QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")}}});
    Tree tree = readTree(mArchives);
    for (const QString& part : parts)
        tree.remove(part);
    EXPECT_EQ(tree, c.beside);
    if (c.alert.isEmpty()) {
        EXPECT_TRUE(run.ok()) << qPrintable(run.describe());
    } else {
        EXPECT_FALSE(run.ok());
        EXPECT_TRUE(test::alertOnStandardError(run.err, c.alert).join(u'\n').contains(c.alert)) << qPrintable(run.describe());
    }
}

QString sevenZipSet(const QString& folder, const QString& scratch, const char* opened, bool dropLast)
{
    writeTree(scratch + QStringLiteral("/set"), {{QStringLiteral("vol/"), {}}, {QStringLiteral("vol/a.bin"), QByteArray(90000, 'a')},
        {QStringLiteral("vol/b.txt"), "b\n"}});
    // Stored, so that the volumes are as many as the size says.
    if (!test::runSevenZip({QStringLiteral("a"), QStringLiteral("-mx0"), QStringLiteral("-v40k"), folder + QStringLiteral("/x.7z"),
            QStringLiteral("vol")}, scratch + QStringLiteral("/set")))
        return {};
    if (dropLast)
        QFile::remove(folder + QStringLiteral("/x.7z.003"));
    return folder + QStringLiteral("/x.7z.") + QString::fromLatin1(opened);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MetArchives,
    ::testing::Values(
        MetCase {"MiddlePartOfASplitSet", [](const QString& f, const QString& s) { return sevenZipSet(f, s, "002", false); },
            Tree {{QStringLiteral("vol/"), {}}, {QStringLiteral("vol/a.bin"), QByteArray(90000, 'a')}, {QStringLiteral("vol/b.txt"), "b\n"}}, {}},
        MetCase {"SplitSetWithAPartMissing", [](const QString& f, const QString& s) { return sevenZipSet(f, s, "001", true); }, {},
            QStringLiteral("x.7z.003 is missing")},
        MetCase {"DebianPackage", [](const QString& f, const QString&) {
                QString why;
                return makePackage(QStringLiteral("deb"), f + QStringLiteral("/tool_2.1_all.deb"), QStringLiteral("xz"),
                           {QStringLiteral("DEBIAN/control=Package: tool\n"), QStringLiteral("usr/"), QStringLiteral("usr/bin/"),
                               QStringLiteral("usr/bin/tool=run\n")}, &why)
                    ? f + QStringLiteral("/tool_2.1_all.deb") : QString(); },
            Tree {{QStringLiteral("tool_2.1_all/"), {}}, {QStringLiteral("tool_2.1_all/DEBIAN/"), {}},
                {QStringLiteral("tool_2.1_all/DEBIAN/control"), "Package: tool\n"}, {QStringLiteral("tool_2.1_all/usr/"), {}},
                {QStringLiteral("tool_2.1_all/usr/bin/"), {}}, {QStringLiteral("tool_2.1_all/usr/bin/tool"), "run\n"}}, {}},
        MetCase {"RussianZipFromWindows", [](const QString& f, const QString&) {
                QString why;
                return makeZipWithNames(f + QStringLiteral("/docs.zip"), QStringLiteral("cp866"), false,
                           {QStringLiteral("\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b\\\u041e\u0442\u0447\u0451\u0442.doc=o"),
                               QStringLiteral("\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b\\\u0421\u043f\u0438\u0441\u043e\u043a.xls=s")}, &why)
                    ? f + QStringLiteral("/docs.zip") : QString(); },
            Tree {{QStringLiteral("\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b/"), {}},
                {QStringLiteral("\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b/\u041e\u0442\u0447\u0451\u0442.doc"), "o"},
                {QStringLiteral("\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b/\u0421\u043f\u0438\u0441\u043e\u043a.xls"), "s"}}, {}}),
    [](const ::testing::TestParamInfo<MetCase>& info) { return std::string(info.param.name); });

TEST_F(Expansion, WildcardInTheArchivesNameMeansItself)
{
    writeTree(mRoot.path() + QStringLiteral("/mine"), {{QStringLiteral("mine/a.txt"), "a\n"}});
    writeTree(mRoot.path() + QStringLiteral("/other"), {{QStringLiteral("other/b.txt"), "b\n"}});
    const QString archive = mArchives + QStringLiteral("/what?.zip");
    const QString other = mArchives + QStringLiteral("/whatX.zip");
    ASSERT_TRUE(test::runSevenZip({QStringLiteral("a"), QStringLiteral("-spd"), archive, QStringLiteral("mine")},
        mRoot.path() + QStringLiteral("/mine")));
    ASSERT_TRUE(test::runSevenZip({QStringLiteral("a"), other, QStringLiteral("other")},
        mRoot.path() + QStringLiteral("/other")));

    const Plan plan = planFor(archive);
    EXPECT_EQ(plan.maximum, 2);
    EXPECT_EQ(plan.whatToShow, mArchives + QStringLiteral("/mine"));
    expand(archive);
    Tree tree = besideTheArchive(archive);
    tree.remove(QStringLiteral("whatX.zip"));
    EXPECT_EQ(tree, (Tree {{QStringLiteral("mine/"), {}}, {QStringLiteral("mine/a.txt"), "a\n"}}));
}

} // namespace
