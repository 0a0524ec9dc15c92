// The file managers' "Expand with Quendle" entries: each menu file as its file manager reads it,
// and its command line, expanded as that file manager expands it, run with the build's helper
// and quendle on two archives selected together.
#include "support/Sandbox.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

using namespace quendle::test;

const QString kBuildRoot = QStringLiteral(QUENDLE_BUILD_ROOT);
const QString kHelper = kBuildRoot + QStringLiteral("/libexec/quendle/quendle-expand-each");
const QString kTap = kBuildRoot + QStringLiteral("/libexec/thunar-archive-plugin/org.quendle.Quendle.tap");
const QString kServiceMenu = kBuildRoot + QStringLiteral("/share/kio/servicemenus/quendle-expand.desktop");
const QString kNemoAction = kBuildRoot + QStringLiteral("/share/nemo/actions/quendle-expand.nemo_action");
const QString kNautilusExtension = kBuildRoot + QStringLiteral("/share/nautilus-python/extensions/quendle-expand.py");

// One group of a key file ("[Group]", then key=value lines) as key -> value.
QHash<QString, QString> keyFileGroup(const QString& path, const QString& group)
{
    QHash<QString, QString> entries;
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(readFile(path)).split(u'\n')) {
        if (line.startsWith(u'['))
            inGroup = line == u'[' + group + u']';
        else if (inGroup && !line.startsWith(u'#') && line.contains(u'='))
            entries.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    }
    return entries;
}

QStringList desktopEntryTypes()
{
    return keyFileGroup(qEnvironmentVariable("QUENDLE_SOURCE_DIR") + QStringLiteral("/resources/org.quendle.Quendle.desktop"),
        QStringLiteral("Desktop Entry"))
        .value(QStringLiteral("MimeType"))
        .split(u';', Qt::SkipEmptyParts);
}

// python3 on the Nautilus extension through the stand-in gi modules, without writing bytecode
// next to it.
ProgramRun driveNautilus(const Sandbox* sandbox, const QStringList& arguments)
{
    const QStringList all = QStringList {QStringLiteral(QUENDLE_NAUTILUS_DRIVER), kNautilusExtension} + arguments;
    RunOptions options {.display = Display::None, .timeoutMs = 120000};
    options.environment.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
    if (sandbox)
        return runInSandbox(*sandbox, QStringLiteral("python3"), all, options);
    ProgramOptions plain;
    plain.environment = options.environment;
    return runProgram(QStringLiteral("python3"), all, plain);
}

// Every file manager offers the entry for exactly the desktop entry's archive types.
struct TypesCase {
    const char* name;
    std::function<QStringList()> listed;
};

void PrintTo(const TypesCase& c, std::ostream* out)
{
    *out << c.name;
}

class MenuTypes : public testing::TestWithParam<TypesCase> { };

TEST_P(MenuTypes, AreTheDesktopEntrysTypes)
{
    QStringList expected = desktopEntryTypes();
    ASSERT_FALSE(expected.isEmpty());
    QStringList listed = GetParam().listed();
    expected.sort();
    listed.sort();
    EXPECT_EQ(listed, expected);
}

INSTANTIATE_TEST_SUITE_P(FileManagers, MenuTypes,
    testing::Values(TypesCase {"Dolphin",
                        [] {
                            return keyFileGroup(kServiceMenu, QStringLiteral("Desktop Entry"))
                                .value(QStringLiteral("MimeType"))
                                .split(u';', Qt::SkipEmptyParts);
                        }},
        TypesCase {"Nemo",
            [] {
                return keyFileGroup(kNemoAction, QStringLiteral("Nemo Action"))
                    .value(QStringLiteral("Mimetypes"))
                    .split(u';', Qt::SkipEmptyParts);
            }},
        TypesCase {"Nautilus",
            [] {
                const ProgramRun run = driveNautilus(nullptr, {QStringLiteral("--types")});
                EXPECT_TRUE(run.ok()) << qPrintable(run.describe());
                return run.out.split(u'\n', Qt::SkipEmptyParts);
            }}),
    [](const auto& info) { return std::string(info.param.name); });

