// The archiver adapter on real-world archives, with the real tools: compressed tars, single
// compressed files, RAR and StuffIt through lsar/unar, literal archive names and legacy names.
// Listings are read with Quendle's own listing code, as the application reads them.
#include "core/Listing.h"
#include "support/WholeListing.h"
#include "core/Planning.h"
#include "formats/FormatFixtures.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>

#include <sys/types.h>
#include <unistd.h>

using namespace quendle;
using namespace quendle::formats;

namespace {

ListingRun listing(const QString& archive, const std::optional<QString>& password = std::nullopt)
{
    return listArchive(test::testToolPath(), archive, password);
}

test::ToolRun extract(const QString& archive, const QString& destination, const std::optional<QString>& password = std::nullopt,
    test::ToolRunOptions options = {})
{
    QStringList arguments {QStringLiteral("x"), archive, QStringLiteral("-o") + destination, QStringLiteral("-aoa")};
    if (password)
        arguments << QStringLiteral("-p") + *password;
    return test::runTool(test::testToolPath(), arguments, options);
}

QString describe(const test::ToolRun& run)
{
    return QStringLiteral("status %1, signal %2\n--- out:\n%3\n--- err:\n%4")
        .arg(run.exitCode())
        .arg(run.signal())
        .arg(QString::fromUtf8(run.out.left(3000)), QString::fromUtf8(run.err.left(3000)));
}


// ---------------------------------------------------------------------------------------------
// Compressed tars.


class CompressedTarTest : public ::testing::TestWithParam<CompressedTar> {
protected:
    void SetUp() override
    {
        QUENDLE_REQUIRE_SEVEN_ZIP();
        writeTree(mDir.path() + QStringLiteral("/source"), sampleTree());
        QString why;
        mArchive = makeCompressedTar(GetParam(), mDir.path() + QStringLiteral("/source"),
            mDir.path() + QStringLiteral("/album.") + QString::fromLatin1(GetParam().suffix), &why);
        if (mArchive.isEmpty())
            GTEST_SKIP() << qPrintable(why);
    }

    QTemporaryDir mDir;
    QString mArchive;
};

TEST_P(CompressedTarTest, ListsTheTarsEntriesAfterTheArchivesRecord)
{
    const ListingRun run = listing(mArchive);
    ASSERT_TRUE(run.started) << qPrintable(run.error);
    EXPECT_EQ(run.listing.amountFiles, int(sampleTree().size()));
    EXPECT_EQ(run.listing.topLevelName, QStringLiteral("top"));
    EXPECT_FALSE(run.listing.isEncrypted);

    const test::ToolRun raw = test::runTool(test::testToolPath(), {QStringLiteral("l"), mArchive, QStringLiteral("-slt")});
    EXPECT_EQ(raw.exitCode(), 0) << qPrintable(describe(raw));
    // The archive's own record comes first and names the archive, as for any other format.
    const qsizetype first = raw.out.indexOf("Path = ");
    EXPECT_EQ(raw.out.mid(first, raw.out.indexOf('\n', first) - first), "Path = " + QFile::encodeName(mArchive));
    EXPECT_TRUE(raw.out.contains("\nPath = top/sub/deeper/data.bin\n"));
}

TEST_P(CompressedTarTest, ExtractsTheTarsFilesAndOverwrites)
{
    const QString destination = mDir.path() + QStringLiteral("/out");
    QDir().mkpath(destination);
    // An older copy is overwritten, as -aoa asks; a file the archive does not have stays.
    test::writeFile(destination + QStringLiteral("/top/readme.txt"), "old\n");
    test::writeFile(destination + QStringLiteral("/top/mine.txt"), "mine\n");

    const test::ToolRun run = extract(mArchive, destination);
    EXPECT_EQ(run.exitCode(), 0) << qPrintable(describe(run));
    Tree expected = sampleTree();
    expected.insert(QStringLiteral("top/mine.txt"), "mine\n");
    EXPECT_EQ(readTree(destination), expected);
    // Streamed: no decompressed tar was left anywhere on the way.
    EXPECT_EQ(QDir(mDir.path()).entryList(QDir::Files), QStringList {QFileInfo(mArchive).fileName()});
}

TEST_P(CompressedTarTest, APasswordChangesNothing)
{
    const ListingRun run = listing(mArchive, QStringLiteral("secret"));
    EXPECT_EQ(run.listing.amountFiles, int(sampleTree().size()));
    EXPECT_FALSE(run.listing.isWrongPassword);
    const QString destination = mDir.path() + QStringLiteral("/out");
    EXPECT_EQ(extract(mArchive, destination, QStringLiteral("secret")).exitCode(), 0);
    EXPECT_EQ(readTree(destination), sampleTree());
}

INSTANTIATE_TEST_SUITE_P(Kinds, CompressedTarTest, ::testing::ValuesIn(compressedTars()), caseName);

TEST(CompressedFile, ThatHoldsNoTarStaysOneFile)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    // Longer than a tar header, so that the check reads a whole block of it.
    QByteArray text;
    for (int i = 0; i < 200; ++i)
        text += "line " + QByteArray::number(i) + " of the notes\n";
    test::writeFile(dir.path() + QStringLiteral("/notes.txt"), text);
    const std::pair<const char*, const char*> kinds[] = {{"gzip", "gz"}, {"bzip2", "bz2"}, {"xz", "xz"}, {"zstd", "zst"}};
    for (const auto& [compressor, suffix] : kinds) {
        QString why;
        const QString archive = dir.path() + QStringLiteral("/notes.txt.") + QString::fromLatin1(suffix);
        if (!compressFile(compressor, dir.path() + QStringLiteral("/notes.txt"), archive, &why)) {
            ADD_FAILURE() << qPrintable(why);
            continue;
        }
        // 7-Zip's listing names the file only when the stream stores its name (gzip); without
        // a name, the archive's own name less its extension is what Quendle expects.
        const ListingRun run = listing(archive);
        EXPECT_EQ(run.listing.amountFiles, std::string_view(compressor) == "gzip" ? 1 : 0) << compressor;
        EXPECT_EQ(planDestination(archive, run.listing.topLevelName, std::nullopt).whatToShow,
            dir.path() + QStringLiteral("/notes.txt"))
            << compressor;
        const QString destination = dir.path() + QStringLiteral("/out-") + QString::fromLatin1(compressor);
        const test::ToolRun extraction = extract(archive, destination);
        EXPECT_EQ(extraction.exitCode(), 0) << compressor << qPrintable(describe(extraction));
        EXPECT_EQ(test::readFile(destination + QStringLiteral("/notes.txt")), text) << compressor;
    }
}

