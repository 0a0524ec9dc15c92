// Running the archiver to list an archive: what it is given, what it inherits, what is read back.
#include "listing/ListingPrinting.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

using namespace quendle;
using namespace quendle::test;

namespace {

// Sets an environment variable for one scope: the tool inherits the application's environment.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : mName(name)
        , mHad(qEnvironmentVariableIsSet(name))
        , mOld(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (mHad)
            qputenv(mName, mOld);
        else
            qunsetenv(mName);
    }

private:
    const char* mName;
    bool mHad;
    QByteArray mOld;
};

class ListingRunWithStandIn : public ::testing::Test {
protected:
    QString path(const QString& name) const { return mDir.path() + u'/' + name; }

    // Runs listArchive on the stand-in archiver, which prints the given bytes.
    ListingRun listPrinting(const QByteArray& output, const char* piece = "65536",
        const std::optional<QString>& password = std::nullopt)
    {
        writeFile(path(QStringLiteral("out")), output);
        const ScopedVariable out("FAKE_ARCHIVER_STDOUT", QFile::encodeName(path(QStringLiteral("out"))));
        const ScopedVariable chunk("FAKE_ARCHIVER_CHUNK", piece);
        return listArchive(fakeArchiverPath(), kArchive, password);
    }

    ArchiverRecord record() const { return readRecord(path(QStringLiteral("record"))); }

    void SetUp() override { mRecording = std::make_unique<ScopedVariable>("FAKE_ARCHIVER_RECORD",
                                QFile::encodeName(path(QStringLiteral("record")))); }
    void TearDown() override { mRecording.reset(); }

    static inline const QString kArchive = QStringLiteral("/tmp/a folder/-\"quoted\" 'archive' ü $x;*.7z");
    QTemporaryDir mDir;
    std::unique_ptr<ScopedVariable> mRecording;
};

struct PasswordCase {
    const char* name;
    std::optional<QString> password;
};

void PrintTo(const PasswordCase& c, std::ostream* out)
{
    *out << c.name;
}

class ListingRunPasswords : public ListingRunWithStandIn, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(ListingRunPasswords, ReachTheToolAsOneUntouchedArgument)
{
    const std::optional<QString> password = GetParam().password;
    const ListingRun run = listArchive(fakeArchiverPath(), kArchive, password);
    ASSERT_TRUE(run.started) << qPrintable(run.error);

    QList<QByteArray> expected {"l", kArchive.toUtf8(), "-slt"};
    if (password)
        expected.append("-p" + password->toUtf8());
    const ArchiverRecord seen = record();
    ASSERT_TRUE(seen.present);
    EXPECT_EQ(seen.arguments, expected);
    EXPECT_EQ(seen.argv0, QFile::encodeName(fakeArchiverPath()));
}

INSTANTIATE_TEST_SUITE_P(Passwords, ListingRunPasswords,
    ::testing::Values(PasswordCase {"None", std::nullopt}, PasswordCase {"Empty", QString()},
        PasswordCase {"Spaces", QStringLiteral("with  spaces ")},
        PasswordCase {"Quotes", QStringLiteral("\"double\" 'single' \\")},
        PasswordCase {"Dollar", QStringLiteral("$HOME ${PATH} $(id) `id`")},
        PasswordCase {"Semicolon", QStringLiteral("a;b|c&d")}, PasswordCase {"Star", QStringLiteral("* ? [a-z]")},
        PasswordCase {"LineFeed", QStringLiteral("line\nfeed")}, PasswordCase {"NonAscii", QStringLiteral("pässwörd €𝄞")},
        PasswordCase {"LeadingDash", QStringLiteral("-leading dash")}),
    [](const ::testing::TestParamInfo<PasswordCase>& info) { return std::string(info.param.name); });

TEST_F(ListingRunWithStandIn, ToolInheritsInputAndErrorButNothingElse)
{
    // A descriptor the application left open to children must still not reach the tool.
    const int leaky = open("/dev/null", O_RDONLY);
    int leakyPipe[2];
    ASSERT_EQ(pipe(leakyPipe), 0);
    const ListingRun run = listArchive(fakeArchiverPath(), kArchive, std::nullopt);
    close(leaky);
    close(leakyPipe[0]);
    close(leakyPipe[1]);

    ASSERT_TRUE(run.started);
    const ArchiverRecord seen = record();
    ASSERT_TRUE(seen.present);
    EXPECT_EQ(seen.descriptors, (QList<int> {0, 1, 2}));
    EXPECT_EQ(seen.stdinTarget, descriptorTarget(0));
    EXPECT_EQ(seen.stderrTarget, descriptorTarget(2));
}

