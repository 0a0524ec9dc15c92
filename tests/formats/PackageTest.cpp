// Packages through the archiver adapter, as the application runs it: a Debian package gives a
// folder of its files and control files, an RPM the files of its payload, a xar its files
// without its table of contents; the listing names exactly what is written.
#include "core/Listing.h"
#include "core/Planning.h"
#include "formats/FormatFixtures.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace quendle;
using namespace quendle::formats;

namespace {

struct PackageCase {
    const char* name;
    const char* kind;        // as make_packages.py takes it
    const char* compression;
    const char* archive;     // its file name
    QStringList items;
    const char* shown;       // what the plan shows, beside the archive
    Tree tree;               // what is written beside the archive
};

void PrintTo(const PackageCase& c, std::ostream* out)
{
    *out << c.name;
}

const QStringList kDebItems {QStringLiteral("DEBIAN/control=Package: hello\n"), QStringLiteral("DEBIAN/postinst=#!/bin/sh\n"),
    QStringLiteral("usr/"), QStringLiteral("usr/bin/"), QStringLiteral("usr/bin/hello=#!/bin/sh\necho hello\n"),
    QStringLiteral("usr/share/"), QStringLiteral("usr/share/doc/"), QStringLiteral("usr/share/doc/hello/"),
    QStringLiteral("usr/share/doc/hello/Read Me \u00e9t\u00e9.txt=read me\n")};

Tree debTree(const QString& folder)
{
    const QString f = folder + QLatin1Char('/');
    return {{f, {}}, {f + QStringLiteral("DEBIAN/"), {}}, {f + QStringLiteral("DEBIAN/control"), "Package: hello\n"},
        {f + QStringLiteral("DEBIAN/postinst"), "#!/bin/sh\n"}, {f + QStringLiteral("usr/"), {}},
        {f + QStringLiteral("usr/bin/"), {}}, {f + QStringLiteral("usr/bin/hello"), "#!/bin/sh\necho hello\n"},
        {f + QStringLiteral("usr/share/"), {}}, {f + QStringLiteral("usr/share/doc/"), {}},
        {f + QStringLiteral("usr/share/doc/hello/"), {}},
        {f + QStringLiteral("usr/share/doc/hello/Read Me \u00e9t\u00e9.txt"), "read me\n"}};
}

const QStringList kRpmItems {QStringLiteral("usr/"), QStringLiteral("usr/bin/"), QStringLiteral("usr/bin/hello=hi\n"),
    QStringLiteral("usr/share/"), QStringLiteral("usr/share/hello.txt=text\n")};
const Tree kRpmTree {{QStringLiteral("usr/"), {}}, {QStringLiteral("usr/bin/"), {}}, {QStringLiteral("usr/bin/hello"), "hi\n"},
    {QStringLiteral("usr/share/"), {}}, {QStringLiteral("usr/share/hello.txt"), "text\n"}};

class Packages : public ::testing::TestWithParam<PackageCase> {};

TEST_P(Packages, ListTheItemsTheyWriteAndWriteTheFiles)
{
    if (test::sevenZip().isEmpty())
        GTEST_SKIP() << "7-Zip is not installed";
    const PackageCase& c = GetParam();
    QTemporaryDir dir;
    const QString archive = dir.path() + QLatin1Char('/') + QString::fromUtf8(c.archive);
    QString why;
    ASSERT_TRUE(makePackage(QString::fromLatin1(c.kind), archive, QString::fromLatin1(c.compression), c.items, &why))
        << qPrintable(why);

    const ListingRun run = listArchive(test::testToolPath(), archive, std::nullopt);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.listing.isEncrypted);
    EXPECT_EQ(run.listing.archiveLevels, 1u) << "one archive, whose names are the ones written";
    const DestinationPlan plan = planDestination(archive,
        ListingShape {run.listing.topLevelName, run.listing.sharesTopLevel, run.listing.topLevelNamesArchive,
            run.listing.archiveLevels <= 1},
        std::nullopt, [](const QString& path) { return QFileInfo::exists(path); });
    EXPECT_EQ(plan.whatToShow, dir.path() + QLatin1Char('/') + QString::fromUtf8(c.shown));