// The files pass what checks their consumers' format: desktop-file-validate for the service
// menu (whose KDE type "Service" it knows only to refuse the keys KDE gives it), Python's own
// compiler for the extension, and the keys Nemo needs to show an action.
TEST(MenuFiles, ServiceMenuPassesDesktopFileValidateButForKdesOwnType)
{
    if (!haveProgram(QStringLiteral("desktop-file-validate")))
        GTEST_SKIP() << "desktop-file-validate is not installed";
    ProgramOptions options;
    options.mergeChannels = true;
    const ProgramRun run = runProgram(QStringLiteral("desktop-file-validate"), {kServiceMenu}, options);
    ASSERT_TRUE(run.started && run.finished) << qPrintable(run.describe());
    for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(line.contains(QStringLiteral("but the type is \"Service\" while this key is only valid for type \"Application\"")))
            << qPrintable(line);
    const auto action = keyFileGroup(kServiceMenu, QStringLiteral("Desktop Action expand"));
    EXPECT_EQ(action.value(QStringLiteral("Name")), QStringLiteral("Expand with Quendle"));
    EXPECT_EQ(keyFileGroup(kServiceMenu, QStringLiteral("Desktop Entry")).value(QStringLiteral("Actions")),
        QStringLiteral("expand;"));
}

TEST(MenuFiles, NautilusExtensionCompiles)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    ProgramOptions options;
    options.mergeChannels = true;
    options.environment.insert(QStringLiteral("PYTHONPYCACHEPREFIX"), box.cacheHome());
    const ProgramRun run = runProgram(QStringLiteral("python3"), {QStringLiteral("-m"), QStringLiteral("py_compile"), kNautilusExtension}, options);
    EXPECT_TRUE(run.ok()) << qPrintable(run.describe());
}

TEST(MenuFiles, NemoActionHasWhatNemoNeeds)
{
    const auto action = keyFileGroup(kNemoAction, QStringLiteral("Nemo Action"));
    EXPECT_EQ(action.value(QStringLiteral("Name")), QStringLiteral("Expand with Quendle"));
    EXPECT_EQ(action.value(QStringLiteral("Selection")), QStringLiteral("notnone"));
    EXPECT_TRUE(action.value(QStringLiteral("Exec")).startsWith(kHelper + u' ')) << qPrintable(action.value(QStringLiteral("Exec")));
    EXPECT_FALSE(action.value(QStringLiteral("Mimetypes")).isEmpty());
}

// Nautilus offers nothing when one selected item is no archive of those types.
TEST(MenuFiles, NautilusOffersNothingForASelectionWithAnotherType)
{
    const ProgramRun run = driveNautilus(nullptr,
        {QStringLiteral("application/zip"), QStringLiteral("/a.zip"), QStringLiteral("text/plain"), QStringLiteral("/b.txt")});
    ASSERT_TRUE(run.ok()) << qPrintable(run.describe());
    EXPECT_EQ(run.out.trimmed(), QStringLiteral("offered 0"));
}

// A command line as the file manager builds it for the selected archives: the program and its
// arguments, or the Nautilus driver's.
struct EntryCase {
    const char* name;
    std::function<ProgramRun(const Sandbox&, const QStringList& archives)> run;
};

void PrintTo(const EntryCase& c, std::ostream* out)
{
    *out << c.name;
}

// The Exec line split as a desktop entry's (its format's quoting, which QProcess::splitCommand
// follows for these lines), with a field code standing alone replaced by the values.
QStringList execArguments(const QString& exec, const QString& fieldCode, const QStringList& values)
{
    QStringList arguments;
    for (const QString& word : QProcess::splitCommand(exec)) {
        if (word == fieldCode)
            arguments += values;
        else
            arguments += word;
    }
    return arguments;
}

