// Faults met by the real quendle, end to end: 7-Zip killed half-way, the archiver missing or
// not executable, a destination it may not write, a full disk, a read-only Trash, and a
// settings file it cannot read. Each time: the right alert, the application ends, and nothing
// of the user's is lost.
#include "Hardening.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <sys/stat.h>

using namespace quendle::hardening;

namespace {

const QString kCannotExpand = QStringLiteral("Cannot Expand Archive.");
// The status of a run whose archive could not be expanded.
constexpr int kExpansionFailed = 2;
const QString kCannotStart = QStringLiteral("Cannot Start the Archiver.");
const QString kCannotTrash = QStringLiteral("Cannot Trash Source Files.");
const QString kAlreadyExists = QStringLiteral("already exists.");
const QString kNotMoved = QStringLiteral("could not be moved to the Trash.");

// What a run may change without anyone losing anything: quendle's runtime folder (its
// single-instance socket) and its cache.
const QStringList kVolatile {QStringLiteral("run"), QStringLiteral("cache")};

void writeFile(const QString& path, const QByteArray& contents)
{
    ASSERT_TRUE(quendle::test::writeFile(path, contents)) << path.toStdString();
}

// Makes an archive with 7-Zip from relative paths and contents, in a folder of its own.
void makeArchive(const QString& archive, const Tree& files, const QStringList& switches = {})
{
    QString output;
    ASSERT_TRUE(quendle::test::makeArchive(archive, files, switches, &output)) << output.toStdString();
}

void setMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

// Makes a folder (and what it holds) one the account may not write: owned by the superuser when
// the tests run as root, else without write permission. Undone when the object goes.
class Locked {
public:
    Locked(const Account& account, const QString& folder)
        : mFolder(folder)
        , mOwnerChange(!account.isSelf)
    {
        apply(true);
    }
    ~Locked() { apply(false); }

private:
    void apply(bool lock)
    {
        namespace fs = std::filesystem;
        std::vector<fs::path> paths {fs::path(QFile::encodeName(mFolder).toStdString())};
        for (const auto& entry : fs::recursive_directory_iterator(paths.front()))
            paths.push_back(entry.path());
        for (const fs::path& path : paths) {
            const bool folder = fs::is_directory(fs::symlink_status(path));
            if (mOwnerChange) {
                // Back to the account afterwards would need its ids; the sandbox is removed
                // by root anyway, so the superuser keeps it.
                if (lock)
                    [[maybe_unused]] const int ignored = ::lchown(path.c_str(), 0, 0);
            } else {
                ::chmod(path.c_str(), lock ? (folder ? 0555 : 0444) : (folder ? 0755 : 0644));
            }
        }
    }

    QString mFolder;
    bool mOwnerChange;
};

// Processes whose command line mentions the text (an archive path): none may outlive a run.
QStringList processesMentioning(const QString& text)
{
    QStringList found;
    const QByteArray needle = QFile::encodeName(text);
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        entry.toInt(&isNumber);
        if (!isNumber)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(needle))
            found << entry + u' ' + commandName(entry.toInt());
    }
    return found;
}

// The account to run as when a permission must hold; the test is skipped without one.
#define REQUIRE_UNPRIVILEGED_ACCOUNT(account)                                                           \
    QString whyNoAccount;                                                                               \
    const std::optional<Account> account = unprivilegedAccount(&whyNoAccount);                         \
    if (!account)                                                                                       \
        GTEST_SKIP() << whyNoAccount.toStdString();

std::string show(const QuendleRun& run) { return run.describe().toStdString(); }

// One line per run for the record of what quendle did.
void record(const QuendleRun& run)
{
    const QString line = QStringLiteral("exit %1; said: %2").arg(run.exitCode).arg(run.alerts());
    testing::Test::RecordProperty("outcome", line.toStdString());
    std::cout << "[ outcome  ] " << line.toStdString() << std::endl;
}

} // namespace

