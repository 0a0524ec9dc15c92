// Headless: quendle with no display expands what needs no answer, and with no terminal either
// takes each question's Cancel answer, says what it was asked on standard error, and ends.
#include "e2e/PrivateSessionBus.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace quendle::e2e;

namespace {

// Short enough that a run waiting for an answer nobody can give fails the test instead of
// holding it until ctest's own time-out.
constexpr int kAnswerTimeoutMs = 60000;

const char* nameOf(Display display)
{
    return display == Display::None ? "NoDisplay" : "OffscreenAskedFor";
}

struct Album {
    QString folder;
    QString archive;
    Tree contents;
};

Album makeAlbum(const Sandbox& box, const QString& extension, const QStringList& extraSevenZipSwitches = {})
{
    Album album;
    const QString source = box.work() + QStringLiteral("/source");
    writeTree(source, {{QStringLiteral("album/one.txt"), "one\n"}, {QStringLiteral("album/sub/two.txt"), "two\n"}});
    album.contents = readTree(source + QStringLiteral("/album"));
    album.folder = box.work() + QStringLiteral("/archives");
    QDir().mkpath(album.folder);
    album.archive = album.folder + QStringLiteral("/album.") + extension;
    QString log;
    EXPECT_TRUE(runSevenZip(QStringList {QStringLiteral("a"), QStringLiteral("-t") + extension, album.archive,
                                QStringLiteral("album")} + extraSevenZipSwitches,
        source, &log))
        << qPrintable(log);
    return album;
}

const QString kCancelTaken = QStringLiteral("(no display and no terminal: answered \"Cancel\")");

TEST(Headless, ExpandsWithNoDisplayWhenNothingNeedsAnAnswer)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const Album album = makeAlbum(box, QStringLiteral("zip"));
    // No preferences file: the defaults apply, revealing included (no file manager answers).

    const QuendleRun run = runQuendle(box, {album.archive}, {.display = Display::None, .timeoutMs = kAnswerTimeoutMs});

    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.describe());
    EXPECT_EQ(readTree(album.folder + QStringLiteral("/album")), album.contents);
    EXPECT_FALSE(run.err.contains(QLatin1String("answered"))) << qPrintable(run.describe());
}

class HeadlessAnswer : public testing::TestWithParam<Display> {};

TEST_P(HeadlessAnswer, ReplaceAlertBesideTheArchiveTakesCancelAndQuits)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const Album album = makeAlbum(box, QStringLiteral("zip"));
    const QString existing = album.folder + QStringLiteral("/album");
    quendle::test::writeFile(existing + QStringLiteral("/mine.txt"), "keep me\n");
    box.writePreferencesBeside();

    const QuendleRun run = runQuendle(box, {album.archive}, {.display = GetParam(), .timeoutMs = kAnswerTimeoutMs});

    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.describe());
    const QStringList alert = alertOnStandardError(run.err, QStringLiteral("An item named \"%1\" already exists.").arg(existing));
    ASSERT_EQ(alert.size(), 3) << qPrintable(run.describe());
    EXPECT_EQ(alert.at(1), QStringLiteral("Do you want to replace it with the one you\u2019re extracting?"));
    EXPECT_EQ(alert.at(2), kCancelTaken);
    // Cancel replaces nothing and extracts nothing.
    EXPECT_EQ(readTree(existing), (Tree {{QStringLiteral("mine.txt"), "keep me\n"}}));
    EXPECT_FALSE(QFileInfo::exists(box.trashFiles() + QStringLiteral("/album")));
}

TEST_P(HeadlessAnswer, ReplaceAlertInTheCustomFolderTakesCancelAndExitsWithStatusOne)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const Album album = makeAlbum(box, QStringLiteral("7z"));
    const QString custom = box.work() + QStringLiteral("/custom");
    const QString existing = custom + QStringLiteral("/album");
    quendle::test::writeFile(existing + QStringLiteral("/mine.txt"), "keep me\n");
    box.writePreferencesCustom(custom);

    const QuendleRun run = runQuendle(box, {album.archive}, {.display = GetParam(), .timeoutMs = kAnswerTimeoutMs});

    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.describe());
    const QStringList alert = alertOnStandardError(run.err, QStringLiteral("An item named \"%1\" already exists.").arg(existing));
    ASSERT_EQ(alert.size(), 3) << qPrintable(run.describe());
    EXPECT_EQ(alert.at(1), QStringLiteral("Do you want to replace it with the one you\u2019re extracting?"));
    EXPECT_EQ(alert.at(2), kCancelTaken);
    EXPECT_EQ(readTree(existing), (Tree {{QStringLiteral("mine.txt"), "keep me\n"}}));
}

TEST_P(HeadlessAnswer, PasswordWindowTakesCancelAndQuits)
{
    for (const QString& extension : {QStringLiteral("7z"), QStringLiteral("zip")}) {
        SCOPED_TRACE(extension.toStdString());
        Sandbox box;
        ASSERT_TRUE(box.isValid());
        // 7z with its names encrypted too (the listing itself needs the password); zip with
        // the contents encrypted and the names readable.
        QStringList switches {QStringLiteral("-psecret word")};
        if (extension == u"7z")
            switches << QStringLiteral("-mhe=on");
        const Album album = makeAlbum(box, extension, switches);
        box.writePreferencesBeside();

        const QuendleRun run = runQuendle(box, {album.archive}, {.display = GetParam(), .timeoutMs = kAnswerTimeoutMs});

        ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.describe());
        EXPECT_TRUE(run.err.contains(QStringLiteral("Type in password for album.") + extension)) << qPrintable(run.describe());
        EXPECT_TRUE(run.err.contains(kCancelTaken)) << qPrintable(run.describe());
        EXPECT_EQ(entryNames(album.folder), QStringList {QStringLiteral("album.") + extension});
    }
}

TEST_P(HeadlessAnswer, FailureAlertTakesItsOnlyButtonAndQuits)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const QString archive = box.work() + QStringLiteral("/notes.7z");
    quendle::test::writeFile(archive, "not an archive at all\n");
    box.writePreferencesBeside();

    const QuendleRun run = runQuendle(box, {archive}, {.display = GetParam(), .timeoutMs = kAnswerTimeoutMs});

    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.describe());
    const QStringList alert = alertOnStandardError(run.err, QStringLiteral("Cannot Expand Archive."));
    ASSERT_GE(alert.size(), 3) << qPrintable(run.describe());
    EXPECT_EQ(alert.last(), QStringLiteral("(no display and no terminal: answered \"OK\")"));
}

INSTANTIATE_TEST_SUITE_P(Displays, HeadlessAnswer, testing::Values(Display::None, Display::Offscreen),
    [](const testing::TestParamInfo<Display>& info) { return std::string(nameOf(info.param)); });

} // namespace