TEST(CompressedFile, DamagedStreamIsAFailureEvenWhenTheTarEndedWell)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    writeTree(dir.path() + QStringLiteral("/source"), sampleTree());
    QString why;
    const QString archive = makeCompressedTar({"tar.gz", "gzip"}, dir.path() + QStringLiteral("/source"),
        dir.path() + QStringLiteral("/album.tar.gz"), &why);
    ASSERT_FALSE(archive.isEmpty()) << qPrintable(why);
    QByteArray bytes = test::readFile(archive);
    // The gzip trailer holds the checksum and length of the whole stream.
    bytes[bytes.size() - 6] = char(bytes[bytes.size() - 6] ^ 0x55);
    test::writeFile(archive, bytes);
    const test::ToolRun run = extract(archive, dir.path() + QStringLiteral("/out"));
    EXPECT_TRUE(run.exited());
    EXPECT_NE(run.exitCode(), 0) << qPrintable(describe(run));

    // Cut off in the middle, the tar itself is incomplete.
    test::writeFile(archive, bytes.left(bytes.size() / 2));
    EXPECT_NE(extract(archive, dir.path() + QStringLiteral("/cut")).exitCode(), 0);
}

// The children of a process, from /proc (empty where the kernel does not say).
QList<pid_t> childrenOf(pid_t pid)
{
    QList<pid_t> children;
    const QByteArray list = test::readFile(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    for (const QByteArray& child : list.split(' ')) {
        if (!child.trimmed().isEmpty())
            children.append(pid_t(child.trimmed().toInt()));
    }
    return children;
}

// Whether a process is gone (or only waits to be collected by whoever inherited it).
bool ended(pid_t pid)
{
    const QByteArray stat = test::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.isEmpty())
        return true;
    const qsizetype close = stat.lastIndexOf(')');
    return close >= 0 && stat.mid(close + 2, 1) == "Z";
}

class Termination : public ::testing::TestWithParam<int> {};