TEST(Faults, SevenZipKilledInTheMiddleOfAnExtraction)
{
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")},
        {QStringLiteral("ActionAfterExpanding"), QStringLiteral("1")}});
    const QString archive = box.work() + QStringLiteral("/zeros.gz");
    QString output;
    ASSERT_TRUE(writeZerosGzip(archive, QStringLiteral("zeros"), 2, &output)) << output.toStdString();
    writeFile(box.work() + QStringLiteral("/beside.txt"), "beside the archive");
    writeFile(box.home() + QStringLiteral("/Documents/keep.txt"), "elsewhere");
    // The partial item and the Trash it goes to are looked at on their own.
    const QStringList changing = kVolatile + QStringList {QStringLiteral("work/zeros"), QStringLiteral("data/Trash")};
    const Snapshot before = snapshot(box.root(), changing);

    pid_t killed = -1;
    qint64 writtenWhenKilled = -1;
    RunOptions options;
    options.whileRunning = [&](pid_t quendle) {
        // Killed once it has written something, long before its 2 GiB.
        const pid_t sevenZip = quendle::test::descendantNamed(quendle, QStringLiteral("7zz"));
        const QFileInfo partial(box.work() + QStringLiteral("/zeros"));
        if (sevenZip <= 0 || !partial.exists() || partial.size() == 0)
            return true;
        writtenWhenKilled = partial.size();
        if (::kill(sevenZip, SIGKILL) == 0)
            killed = sevenZip;
        return false;
    };
    const QuendleRun run = runQuendle(box, {archive}, options);
    record(run);

    ASSERT_TRUE(run.finished) << show(run);
    ASSERT_GT(killed, 0) << "7-Zip was never seen writing\n" << show(run);
    EXPECT_LT(writtenWhenKilled, qint64(2) << 30);
    EXPECT_FALSE(run.crashed) << show(run);
    EXPECT_EQ(run.exitCode, kExpansionFailed) << show(run);
    EXPECT_TRUE(run.err.contains(kCannotExpand)) << show(run);
    // The completion steps ran after the alert: the partial item went to the Trash, as the
    // preferences ask for any expanded item.
    EXPECT_FALSE(QFileInfo::exists(box.work() + QStringLiteral("/zeros")));
    EXPECT_TRUE(QFileInfo::exists(box.homeTrash() + QStringLiteral("/files/zeros")));
    EXPECT_TRUE(QFileInfo::exists(box.homeTrash() + QStringLiteral("/info/zeros.trashinfo")));
    // The archive and everything else is as it was, and no 7-Zip is left running.
    EXPECT_EQ(differences(before, snapshot(box.root(), changing)), QStringList());
    EXPECT_EQ(processesMentioning(archive), QStringList());
}

struct BrokenTool {
    const char* name;
    std::function<void(const QString& tool)> make; // given the tool path inside an empty resource folder
};
void PrintTo(const BrokenTool& value, std::ostream* out) { *out << value.name; }


class ArchiverThatCannotStart : public testing::TestWithParam<BrokenTool> { };

