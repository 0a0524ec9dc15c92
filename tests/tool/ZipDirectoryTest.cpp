// The adapter's zip directory reader against 7-Zip: on every zip the table makes, the facts read
// from the fast listing equal those read from 7-Zip's, and for what the reader must not answer
// 7-Zip's listing passes exactly as before.
#include "core/Listing.h"
#include "support/WholeListing.h"
#include "listing/ListingPrinting.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"
#include "tool/ZipDirectory.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>


using namespace quendle;
using namespace quendle::test;

namespace {

// The preamble's first line tells the reader's listing from 7-Zip's.
constexpr const char* kReaderMark = "Quendle's zip directory reader";

struct Case {
    const char* archive; // as make_zips.py names it
    bool fromDirectory;  // the reader answers; otherwise 7-Zip lists it
};

const Case kCases[] = {
    {"plain.zip", true}, {"root-file-first.zip", true}, {"path-sign-inside.zip", true}, {"odd-paths.zip", true},
    {"unicode.zip", true}, {"duplicates.zip", true}, {"folders-only.zip", true}, {"empty.zip", true},
    {"many-zip64.zip", true}, {"zip64-fields.zip", true}, {"zipcrypto.zip", true}, {"aes.zip", true},
    {"partly-encrypted.zip", true},
    {"newline.zip", false}, {"controls.zip", false}, {"backslash.zip", false}, {"windows-backslash.zip", false},
    {"comment.zip", false}, {"entry-comment.zip", false}, {"out-of-order.zip", false}, {"second-disk.zip", false},
    {"unicode-path-field.zip", false}, {"strong-encryption.zip", false}, {"masked-directory.zip", false},
    {"utf8-flag-invalid.zip", false}, {"legacy-cp437.zip", false}, {"legacy-cp866.zip", false},
    {"self-extracting.zip", false}, {"trailing-data.zip", false}, {"truncated.zip", false},
    {"cut-in-the-directory.zip", false}, {"not-a-zip.zip", false}, {"zero-bytes.zip", false},
};

ToolRun list(const QString& archive, bool sevenZipOnly)
{
    ToolRunOptions options;
    if (sevenZipOnly)
        options.environment.push_back({"QUENDLE_ADAPTER_SEVEN_ZIP_LISTING", QByteArray("1")});
    return runTool(testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")}, options);
}

TEST(ZipDirectoryAgreement, FactsEqualSevenZipsOnEveryZip)
{
    if (sevenZip().isEmpty())
        GTEST_SKIP() << "7-Zip is not installed";
    QTemporaryDir folder;
    ProgramOptions merged;
    merged.mergeChannels = true;
    const ProgramRun made = runProgram(QStringLiteral("python3"), {QStringLiteral(QUENDLE_MAKE_ZIPS), folder.path(), sevenZip()}, merged);
    ASSERT_TRUE(made.ok()) << "could not make the zips (python3 and 7-Zip are needed): " << qPrintable(made.describe());

    for (const Case& c : kCases) {
        SCOPED_TRACE(c.archive);
        const QString archive = folder.path() + u'/' + QString::fromUtf8(c.archive);
        ASSERT_TRUE(QFileInfo::exists(archive));
        const ToolRun fast = list(archive, false);
        const ToolRun reference = list(archive, true);
        ASSERT_TRUE(fast.exited() && reference.exited());
        ASSERT_FALSE(reference.out.contains(kReaderMark));

        const ArchiveListing expected = readListing(decodeListing(reference.out));
        const ArchiveListing got = readListing(decodeListing(fast.out));
        EXPECT_EQ(got, expected);
        EXPECT_EQ(got.passwordRuleCount(), expected.passwordRuleCount());
        EXPECT_EQ(fast.out.contains(kReaderMark), c.fromDirectory);
        EXPECT_EQ(fast.exitCode(), reference.exitCode());
        if (!c.fromDirectory) {
            // Handed over untouched: 7-Zip's own words, its errors included.
            EXPECT_EQ(fast.out, reference.out);
            EXPECT_EQ(fast.err, reference.err);
        }
    }
}

// The extraction asks 7-Zip for a listing only when the directory cannot vouch that every name
// is ASCII or flagged UTF-8. Where it vouches, what is written equals the plain way's, which
// always lists; where it cannot, the legacy names are still decoded.
TEST(ZipDirectoryAgreement, NamesTheDirectoryVouchesForAreWrittenAsThePlainWayWritesThem)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir folder;
    ProgramOptions merged;
    merged.mergeChannels = true;
    const ProgramRun made = runProgram(QStringLiteral("python3"), {QStringLiteral(QUENDLE_MAKE_ZIPS), folder.path(), sevenZip()}, merged);
    ASSERT_TRUE(made.ok()) << qPrintable(made.describe());

    const struct {
        const char* archive;
        bool vouched;
    } cases[] = {
        {"plain.zip", true}, {"unicode.zip", true}, {"zip64-fields.zip", true}, {"comment.zip", true},
        {"self-extracting.zip", true}, {"legacy-cp437.zip", false}, {"legacy-cp866.zip", false},
        {"unicode-path-field.zip", false}, {"utf8-flag-invalid.zip", true}, {"cut-in-the-directory.zip", false},
        {"truncated.zip", false}, {"not-a-zip.zip", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive);
        const QString archive = folder.path() + u'/' + QString::fromUtf8(c.archive);
        EXPECT_EQ(adapter::surveyZipNames(QFile::encodeName(archive).toStdString()).namesAreUnicode(), c.vouched);
        QStringList trees;
        for (const bool shortcuts : {true, false}) {
            const QString into = folder.path() + (shortcuts ? QStringLiteral("/short/") : QStringLiteral("/plain/"))
                + QString::fromUtf8(c.archive);
            ToolRunOptions options;
            if (!shortcuts)
                options.environment.push_back({"QUENDLE_ADAPTER_NO_SHORTCUTS", QByteArray("1")});
            runTool(testToolPath(), {QStringLiteral("x"), archive, QStringLiteral("-o") + into, QStringLiteral("-aoa")}, options);
            // A folder the zip does not hold gets the time of its making.
            trees.append(describeTree(into).join(u'\n').replace(QRegularExpression(QStringLiteral("(mode 40\\d+) mtime \\S+")), QStringLiteral("\\1")));
        }
        EXPECT_EQ(trees.at(0), trees.at(1));
    }
    // Some entries are written read-only.
    runProgram(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("u+w"), folder.path()});
}