TEST_P(Termination, StopsTheWholePipelineAndLeavesNoOrphan)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    if (!haveProgram(QStringLiteral("zstd")))
        GTEST_SKIP() << "zstd is not installed";
    const int signal = GetParam();
    QTemporaryDir dir;
    // A gigabyte of zeros squeezes into a small archive and takes a while to write out again.
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

    QList<pid_t> children;
    test::ToolRunOptions options;
    options.onOutput = [&children, signal](pid_t pid, const QByteArray&) {
        if (!children.isEmpty())
            return;
        // Both 7-Zips are running once the reading one has said where it extracts.
        for (int attempt = 0; attempt < 1000 && children.size() < 2; ++attempt) {
            children = childrenOf(pid);
            if (children.size() < 2)
                usleep(1000);
        }
        kill(pid, signal);
    };
    const test::ToolRun run = extract(archive, dir.path() + QStringLiteral("/out"), std::nullopt, options);
    ASSERT_EQ(children.size(), 2) << "the decompressing and the extracting 7-Zip";
    if (signal == SIGTERM) {
        // Ended as asked: by the signal itself, or with 7-Zip's status for a stop by the user,
        // and only after both 7-Zips had ended.
        EXPECT_TRUE(run.signal() == SIGTERM || run.exitCode() == 255) << qPrintable(describe(run));
        for (pid_t child : children)
            EXPECT_TRUE(ended(child)) << "child " << child << " outlived the adapter";
    } else {
        // Killed outright, the adapter cannot wait: its children are told to stop as it dies.
        EXPECT_EQ(run.signal(), SIGKILL);
        for (pid_t child : children) {
            for (int attempt = 0; attempt < 600 && !ended(child); ++attempt)
                usleep(100000);
            EXPECT_TRUE(ended(child)) << "child " << child << " still runs a minute after the adapter died";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, Termination, ::testing::Values(SIGTERM, SIGKILL),
    [](const ::testing::TestParamInfo<int>& info) { return std::string(info.param == SIGTERM ? "Term" : "Kill"); });

// ---------------------------------------------------------------------------------------------
// RAR and StuffIt, which 7-Zip cannot open here, through lsar and unar.


const QStringList kRarItems {QStringLiteral("top/"), QStringLiteral("top/a.txt=alpha\n"), QStringLiteral("top/sub/"),
    QStringLiteral("top/sub/b b.txt=beta\n"), QStringLiteral("top/\u00e9t\u00e9.txt=summer\n")};
const Tree kRarTree {{QStringLiteral("top/"), {}}, {QStringLiteral("top/a.txt"), "alpha\n"}, {QStringLiteral("top/sub/"), {}},
    {QStringLiteral("top/sub/b b.txt"), "beta\n"}, {QStringLiteral("top/\u00e9t\u00e9.txt"), "summer\n"}};

class RarTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        QUENDLE_REQUIRE_SEVEN_ZIP();
        QUENDLE_REQUIRE_UNAR();
    }
    QString make(const std::optional<QString>& password)
    {
        const QString archive = mDir.path() + (password ? QStringLiteral("/secret.rar") : QStringLiteral("/plain.rar"));
        QString why;
        EXPECT_TRUE(makeRar(QString::fromLatin1(GetParam()), archive, password, kRarItems, &why)) << qPrintable(why);
        return archive;
    }
    QTemporaryDir mDir;
};