TEST_P(ArchiverThatCannotStart, IsReportedAndTheApplicationEnds)
{
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")}});
    const QString archive = box.work() + QStringLiteral("/a.zip");
    makeArchive(archive, {{QStringLiteral("a/file.txt"), "a"}});
    const QString resources = box.root() + QStringLiteral("/resources");
    QDir().mkpath(resources + QStringLiteral("/.utility"));
    GetParam().make(resources + QStringLiteral("/.utility/7z"));
    const Snapshot before = snapshot(box.root(), kVolatile);

    RunOptions options;
    options.environment.insert(QStringLiteral("QUENDLE_RESOURCE_PATH"), resources);
    options.timeoutMs = 60000;
    const QuendleRun run = runQuendle(box, {archive}, options);
    record(run);

    ASSERT_TRUE(run.finished) << "quendle hangs\n" << show(run);
    EXPECT_FALSE(run.crashed) << show(run);
    EXPECT_EQ(run.exitCode, kExpansionFailed) << show(run);
    EXPECT_TRUE(run.err.contains(kCannotStart)) << show(run);
    EXPECT_TRUE(run.err.contains(resources + QStringLiteral("/.utility/7z"))) << show(run);
    EXPECT_EQ(differences(before, snapshot(box.root(), kVolatile)), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Tools, ArchiverThatCannotStart,
    testing::Values(BrokenTool {"Missing", [](const QString&) {}},
        BrokenTool {"NotExecutable",
            [](const QString& tool) {
                QFile::copy(resourcePath() + QStringLiteral("/.utility/7z"), tool);
                setMode(tool, 0644);
            }},
        BrokenTool {"AFolder", [](const QString& tool) { QDir().mkpath(tool); }}),
    [](const testing::TestParamInfo<BrokenTool>& info) { return std::string(info.param.name); });

TEST(Faults, DestinationFolderThatIsNotWritable)
{
    REQUIRE_UNPRIVILEGED_ACCOUNT(account);
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")}});
    const QString locked = box.work() + QStringLiteral("/locked");
    const QString archive = locked + QStringLiteral("/a.zip");
    makeArchive(archive, {{QStringLiteral("a/file.txt"), "a"}});
    box.giveTo(*account);
    const Locked lock(*account, locked);
    const Snapshot before = snapshot(box.root(), kVolatile);

    RunOptions options;
    options.as = account;
    const QuendleRun run = runQuendle(box, {archive}, options);
    record(run);

    ASSERT_TRUE(run.finished) << show(run);
    EXPECT_FALSE(run.crashed) << show(run);
    EXPECT_EQ(run.exitCode, kExpansionFailed) << show(run);
    EXPECT_TRUE(run.err.contains(kCannotExpand)) << show(run);
    EXPECT_EQ(differences(before, snapshot(box.root(), kVolatile)), QStringList());
}

TEST(Faults, ExistingItemInAFolderThatIsNotWritableIsKeptWhenReplacingFails)
{
    REQUIRE_UNPRIVILEGED_ACCOUNT(account);
    if (account->isSelf)
        GTEST_SKIP() << "7-Zip may give its own files back their write permission: only the superuser can make a folder its user cannot change";
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")}});
    const QString locked = box.work() + QStringLiteral("/locked");
    const QString archive = locked + QStringLiteral("/a.zip");
    makeArchive(archive, {{QStringLiteral("a/file.txt"), "from the archive"}});
    writeFile(locked + QStringLiteral("/a/file.txt"), "the user's own");
    box.giveTo(*account);
    const Locked lock(*account, locked);
    const Snapshot before = snapshot(box.root(), kVolatile);

    // The replace prompt is answered OK; the item cannot go to the Trash, so nothing is
    // extracted over it and the request fails.
    RunOptions options;
    options.as = account;
    options.typedAnswers = {QStringLiteral("1"), QStringLiteral("1")};
    const QuendleRun run = runQuendle(box, {archive}, options);
    record(run);

    ASSERT_TRUE(run.finished) << show(run);
    EXPECT_FALSE(run.crashed) << show(run);
    EXPECT_EQ(run.exitCode, kExpansionFailed) << show(run);
    EXPECT_TRUE(run.err.contains(kAlreadyExists)) << show(run);
    EXPECT_TRUE(run.err.contains(kNotMoved)) << show(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral("You are not allowed to move items out of the folder"))) << show(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral("nothing of yours was changed"))) << show(run);
    EXPECT_EQ(readFile(locked + QStringLiteral("/a/file.txt")), QByteArray("the user's own"));
    EXPECT_EQ(differences(before, snapshot(box.root(), kVolatile)), QStringList());
}