RunOptions headless()
{
    return {.display = Display::None, .timeoutMs = 180000};
}

ProgramRun runDolphin(const Sandbox& box, const QStringList& archives)
{
    // KIO gives %F the local paths, one argument each.
    const QStringList command = execArguments(
        keyFileGroup(kServiceMenu, QStringLiteral("Desktop Action expand")).value(QStringLiteral("Exec")), QStringLiteral("%F"), archives);
    return runInSandbox(box, command.first(), command.mid(1), headless());
}

ProgramRun runNemo(const Sandbox& box, const QStringList& archives)
{
    // Nemo puts each selected file's URI between the quotes Quote= names, separated by a space,
    // into the line, then splits it like a shell (g_shell_parse_argv; URIs hold no backslash
    // and no double quote, so QProcess::splitCommand splits them the same).
    const auto action = keyFileGroup(kNemoAction, QStringLiteral("Nemo Action"));
    EXPECT_EQ(action.value(QStringLiteral("Quote")), QStringLiteral("double"));
    QStringList quoted;
    for (const QString& archive : archives)
        quoted += u'"' + QString::fromLatin1(QUrl::fromLocalFile(archive).toEncoded()) + u'"';
    QString exec = action.value(QStringLiteral("Exec"));
    exec.replace(QStringLiteral("%U"), quoted.join(u' '));
    const QStringList command = QProcess::splitCommand(exec);
    return runInSandbox(box, command.first(), command.mid(1), headless());
}

ProgramRun runNautilus(const Sandbox& box, const QStringList& archives)
{
    QStringList pairs;
    for (const QString& archive : archives)
        pairs += {QStringLiteral("application/zip"), archive};
    ProgramRun run = driveNautilus(&box, pairs);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("offered 1\n"))) << qPrintable(run.describe());
    EXPECT_EQ(run.out.count(QStringLiteral("\nran 0 ")), 1) << qPrintable(run.describe());
    return run;
}

ProgramRun runThunarExtractHere(const Sandbox& box, const QStringList& archives)
{
    // thunar-archive-plugin: the .tap, the action, the first archive's folder, the archives.
    return runInSandbox(box, kTap, QStringList {QStringLiteral("extract-here"), QFileInfo(archives.first()).path()} + archives, headless());
}

// When an item's inode last changed, in nanoseconds: its creation by the extraction.
qint64 changedAt(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
}

// The earliest and latest change among an expanded item and everything below it.
std::pair<qint64, qint64> changeSpan(const QString& root)
{
    std::pair<qint64, qint64> span {changedAt(root), changedAt(root)};
    const Tree tree = readTree(root);
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        QString name = it.key();
        if (name.endsWith(u'/'))
            name.chop(1);
        const qint64 at = changedAt(root + u'/' + name);
        span = {std::min(span.first, at), std::max(span.second, at)};
    }
    return span;
}

class MenuEntry : public testing::TestWithParam<EntryCase> { };