    const QString temporary = dir.path() + QStringLiteral("/tmp");
    QDir().mkpath(temporary);
    test::ToolRunOptions options;
    options.environment = {{"TMPDIR", QFile::encodeName(temporary)}};
    const test::ToolRun extraction = test::runTool(test::testToolPath(),
        {QStringLiteral("x"), archive, QStringLiteral("-o") + plan.destination, QStringLiteral("-aoa")}, options);
    EXPECT_EQ(extraction.exitCode(), 0) << extraction.err.constData();
    Tree written = readTree(dir.path());
    written.remove(QFileInfo(archive).fileName());
    written.remove(QStringLiteral("tmp/"));
    EXPECT_EQ(written, c.tree);
    EXPECT_EQ(run.listing.amountFiles, int(c.tree.size()) - (plan.ownFolder ? 1 : 0)) << "one entry per item written";
    EXPECT_TRUE(QDir(temporary).isEmpty()) << "the payload is not left behind";
}

INSTANTIATE_TEST_SUITE_P(Kinds, Packages,
    ::testing::Values(
        PackageCase {"DebXz", "deb", "xz", "hello_1.0-1_all.deb", kDebItems, "hello_1.0-1_all", debTree(QStringLiteral("hello_1.0-1_all"))},
        PackageCase {"DebGzip", "deb", "gz", "hello_1.0-1_amd64.deb", kDebItems, "hello_1.0-1_amd64", debTree(QStringLiteral("hello_1.0-1_amd64"))},
        PackageCase {"DebZstd", "deb", "zst", "hello.deb", kDebItems, "hello", debTree(QStringLiteral("hello"))},
        PackageCase {"DebUncompressed", "deb", "none", "hello.deb", kDebItems, "hello", debTree(QStringLiteral("hello"))},
        PackageCase {"RpmGzip", "rpm", "gz", "hello-1.0-1.noarch.rpm", kRpmItems, "usr", kRpmTree},
        // Loose contents go into a folder of their own, as for any archive.
        PackageCase {"RpmXzLoose", "rpm", "xz", "hello-1.0-1.noarch.rpm", kRpmItems + QStringList {QStringLiteral("etc/"), QStringLiteral("etc/hello.conf=x=1\n")},
            "hello-1.0-1.noarch",
            Tree {{QStringLiteral("hello-1.0-1.noarch/"), {}}, {QStringLiteral("hello-1.0-1.noarch/usr/"), {}},
                {QStringLiteral("hello-1.0-1.noarch/usr/bin/"), {}}, {QStringLiteral("hello-1.0-1.noarch/usr/bin/hello"), "hi\n"},
                {QStringLiteral("hello-1.0-1.noarch/usr/share/"), {}}, {QStringLiteral("hello-1.0-1.noarch/usr/share/hello.txt"), "text\n"},
                {QStringLiteral("hello-1.0-1.noarch/etc/"), {}}, {QStringLiteral("hello-1.0-1.noarch/etc/hello.conf"), "x=1\n"}}},
        PackageCase {"Xar", "xar", "none", "site.xar", {QStringLiteral("top/"), QStringLiteral("top/a.txt=alpha"), QStringLiteral("top/sub/"), QStringLiteral("top/sub/b.txt=beta")},
            "top", Tree {{QStringLiteral("top/"), {}}, {QStringLiteral("top/a.txt"), "alpha"}, {QStringLiteral("top/sub/"), {}}, {QStringLiteral("top/sub/b.txt"), "beta"}}},
        // Only the table of contents 7-Zip makes up is left out, not a user's file of that name.
        PackageCase {"XarWithAFileNamedLikeTheTable", "xar", "none", "site.xar", {QStringLiteral("top/"), QStringLiteral("top/[TOC].xml=mine")},
            "top", Tree {{QStringLiteral("top/"), {}}, {QStringLiteral("top/[TOC].xml"), "mine"}}}),
    [](const ::testing::TestParamInfo<PackageCase>& info) { return std::string(info.param.name); });

} // namespace
