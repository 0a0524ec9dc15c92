// The adapter's tar header reader against 7-Zip (QUENDLE_ADAPTER_SEVEN_ZIP_LISTING=1): on every
// compressed tar the tests make, the facts Quendle reads from the opening listing, the entries'
// records and the choice of GNU tar for the extraction equal those of 7-Zip's listing; for what
// the reader declines, 7-Zip's listing passes exactly as before.
#include "core/Listing.h"
#include "formats/FormatFixtures.h"
#include "support/QtPrinters.h"
#include "support/ToolRun.h"
#include "support/WholeListing.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <csignal>
#include <thread>

#include <unistd.h>

using namespace quendle;
using namespace quendle::formats;

namespace {

constexpr const char* kReaderMark = "Quendle's tar header reader";

struct Case {
    const char* archive; // as make_tars.py names it
    bool fromHeaders;    // the reader answers; otherwise 7-Zip lists it
};

const Case kCases[] = {
    {"plain-gnu.tar.gz", true}, {"plain-ustar.tar.gz", true}, {"files-before-folders.tar.gz", true},
    {"links.tar.gz", true}, {"set-user-id.tar.gz", true}, {"read-only-folder.tar.gz", true},
    {"backslash.tar.gz", true}, {"pax-fractions.tar.gz", true}, {"pax-unicode.tar.gz", true},
    {"gnu-unicode.tar.gz", true}, {"gnu-long-names.tar.gz", true}, {"ustar-prefix.tar.gz", true},
    {"pax-long-path.tar.gz", true}, {"pax-owner.tar.gz", true}, {"duplicates.tar.gz", true},
    {"dot-entries.tar.gz", true}, {"outside-names.tar.gz", true}, {"odd-names.tar.gz", true}, {"devices.tar.gz", true},
    {"git-archive.tar.gz", true}, {"many-tops.tar.gz", true}, {"time-zero.tar.gz", true},
    {"path-sign-in-a-name.tar.gz", true}, {"padded-end.tar.gz", true},
    {"pax-comment.tar.gz", false}, {"pax-unknown-key.tar.gz", false}, {"global-with-time.tar.gz", false},
    {"only-a-global-header.tar.gz", false}, {"base-256-owner.tar.gz", false}, {"sign-in-owner.tar.gz", false},
    {"not-utf8-name.tar.gz", false}, {"line-feed-name.tar.gz", false}, {"bad-checksum.tar.gz", false},
    {"file-named-as-folder.tar.gz", false}, {"one-zero-block.tar.gz", false}, {"no-zero-blocks.tar.gz", false},
    {"bytes-after-the-end.tar.gz", false}, {"cut-in-the-data.tar.gz", false}, {"cut-in-a-header.tar.gz", false},
    {"not-a-tar.gz", false}, {"damaged-stream.tar.gz", false}, {"sparse-gnu.tar.gz", false},
    {"sparse-posix.tar.gz", false},
};

// One opening listing, with what it left in its own cache folder: whether it kept the tar, and
// the note that lets GNU tar write it (absent: none).
struct Listed {
    test::ToolRun run;
    bool kept = false;
    std::optional<QByteArray> note;
};

Listed listOpening(const QString& archive, const QString& cacheHome, bool sevenZip)
{
    test::ToolRunOptions options;
    options.environment = {{"XDG_CACHE_HOME", QFile::encodeName(cacheHome)},
        {"QUENDLE_ADAPTER_SEVEN_ZIP_LISTING", sevenZip ? std::optional<QByteArray>("1") : std::nullopt},
        {"QUENDLE_ADAPTER_NO_SHORTCUTS", std::nullopt}};
    Listed listed;
    listed.run = test::runTool(test::testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")}, options);
    const QDir cache(cacheHome + QStringLiteral("/quendle"));
    listed.kept = !cache.entryList({QStringLiteral("tar-*.tar")}, QDir::Files).isEmpty();
    const QStringList notes = cache.entryList({QStringLiteral("*.plain")}, QDir::Files);
    if (!notes.isEmpty())
        listed.note = test::readFile(cache.filePath(notes.first()));
    return listed;
}

// The entries' records, with the lines both listings give: path, folder sign, size and links.
QList<QByteArray> records(const QByteArray& out)
{
    QList<QByteArray> found;
    const qsizetype list = out.indexOf("\n----------\n");
    if (list < 0)
        return found;
    static const QByteArrayList kKeys {"Path = ", "Folder = ", "Size = ", "Symbolic Link = ", "Hard Link = "};
    for (const QByteArray& line : out.mid(list + 12).split('\n')) {
        for (const QByteArray& key : kKeys) {
            if (line.startsWith(key) && line.size() > key.size())
                found.append(line);
        }
    }
    return found;
}

void expectAgreement(const QString& archive, bool fromHeaders, const QString& scratch)
{
    const Listed fast = listOpening(archive, scratch + QStringLiteral("/fast"), false);
    const Listed reference = listOpening(archive, scratch + QStringLiteral("/reference"), true);
    ASSERT_TRUE(fast.run.exited() && reference.run.exited());
    ASSERT_FALSE(reference.run.out.contains(kReaderMark));
    EXPECT_EQ(fast.run.out.contains(kReaderMark), fromHeaders);
    const QString name = QFileInfo(archive).fileName();
    EXPECT_EQ(readListing(decodeListing(fast.run.out), name), readListing(decodeListing(reference.run.out), name));
    EXPECT_EQ(records(fast.run.out), records(reference.run.out));
    EXPECT_EQ(fast.run.exitCode(), reference.run.exitCode());
    EXPECT_EQ(fast.kept, reference.kept);
    EXPECT_EQ(fast.note, reference.note) << "GNU tar is chosen for the same tars, with the same top-level names";
    if (!fromHeaders) {
        // Handed over untouched: 7-Zip's own words, its errors said once.
        EXPECT_EQ(fast.run.out, reference.run.out);
        EXPECT_EQ(fast.run.err, reference.run.err);
    }
}

TEST(TarHeadersAgreement, FactsEqualSevenZipsOnEveryTar)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir folder;
    test::ProgramOptions merged;
    merged.mergeChannels = true;
    const test::ProgramRun made = test::runProgram(QStringLiteral("python3"), {QStringLiteral(QUENDLE_MAKE_TARS), folder.path()}, merged);
    ASSERT_TRUE(made.ok()) << "could not make the tars (python3 is needed): " << qPrintable(made.describe());
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.archive);
        const QString archive = folder.path() + u'/' + QString::fromUtf8(c.archive);
        ASSERT_TRUE(QFileInfo::exists(archive));
        expectAgreement(archive, c.fromHeaders, folder.path() + QStringLiteral("/cache-") + QString::fromUtf8(c.archive));
    }
}