TEST_F(ListingRunWithStandIn, LeavesNoZombie)
{
    const ListingRun run = listArchive(fakeArchiverPath(), kArchive, std::nullopt);
    ASSERT_TRUE(run.started);
    const ArchiverRecord seen = record();
    ASSERT_TRUE(seen.present);
    // A zombie still answers; a collected process is gone.
    EXPECT_EQ(kill(seen.pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST_F(ListingRunWithStandIn, ReadsTranscriptsAsTheyStream)
{
    const QDir data(testDataPath(QStringLiteral("listing")));
    const QStringList files = data.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& file : files) {
        const QByteArray text = readFile(data.filePath(file));
        for (const char* piece : {"1", "7", "65536"}) {
            const ListingRun run = listPrinting(text, piece);
            ASSERT_TRUE(run.started);
            EXPECT_EQ(run.listing, readWhole(text)) << qPrintable(file) << " in pieces of " << piece;
        }
    }
}

TEST_F(ListingRunWithStandIn, ReadsALongListing)
{
    QByteArray text = "\n7-Zip\n\nListing archive: big.7z\n\n--\nPath = big.7z\nType = 7z\n\n----------\n";
    for (int i = 0; i < 60000; ++i) {
        text += "Path = wörk/" + QByteArray::number(i) + ".txt\nSize = 1\nEncrypted = -\n\n";
    }
    const ListingRun run = listPrinting(text, "4093");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.listing, readWhole(text));
    EXPECT_EQ(run.listing.amountFiles, 60000);
    EXPECT_EQ(run.listing.topLevelName, QStringLiteral("wörk"));
}

TEST_F(ListingRunWithStandIn, SilentToolGivesAnEmptyText)
{
    const ListingRun run = listPrinting(QByteArray());
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.listing.pieceCount, 1u);
    EXPECT_EQ(run.listing.amountFiles, 0);
    EXPECT_FALSE(run.listing.topLevelName);
    EXPECT_FALSE(run.listing.isEncrypted);
    EXPECT_FALSE(run.listing.isWrongPassword);
}

TEST_F(ListingRunWithStandIn, BytesThatAreNotUtf8GiveAnAbsentText)
{
    const ListingRun run = listPrinting("Path = a\nPath = \xC3(/x\n", "1");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.listing, readListing(std::nullopt));
    EXPECT_EQ(run.listing.passwordRuleCount(), -2);
}

TEST_F(ListingRunWithStandIn, PasswordWithNulIsWrongWithoutRunningTheTool)
{
    const ListingRun run = listArchive(fakeArchiverPath(), kArchive, QString::fromUtf8("se\0cret", 7));
    EXPECT_TRUE(run.started) << "nothing to report as a failure to start";
    EXPECT_TRUE(run.listing.isWrongPassword);
    EXPECT_FALSE(record().present) << "the tool would have seen a shorter password";
}

struct UnstartableCase {
    const char* name;
    int error;
};

void PrintTo(const UnstartableCase& c, std::ostream* out)
{
    *out << c.name;
}

class ListingRunUnstartable : public ::testing::TestWithParam<UnstartableCase> {};

TEST_P(ListingRunUnstartable, ReportsTheSystemsReason)
{
    QTemporaryDir dir;
    QString tool = dir.path() + QStringLiteral("/7z");
    const std::string name = GetParam().name;
    if (name == "NotExecutable")
        writeFile(tool, "#!/bin/sh\n");
    else if (name == "Folder")
        QDir().mkpath(tool);
    else if (name == "MissingFolder")
        tool = dir.path() + QStringLiteral("/missing/.utility/7z");

    const ListingRun run = listArchive(tool, QStringLiteral("/tmp/a.7z"), std::nullopt);
    EXPECT_FALSE(run.started);
    EXPECT_EQ(run.error, qt_error_string(GetParam().error));
    EXPECT_FALSE(run.error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Tools, ListingRunUnstartable,
    ::testing::Values(UnstartableCase {"Missing", ENOENT}, UnstartableCase {"MissingFolder", ENOENT},
        UnstartableCase {"NotExecutable", EACCES}, UnstartableCase {"Folder", EACCES}),
    [](const ::testing::TestParamInfo<UnstartableCase>& info) { return std::string(info.param.name); });

// Through the adapter at the tool path, against the installed 7-Zip.
class ListingRunWithSevenZip : public WithTestArchives {
protected:
    static ArchiveListing list(const QString& archive, const std::optional<QString>& password = std::nullopt)
    {
        const ListingRun run = listArchive(testToolPath(), archive, password);
        EXPECT_TRUE(run.started) << qPrintable(run.error);
        return run.listing;
    }
    static std::int32_t entries() { return std::int32_t(archives().entries.size()); }
};

TEST_F(ListingRunWithSevenZip, OpeningListings)
{
    // One archive level: the names listed are the names written.
    for (const QString& archive : {archives().plain7z, archives().plainZip, archives().oddlyNamed7z})
        EXPECT_EQ(list(archive), (ArchiveListing {std::uint64_t(entries() + 2), entries(), u"top"_qs, false, false, true, false, false, 1}))
            << qPrintable(archive);
    EXPECT_EQ(list(archives().entriesZip), (ArchiveListing {std::uint64_t(entries() + 2), entries(), u"top"_qs, true, false, true, false, false, 1}));

    const ArchiveListing headers = list(archives().headers7z);
    EXPECT_TRUE(headers.isEncrypted);
    EXPECT_EQ(headers.amountFiles, 0);
}

TEST_F(ListingRunWithSevenZip, VerifyingListings)
{
    const ArchiveListing right = list(archives().headers7z, TestArchives::password());
    EXPECT_FALSE(right.isWrongPassword);
    EXPECT_EQ(right.passwordRuleCount(), entries());

    for (const QString& wrong : {QStringLiteral("Secret"), QString(), QStringLiteral("secret ")}) {
        const ArchiveListing listing = list(archives().headers7z, wrong);
        EXPECT_TRUE(listing.isWrongPassword) << qPrintable(wrong);
        EXPECT_EQ(listing.passwordRuleCount(), -1) << qPrintable(wrong);
    }

    EXPECT_FALSE(list(archives().special7z, TestArchives::specialPassword()).isWrongPassword);
    EXPECT_TRUE(list(archives().special7z, TestArchives::specialPassword().chopped(1)).isWrongPassword);
}

} // namespace