TEST_P(RarTest, PlainIsListedInSevenZipsLayoutAndExtracted)
{
    const QString archive = make(std::nullopt);
    const test::ToolRun raw = test::runTool(test::testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")});
    EXPECT_EQ(raw.exitCode(), 0) << qPrintable(describe(raw));
    EXPECT_FALSE(raw.out.contains("Cannot open")) << "7-Zip's failure does not reach the listing";
    EXPECT_FALSE(raw.err.contains("Cannot open")) << "nor its complaint";
    const qsizetype first = raw.out.indexOf("Path = ");
    EXPECT_EQ(raw.out.mid(first, raw.out.indexOf('\n', first) - first), "Path = " + QFile::encodeName(archive));
    EXPECT_TRUE(raw.out.contains("\nPath = top/\xC3\xA9t\xC3\xA9.txt\nFolder = -\nSize = 7\n"));

    const ListingRun run = listing(archive);
    EXPECT_EQ(run.listing.amountFiles, int(kRarTree.size()));
    EXPECT_EQ(run.listing.topLevelName, QStringLiteral("top"));
    EXPECT_FALSE(run.listing.isEncrypted);

    const QString destination = mDir.path() + QStringLiteral("/out");
    test::writeFile(destination + QStringLiteral("/top/a.txt"), "older\n");
    const test::ToolRun extraction = extract(archive, destination);
    EXPECT_EQ(extraction.exitCode(), 0) << qPrintable(describe(extraction));
    EXPECT_FALSE((extraction.out + extraction.err).contains("ERROR:"));
    // Below the destination as listed: no folder of unar's own around it, older files replaced.
    EXPECT_EQ(readTree(destination), kRarTree);
}

TEST_P(RarTest, EncryptedEntriesAskForThePassword)
{
    const QString archive = make(QStringLiteral("p\u00e4ss word"));
    const ListingRun run = listing(archive);
    EXPECT_TRUE(run.listing.isEncrypted);
    EXPECT_FALSE(run.listing.isWrongPassword);
    EXPECT_EQ(run.listing.amountFiles, int(kRarTree.size()));
}

INSTANTIATE_TEST_SUITE_P(Versions, RarTest, ::testing::Values("rar4", "rar5"));

class Rar5PasswordTest : public RarTest {};

TEST_P(Rar5PasswordTest, RightOpensAndWrongIsRefused)
{
    const QString password = QStringLiteral("p\u00e4ss word");
    const QString archive = make(password);

    const ListingRun right = listing(archive, password);
    EXPECT_FALSE(right.listing.isWrongPassword);
    EXPECT_EQ(right.listing.passwordRuleCount(), int(kRarTree.size()));
    const QString destination = mDir.path() + QStringLiteral("/right");
    const test::ToolRun extraction = extract(archive, destination, password);
    EXPECT_EQ(extraction.exitCode(), 0) << qPrintable(describe(extraction));
    EXPECT_EQ(readTree(destination), kRarTree);

    for (const QString& wrong : {QStringLiteral("wrong"), QString(), QStringLiteral("p\u00e4ss word ")}) {
        const ListingRun refused = listing(archive, wrong);
        EXPECT_TRUE(refused.listing.isWrongPassword) << qPrintable(wrong);
        const test::ToolRun failed = extract(archive, mDir.path() + QStringLiteral("/wrong"), wrong);
        EXPECT_TRUE(failed.exited());
        EXPECT_NE(failed.exitCode(), 0) << "the failure alert needs a failure";
        // The alert quotes the archiver's "ERROR:" lines: unar's reason, not 7-Zip's complaint.
        EXPECT_TRUE(failed.out.contains("ERROR: " + QFile::encodeName(archive) + " : Missing or wrong password\n"))
            << qPrintable(describe(failed));
        EXPECT_FALSE((failed.out + failed.err).contains("Cannot open the file as archive"));
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, Rar5PasswordTest, ::testing::Values("rar5"));

TEST(RarNames, HostileNamesStayBelowTheDestinationWhereTheListingSaysTheyAre)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QUENDLE_REQUIRE_UNAR();
    QTemporaryDir dir;
    const QString archive = dir.path() + QStringLiteral("/hostile.rar");
    QString why;
    ASSERT_TRUE(makeRar(QStringLiteral("rar5"), archive, std::nullopt,
        {QStringLiteral("../up.txt=up"), QStringLiteral("/abs/x.txt=abs"), QStringLiteral("a/../../b.txt=b")}, &why))
        << qPrintable(why);
    const QString destination = dir.path() + QStringLiteral("/deep/out");
    QDir().mkpath(destination);
    EXPECT_EQ(extract(archive, destination).exitCode(), 0);
    EXPECT_EQ(readTree(dir.path() + QStringLiteral("/deep")),
        (Tree {{QStringLiteral("out/"), {}}, {QStringLiteral("out/__Parent__/"), {}}, {QStringLiteral("out/__Parent__/up.txt"), "up"},
            {QStringLiteral("out/__Parent__/b.txt"), "b"}, {QStringLiteral("out/abs/"), {}}, {QStringLiteral("out/abs/x.txt"), "abs"}}));
    const ListingRun run = listing(archive);
    EXPECT_EQ(run.listing.topLevelName, QStringLiteral("__Parent__"));
    EXPECT_EQ(run.listing.amountFiles, 3);
}

TEST(StuffIt, ResourceForksAreListedWhereUnarPutsThem)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QUENDLE_REQUIRE_UNAR();
    QTemporaryDir dir;
    const QString archive = dir.path() + QStringLiteral("/Old Mac.sit");
    QString why;
    ASSERT_TRUE(makeStuffIt(archive,
        {QStringLiteral("Mac Folder/"), QStringLiteral("Read Me=hello\n"), QStringLiteral("Icon=data|resource"), QStringLiteral("/")},
        &why))
        << qPrintable(why);
    const ListingRun run = listing(archive);
    EXPECT_EQ(run.listing.topLevelName, QStringLiteral("Mac Folder"));
    const QString destination = dir.path() + QStringLiteral("/out");
    EXPECT_EQ(extract(archive, destination).exitCode(), 0);
    const Tree tree = readTree(destination);
    EXPECT_EQ(tree.keys(), (QStringList {QStringLiteral("Mac Folder/"), QStringLiteral("Mac Folder/Icon"),
                               QStringLiteral("Mac Folder/Icon.rsrc"), QStringLiteral("Mac Folder/Read Me")}));
    EXPECT_EQ(run.listing.amountFiles, int(tree.size())) << "one listed entry per item on disk";
}

