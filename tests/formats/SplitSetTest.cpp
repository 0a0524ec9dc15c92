// Split sets through the archiver adapter, as the application runs it: any part lists and
// expands the whole set once, into what the unsplit archive gives, and a set with a part
// missing writes nothing and names the part.
#include "core/Listing.h"
#include "core/Planning.h"
#include "formats/FormatFixtures.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

using namespace quendle;
using namespace quendle::formats;

namespace {

QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    for (char& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = char(seed >> 24);
    }
    return bytes;
}

// Big enough for three volumes of 40 KB whatever the compression.
Tree volumeTree()
{
    return {{QStringLiteral("vol/"), {}}, {QStringLiteral("vol/photo one.bin"), noise(100000, 1)},
        {QStringLiteral("vol/notes.txt"), "notes\n"}};
}

struct SplitCase {
    const char* name;
    // Makes the set in folder and gives the part to open; empty when the tools are missing.
    std::function<QString(const QString& folder)> make;
    QString shown;             // what the plan shows, below folder
    Tree tree;                 // what is written there ({} for none)
    QString failure;           // the reason the extraction gives; empty: it succeeds
    bool unar = false;         // unar reads it
};

void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << c.name;
}

// 7-Zip's volumes of the folder "vol" (and the loose file when asked), 40 KB each.
QString sevenZipVolumes(const QString& folder, const QString& archive, const QString& type, bool loose)
{
    writeTree(folder + QStringLiteral("/source"), volumeTree());
    if (loose)
        writeTree(folder + QStringLiteral("/source"), {{QStringLiteral("loose.txt"), "loose\n"}});
    QStringList arguments {QStringLiteral("a"), QStringLiteral("-v40k"), QStringLiteral("-t") + type,
        folder + QLatin1Char('/') + archive, QStringLiteral("vol")};
    if (loose)
        arguments << QStringLiteral("loose.txt");
    if (!test::runSevenZip(arguments, folder + QStringLiteral("/source")))
        return {};
    test::runProgram(QStringLiteral("rm"), {QStringLiteral("-rf"), folder + QStringLiteral("/source")});
    return folder + QLatin1Char('/') + archive;
}

// The other archivers' volumes, one file each, opened from the part named.
QString volumes(const char* kind, const QString& folder, const char* opened)
{
    QString why;
    const QStringList items {QStringLiteral("vol/"), QStringLiteral("vol/a.txt=alpha\n"), QStringLiteral("vol/b.txt=beta\n"),
        QStringLiteral("vol/c.txt=gamma\n")};
    if (!makeVolumes(QString::fromLatin1(kind), folder, QStringLiteral("x"), items, &why)) {
        ADD_FAILURE() << qPrintable(why);
        return {};
    }
    return folder + QLatin1Char('/') + QString::fromLatin1(opened);
}

const Tree kVolumesTree {{QStringLiteral("vol/"), {}}, {QStringLiteral("vol/a.txt"), "alpha\n"}, {QStringLiteral("vol/b.txt"), "beta\n"},
    {QStringLiteral("vol/c.txt"), "gamma\n"}};

class SplitSets : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitSets, AnyPartExpandsTheWholeSetOnce)
{
    if (test::sevenZip().isEmpty())
        GTEST_SKIP() << "7-Zip is not installed";
    const SplitCase& c = GetParam();
    if (c.unar && (!haveProgram(QStringLiteral("unar")) || !haveProgram(QStringLiteral("lsar"))))
        GTEST_SKIP() << "lsar and unar (package unar) are not installed";
    QTemporaryDir dir;
    const QString opened = c.make(dir.path());
    ASSERT_FALSE(opened.isEmpty()) << "could not make the set";
    const QStringList parts = QDir(dir.path()).entryList(QDir::Files);

    const ListingRun run = listArchive(test::testToolPath(), opened, std::nullopt);
    ASSERT_TRUE(run.started) << qPrintable(run.error);
    const DestinationPlan plan = planDestination(opened, ListingShape {run.listing.topLevelName,
        run.listing.sharesTopLevel, run.listing.topLevelNamesArchive, run.listing.archiveLevels <= 1}, std::nullopt, [](const QString& path) { return QFileInfo::exists(path); });
    EXPECT_EQ(plan.whatToShow, dir.path() + QLatin1Char('/') + c.shown);

