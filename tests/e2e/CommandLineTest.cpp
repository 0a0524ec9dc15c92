// The command line as a user types it: options, archive paths, and what the terminal shows.
#include "e2e/PrivateSessionBus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quendle::e2e;

namespace {

struct CommandLineCase {
    const char* name;
    QStringList arguments;
    int exitCode;
    QString out; // contained in standard output
    QString err; // contained in standard error, exactly once (empty: nothing at all there)
};

void PrintTo(const CommandLineCase& c, std::ostream* out)
{
    *out << c.name;
}

class CommandLine : public testing::TestWithParam<CommandLineCase> { };

TEST_P(CommandLine, AnswersWithoutOpeningAnything)
{
    const CommandLineCase& c = GetParam();
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const QuendleRun run = runQuendle(box, c.arguments, {.display = Display::None, .timeoutMs = 60000});
    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, c.exitCode) << qPrintable(run.describe());
    EXPECT_TRUE(run.out.contains(c.out)) << qPrintable(run.describe());
    if (!c.err.isEmpty())
        EXPECT_EQ(run.err.count(c.err), 1) << qPrintable(run.describe());
    else
        EXPECT_EQ(run.err, QString()) << qPrintable(run.describe());
}

INSTANTIATE_TEST_SUITE_P(Options, CommandLine,
    testing::Values(
        CommandLineCase {"Help", {QStringLiteral("--help")}, 0, QStringLiteral("--version"), {}},
        CommandLineCase {"Version", {QStringLiteral("--version")}, 0,
            QStringLiteral("quendle " QUENDLE_E2E_VERSION "\n"), {}},
        CommandLineCase {"UnknownOption", {QStringLiteral("--bogus")}, 64, {}, QStringLiteral("Unknown option 'bogus'")},
        CommandLineCase {"MissingArchive", {QStringLiteral("gone.zip")}, 2, {},
            QStringLiteral("quendle: cannot open \"gone.zip\": no such file or folder")},
        CommandLineCase {"MissingAfterDoubleDash", {QStringLiteral("--"), QStringLiteral("--help")}, 2, {},
            QStringLiteral("\"--help\"")},
        CommandLineCase {"IntoMissingFolder", {QStringLiteral("--into"), QStringLiteral("nowhere"), QStringLiteral("gone.zip")}, 2,
            {}, QStringLiteral("quendle: cannot expand into \"nowhere\": no such folder")},
        CommandLineCase {"IntoWithoutArchive", {QStringLiteral("--into"), QStringLiteral(".")}, 64, {},
            QStringLiteral("quendle: --into needs an archive to expand")}),
    [](const testing::TestParamInfo<CommandLineCase>& info) { return std::string(info.param.name); });

// An archive named like an option, after "--", in a session without a runtime folder: it is
// expanded, and Qt's note about the missing runtime folder stays off the terminal.
TEST(CommandLineArchive, ANameLikeAnOptionExpandsAfterDoubleDashWithoutRuntimeFolder)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    box.setWithoutRuntimeDir();
    box.writePreferencesBeside();
    const QString source = box.work() + QStringLiteral("/source");
    writeTree(source, {{QStringLiteral("album/one.txt"), "one\n"}});
    QString log;
    ASSERT_TRUE(buildArchive({"zip"}, box.work() + QStringLiteral("/album.zip"), source, {QStringLiteral("album")}, &log))
        << qPrintable(log);
    ASSERT_TRUE(QFile::rename(box.work() + QStringLiteral("/album.zip"), box.work() + QStringLiteral("/--help")));

    const QuendleRun run = runQuendle(box, {QStringLiteral("--"), QStringLiteral("--help")}, {.display = Display::None, .timeoutMs = 60000});
    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.describe());
    EXPECT_TRUE(QFileInfo::exists(box.work() + QStringLiteral("/album/one.txt"))) << qPrintable(run.describe());
    EXPECT_FALSE(run.err.contains(QStringLiteral("XDG_RUNTIME_DIR"))) << qPrintable(run.describe());
}

// The manual page's OPTIONS name exactly the options --help lists.
TEST(CommandLineHelp, ListsTheOptionsOfTheManualPage)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const QuendleRun run = runQuendle(box, {QStringLiteral("--help")}, {.display = Display::None, .timeoutMs = 60000});
    ASSERT_TRUE(run.ok()) << qPrintable(run.describe());
    QStringList helped;
    static const QRegularExpression option(QStringLiteral("(?:^|[ ,])(--?[a-z][a-z-]*)"));
    for (const QString& line : run.out.split(u'\n')) {
        if (!line.startsWith(QStringLiteral("  ")))
            continue;
        // Only the first column names options; the text after it describes them.
        const QString names = line.trimmed().section(QStringLiteral("  "), 0, 0);
        for (const QRegularExpressionMatch& m : option.globalMatch(names))
            helped.append(m.captured(1));
    }

    QFile page(QStringLiteral(QUENDLE_E2E_MANUAL_PAGE));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    const QString options = text.section(QStringLiteral(".SH OPTIONS"), 1).section(QStringLiteral("\n.SH "), 0, 0);
    QStringList documented;
    static const QRegularExpression tagged(QStringLiteral("^\\.TP\\n\\.B[RI]? ([^\\n]+)"), QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& m : tagged.globalMatch(options)) {
        QString names = m.captured(1);
        names.remove(u'"').remove(u',').replace(QStringLiteral("\\-"), QStringLiteral("-"));
        for (const QString& name : names.split(u' ', Qt::SkipEmptyParts)) {
            if (name.startsWith(u'-') && name != QStringLiteral("--"))
                documented.append(name);
        }
    }
    helped.sort();
    documented.sort();
    EXPECT_FALSE(helped.isEmpty()) << qPrintable(run.out);
    EXPECT_EQ(helped, documented);
}

// --into sends this launch's archive into the folder although the preferences say beside the
// archive, and leaves the preferences file as it was.
TEST(CommandLineArchive, IntoExpandsThereAndStoresNothing)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    box.writePreferencesBeside();
    const QByteArray preferences = readFile(box.settingsFile());
    QString log;
    ASSERT_TRUE(makeArchive(box.work() + QStringLiteral("/album.zip"), {{QStringLiteral("album/one.txt"), "one\n"}}, {}, &log))
        << qPrintable(log);
    ASSERT_TRUE(QDir().mkpath(box.root() + QStringLiteral("/elsewhere")));

    // A relative folder is taken from the working folder.
    const QuendleRun run = runQuendle(box, {QStringLiteral("--into"), QStringLiteral("../elsewhere"), QStringLiteral("album.zip")},
        {.display = Display::None, .timeoutMs = 60000});
    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.describe());
    EXPECT_EQ(readFile(box.root() + QStringLiteral("/elsewhere/album/one.txt")), "one\n") << qPrintable(run.describe());
    EXPECT_FALSE(QFileInfo::exists(box.work() + QStringLiteral("/album")));
    EXPECT_EQ(readFile(box.settingsFile()), preferences);
}

} // namespace