TEST(Unknown, ArchiveNeitherToolOpensFailsAndWritesNothing)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    const QString archive = dir.path() + QStringLiteral("/not an archive.rar");
    test::writeFile(archive, QByteArray(4000, 'x'));
    const test::ToolRun raw = test::runTool(test::testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")});
    EXPECT_EQ(raw.exitCode(), 2);
    EXPECT_FALSE(raw.out.contains("Path = ")) << "7-Zip's own listing, withheld and then given back";
    EXPECT_TRUE(raw.out.contains("Listing archive"));
    EXPECT_TRUE(raw.err.contains("Cannot open the file as archive"));
    const QString destination = dir.path() + QStringLiteral("/out");
    QDir().mkpath(destination);
    EXPECT_EQ(extract(archive, destination).exitCode(), 2);
    EXPECT_TRUE(QDir(destination).isEmpty());
}

TEST(Unknown, WithoutLsarARarIsLeftTo7Zip)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    const QString archive = dir.path() + QStringLiteral("/plain.rar");
    QString why;
    ASSERT_TRUE(makeRar(QStringLiteral("rar5"), archive, std::nullopt, kRarItems, &why)) << qPrintable(why);
    const QString bin = dir.path() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    ASSERT_TRUE(QFile::link(test::sevenZip(), bin + QStringLiteral("/7zz")));
    test::ToolRunOptions options;
    options.environment = {{"PATH", QFile::encodeName(bin)}};
    const test::ToolRun run = test::runTool(test::testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")}, options);
    // Debian's 7-Zip has no RAR: nothing is listed, and the status says so.
    if (run.out.contains("\nPath = top"))
        GTEST_SKIP() << "this 7-Zip reads RAR itself";
    EXPECT_EQ(run.exitCode(), 2);
}

// ---------------------------------------------------------------------------------------------
// Passwords of archives whose entries alone are encrypted, which 7-Zip lists with any password.

struct PasswordCase {
    const char* name;
    const char* archive;
    QStringList switches;   // how 7-Zip makes it
    bool plainEntriesToo;   // smaller entries without encryption come first
};

void PrintTo(const PasswordCase& c, std::ostream* out)
{
    *out << c.name;
}