TEST_P(MenuEntry, ExpandsTwoSelectedArchivesOneAfterTheOther)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    box.writePreferencesBeside();
    // Names that a shell or a URI would mangle: a space, an apostrophe, a percent sign.
    const QString first = box.work() + QStringLiteral("/first album.zip");
    const QString second = box.work() + QStringLiteral("/Bob's 100% second.zip");
    QString log;
    ASSERT_TRUE(makeArchive(first, {{QStringLiteral("first/one.txt"), "one\n"}, {QStringLiteral("first/deep/two.txt"), "two\n"}}, {}, &log))
        << qPrintable(log);
    ASSERT_TRUE(makeArchive(second, {{QStringLiteral("second/three.txt"), "three\n"}}, {}, &log)) << qPrintable(log);

    const ProgramRun run = GetParam().run(box, {first, second});
    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.describe());
    EXPECT_EQ(readFile(box.work() + QStringLiteral("/first/deep/two.txt")), "two\n") << qPrintable(run.describe());
    EXPECT_EQ(readFile(box.work() + QStringLiteral("/second/three.txt")), "three\n") << qPrintable(run.describe());
    // Neither met the other's launch.
    EXPECT_FALSE(run.err.contains(QStringLiteral("Quendle extracts some archive"))) << qPrintable(run.describe());
    // In the order given: all of the first archive's items came before any of the second's.
    const auto [firstFrom, firstTo] = changeSpan(box.work() + QStringLiteral("/first"));
    const auto [secondFrom, secondTo] = changeSpan(box.work() + QStringLiteral("/second"));
    EXPECT_GT(firstFrom, 0);
    EXPECT_LT(firstTo, secondFrom);
}

INSTANTIATE_TEST_SUITE_P(FileManagers, MenuEntry,
    testing::Values(EntryCase {"Dolphin", runDolphin}, EntryCase {"Nemo", runNemo}, EntryCase {"Nautilus", runNautilus},
        EntryCase {"ThunarExtractHere", runThunarExtractHere}),
    [](const auto& info) { return std::string(info.param.name); });

// What Thunar's "Extract To..." runs once the folder is chosen: every archive goes into it, the
// preferences (beside the archive) stay as they were.
TEST(ExpandEach, IntoAFolderLeavesThePreferencesAsTheyWere)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    box.writePreferencesBeside();
    const QByteArray preferences = readFile(box.settingsFile());
    const QString chosen = box.root() + QStringLiteral("/chosen");
    ASSERT_TRUE(QDir().mkpath(chosen));
    QString log;
    ASSERT_TRUE(makeArchive(box.work() + QStringLiteral("/a.zip"), {{QStringLiteral("a/one.txt"), "one\n"}}, {}, &log)) << qPrintable(log);
    ASSERT_TRUE(makeArchive(box.work() + QStringLiteral("/b.7z"), {{QStringLiteral("b/two.txt"), "two\n"}}, {}, &log)) << qPrintable(log);

    const ProgramRun run = runInSandbox(box, kHelper,
        {QStringLiteral("--into"), chosen, box.work() + QStringLiteral("/a.zip"), box.work() + QStringLiteral("/b.7z")}, headless());
    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.describe());
    EXPECT_EQ(readFile(chosen + QStringLiteral("/a/one.txt")), "one\n") << qPrintable(run.describe());
    EXPECT_EQ(readFile(chosen + QStringLiteral("/b/two.txt")), "two\n") << qPrintable(run.describe());
    EXPECT_FALSE(QFileInfo::exists(box.work() + QStringLiteral("/a")));
    EXPECT_EQ(readFile(box.settingsFile()), preferences);
}

// An archive that cannot be expanded is reported (by its own launch) and does not stop the next
// one; the helper's status says that one failed.
TEST(ExpandEach, GoesOnAfterAnArchiveThatFails)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    box.writePreferencesBeside();
    ASSERT_TRUE(writeFile(box.work() + QStringLiteral("/broken.zip"), "this is no zip archive\n"));
    QString log;
    ASSERT_TRUE(makeArchive(box.work() + QStringLiteral("/good.zip"), {{QStringLiteral("good/one.txt"), "one\n"}}, {}, &log)) << qPrintable(log);

    const ProgramRun run = runInSandbox(box, kHelper,
        {box.work() + QStringLiteral("/broken.zip"), box.work() + QStringLiteral("/good.zip")}, headless());
    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.describe());
    EXPECT_TRUE(run.err.contains(QStringLiteral("Cannot Expand Archive"))) << qPrintable(run.describe());
    EXPECT_EQ(readFile(box.work() + QStringLiteral("/good/one.txt")), "one\n") << qPrintable(run.describe());
}

} // namespace
