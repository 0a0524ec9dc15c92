// The archiver at the tool path, against the real 7-Zip and against a stand-in that records
// how it was started.
#include "core/Listing.h"
#include "support/WholeListing.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

#include <unistd.h>

using namespace quendle;
using namespace quendle::test;

namespace {

const QByteArray kSign = "Can not open encrypted archive. Wrong password?\n";

QString adapter()
{
    return testToolPath();
}

ToolRun runAdapter(const QStringList& arguments, ToolRunOptions options = {})
{
    return runTool(adapter(), arguments, options);
}

// ---------------------------------------------------------------------------------------------
// Against the installed 7-Zip.

class AdapterWithSevenZip : public WithTestArchives {
protected:
    void SetUp() override
    {
        WithTestArchives::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(QFileInfo(adapter()).isExecutable()) << qPrintable(adapter());
    }

    static void expectAllEntries(const QByteArray& out)
    {
        for (const QString& entry : archives().entries)
            EXPECT_TRUE(out.contains("\nPath = " + entry.toUtf8() + '\n')) << qPrintable(entry);
    }
};

class AdapterListsPlainArchives : public AdapterWithSevenZip,
                                  public ::testing::WithParamInterface<std::string> {};

TEST_P(AdapterListsPlainArchives, EveryEntryAndNoSign)
{
    const QString archive = GetParam() == "7z" ? archives().plain7z : archives().plainZip;
    const ToolRun run = runAdapter({QStringLiteral("l"), archive, QStringLiteral("-slt")});
    EXPECT_EQ(run.exitCode(), 0) << run.err.constData();
    expectAllEntries(run.out);
    EXPECT_FALSE(run.out.contains("Can not open encrypted archive."));

    const ArchiveListing listing = readListing(decodeListing(run.out));
    EXPECT_EQ(listing.amountFiles, archives().entries.size());
    EXPECT_EQ(listing.topLevelName, QStringLiteral("top"));
    EXPECT_FALSE(listing.isEncrypted);
    EXPECT_FALSE(listing.isWrongPassword);
}

INSTANTIATE_TEST_SUITE_P(Formats, AdapterListsPlainArchives, ::testing::Values(std::string("7z"), std::string("zip")),
    [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST_F(AdapterWithSevenZip, EncryptedHeadersWithoutPasswordShowTheSignAndNeverWaitForInput)
{
    // Standard input stays open and silent: 7-Zip must not be left waiting on it.
    ToolRunOptions options;
    options.stdinPipe = true;
    const ToolRun run = runAdapter({QStringLiteral("l"), archives().headers7z, QStringLiteral("-slt")}, options);
    EXPECT_TRUE(run.out.contains("Can not open encrypted archive.")) << run.out.constData();
    EXPECT_TRUE(run.out.endsWith("\n" + kSign));
    EXPECT_TRUE(run.exited());
    EXPECT_NE(run.exitCode(), 0) << "7-Zip's own status is kept";
}

TEST_F(AdapterWithSevenZip, EncryptedHeadersWithWrongOrEmptyPasswordShowWrongPassword)
{
    for (const QString& password : {QStringLiteral("-pwrong"), QStringLiteral("-p")}) {
        const ToolRun run = runAdapter({QStringLiteral("l"), archives().headers7z, QStringLiteral("-slt"), password});
        EXPECT_TRUE(run.out.contains("Wrong password")) << qPrintable(password);
        EXPECT_TRUE(run.err.contains("encrypted archive")) << "7-Zip's complaint still goes to standard error";
        EXPECT_NE(run.exitCode(), 0);
        EXPECT_FALSE(run.out.contains("\nPath = top")) << qPrintable(password);
    }
}

TEST_F(AdapterWithSevenZip, EncryptedHeadersWithTheRightPasswordListEverything)
{
    const ToolRun run = runAdapter({QStringLiteral("l"), archives().headers7z, QStringLiteral("-slt"),
        QStringLiteral("-p") + TestArchives::password()});
    EXPECT_EQ(run.exitCode(), 0) << run.err.constData();
    expectAllEntries(run.out);
    EXPECT_FALSE(run.out.contains("Wrong password"));
    EXPECT_TRUE(run.out.contains("Encrypted = +"));
}

TEST_F(AdapterWithSevenZip, PasswordWithShellCharactersAndLineFeedReachesSevenZip)
{
    const QStringList list {QStringLiteral("l"), archives().special7z, QStringLiteral("-slt")};
    const ToolRun right = runAdapter(list + QStringList {QStringLiteral("-p") + TestArchives::specialPassword()});
    EXPECT_EQ(right.exitCode(), 0) << right.err.constData();
    expectAllEntries(right.out);

    // Without its line feed it is another password.
    QString shortened = TestArchives::specialPassword();
    shortened.remove(u'\n');
    const ToolRun wrong = runAdapter(list + QStringList {QStringLiteral("-p") + shortened});
    EXPECT_TRUE(wrong.out.contains("Wrong password"));

    QTemporaryDir destination;
    const ToolRun extraction = runAdapter({QStringLiteral("x"), archives().special7z,
        QStringLiteral("-o") + destination.path(), QStringLiteral("-aoa"),
        QStringLiteral("-p") + TestArchives::specialPassword()});
    EXPECT_EQ(extraction.exitCode(), 0) << extraction.out.constData();
    EXPECT_TRUE(QFile::exists(destination.path() + QStringLiteral("/top/sub/inner.txt")));
}

TEST_F(AdapterWithSevenZip, EncryptedEntriesShowEncryptedPlusWithoutPassword)
{
    const ToolRun run = runAdapter({QStringLiteral("l"), archives().entriesZip, QStringLiteral("-slt")});
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_TRUE(run.out.contains("Encrypted = +"));
    EXPECT_FALSE(run.out.contains("Can not open encrypted archive."));
    expectAllEntries(run.out);
}

// The caller's locale must not change what 7-Zip reads or writes.
struct LocaleCase {
    const char* name;
    const char* lang;  // none: unset
    const char* lcAll; // none: unset
};

void PrintTo(const LocaleCase& c, std::ostream* out)
{
    *out << c.name;
}

class AdapterInAnyLocale : public AdapterWithSevenZip, public ::testing::WithParamInterface<LocaleCase> {
protected:
    ToolRunOptions options() const
    {
        ToolRunOptions options;
        const char* lang = GetParam().lang;
        const char* lcAll = GetParam().lcAll;
        options.environment = {{"LANG", lang ? std::optional<QByteArray>(lang) : std::nullopt},
            {"LC_ALL", lcAll ? std::optional<QByteArray>(lcAll) : std::nullopt},
            {"LC_CTYPE", std::nullopt}};
        return options;
    }
};

TEST_P(AdapterInAnyLocale, ListingIsUtf8AndHasEveryName)
{
    for (const QString& archive : {archives().plain7z, archives().oddlyNamed7z}) {
        const ToolRun run = runAdapter({QStringLiteral("l"), archive, QStringLiteral("-slt")}, options());
        EXPECT_EQ(run.exitCode(), 0) << qPrintable(archive) << run.err.constData();
        const std::optional<QString> text = decodeListing(run.out);
        ASSERT_TRUE(text) << "not UTF-8";
        EXPECT_TRUE(text->contains(u"\nPath = top/Ünïcødé ñame.txt\n"));
        EXPECT_TRUE(text->contains(u"\nPath = top/quote\"d 'name'.txt\n"));
        EXPECT_TRUE(text->contains(u"\nPath = top/-leading dash.txt\n"));
        EXPECT_TRUE(text->contains(u"\nPath = top/with space.txt\n"));
    }
}

TEST_P(AdapterInAnyLocale, ExtractionKeepsTheNames)
{
    QTemporaryDir destination;
    const ToolRun run = runAdapter({QStringLiteral("x"), archives().oddlyNamed7z,
        QStringLiteral("-o") + destination.path(), QStringLiteral("-aoa")}, options());
    EXPECT_EQ(run.exitCode(), 0) << run.out.constData() << run.err.constData();
    EXPECT_EQ(readFile(destination.path() + QStringLiteral("/top/Ünïcødé ñame.txt")),
        QByteArray("top/Ünïcødé ñame.txt\n"));
    EXPECT_TRUE(QFile::exists(destination.path() + QStringLiteral("/top/-leading dash.txt")));
}

INSTANTIATE_TEST_SUITE_P(Locales, AdapterInAnyLocale,
    ::testing::Values(LocaleCase {"AllC", "C", "C"}, LocaleCase {"LangC", "C", nullptr},
        LocaleCase {"Unset", nullptr, nullptr}, LocaleCase {"PosixOverUtf8", "C.UTF-8", "POSIX"}),
    [](const ::testing::TestParamInfo<LocaleCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Against the stand-in, which shows exactly what 7-Zip would be given.

class AdapterWithStandIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(adapter()).isExecutable()) << qPrintable(adapter());
        mRecord = mDir.path() + QStringLiteral("/record");
        mBin = mDir.path() + QStringLiteral("/bin");
        QDir().mkpath(mBin);
        installAs(mBin, QStringLiteral("7zz"));
    }

    static void installAs(const QString& folder, const QString& name)
    {
        QDir().mkpath(folder);
        ASSERT_TRUE(QFile::link(fakeArchiverPath(), folder + u'/' + name));
    }

    // Runs the adapter with only the stand-in's folder on PATH.
    ToolRun run(const QStringList& arguments, std::vector<std::pair<QByteArray, std::optional<QByteArray>>> environment = {},
        ToolRunOptions options = {})
    {
        options.environment = {{"PATH", QFile::encodeName(mBin)}, {"FAKE_ARCHIVER_RECORD", QFile::encodeName(mRecord)}};
        options.environment.insert(options.environment.end(), environment.begin(), environment.end());
        return runAdapter(arguments, options);
    }

    QString writeData(const QString& name, const QByteArray& contents)
    {
        const QString path = mDir.path() + u'/' + name;
        writeFile(path, contents);
        return path;
    }

    ArchiverRecord record() const { return readRecord(mRecord); }

    QTemporaryDir mDir;
    QString mRecord;
    QString mBin;
};

struct PassThroughCase {
    const char* name;
    QStringList arguments;
};

void PrintTo(const PassThroughCase& c, std::ostream* out)
{
    *out << c.name;
}

class AdapterPassesArguments : public AdapterWithStandIn,
                               public ::testing::WithParamInterface<PassThroughCase> {};

TEST_P(AdapterPassesArguments, UnchangedBehindTheUtf8AndLiteralNameSwitches)
{
    const QStringList arguments = GetParam().arguments;
    const ToolRun result = run(arguments);
    ASSERT_EQ(result.exitCode(), 0) << result.err.constData();
    const ArchiverRecord seen = record();
    ASSERT_TRUE(seen.present);

    QList<QByteArray> expected;
    for (const QString& argument : arguments)
        expected.append(argument.toUtf8());
    if (!expected.isEmpty()) {
        expected.insert(1, "-sccUTF-8");
        expected.insert(2, "-spd");
    }
    EXPECT_EQ(seen.arguments, expected);
    EXPECT_EQ(seen.argv0, QFile::encodeName(mBin + QStringLiteral("/7zz")));
}

const QString kArchive = QStringLiteral("/tmp/some folder/\"quoted\" 'archive' ü.7z");

QStringList listingWith(const QString& password)
{
    return {QStringLiteral("l"), kArchive, QStringLiteral("-slt"), QStringLiteral("-p") + password};
}

INSTANTIATE_TEST_SUITE_P(Vectors, AdapterPassesArguments,
    ::testing::Values(PassThroughCase {"NoPassword", {QStringLiteral("l"), kArchive, QStringLiteral("-slt")}},
        PassThroughCase {"EmptyPassword", listingWith(QString())},
        PassThroughCase {"Spaces", listingWith(QStringLiteral("with  two spaces "))},
        PassThroughCase {"Quotes", listingWith(QStringLiteral("\"double\" 'single' \\"))},
        PassThroughCase {"Dollar", listingWith(QStringLiteral("$HOME${PATH}$(id)`id`"))},
        PassThroughCase {"Semicolon", listingWith(QStringLiteral("a;b|c&d>e"))},
        PassThroughCase {"Star", listingWith(QStringLiteral("* ? [a-z]"))},
        PassThroughCase {"LineFeed", listingWith(QStringLiteral("line\nfeed\n"))},
        PassThroughCase {"NonAscii", listingWith(QStringLiteral("pässwörd €"))},
        PassThroughCase {"Extraction",
            {QStringLiteral("x"), kArchive, QStringLiteral("-o/tmp/dest folder/$x"), QStringLiteral("-aoa"),
                QStringLiteral("-p;rm -rf *")}},
        PassThroughCase {"DoubleDash", {QStringLiteral("l"), QStringLiteral("--"), QStringLiteral("-archive.7z")}},
        PassThroughCase {"Nothing", {}}),
    [](const ::testing::TestParamInfo<PassThroughCase>& info) { return std::string(info.param.name); });

TEST_F(AdapterWithStandIn, SevenZipGetsNoInputAndAUtf8Locale)
{
    for (const QString& command : {QStringLiteral("l"), QStringLiteral("x")}) {
        ToolRunOptions options;
        options.stdinPipe = true;
        const ToolRun result = run({command, kArchive}, {{"LC_ALL", "C"}, {"LANG", "C"}}, options);
        ASSERT_EQ(result.exitCode(), 0);
        const ArchiverRecord seen = record();
        EXPECT_EQ(seen.stdinTarget, QByteArray("/dev/null")) << qPrintable(command);
        EXPECT_EQ(seen.lcAll, QByteArray("C.UTF-8")) << qPrintable(command);
    }
}

TEST_F(AdapterWithStandIn, OtherCommandsBecomeSevenZipWhileListingAndExtractionStandBetween)
{
    const ToolRun other = run({QStringLiteral("t"), kArchive});
    EXPECT_EQ(record().pid, other.pid);
    const ToolRun extraction = run({QStringLiteral("x"), kArchive});
    EXPECT_NE(record().pid, extraction.pid);
    const ToolRun listing = run({QStringLiteral("l"), kArchive});
    EXPECT_NE(record().pid, listing.pid);
}

struct EndCase {
    const char* name;
    const char* command;
    const char* variable;
    const char* value;
    int exitCode;
    int signal;
};

void PrintTo(const EndCase& c, std::ostream* out)
{
    *out << c.name;
}

class AdapterKeepsTheEnd : public AdapterWithStandIn, public ::testing::WithParamInterface<EndCase> {};

TEST_P(AdapterKeepsTheEnd, OfSevenZip)
{
    const EndCase c = GetParam();
    const ToolRun result = run({QString::fromLatin1(c.command), kArchive}, {{c.variable, c.value}});
    EXPECT_EQ(result.exitCode(), c.exitCode);
    EXPECT_EQ(result.signal(), c.signal);
}

INSTANTIATE_TEST_SUITE_P(Statuses, AdapterKeepsTheEnd,
    ::testing::Values(EndCase {"ListingStatus", "l", "FAKE_ARCHIVER_EXIT", "2", 2, 0},
        EndCase {"ExtractionStatus", "x", "FAKE_ARCHIVER_EXIT", "2", 2, 0},
        EndCase {"ListingStatus255", "l", "FAKE_ARCHIVER_EXIT", "255", 255, 0},
        EndCase {"ListingSignal", "l", "FAKE_ARCHIVER_SIGNAL", "10", -1, SIGUSR1},
        EndCase {"ExtractionSignal", "x", "FAKE_ARCHIVER_SIGNAL", "10", -1, SIGUSR1}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

class AdapterStops : public AdapterWithStandIn, public ::testing::WithParamInterface<const char*> {};

TEST_P(AdapterStops, SevenZipOnTheTerminationSignal)
{
    const QString out = writeData(QStringLiteral("ready"), "Listing archive: x\n");
    ToolRunOptions options;
    bool sent = false;
    options.onOutput = [&sent](pid_t pid, const QByteArray& output) {
        if (!sent && output.contains('\n')) {
            sent = true;
            kill(pid, SIGTERM);
        }
    };
    const ToolRun result = run({QString::fromLatin1(GetParam()), kArchive},
        {{"FAKE_ARCHIVER_STDOUT", QFile::encodeName(out)}, {"FAKE_ARCHIVER_WAIT", "1"}}, options);
    EXPECT_TRUE(sent);
    EXPECT_EQ(result.signal(), SIGTERM);
    const ArchiverRecord seen = record();
    ASSERT_TRUE(seen.present);
    // 7-Zip has ended and been collected, not left behind.
    EXPECT_EQ(kill(seen.pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

INSTANTIATE_TEST_SUITE_P(Commands, AdapterStops, ::testing::Values("l", "x"));

TEST_F(AdapterWithStandIn, PrefersSevenZipNamesInOrderThenPathOrder)
{
    struct Case {
        QStringList first;  // names in the first PATH folder
        QStringList second; // names in the second
        QString chosen;     // "1/7z" etc.
    };
    const QList<Case> cases {
        {{QStringLiteral("7za")}, {QStringLiteral("7zz")}, QStringLiteral("2/7zz")},
        {{QStringLiteral("7za"), QStringLiteral("7z")}, {}, QStringLiteral("1/7z")},
        {{QStringLiteral("7za")}, {QStringLiteral("7z")}, QStringLiteral("2/7z")},
        {{QStringLiteral("7za")}, {QStringLiteral("7za")}, QStringLiteral("1/7za")},
        {{QStringLiteral("7z")}, {QStringLiteral("7z")}, QStringLiteral("1/7z")},
    };
    int round = 0;
    for (const Case& c : cases) {
        const QString base = mDir.path() + QStringLiteral("/order") + QString::number(round++);
        for (const QString& name : c.first)
            installAs(base + QStringLiteral("/1"), name);
        for (const QString& name : c.second)
            installAs(base + QStringLiteral("/2"), name);
        ToolRunOptions options;
        options.environment = {{"PATH", QFile::encodeName(base + QStringLiteral("/1:") + base + QStringLiteral("/2"))},
            {"FAKE_ARCHIVER_RECORD", QFile::encodeName(mRecord)}};
        const ToolRun result = runAdapter({QStringLiteral("l")}, options);
        EXPECT_EQ(result.exitCode(), 0);
        EXPECT_EQ(record().argv0, QFile::encodeName(base + u'/' + c.chosen));
    }
}

TEST_F(AdapterWithStandIn, NeverRunsItselfNorAnythingFromARelativeFolder)
{
    // The adapter is itself called 7z: its own folder on PATH must not make it run itself.
    const QString own = QFileInfo(adapter()).absolutePath();
    ToolRunOptions options;
    options.environment = {{"PATH", QFile::encodeName(own + u':' + mBin)},
        {"FAKE_ARCHIVER_RECORD", QFile::encodeName(mRecord)}};
    EXPECT_EQ(runAdapter({QStringLiteral("l")}, options).exitCode(), 0);
    EXPECT_EQ(record().argv0, QFile::encodeName(mBin + QStringLiteral("/7zz")));

    // A 7zz in the working folder is not taken from an empty or relative PATH entry.
    options.environment = {{"PATH", QByteArray("bin::.")}};
    options.workingDirectory = mDir.path();
    installAs(mDir.path(), QStringLiteral("7zz"));
    const ToolRun relative = runAdapter({QStringLiteral("l")}, options);
    EXPECT_EQ(relative.exitCode(), 127);
}

TEST_F(AdapterWithStandIn, WithoutSevenZipSaysSoAndExits127)
{
    QTemporaryDir empty;
    for (const QString& command : {QStringLiteral("l"), QStringLiteral("x")}) {
        ToolRunOptions options;
        options.environment = {{"PATH", QFile::encodeName(empty.path()) + ":/nonexistent"}};
        const ToolRun result = runAdapter({command, kArchive}, options);
        EXPECT_EQ(result.exitCode(), 127);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.contains("7-Zip")) << result.err.constData();
    }
}

// What 7-Zip prints, and whether the adapter must add the sign to the listing.
struct SignCase {
    const char* name;
    const char* command;
    QByteArray out;
    QByteArray err;
    bool sign;
    // What reaches standard error: 7-Zip's complaint about an archive it could not open
    // without a password is not for the terminal, the listing's sign tells it.
    QByteArray relayedErr = {};
    const char* password = nullptr;
};

void PrintTo(const SignCase& c, std::ostream* out)
{
    *out << c.name;
}

class AdapterAddsTheSign : public AdapterWithStandIn,
                           public ::testing::WithParamInterface<SignCase> {};

TEST_P(AdapterAddsTheSign, ExactlyWhenSevenZipCouldNotOpenIt)
{
    const SignCase c = GetParam();
    const QString out = writeData(QStringLiteral("out"), c.out);
    const QString err = writeData(QStringLiteral("err"), c.err);
    // One byte at a time and in larger pieces, so that every text is split somewhere.
    for (const char* chunk : {"1", "3", "4096"}) {
        QStringList arguments {QString::fromLatin1(c.command), kArchive};
        if (c.password)
            arguments << QStringLiteral("-p") + QString::fromUtf8(c.password);
        const ToolRun result = run(arguments,
            {{"FAKE_ARCHIVER_STDOUT", QFile::encodeName(out)}, {"FAKE_ARCHIVER_STDERR", QFile::encodeName(err)},
                {"FAKE_ARCHIVER_CHUNK", chunk}});
        QByteArray expected = c.out;
        if (c.sign) {
            if (!expected.isEmpty() && !expected.endsWith('\n'))
                expected += '\n';
            expected += kSign;
        }
        EXPECT_EQ(result.out, expected) << "chunk " << chunk;
        EXPECT_EQ(result.err, c.relayedErr) << "chunk " << chunk;
    }
}

const QByteArray kPreamble = "\n7-Zip (z) 26.02 (x64)\n\nScanning the drive for archives:\n1 file\n\nListing archive: x.7z\n\n";

INSTANTIATE_TEST_SUITE_P(Outputs, AdapterAddsTheSign,
    ::testing::Values(SignCase {"PasswordPrompt", "l", kPreamble + "\nEnter password (will not be echoed):\n",
                          "\n\nBreak signaled\n", true, ""},
        SignCase {"PromptWithoutLineFeed", "l", kPreamble + "Enter password (will not be echoed):", "", true, ""},
        SignCase {"RefusedPassword", "l", kPreamble + "\nErrors: 1\n",
            "\nERROR: x.7z : Cannot open encrypted archive. Wrong password?\n\n", true, ""},
        SignCase {"OlderWording", "l", kPreamble, "ERROR: x.7z\nCan not open encrypted archive. Wrong password?\n", true, ""},
        SignCase {"OtherErrorsStay", "l", kPreamble + "\nErrors: 1\n",
            "\nERROR: x.7z : Cannot open encrypted archive. Wrong password?\nWARNING: x.7z : disk error\n", true,
            "WARNING: x.7z : disk error\n"},
        SignCase {"RefusedTypedPasswordIsReported", "l", kPreamble + "\nErrors: 1\n",
            "\nERROR: x.7z : Cannot open encrypted archive. Wrong password?\n\n", true,
            "\nERROR: x.7z : Cannot open encrypted archive. Wrong password?\n\n", "typed"},
        SignCase {"NotOpenedForAnotherReason", "l", kPreamble, "ERROR: x.7z : Cannot open the file as archive\n", false,
            "ERROR: x.7z : Cannot open the file as archive\n"},
        SignCase {"PlainListing", "l", kPreamble + "--\nPath = x.7z\nType = 7z\n\n----------\nPath = a\n", "", false},
        SignCase {"PromptTextInsideAName", "l", kPreamble + "Path = Enter password.txt\nPath = x/Enter password\n", "", false},
        SignCase {"ComplaintAsANameOnStandardOutput", "l",
            kPreamble + "Path = Cannot open encrypted archive.txt\n", "", false},
        SignCase {"Silent", "l", "", "", false},
        SignCase {"ExtractionIsLeftAlone", "x", kPreamble + "Enter password (will not be echoed):\n",
            "ERROR: x.7z : Cannot open encrypted archive. Wrong password?\n", false,
            "ERROR: x.7z : Cannot open encrypted archive. Wrong password?\n"}),
    [](const ::testing::TestParamInfo<SignCase>& info) { return std::string(info.param.name); });

TEST_F(AdapterWithStandIn, RelaysValidListingsUnchangedAndMendsInvalidOnes)
{
    // Megabytes of text in every length of UTF-8 sequence, cut into chunks that split them.
    QString text;
    quint32 seed = 12345;
    while (text.size() < 1500000) {
        seed = seed * 1664525u + 1013904223u;
        const char32_t samples[] = {U'a', U'\n', U'é', U'€', U'😀', U'Ω', U' ', U'P'};
        text += QString::fromUcs4(&samples[(seed >> 24) % 8], 1);
    }
    const QByteArray valid = text.toUtf8();
    const QString validFile = writeData(QStringLiteral("valid"), valid);
    const ToolRun same = run({QStringLiteral("l"), kArchive},
        {{"FAKE_ARCHIVER_STDOUT", QFile::encodeName(validFile)}, {"FAKE_ARCHIVER_CHUNK", "1001"}});
    EXPECT_TRUE(same.out == valid);

    // Random bytes come out readable, with every ASCII byte kept in place.
    QByteArray bytes(1 << 20, '\0');
    for (char& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = char(seed >> 24);
    }
    const QString randomFile = writeData(QStringLiteral("random"), bytes);
    const QString err = writeData(QStringLiteral("err"), bytes.first(100000));
    const ToolRun mended = run({QStringLiteral("l"), kArchive},
        {{"FAKE_ARCHIVER_STDOUT", QFile::encodeName(randomFile)}, {"FAKE_ARCHIVER_STDERR", QFile::encodeName(err)},
            {"FAKE_ARCHIVER_CHUNK", "1000"}});
    const std::optional<QString> decoded = decodeListing(mended.out);
    ASSERT_TRUE(decoded);
    QByteArray asciiIn;
    for (char byte : bytes) {
        if (uchar(byte) < 0x80)
            asciiIn += byte;
    }
    QByteArray asciiOut;
    for (char byte : mended.out) {
        if (uchar(byte) < 0x80)
            asciiOut += byte;
    }
    EXPECT_TRUE(asciiIn == asciiOut);
    EXPECT_TRUE(mended.err == bytes.first(100000)) << "standard error is not the listing: left as it is";
}

} // namespace