TEST(Faults, ItemSentToTheTrashStaysThereWhenTheExtractionCannotWrite)
{
    REQUIRE_UNPRIVILEGED_ACCOUNT(account);
    if (account->isSelf)
        GTEST_SKIP() << "7-Zip may give its own folders back their write permission: only the superuser can make a folder its user cannot change";
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")}});
    // The archive's item is "b", and the replace prompt asks about "a" (the archive's name)
    // and then about "b", a folder the account may not write into nor move.
    const QString folder = box.work() + QStringLiteral("/sub");
    const QString archive = folder + QStringLiteral("/a.zip");
    makeArchive(archive, {{QStringLiteral("b/file.txt"), "b"}});
    writeFile(folder + QStringLiteral("/a/precious.txt"), "precious");
    QDir().mkpath(folder + QStringLiteral("/b"));
    box.giveTo(*account);
    const Locked lock(*account, folder + QStringLiteral("/b"));
    const QStringList changing = kVolatile + QStringList {QStringLiteral("work/sub/a"), QStringLiteral("data/Trash")};
    const Snapshot before = snapshot(box.root(), changing);

    RunOptions options;
    options.as = account;
    // OK for "a", OK for "b"; "b" cannot be moved (being locked), so nothing is extracted and
    // the alert says where "a" went.
    options.typedAnswers = {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")};
    const QuendleRun run = runQuendle(box, {archive}, options);
    record(run);

    ASSERT_TRUE(run.finished) << show(run);
    EXPECT_FALSE(run.crashed) << show(run);
    EXPECT_EQ(run.exitCode, kExpansionFailed) << show(run);
    EXPECT_TRUE(run.err.contains(kAlreadyExists)) << show(run);
    EXPECT_TRUE(run.err.contains(kNotMoved)) << show(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral("/sub/a\" is in the Trash"))) << show(run);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/a")));
    EXPECT_EQ(readFile(box.homeTrash() + QStringLiteral("/files/a/precious.txt")), QByteArray("precious"));
    EXPECT_TRUE(readFile(box.homeTrash() + QStringLiteral("/info/a.trashinfo")).contains("Path=" + QFile::encodeName(folder) + "/a\n"));
    EXPECT_EQ(differences(before, snapshot(box.root(), changing)), QStringList());
}

TEST(Faults, FullDiskAfterTheReplacePromptKeepsTheTrashedItem)
{
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")}});
    const QString small = box.root() + QStringLiteral("/small");
    QDir().mkpath(small);
    // Four MiB of zeros pack into a few KiB and cannot fit on a 1 MiB file system.
    const QString made = box.work() + QStringLiteral("/a.7z");
    makeArchive(made, {{QStringLiteral("a/zeros.bin"), QByteArray(4 << 20, '\0')}, {QStringLiteral("a/after.txt"), "after"}});
    Mount mount;
    QString whyNot;
    if (!mount.tmpfs(small, QStringLiteral("size=1m"), &whyNot))
        GTEST_SKIP() << whyNot.toStdString();
    const QString archive = small + QStringLiteral("/a.7z");
    ASSERT_TRUE(QFile::copy(made, archive));
    writeFile(small + QStringLiteral("/a/precious.txt"), "precious");
    const QByteArray archiveBytes = readFile(archive);

    RunOptions options;
    options.typedAnswers = {QStringLiteral("1"), QStringLiteral("1")};
    const QuendleRun run = runQuendle(box, {archive}, options);
    record(run);

    ASSERT_TRUE(run.finished) << show(run);
    EXPECT_FALSE(run.crashed) << show(run);
    EXPECT_EQ(run.exitCode, kExpansionFailed) << show(run);
    EXPECT_TRUE(run.err.contains(kAlreadyExists)) << show(run);
    EXPECT_TRUE(run.err.contains(kCannotExpand)) << show(run);
    // The item went to the file system's own Trash before the disk filled, and is still there.
    const QString trash = small + QStringLiteral("/.Trash-%1").arg(::getuid());
    EXPECT_EQ(readFile(trash + QStringLiteral("/files/a/precious.txt")), QByteArray("precious"));
    EXPECT_TRUE(readFile(trash + QStringLiteral("/info/a.trashinfo")).contains("Path=a\n"));
    EXPECT_EQ(readFile(archive), archiveBytes);
}