class ListingChecksThePassword : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(ListingChecksThePassword, RefusesWrongOnesAndListsWithTheRightOne)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    const PasswordCase& c = GetParam();
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/source");
    QByteArray noise(200000, '\0');
    quint32 seed = 7;
    for (char& byte : noise) {
        seed = seed * 1664525u + 1013904223u;
        byte = char(seed >> 24);
    }
    // The smallest encrypted file, the one tested, has a name 7-Zip would read as a switch and
    // as wildcards.
    writeTree(source, {{QStringLiteral("top/"), {}}, {QStringLiteral("top/big.bin"), noise},
                          {QStringLiteral("-[a]*?.txt"), "small\n"}, {QStringLiteral("top/empty.txt"), {}}});
    const QString archive = dir.path() + QLatin1Char('/') + QString::fromLatin1(c.archive);
    if (c.plainEntriesToo) {
        writeTree(source, {{QStringLiteral("a/"), {}}, {QStringLiteral("a/tiny.txt"), "t"}});
        ASSERT_TRUE(test::runSevenZip(QStringList {QStringLiteral("a")} + c.switches + QStringList {archive,
                      QStringLiteral("a")}, source));
    }
    ASSERT_TRUE(test::runSevenZip(QStringList {QStringLiteral("a"), QStringLiteral("-pRight"), QStringLiteral("-spd")} + c.switches
                      + QStringList {QStringLiteral("--"), archive, QStringLiteral("top"), QStringLiteral("-[a]*?.txt")}, source));
    const int entries = c.plainEntriesToo ? 6 : 4;

    const test::ToolRun right = test::runTool(test::testToolPath(),
        {QStringLiteral("l"), archive, QStringLiteral("-slt"), QStringLiteral("-pRight")});
    EXPECT_EQ(right.exitCode(), 0) << qPrintable(describe(right));
    EXPECT_FALSE(right.out.contains("Wrong password"));
    EXPECT_TRUE(right.out.contains("\nPath = -[a]*?.txt\n"));
    EXPECT_EQ(readListing(decodeListing(right.out)).passwordRuleCount(), entries);
    if (!c.switches.contains(QStringLiteral("-mhe=on"))) {
        const test::ToolRun without = test::runTool(test::testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")});
        // Without a password a zip may be listed from its directory, in fewer fields; the facts
        // Quendle reads are the same.
        EXPECT_EQ(readListing(decodeListing(right.out)), readListing(decodeListing(without.out)))
            << "the right password changes nothing of the listing";
    }

    for (const QString& wrong : {QStringLiteral("wrong"), QString(), QStringLiteral("right"), QStringLiteral("Right ")}) {
        const test::ToolRun run = test::runTool(test::testToolPath(),
            {QStringLiteral("l"), archive, QStringLiteral("-slt"), QStringLiteral("-p") + wrong});
        EXPECT_TRUE(readListing(decodeListing(run.out)).isWrongPassword) << qPrintable(wrong) << qPrintable(describe(run));
        EXPECT_EQ(run.exitCode(), 2) << qPrintable(wrong);
    }
}

