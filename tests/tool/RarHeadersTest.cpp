// The adapter's RAR header reader against lsar: on every RAR the table makes, the listing read
// from the headers is lsar's listing, and for what the reader must not answer lsar's listing
// passes exactly as before.
#include "core/Listing.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"
#include "support/WholeListing.h"
#include "tool/RarHeaders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace quendle;
using namespace quendle::test;

namespace {

// The reader's first line, which lsar's listing lacks.
constexpr const char* kReaderMark = "Quendle's RAR header reader, in lsar's listing layout\n";

struct Case {
    const char* name; // as make_rars.py names the case's folder
    bool fromHeaders; // the reader answers; otherwise lsar lists it
    const char* file = "a.rar";
};

const Case kCases[] = {
    {"rar4-plain", true}, {"rar5-plain", true}, {"rar4-encrypted", true}, {"rar5-encrypted", true},
    {"rar4-hostile-names", true}, {"rar5-hostile-names", true}, {"rar4-empty", true}, {"rar5-empty", true},
    {"rar5-unicode", true}, {"rar5-service-headers", true}, {"rar5-windows", true},
    {"rar5-time-and-hash-records", true}, {"rar5-symlinks", true}, {"rar5-many", true},
    {"rar4-service-blocks", true}, {"rar4-large-sizes", true}, {"rar4-windows", true},
    {"rar4-unicode", false}, {"rar5-volume", false, "a.part1.rar"}, {"rar4-volume", false},
    {"rar5-encrypted-headers", false}, {"rar4-encrypted-headers", false}, {"rar5-truncated", false},
    {"rar4-truncated", false}, {"rar5-cut-in-a-header", false}, {"rar5-no-end", false},
    {"rar5-wrong-checksum", false}, {"rar4-wrong-checksum", false}, {"rar5-trailing-data", false},
    {"rar5-self-extracting", false}, {"rar5-garbage", false}, {"rar5-hard-link", false},
    {"rar5-link-with-a-line-feed", false}, {"rar5-file-version", false}, {"rar5-unknown-size", false},
    {"rar5-split-file", false}, {"rar5-line-feed-name", false}, {"rar5-backslash-name", false},
    {"rar5-folder-with-file-attributes", false}, {"rar5-unknown-header", false}, {"rar4-symlink", false},
    {"rar4-unicode-name", false}, {"rar4-split-file", false}, {"rar4-not-last-volume", false},
};

ToolRun list(const QString& archive, bool lsarOnly)
{
    ToolRunOptions options;
    if (lsarOnly)
        options.environment.push_back({"QUENDLE_ADAPTER_SEVEN_ZIP_LISTING", QByteArray("1")});
    return runTool(testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")}, options);
}

// The times are shown in the local time zone, which lsar learns otherwise than the C library.
QByteArray withoutTimes(QByteArray listing)
{
    return QString::fromUtf8(listing)
        .remove(QRegularExpression(QStringLiteral("^Modified = .*\\n"), QRegularExpression::MultilineOption))
        .toUtf8();
}

TEST(RarHeadersAgreement, ListingIsLsarsOnEveryRar)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QUENDLE_REQUIRE_UNAR();
    QTemporaryDir folder;
    ProgramOptions merged;
    merged.mergeChannels = true;
    const ProgramRun made = runProgram(QStringLiteral("python3"), {QStringLiteral(QUENDLE_MAKE_RARS), folder.path()}, merged);
    ASSERT_TRUE(made.ok()) << "could not make the RARs: " << qPrintable(made.describe());

    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const QString archive = folder.path() + u'/' + QString::fromUtf8(c.name) + u'/' + QString::fromUtf8(c.file);
        ASSERT_TRUE(QFileInfo::exists(archive));
        const ToolRun fast = list(archive, false);
        const ToolRun reference = list(archive, true);
        ASSERT_TRUE(fast.exited() && reference.exited());
        ASSERT_FALSE(reference.out.contains(kReaderMark));
        EXPECT_EQ(fast.out.contains(kReaderMark), c.fromHeaders);
        EXPECT_EQ(fast.exitCode(), reference.exitCode());
        EXPECT_EQ(fast.err, reference.err);
        EXPECT_EQ(readListing(decodeListing(fast.out)), readListing(decodeListing(reference.out)));
        if (c.fromHeaders) {
            EXPECT_EQ(withoutTimes(QByteArray(fast.out).replace(kReaderMark, "")), withoutTimes(reference.out));
            EXPECT_EQ(fast.out.count("\nModified = "), reference.out.count("\nModified = "));
        } else {
            EXPECT_EQ(fast.out, reference.out);
        }
    }
}

// The header reader stands for lsar only in the opening listing, where unar extracts.
TEST(RarHeadersHandOver, OtherListingsAndMissingUnarGoToLsar)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QUENDLE_REQUIRE_UNAR();
    QTemporaryDir folder;
    const QString archive = folder.path() + QStringLiteral("/plain.rar");
    // A RAR 5 of nothing: its signature, an archive header and an end header.
    writeFile(archive, QByteArray::fromHex("526172211a070100" "c51a333203010000" "19b23a3503050000"));
    const QString onlyLsar = folder.path() + QStringLiteral("/bin");
    QDir().mkpath(onlyLsar);
    QFile::link(QStandardPaths::findExecutable(QStringLiteral("lsar")), onlyLsar + QStringLiteral("/lsar"));
    QFile::link(sevenZip(), onlyLsar + QStringLiteral("/7zz"));
    const struct {
        QStringList arguments;
        std::vector<std::pair<QByteArray, std::optional<QByteArray>>> environment;
        bool fromHeaders;
    } cases[] = {
        {{QStringLiteral("l"), archive, QStringLiteral("-slt")}, {}, true},
        {{QStringLiteral("l"), archive, QStringLiteral("-slt"), QStringLiteral("-psecret")}, {}, false},
        {{QStringLiteral("l"), archive}, {}, false},
        {{QStringLiteral("l"), archive, QStringLiteral("-slt")}, {{"QUENDLE_ADAPTER_NO_SHORTCUTS", QByteArray("1")}}, false},
        {{QStringLiteral("l"), archive, QStringLiteral("-slt")}, {{"PATH", QFile::encodeName(onlyLsar)}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(u' ')));
        ToolRunOptions options;
        options.environment = c.environment;
        const ToolRun run = runTool(testToolPath(), c.arguments, options);
        EXPECT_EQ(run.out.contains(kReaderMark), c.fromHeaders);
        EXPECT_EQ(run.exitCode(), 0) << run.err.constData();
    }
}

} // namespace