    const test::ToolRun extraction = test::runTool(test::testToolPath(),
        {QStringLiteral("x"), opened, QStringLiteral("-o") + plan.destination, QStringLiteral("-aoa")});
    Tree written = readTree(dir.path());
    for (const QString& part : parts)
        written.remove(part);
    EXPECT_EQ(written, c.tree) << "nothing but the contents; no joined archive";
    if (c.failure.isEmpty()) {
        EXPECT_EQ(extraction.exitCode(), 0) << extraction.err.constData();
        EXPECT_EQ(run.listing.amountFiles, int(c.tree.size()) - (plan.ownFolder ? 1 : 0));
        // (lsar's listing, for RAR, names no type at all.)
        EXPECT_LE(run.listing.archiveLevels, 1u) << "the set reads as the one archive it splits";
    } else {
        EXPECT_EQ(extraction.exitCode(), 2);
        EXPECT_TRUE(extraction.err.contains("ERROR: " + c.failure.toUtf8() + '\n')) << extraction.err.constData();
        EXPECT_EQ(run.listing.amountFiles, 0);
    }
}

// The loose set's contents, in the folder of their own.
Tree looseInOwnFolder()
{
    Tree tree = volumeTree();
    tree.insert(QStringLiteral("loose.txt"), "loose\n");
    Tree moved {{QStringLiteral("x/"), {}}};
    for (auto it = tree.begin(); it != tree.end(); ++it)
        moved.insert(QStringLiteral("x/") + it.key(), it.value());
    return moved;
}

INSTANTIATE_TEST_SUITE_P(Sets, SplitSets,
    ::testing::Values(
        SplitCase {"SevenZipFirstPart", [](const QString& f) { return sevenZipVolumes(f, QStringLiteral("x.7z"), QStringLiteral("7z"), false) + QStringLiteral(".001"); },
            QStringLiteral("vol"), volumeTree(), {}},
        SplitCase {"SevenZipMiddlePart", [](const QString& f) { return sevenZipVolumes(f, QStringLiteral("x.7z"), QStringLiteral("7z"), false) + QStringLiteral(".002"); },
            QStringLiteral("vol"), volumeTree(), {}},
        SplitCase {"ZipLastPart", [](const QString& f) { return sevenZipVolumes(f, QStringLiteral("x.zip"), QStringLiteral("zip"), false) + QStringLiteral(".003"); },
            QStringLiteral("vol"), volumeTree(), {}},
        // Loose contents get the folder the unsplit archive would get, named without ".7z".
        SplitCase {"LooseContentsOwnFolder", [](const QString& f) { return sevenZipVolumes(f, QStringLiteral("x.7z"), QStringLiteral("7z"), true) + QStringLiteral(".002"); },
            QStringLiteral("x"), looseInOwnFolder(), {}},
        SplitCase {"SevenZipLastPartMissing", [](const QString& f) {
                const QString set = sevenZipVolumes(f, QStringLiteral("x.7z"), QStringLiteral("7z"), false);
                return QFile::remove(set + QStringLiteral(".003")) ? set + QStringLiteral(".001") : QString(); },
            QStringLiteral("x"), {}, QStringLiteral("x.7z.003 is missing")},
        SplitCase {"FirstPartMissing", [](const QString& f) {
                const QString set = sevenZipVolumes(f, QStringLiteral("x.7z"), QStringLiteral("7z"), false);
                return QFile::remove(set + QStringLiteral(".001")) ? set + QStringLiteral(".003") : QString(); },
            QStringLiteral("x"), {}, QStringLiteral("x.7z.001 is missing")},
        SplitCase {"ZipLastPartMissing", [](const QString& f) {
                const QString set = sevenZipVolumes(f, QStringLiteral("x.zip"), QStringLiteral("zip"), false);
                return QFile::remove(set + QStringLiteral(".003")) ? set + QStringLiteral(".002") : QString(); },
            QStringLiteral("x"), {}, QStringLiteral("x.zip.003 is missing")},
        // The other archivers' sets keep opening from the part their archivers open them from.
        SplitCase {"ZipWithZ01", [](const QString& f) { return volumes("zip", f, "x.zip"); }, QStringLiteral("vol"), kVolumesTree, {}},
        SplitCase {"RarParts", [](const QString& f) { return volumes("rar5", f, "x.part2.rar"); }, QStringLiteral("vol"), kVolumesTree, {}, true},
        SplitCase {"RarWithR00", [](const QString& f) { return volumes("rar4", f, "x.rar"); }, QStringLiteral("vol"), kVolumesTree, {}, true}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

} // namespace