// What only the adapter's caller can vary: the listing's arguments and the archive's path.
TEST(ZipDirectoryHandOver, OtherListingsAndPathsGoToSevenZip)
{
    QTemporaryDir folder;
    const QString plain = folder.path() + QStringLiteral("/plain.zip");
    writeFile(plain, QByteArray::fromHex("504b0506000000000000000000000000000000000000")); // an empty zip
    const struct {
        QStringList arguments;
        bool fromDirectory;
    } cases[] = {
        {{QStringLiteral("l"), plain, QStringLiteral("-slt")}, true},
        {{QStringLiteral("l"), plain, QStringLiteral("-slt"), QStringLiteral("-psecret")}, false},
        {{QStringLiteral("l"), plain}, false},
        {{QStringLiteral("l"), plain, QStringLiteral("-slt"), QStringLiteral("-ba")}, false},
    };
    if (sevenZip().isEmpty())
        GTEST_SKIP() << "7-Zip is not installed";
    for (const auto& c : cases) {
        const ToolRun run = runTool(testToolPath(), c.arguments);
        EXPECT_EQ(run.out.contains(kReaderMark), c.fromDirectory) << qPrintable(c.arguments.join(u' '));
    }
    EXPECT_FALSE(adapter::ZipDirectory::printablePath("/tmp/a Path = b.zip"));
    EXPECT_FALSE(adapter::ZipDirectory::printablePath("/tmp/line\nfeed.zip"));
    EXPECT_FALSE(adapter::ZipDirectory::printablePath("/tmp/\xff.zip"));
    EXPECT_TRUE(adapter::ZipDirectory::printablePath("/tmp/Bücher.zip"));
}

} // namespace