// The sample tree with links, modes and an old time, as GNU tar makes it, in every compression.
TEST(TarHeadersAgreement, OnTheRichTreeInEveryCompression)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir folder;
    writeRichTree(folder.path() + QStringLiteral("/source"));
    for (const CompressedTar& kind : compressedTars()) {
        SCOPED_TRACE(kind.suffix);
        QString why;
        const QString archive = makeCompressedTar(kind, folder.path() + QStringLiteral("/source"),
            folder.path() + QStringLiteral("/album.") + QString::fromLatin1(kind.suffix), &why);
        if (archive.isEmpty())
            continue; // that compressor is not installed
        expectAgreement(archive, true, folder.path() + QStringLiteral("/cache-") + QString::fromLatin1(kind.suffix));
    }
}

// Stopped while the reader reads (Quendle quits during its listing), the adapter ends by the
// signal, prints nothing, keeps no copy and leaves no 7-Zip behind.
TEST(TarHeadersStop, EndsTheListingAndKeepsNothing)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    if (!haveProgram(QStringLiteral("zstd")))
        GTEST_SKIP() << "zstd is not installed";
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/source/top");
    QDir().mkpath(source);
    QFile big(source + QStringLiteral("/zeros.bin"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(qint64(1) << 30));
    big.close();
    QString why;
    const QString archive = makeCompressedTar({"tar.zst", "zstd"}, dir.path() + QStringLiteral("/source"),
        dir.path() + QStringLiteral("/big.tar.zst"), &why);
    ASSERT_FALSE(archive.isEmpty()) << qPrintable(why);
    QFile::remove(source + QStringLiteral("/zeros.bin"));

    // The adapter is this process's child; it is stopped once its decompressing 7-Zip runs.
    const QString cache = dir.path() + QStringLiteral("/cache");
    std::atomic<bool> done = false;
    std::atomic<bool> sent = false;
    std::thread stopper([&] {
        const QString ours = QStringLiteral("/proc/%1/task/%1/children").arg(getpid());
        while (!done && !sent) {
            for (const QByteArray& pid : test::readFile(ours).split(' ')) {
                const pid_t adapter = pid_t(pid.trimmed().toInt());
                if (adapter <= 0)
                    continue;
                if (!test::readFile(QStringLiteral("/proc/%1/task/%1/children").arg(adapter)).trimmed().isEmpty()) {
                    usleep(100000);
                    kill(adapter, SIGTERM);
                    sent = true;
                }
            }
            usleep(1000);
        }
    });
    test::ToolRunOptions options;
    options.environment = {{"XDG_CACHE_HOME", QFile::encodeName(cache)}};
    const test::ToolRun run = test::runTool(test::testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")}, options);
    done = true;
    stopper.join();
    ASSERT_TRUE(sent);
    EXPECT_TRUE(run.signal() == SIGTERM || run.exitCode() == 255) << run.exitCode() << " " << run.signal();
    EXPECT_FALSE(run.out.contains("Path = "));
    EXPECT_EQ(QDir(cache + QStringLiteral("/quendle")).entryList(QDir::Files), QStringList());
}

} // namespace