INSTANTIATE_TEST_SUITE_P(Archives, ListingChecksThePassword,
    ::testing::Values(PasswordCase {"ZipCrypto", "a.zip", {QStringLiteral("-mem=ZipCrypto")}, false},
        PasswordCase {"ZipAes", "a.zip", {QStringLiteral("-mem=AES256")}, false},
        PasswordCase {"ZipWithPlainEntries", "a.zip", {QStringLiteral("-tzip")}, true},
        PasswordCase {"SevenZipSolid", "a.7z", {QStringLiteral("-t7z")}, false},
        PasswordCase {"SevenZipNotSolidWithPlainEntries", "a.7z", {QStringLiteral("-t7z"), QStringLiteral("-ms=off")}, true},
        PasswordCase {"SevenZipEncryptedHeaders", "a.7z", {QStringLiteral("-t7z"), QStringLiteral("-mhe=on")}, false}),
    [](const ::testing::TestParamInfo<PasswordCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Names.

TEST(Names, ArchivePathIsTakenLiterally)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    writeTree(dir.path() + QStringLiteral("/mine"), {{QStringLiteral("mine/a.txt"), "a\n"}});
    writeTree(dir.path() + QStringLiteral("/other"), {{QStringLiteral("other/b.txt"), "b\n"}, {QStringLiteral("other/c.txt"), "c\n"}});
    const QString wild = dir.path() + QStringLiteral("/what?.zip");
    const QString other = dir.path() + QStringLiteral("/whatX.zip");
    ASSERT_TRUE(test::runSevenZip({QStringLiteral("a"), QStringLiteral("-spd"), wild, QStringLiteral("mine")},
        dir.path() + QStringLiteral("/mine")));
    ASSERT_TRUE(test::runSevenZip({QStringLiteral("a"), other, QStringLiteral("other")},
        dir.path() + QStringLiteral("/other")));

    const ListingRun run = listing(wild);
    EXPECT_EQ(run.listing.amountFiles, 2);
    EXPECT_EQ(run.listing.topLevelName, QStringLiteral("mine"));
    const QString destination = dir.path() + QStringLiteral("/out");
    EXPECT_EQ(extract(wild, destination).exitCode(), 0);
    EXPECT_EQ(readTree(destination), (Tree {{QStringLiteral("mine/"), {}}, {QStringLiteral("mine/a.txt"), "a\n"}}));
}

// Zips written by our own writer with names in a code page or in UTF-8, listed and extracted in
// a locale: the names on disk and in the listing are the names that were written.
struct CodePageCase {
    const char* name;
    const char* encoding; // as Python names it
    bool utf8Flag;
    const char* locale;   // LANG; LC_ALL and LC_CTYPE unset
    QStringList items;    // NAME or NAME=CONTENTS; folders end in "/"
};

void PrintTo(const CodePageCase& c, std::ostream* out)
{
    *out << c.name;
}

class CodePageNames : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageNames, AreListedAndWrittenReadably)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    const CodePageCase& c = GetParam();
    QTemporaryDir dir;
    const QString archive = dir.path() + QStringLiteral("/names.zip");
    QString why;
    ASSERT_TRUE(makeZipWithNames(archive, QString::fromLatin1(c.encoding), c.utf8Flag, c.items, &why)) << qPrintable(why);
    Tree expected;
    for (const QString& item : c.items)
        expected.insert(item.section(u'=', 0, 0), item.section(u'=', 1).toUtf8());

    test::ToolRunOptions options;
    options.environment = {{"LANG", QByteArray(c.locale)}, {"LC_ALL", std::nullopt}, {"LC_CTYPE", std::nullopt}};
    const test::ToolRun raw = test::runTool(test::testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")}, options);
    const std::optional<QString> text = decodeListing(raw.out);
    ASSERT_TRUE(text) << "not UTF-8";
    for (const QString& path : expected.keys()) {
        const QString entry = path.endsWith(u'/') ? path.chopped(1) : path;
        EXPECT_TRUE(text->contains(QStringLiteral("\nPath = ") + entry + u'\n')) << qPrintable(entry) << qPrintable(*text);
    }
    const ArchiveListing facts = readListing(text);
    EXPECT_FALSE(facts.isEncrypted);
    EXPECT_EQ(facts.topLevelName, c.items.first().section(u'/', 0, 0));

    const QString destination = dir.path() + QStringLiteral("/out");
    // An earlier expansion is overwritten, folders merged, as 7-Zip's own names would be.
    for (int round = 0; round < 2; ++round) {
        const test::ToolRun run = extract(archive, destination, std::nullopt, options);
        EXPECT_EQ(run.exitCode(), 0) << qPrintable(describe(run));
        const Tree onDisk = readTree(destination);
        EXPECT_EQ(onDisk, expected) << "round " << round;
    }
    // Qt cannot name wrongly decoded files to remove them.
    test::runProgram(QStringLiteral("rm"), {QStringLiteral("-rf"), destination});
}

INSTANTIATE_TEST_SUITE_P(Zips, CodePageNames,
    ::testing::Values(
        // Bytes Gr\x81\xe1e/M\x81ller_\xa4.txt, as a DOS zip tool in the United States stored them.
        CodePageCase {"Cp437", "cp437", false, "C.UTF-8",
            {QStringLiteral("Gr\u00fc\u00dfe/"), QStringLiteral("Gr\u00fc\u00dfe/M\u00fcller_\u00f1.txt=m\n"),
                QStringLiteral("Gr\u00fc\u00dfe/plain.txt=p\n")}},
        // \x9d is "\u00f8" in 850, "\u00a5" in 437.
        CodePageCase {"Cp850InAGermanLocale", "cp850", false, "de_DE.UTF-8",
            {QStringLiteral("S\u00f8ren/"), QStringLiteral("S\u00f8ren/\u00c6bler.txt=a\n")}},
        CodePageCase {"Cp866InARussianLocale", "cp866", false, "ru_RU.UTF-8",
            {QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442/"),
                QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442/\u0444\u0430\u0439\u043b.txt=f\n")}},
        CodePageCase {"Utf8FlagIsTrusted", "utf-8", true, "ru_RU.UTF-8",
            {QStringLiteral("B\u00fccher/"), QStringLiteral("B\u00fccher/\u00dcber.txt=u\n")}},
        // Linux zip tools store UTF-8 without the flag.
        CodePageCase {"Utf8WithoutFlagStays", "utf-8", false, "ru_RU.UTF-8",
            {QStringLiteral("B\u00fccher/"), QStringLiteral("B\u00fccher/\u00dcber.txt=u\n"),
                QStringLiteral("B\u00fccher/-dash [x]*.txt=d\n")}}),
    [](const ::testing::TestParamInfo<CodePageCase>& info) { return std::string(info.param.name); });

} // namespace