TEST(Faults, TrashOnAReadOnlyFileSystem)
{
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")},
        {QStringLiteral("ActionAfterExpanding"), QStringLiteral("1")}});
    const QString archive = box.work() + QStringLiteral("/a.zip");
    makeArchive(archive, {{QStringLiteral("a/file.txt"), "expanded"}});
    // The data folder, where the Trash lives, becomes a read-only view of an empty folder.
    const QString empty = box.root() + QStringLiteral("/read-only-data");
    QDir().mkpath(empty);
    Mount mount;
    QString whyNot;
    if (!mount.bindReadOnly(empty, box.dataHome(), &whyNot))
        GTEST_SKIP() << whyNot.toStdString();
    const Snapshot before = snapshot(box.root(), kVolatile + QStringList {QStringLiteral("work/a")});

    const QuendleRun run = runQuendle(box, {archive});
    record(run);

    ASSERT_TRUE(run.finished) << show(run);
    EXPECT_FALSE(run.crashed) << show(run);
    EXPECT_EQ(run.exitCode, 0) << show(run);
    EXPECT_FALSE(run.err.contains(kCannotExpand)) << show(run);
    EXPECT_TRUE(run.err.contains(kCannotTrash)) << show(run);
    // The expanded item stays where it was made.
    EXPECT_EQ(readFile(box.work() + QStringLiteral("/a/file.txt")), QByteArray("expanded"));
    EXPECT_EQ(differences(before, snapshot(box.root(), kVolatile + QStringList {QStringLiteral("work/a")})), QStringList());
}

struct BrokenSettings {
    const char* name;
    bool needsUnprivilegedAccount;
    // Puts the broken settings in place; a readable part, if any, asks for a custom folder.
    std::function<void(const Sandbox&, const QByteArray& customFolderSettings)> make;
};
void PrintTo(const BrokenSettings& value, std::ostream* out) { *out << value.name; }


class UnusableSettings : public testing::TestWithParam<BrokenSettings> { };

