// The adapter's 7z header reader against 7-Zip: on every 7z the table makes, the facts read from
// the fast listing equal those read from 7-Zip's, and what the reader must not answer for is
// listed by 7-Zip exactly as before.
#include "core/Listing.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"
#include "support/WholeListing.h"
#include "tool/ListingRecords.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include <unistd.h>

using namespace quendle;
using namespace quendle::test;

namespace {

constexpr const char* kReaderMark = "Quendle's 7z header reader";

ToolRun list(const QString& archive, bool sevenZipOnly)
{
    ToolRunOptions options;
    if (sevenZipOnly)
        options.environment.push_back({"QUENDLE_ADAPTER_SEVEN_ZIP_LISTING", QByteArray("1")});
    return runTool(testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")}, options);
}

// Files under "top" with what names may hold, an empty file and an empty folder.
void writeSource(const QString& source)
{
    writeFile(source + QStringLiteral("/top/a.txt"), "alpha\n");
    writeFile(source + QStringLiteral("/top/with space.txt"), "space\n");
    writeFile(source + QStringLiteral("/top/-dash"), "dash\n");
    writeFile(source + QStringLiteral("/top/\u00e9t\u00e9 \U0001F600.txt"), "summer\n");
    writeFile(source + QStringLiteral("/top/Path = inside.txt"), "sign\n");
    writeFile(source + QStringLiteral("/top/sub/b.txt"), QByteArray(5000, 'b'));
    writeFile(source + QStringLiteral("/top/zero"), "");
    QDir(source).mkpath(QStringLiteral("top/empty"));
    ASSERT_EQ(::symlink("a.txt", QFile::encodeName(source + QStringLiteral("/top/link")).constData()), 0);
}

struct Case {
    const char* name;
    QStringList switches;         // for 7-Zip's "a", besides the archive and "top"
    bool fromReader;              // the reader answers; otherwise 7-Zip lists it
    std::function<void(const QString& archive)> damage = {};
};

// The file a password is tried on, and whether it is decoded whole, as the adapter picks it.
std::pair<std::optional<std::string>, bool> passwordProbe(const QByteArray& listing)
{
    adapter::ListingRecords records(0);
    std::string passed;
    records.feed(std::string_view(listing.constData(), std::size_t(listing.size())), passed);
    records.finish(passed);
    return {records.passwordProbe(), records.passwordProbeWhole()};
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void rewrite(const QString& path, const QByteArray& bytes)
{
    QFile::remove(path);
    writeFile(path, bytes);
}

TEST(SevenZipHeadersAgreement, FactsEqualSevenZipsOnEvery7z)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir folder;
    writeSource(folder.path() + QStringLiteral("/source"));
    // 3,000 more entries in 30 folders: headers of some size.
    for (int d = 0; d < 30; ++d) {
        for (int f = 0; f < 100; ++f)
            writeFile(folder.path() + QStringLiteral("/many/top/d%1/f%2.txt").arg(d).arg(f), QByteArray::number(f));
    }
    writeFile(folder.path() + QStringLiteral("/big/top/big.bin"), QByteArray(3 << 20, 'x'));
    writeFile(folder.path() + QStringLiteral("/odd/top/back\\slash.txt"), "x");
    writeFile(folder.path() + QStringLiteral("/odd/top/new\nline.txt"), "x");
    writeFile(folder.path() + QStringLiteral("/odd/top/tab\tname.txt"), "x");

    const auto append = [](const QString& archive) { rewrite(archive, bytesOf(archive) + "trailing bytes"); };
    const auto prepend = [](const QString& archive) { rewrite(archive, "MZ stub " + bytesOf(archive)); };
    const auto truncate = [](const QString& archive) { rewrite(archive, bytesOf(archive).chopped(7)); };
    const auto flipInHeader = [](const QString& archive) {
        QByteArray bytes = bytesOf(archive);
        bytes[bytes.size() - 5] = char(bytes[bytes.size() - 5] ^ 0x40);
        rewrite(archive, bytes);
    };
    const Case cases[] = {
        {"packed-header", {}, true},
        {"plain-header", {QStringLiteral("-mhc=off")}, true},
        {"not-solid", {QStringLiteral("-ms=off")}, true},
        {"stored", {QStringLiteral("-m0=Copy")}, true},
        {"lzma", {QStringLiteral("-m0=LZMA")}, true},
        {"two-coders", {QStringLiteral("-m0=Delta:4"), QStringLiteral("-m1=LZMA2")}, true},
        {"bcj2", {QStringLiteral("-m0=BCJ2"), QStringLiteral("-m1=LZMA"), QStringLiteral("-m2=LZMA"),
                     QStringLiteral("-m3=LZMA"), QStringLiteral("-mb0:1"), QStringLiteral("-mb0s1:2"), QStringLiteral("-mb0s2:3")},
            true},
        {"many", {QStringLiteral("-many")}, true},
        {"odd-names", {QStringLiteral("-odd")}, false},
        {"encrypted-entries", {QStringLiteral("-pRight")}, true},
        {"encrypted-stored", {QStringLiteral("-pRight"), QStringLiteral("-m0=Copy")}, true},
        {"encrypted-stored-big", {QStringLiteral("-big"), QStringLiteral("-pRight"), QStringLiteral("-m0=Copy")}, true},
        {"encrypted-headers", {QStringLiteral("-pRight"), QStringLiteral("-mhe=on")}, false},
        {"trailing-data", {}, false, append},
        {"data-before", {}, false, prepend},
        {"truncated", {}, false, truncate},
        {"damaged-header", {QStringLiteral("-mhc=off")}, false, flipInHeader},
        {"damaged-packed-header", {}, false, flipInHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList switches = c.switches;
        QString source = folder.path() + QStringLiteral("/source");
        for (const QString& which : {QStringLiteral("many"), QStringLiteral("odd"), QStringLiteral("big")}) {
            if (switches.removeAll(u'-' + which) > 0)
                source = folder.path() + u'/' + which;
        }
        const QString archive = folder.path() + u'/' + QString::fromLatin1(c.name) + QStringLiteral(".7z");
        ASSERT_TRUE(runSevenZip(QStringList {QStringLiteral("a"), QStringLiteral("-t7z"), QStringLiteral("-snl")} + switches
                + QStringList {archive, QStringLiteral("top")},
            source));
        if (c.damage)
            c.damage(archive);
        const ToolRun fast = list(archive, false);
        const ToolRun reference = list(archive, true);
        ASSERT_TRUE(fast.exited() && reference.exited());
        ASSERT_FALSE(reference.out.contains(kReaderMark));

        const ArchiveListing expected = readListing(decodeListing(reference.out));
        EXPECT_EQ(readListing(decodeListing(fast.out)), expected);
        EXPECT_EQ(fast.out.contains(kReaderMark), c.fromReader);
        EXPECT_EQ(fast.exitCode(), reference.exitCode());
        EXPECT_EQ(passwordProbe(fast.out), passwordProbe(reference.out));
        if (c.fromReader) {
            // Every name, in 7-Zip's order.
            const auto paths = [](const QByteArray& out) {
                QList<QByteArray> found;
                for (const QByteArray& line : out.split('\n')) {
                    if (line.startsWith("Path = "))
                        found.append(line);
                }
                return found;
            };
            EXPECT_EQ(paths(fast.out), paths(reference.out));
        } else {
            EXPECT_EQ(fast.out, reference.out);
            EXPECT_EQ(fast.err, reference.err);
        }
    }
}

} // namespace