TEST_P(UnusableSettings, QuendleStartsWithTheRegisteredDefaults)
{
    std::optional<Account> account;
    if (GetParam().needsUnprivilegedAccount) {
        QString whyNot;
        account = unprivilegedAccount(&whyNot);
        if (!account)
            GTEST_SKIP() << whyNot.toStdString();
    }
    Sandbox box;
    const QString custom = box.root() + QStringLiteral("/custom");
    QDir().mkpath(custom);
    const QString archive = box.work() + QStringLiteral("/a.zip");
    makeArchive(archive, {{QStringLiteral("a/file.txt"), "a"}});
    QDir().mkpath(QFileInfo(box.settingsFile()).absolutePath());
    GetParam().make(box, "[General]\nIsUsedCustomFolder=1\nCustomFolder=" + QFile::encodeName(custom)
            + "\nIsRevealInFinder=0\nActionAfterExpanding=1\n");
    if (account)
        box.giveTo(*account);
    const Snapshot settingsBefore = snapshot(box.configHome());

    RunOptions options;
    options.as = account;
    const QuendleRun run = runQuendle(box, {archive}, options);
    record(run);

    ASSERT_TRUE(run.finished) << show(run);
    EXPECT_FALSE(run.crashed) << show(run);
    EXPECT_EQ(run.exitCode, 0) << show(run);
    // The defaults: beside the archive, nothing moved to the Trash.
    EXPECT_EQ(readFile(box.work() + QStringLiteral("/a/file.txt")), QByteArray("a")) << show(run);
    EXPECT_EQ(QDir(custom).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_FALSE(QFileInfo::exists(box.homeTrash() + QStringLiteral("/files/a")));
    // The file is left as it was for the user to mend.
    EXPECT_EQ(differences(settingsBefore, snapshot(box.configHome())), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Settings, UnusableSettings,
    testing::Values(
        BrokenSettings {"GarbageAfterValidLines", false,
            [](const Sandbox& box, const QByteArray& settings) {
                QFile file(box.settingsFile());
                file.open(QIODevice::WriteOnly);
                file.write(settings + QByteArray("[Gen\x80\xff\x00\x01=\n\xc3(=5\n", 14));
            }},
        BrokenSettings {"RandomBytes", false,
            [](const Sandbox& box, const QByteArray&) {
                QByteArray noise(4096, '\0');
                QRandomGenerator random(20240601);
                for (char& c : noise)
                    c = char(random.bounded(256));
                QFile file(box.settingsFile());
                file.open(QIODevice::WriteOnly);
                file.write(noise);
            }},
        BrokenSettings {"AFolderInItsPlace", false,
            [](const Sandbox& box, const QByteArray&) { QDir().mkpath(box.settingsFile()); }},
        BrokenSettings {"NoPermissionToRead", true,
            [](const Sandbox& box, const QByteArray& settings) {
                QFile file(box.settingsFile());
                file.open(QIODevice::WriteOnly);
                file.write(settings);
                file.close();
                setMode(box.settingsFile(), 0);
            }}),
    [](const testing::TestParamInfo<BrokenSettings>& info) { return std::string(info.param.name); });

namespace {

// Nothing the user has is overwritten or lost: an item the contents would replace is asked
// about (and, with no one to answer, kept), and contents that would spill beside the archive or
// land on it get a folder of their own.
struct KeepCase {
    const char* name;
    const char* archive;
    QMap<QString, QByteArray> entries;
    QMap<QString, QByteArray> usersItems; // beside the archive, before the run
    QMap<QString, QByteArray> expected;   // beside the archive, after the run (besides the above)
    const char* askedAbout;               // the replace prompt's item, or nothing
};

class KeepsTheUsersItems : public testing::TestWithParam<KeepCase> { };

TEST_P(KeepsTheUsersItems, ThroughTheRealQuendle)
{
    const KeepCase& c = GetParam();
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")},
        {QStringLiteral("ActionAfterExpanding"), QStringLiteral("1")}});
    const QString archive = box.work() + u'/' + QString::fromUtf8(c.archive);
    // 7-Zip adds an extension to a name without one: the archive is renamed afterwards.
    makeArchive(archive + QStringLiteral(".zip"), c.entries);
    ASSERT_TRUE(QFile::rename(archive + QStringLiteral(".zip"), archive));
    const QByteArray archiveBytes = readFile(archive);
    for (auto it = c.usersItems.cbegin(); it != c.usersItems.cend(); ++it)
        writeFile(box.work() + u'/' + it.key(), it.value());

    const QuendleRun run = runQuendle(box, {archive});
    record(run);

    ASSERT_TRUE(run.finished) << show(run);
    EXPECT_EQ(run.exitCode, 0) << show(run);
    EXPECT_EQ(readFile(archive), archiveBytes);
    for (auto it = c.usersItems.cbegin(); it != c.usersItems.cend(); ++it)
        EXPECT_EQ(readFile(box.work() + u'/' + it.key()), it.value()) << it.key().toStdString() << show(run);
    for (auto it = c.expected.cbegin(); it != c.expected.cend(); ++it)
        EXPECT_EQ(readFile(box.work() + u'/' + it.key()), it.value()) << it.key().toStdString() << show(run);
    if (*c.askedAbout) {
        EXPECT_TRUE(run.err.contains(QStringLiteral("An item named \"%1/%2\" already exists.").arg(box.work(), QString::fromUtf8(c.askedAbout))))
            << show(run);
        // Declined: nothing went to the Trash either.
        EXPECT_FALSE(QFileInfo::exists(box.homeTrash() + QStringLiteral("/files"))) << show(run);
    }
}

INSTANTIATE_TEST_SUITE_P(Archives, KeepsTheUsersItems,
    testing::Values(
        KeepCase {"ItemNamedOtherwiseThanTheArchive", "b.zip", {{QStringLiteral("a/x"), "archive's"}},
            {{QStringLiteral("a/x"), "user's"}, {QStringLiteral("a/mine"), "mine"}}, {}, "a"},
        KeepCase {"LooseEntries", "bomb.zip",
            {{QStringLiteral("loose1.txt"), "1"}, {QStringLiteral("loose2.txt"), "2"}, {QStringLiteral("loose3.txt"), "3"}},
            {{QStringLiteral("loose1.txt"), "user's"}}, {}, ""},
        KeepCase {"EntryNamedLikeTheArchive", "a.zip", {{QStringLiteral("a.zip"), "inner"}}, {}, {}, ""},
        KeepCase {"NoExtensionAndAnEntryOfTheSameName", "data", {{QStringLiteral("data"), "inner"}}, {}, {}, ""}),
    [](const testing::TestParamInfo<KeepCase>& info) { return std::string(info.param.name); });

// A wrong password is refused before anything is extracted, and asked for again; the right
// one then expands the archive. With encrypted names, the plan follows what the password
// revealed, so the result is the item that goes to the Trash afterwards.
struct PasswordCase {
    const char* name;
    const char* archive;
    QStringList switches;
};

class PasswordOnATerminal : public testing::TestWithParam<PasswordCase> { };

TEST_P(PasswordOnATerminal, WrongIsAskedAgainRightExpandsWhereTheNamesSay)
{
    const PasswordCase& c = GetParam();
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")},
        {QStringLiteral("ActionAfterExpanding"), QStringLiteral("1")}});
    const QString archive = box.work() + u'/' + QString::fromUtf8(c.archive);
    makeArchive(archive, {{QStringLiteral("Holiday/a.txt"), QByteArray(5000, 'a')}, {QStringLiteral("Holiday/b.txt"), "b"}},
        c.switches);

    RunOptions options;
    options.typedAnswers = {QStringLiteral("wrong"), QStringLiteral("right")};
    const QuendleRun run = runQuendle(box, {archive}, options);
    record(run);

    ASSERT_TRUE(run.finished) << show(run);
    EXPECT_EQ(run.exitCode, 0) << show(run);
    EXPECT_EQ(run.err.count(QStringLiteral("Type in password for ")), 2) << show(run);
    EXPECT_FALSE(run.err.contains(kCannotExpand)) << show(run);
    // Expanded whole, then moved to the Trash as the result.
    EXPECT_FALSE(QFileInfo::exists(box.work() + QStringLiteral("/Holiday"))) << show(run);
    EXPECT_EQ(readFile(box.homeTrash() + QStringLiteral("/files/Holiday/a.txt")), QByteArray(5000, 'a')) << show(run);
    EXPECT_EQ(readFile(box.homeTrash() + QStringLiteral("/files/Holiday/b.txt")), QByteArray("b")) << show(run);
}

INSTANTIATE_TEST_SUITE_P(Archives, PasswordOnATerminal,
    testing::Values(PasswordCase {"ZipCrypto", "photos.zip", {QStringLiteral("-pright")}},
        PasswordCase {"Aes256Zip", "photos.zip", {QStringLiteral("-pright"), QStringLiteral("-mem=AES256")}},
        PasswordCase {"SevenZipWithPlainNames", "photos.7z", {QStringLiteral("-pright")}},
        PasswordCase {"SevenZipWithEncryptedNames", "photos.7z", {QStringLiteral("-pright"), QStringLiteral("-mhe=on")}}),
    [](const testing::TestParamInfo<PasswordCase>& info) { return std::string(info.param.name); });

} // namespace
