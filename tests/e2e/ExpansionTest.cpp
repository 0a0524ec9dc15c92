// End to end: the real quendle expands archives built by the real 7-Zip, headless, each run in
// its own HOME and XDG folders, and what lands on disk, in the Trash and at the file manager is
// looked at from outside.
#include "e2e/PrivateSessionBus.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

#include <gtest/gtest.h>

#include <tuple>

using namespace quendle::e2e;

namespace {

// Files at two depths, an empty folder, text and binary contents.
Tree sampleTree(const QString& top)
{
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(char((i * 7919) >> 3));
    return {{top + u'/', {}}, {top + QStringLiteral("/one.txt"), "first file\n"}, {top + QStringLiteral("/sub/"), {}},
        {top + QStringLiteral("/sub/two.bin"), binary}, {top + QStringLiteral("/sub/deeper/"), {}},
        {top + QStringLiteral("/sub/deeper/three.txt"), "third\n"}, {top + QStringLiteral("/empty/"), {}}};
}

QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = seed;
    for (char& byte : bytes) {
        x = x * 1664525u + 1013904223u;
        byte = char(x >> 24);
    }
    return bytes;
}

// Builds a zip or tar whose entries are written exactly as given, in this order, with names
// that 7-Zip would never produce itself (parent references, absolute paths, links).
const char* const kCraftArchive = R"(
import io, json, sys, tarfile, zipfile
kind, archive, entries = sys.argv[1], sys.argv[2], json.loads(sys.argv[3])
if kind == "zip":
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data, link in entries:
            z.writestr(name, data)
else:
    with tarfile.open(archive, "w", format=tarfile.GNU_FORMAT) as t:
        for name, data, link in entries:
            info = tarfile.TarInfo(name)
            info.mode = 0o755 if name.endswith("/") else 0o644
            if link is not None:
                info.type = tarfile.SYMTYPE
                info.linkname = link
                t.addfile(info)
            elif name.endswith("/"):
                info.type = tarfile.DIRTYPE
                t.addfile(info)
            else:
                b = data.encode()
                info.size = len(b)
                t.addfile(info, io.BytesIO(b))
)";

struct Entry {
    QString name;
    QString contents;
    QString linkTarget; // non-empty: a symbolic link
};

bool craftArchive(const QString& kind, const QString& archive, const QList<Entry>& entries, QString* output)
{
    QJsonArray list;
    for (const Entry& entry : entries)
        list.append(QJsonArray {entry.name, entry.contents,
            entry.linkTarget.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(entry.linkTarget)});
    return runPython(QString::fromLatin1(kCraftArchive),
        {kind, archive, QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact))}, output);
}

bool exitedCleanly(const QuendleRun& run)
{
    return run.started && run.finished && !run.crashed && run.exitCode == 0;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

enum class Destination { Beside, CustomUrl, CustomPlain };

const char* nameOf(Destination destination)
{
    switch (destination) {
    case Destination::Beside: return "Beside";
    case Destination::CustomUrl: return "CustomFolderUrl";
    case Destination::CustomPlain: return "CustomFolderPlainPath";
    }
    return "";
}

// Sets the preferences for a destination and returns the folder the contents should land in.
QString prepareDestination(const Sandbox& box, Destination destination, const QString& archiveFolder)
{
    switch (destination) {
    case Destination::Beside:
        box.writePreferencesBeside();
        return archiveFolder;
    case Destination::CustomUrl: {
        // The form a chosen folder is stored in: a file URL with escapes and a trailing slash.
        const QString folder = box.work() + QStringLiteral("/custom with space \u00fc");
        QDir().mkpath(folder);
        box.writePreferencesCustom(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded) + u'/');
        return folder;
    }
    case Destination::CustomPlain: {
        const QString folder = box.work() + QStringLiteral("/plain custom");
        QDir().mkpath(folder);
        box.writePreferencesCustom(folder);
        return folder;
    }
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Every format, beside the archive and into a custom folder in both stored forms.

class FormatTest : public testing::TestWithParam<std::tuple<const char*, Destination>> {};

TEST_P(FormatTest, ExpandsTheWholeTreeIntoTheDestination)
{
    const QString extension = QString::fromLatin1(std::get<0>(GetParam()));
    const Destination destinationKind = std::get<1>(GetParam());
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const QString source = box.work() + QStringLiteral("/source");
    writeTree(source, sampleTree(QStringLiteral("album")));
    const QString archiveFolder = box.work() + QStringLiteral("/archives here");
    QDir().mkpath(archiveFolder);
    const QString archiveName = QStringLiteral("album.") + extension;
    const QString archive = archiveFolder + u'/' + archiveName;
    QString log;
    ASSERT_TRUE(buildArchive({std::get<0>(GetParam())}, archive, source, {QStringLiteral("album")}, &log)) << qPrintable(log);
    const QString destination = prepareDestination(box, destinationKind, archiveFolder);

    const QuendleRun run = runQuendle(box, {archive});

    ASSERT_TRUE(exitedCleanly(run)) << qPrintable(run.describe());
    EXPECT_FALSE(run.err.contains(QLatin1String("Cannot Expand Archive."))) << qPrintable(run.describe());
    QStringList expected {QStringLiteral("album")};
    if (destinationKind == Destination::Beside)
        expected.append(archiveName);
    EXPECT_EQ(entryNames(destination), sorted(expected));
    EXPECT_EQ(readTree(destination + QStringLiteral("/album")), readTree(source + QStringLiteral("/album")));
    if (destinationKind != Destination::Beside) {
        EXPECT_EQ(entryNames(archiveFolder), QStringList {archiveName});
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, FormatTest,
    testing::Combine(testing::Values("zip", "7z", "tar", "tar.gz", "tar.bz2"),
        testing::Values(Destination::Beside, Destination::CustomUrl, Destination::CustomPlain)),
    [](const testing::TestParamInfo<FormatTest::ParamType>& info) {
        QString format = QString::fromLatin1(std::get<0>(info.param)).replace(u'.', u'_');
        return format.toStdString() + '_' + nameOf(std::get<1>(info.param));
    });

// ---------------------------------------------------------------------------------------------
// Archives whose layout is not one folder.

class LayoutTest : public testing::TestWithParam<Destination> {};

TEST_P(LayoutTest, SeveralTopLevelItemsArriveInAFolderOfTheirOwn)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const QString source = box.work() + QStringLiteral("/source");
    writeTree(source, {{QStringLiteral("alpha/a.txt"), "a\n"}, {QStringLiteral("beta.txt"), "b\n"},
                          {QStringLiteral("gamma/g/h.txt"), "h\n"}, {QStringLiteral(".hidden"), "dot\n"}});
    const QString archiveFolder = box.work() + QStringLiteral("/archives");
    QDir().mkpath(archiveFolder);
    const QString archive = archiveFolder + QStringLiteral("/several.zip");
    QString log;
    ASSERT_TRUE(buildArchive({"zip"}, archive, source, {QStringLiteral("alpha"), QStringLiteral("beta.txt"),
                                                           QStringLiteral("gamma"), QStringLiteral(".hidden")}, &log))
        << qPrintable(log);
    const QString destination = prepareDestination(box, GetParam(), archiveFolder);

    const QuendleRun run = runQuendle(box, {archive});

    ASSERT_TRUE(exitedCleanly(run)) << qPrintable(run.describe());
    EXPECT_EQ(readTree(destination + QStringLiteral("/several")), readTree(source));
}

TEST_P(LayoutTest, FirstEntryAFileAtTheRootStillExpandsEverythingIntoAFolder)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const QString archiveFolder = box.work() + QStringLiteral("/archives");
    QDir().mkpath(archiveFolder);
    const QString archive = archiveFolder + QStringLiteral("/rootfile.zip");
    QString log;
    ASSERT_TRUE(craftArchive(QStringLiteral("zip"), archive,
        {{QStringLiteral("readme.txt"), QStringLiteral("read me\n"), {}},
            {QStringLiteral("docs/a.txt"), QStringLiteral("a\n"), {}},
            {QStringLiteral("docs/b/c.txt"), QStringLiteral("c\n"), {}}},
        &log))
        << qPrintable(log);
    const QString destination = prepareDestination(box, GetParam(), archiveFolder);

    const QuendleRun run = runQuendle(box, {archive});

    ASSERT_TRUE(exitedCleanly(run)) << qPrintable(run.describe());
    EXPECT_EQ(quendle::test::readFile(destination + QStringLiteral("/rootfile/readme.txt")), "read me\n");
    EXPECT_EQ(quendle::test::readFile(destination + QStringLiteral("/rootfile/docs/a.txt")), "a\n");
    EXPECT_EQ(quendle::test::readFile(destination + QStringLiteral("/rootfile/docs/b/c.txt")), "c\n");
    EXPECT_TRUE(QFileInfo::exists(archive));
}

INSTANTIATE_TEST_SUITE_P(Destinations, LayoutTest, testing::Values(Destination::Beside, Destination::CustomPlain),
    [](const testing::TestParamInfo<Destination>& info) { return std::string(nameOf(info.param)); });

// Spaces, quotes of both kinds, shell characters and letters outside ASCII, in the archive's
// name, its folder and its entries.
class OddNameTest : public testing::TestWithParam<const char*> {};

TEST_P(OddNameTest, ArchiveNameWithSpacesQuotesAndNonAsciiLetters)
{
    const QString odd = QStringLiteral("Ein \"Zitat\" \u2014 it's $(x); \u00dcn\u00efc\u00f8d\u00e9 \u540d\u524d");
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const QString source = box.work() + QStringLiteral("/source");
    writeTree(source, {{odd + QStringLiteral("/D\u00e4tei \"eins\".txt"), "eins\n"},
                          {odd + QStringLiteral("/sub dir/zwei\u2019s.txt"), "zwei\n"}});
    const QString archiveFolder = box.work() + QStringLiteral("/f\u00fcr \"alle\" 's");
    QDir().mkpath(archiveFolder);
    const QString archiveName = odd + u'.' + QString::fromLatin1(GetParam());
    const QString archive = archiveFolder + u'/' + archiveName;
    QString log;
    ASSERT_TRUE(buildArchive({GetParam()}, archive, source, {odd}, &log)) << qPrintable(log);
    box.writePreferencesBeside();

    const QuendleRun run = runQuendle(box, {archive});

    ASSERT_TRUE(exitedCleanly(run)) << qPrintable(run.describe());
    EXPECT_EQ(entryNames(archiveFolder), sorted({archiveName, odd}));
    EXPECT_EQ(readTree(archiveFolder + u'/' + odd), readTree(source + u'/' + odd));
}

INSTANTIATE_TEST_SUITE_P(Formats, OddNameTest, testing::Values("zip", "7z", "tar"));

// ---------------------------------------------------------------------------------------------
// After expanding: the Trash and the file manager.

struct Expanded {
    QString archiveFolder;
    QString archive;
    QString result; // what the expansion produces beside the archive
    Tree contents;
};

// An archive beside which the result will be "album", in a folder whose name needs escaping in
// a URI.
Expanded prepareAlbum(const Sandbox& box)
{
    Expanded album;
    const QString source = box.work() + QStringLiteral("/source");
    writeTree(source, sampleTree(QStringLiteral("album")));
    album.archiveFolder = box.work() + QStringLiteral("/with space \u00e9 100%");
    QDir().mkpath(album.archiveFolder);
    album.archive = album.archiveFolder + QStringLiteral("/album.zip");
    album.result = album.archiveFolder + QStringLiteral("/album");
    album.contents = readTree(source + QStringLiteral("/album"));
    QString log;
    EXPECT_TRUE(buildArchive({"zip"}, album.archive, source, {QStringLiteral("album")}, &log)) << qPrintable(log);
    return album;
}

QMap<QString, QString> preferences(const char* reveal, const char* action)
{
    return {{QStringLiteral("IsUsedCustomFolder"), QStringLiteral("0")},
        {QStringLiteral("IsRevealInFinder"), QString::fromLatin1(reveal)},
        {QStringLiteral("ActionAfterExpanding"), QString::fromLatin1(action)}};
}

void expectInTrash(const Sandbox& box, const Expanded& album)
{
    EXPECT_EQ(entryNames(album.archiveFolder), QStringList {QStringLiteral("album.zip")});
    EXPECT_EQ(readTree(box.trashFiles() + QStringLiteral("/album")), album.contents);
    const QString info = QString::fromUtf8(quendle::test::readFile(box.trashInfo() + QStringLiteral("/album.trashinfo")));
    const QStringList lines = info.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty()) << "no album.trashinfo in " << qPrintable(box.trashInfo());
    EXPECT_EQ(lines.first(), QStringLiteral("[Trash Info]"));
    const QStringList paths = lines.filter(QRegularExpression(QStringLiteral("^Path=")));
    ASSERT_EQ(paths.size(), 1) << qPrintable(info);
    const QString stored = paths.first().mid(5);
    // Stored URL-escaped, so that the desktop can put the item back where it was.
    EXPECT_FALSE(stored.contains(u' ')) << qPrintable(stored);
    EXPECT_EQ(QUrl::fromPercentEncoding(stored.toUtf8()), album.result);
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$"))).size(), 1)
        << qPrintable(info);
}

TEST(AfterExpanding, ActionAfterExpandingOneMovesTheResultToTheTrash)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const Expanded album = prepareAlbum(box);
    box.writePreferences(preferences("0", "1"));

    const QuendleRun run = runQuendle(box, {album.archive});

    ASSERT_TRUE(exitedCleanly(run)) << qPrintable(run.describe());
    expectInTrash(box, album);
}

class WithFileManager : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(box.isValid());
        QString error;
        if (!bus.start(&error))
            GTEST_SKIP() << "no private session bus: " << qPrintable(error);
        box.setSessionBus(bus.address());
    }

    Sandbox box;
    PrivateSessionBus bus {box.root() + QStringLiteral("/bus")};
};

TEST_F(WithFileManager, IsRevealInFinderOneShowsTheResultInTheFileManager)
{
    const Expanded album = prepareAlbum(box);
    box.writePreferences(preferences("1", "0"));

    const QuendleRun run = runQuendle(box, {album.archive});

    ASSERT_TRUE(exitedCleanly(run)) << qPrintable(run.describe());
    const QList<PrivateSessionBus::Call> calls = bus.calls();
    ASSERT_EQ(calls.size(), 1) << qPrintable(run.describe());
    EXPECT_EQ(calls.first().method, QStringLiteral("ShowItems"));
    // A URI proper: every space, "%" and letter outside ASCII escaped.
    EXPECT_EQ(calls.first().uris, QStringList {QUrl::fromLocalFile(album.result).toString(QUrl::FullyEncoded)});
    EXPECT_EQ(calls.first().existed, QList<bool> {true});
    EXPECT_EQ(readTree(album.result), album.contents);
}

TEST_F(WithFileManager, BothPreferencesRevealFirstThenTrash)
{
    const Expanded album = prepareAlbum(box);
    box.writePreferences(preferences("1", "1"));

    const QuendleRun run = runQuendle(box, {album.archive});

    ASSERT_TRUE(exitedCleanly(run)) << qPrintable(run.describe());
    const QList<PrivateSessionBus::Call> calls = bus.calls();
    ASSERT_EQ(calls.size(), 1) << qPrintable(run.describe());
    EXPECT_EQ(calls.first().uris, QStringList {QUrl::fromLocalFile(album.result).toString(QUrl::FullyEncoded)});
    EXPECT_EQ(calls.first().existed, QList<bool> {true}) << "the result was gone when the file manager was asked";
    expectInTrash(box, album);
}

TEST_F(WithFileManager, RevealInFinderZeroLeavesTheFileManagerAlone)
{
    const Expanded album = prepareAlbum(box);
    box.writePreferences(preferences("0", "0"));

    const QuendleRun run = runQuendle(box, {album.archive});

    ASSERT_TRUE(exitedCleanly(run)) << qPrintable(run.describe());
    EXPECT_TRUE(bus.calls().isEmpty());
    EXPECT_EQ(readTree(album.result), album.contents);
}

// A file manager that takes its time to answer (one starting up): quendle waits for the answer
// before the Trash step and its end, with its event loop turning all the while.
class WithSlowFileManager : public WithFileManager {
protected:
    static constexpr int kAnswerDelayMs = 1500;
    void SetUp() override
    {
        bus.setAnswerDelayMs(kAnswerDelayMs);
        WithFileManager::SetUp();
    }
};

TEST_F(WithSlowFileManager, TheItemReachesItFirstAndTheEventLoopKeepsTurning)
{
    const Expanded album = prepareAlbum(box);
    box.writePreferences(preferences("1", "1"));
    RunOptions options;
    options.environment = {{QStringLiteral("QUENDLE_PROBE_EVENT_LOOP"), QStringLiteral("1")}};

    QElapsedTimer took;
    took.start();
    const QuendleRun run = runQuendle(box, {album.archive}, options);

    ASSERT_TRUE(exitedCleanly(run)) << qPrintable(run.describe());
    EXPECT_GE(took.elapsed(), kAnswerDelayMs);
    const QList<PrivateSessionBus::Call> calls = bus.calls();
    ASSERT_EQ(calls.size(), 1) << qPrintable(run.describe());
    EXPECT_EQ(calls.first().existed, QList<bool> {true}) << "the result was gone when the file manager was asked";
    expectInTrash(box, album);
    const std::optional<double> longestGap = probedLongestGapMs(run.err);
    ASSERT_TRUE(longestGap) << qPrintable(run.describe());
    EXPECT_LT(*longestGap, 1000.0) << qPrintable(run.describe());
}

// ---------------------------------------------------------------------------------------------
// Archives 7-Zip cannot expand: the failure is said in plain words, then the application quits
// with a status a script can see.

enum class Broken { Truncated7z, TruncatedZip, NotAnArchive };

class FailureTest : public testing::TestWithParam<Broken> {};

TEST_P(FailureTest, SaysWhyThenQuitsWithStatusTwo)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    const QString folder = box.work() + QStringLiteral("/broken");
    QDir().mkpath(folder);
    QString archive;
    if (GetParam() == Broken::NotAnArchive) {
        archive = folder + QStringLiteral("/notes.zip");
        quendle::test::writeFile(archive, "These are notes, not an archive.\n");
    } else {
        const bool is7z = GetParam() == Broken::Truncated7z;
        const QString source = box.work() + QStringLiteral("/source");
        writeTree(source, {{QStringLiteral("t/big.bin"), noise(400000, 7)}, {QStringLiteral("t/small.txt"), "small\n"}});
        archive = folder + (is7z ? QStringLiteral("/cut.7z") : QStringLiteral("/cut.zip"));
        QString log;
        ASSERT_TRUE(buildArchive({is7z ? "7z" : "zip"}, archive, source, {QStringLiteral("t")}, &log)) << qPrintable(log);
        QFile file(archive);
        ASSERT_TRUE(file.resize(file.size() / 2));
    }
    box.writePreferencesBeside();

    const QuendleRun run = runQuendle(box, {archive});

    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.describe());
    const QStringList alert = alertOnStandardError(run.err, QStringLiteral("Cannot Expand Archive."));
    ASSERT_GE(alert.size(), 3) << qPrintable(run.describe());
    const QString informative = alert.mid(1, alert.size() - 2).join(u'\n');
    EXPECT_FALSE(informative.trimmed().isEmpty()) << "no informative text\n" << qPrintable(run.describe());
    EXPECT_FALSE(informative.contains(QLatin1String("exited with status"))) << "7-Zip's reason is lost\n"
                                                                            << qPrintable(run.describe());
    EXPECT_LE(informative.count(archive), 1) << "the path is repeated\n" << qPrintable(run.describe());
    if (GetParam() == Broken::TruncatedZip) {
        EXPECT_TRUE(informative.contains(QLatin1String("Unexpected end of archive"))) << qPrintable(run.describe());
    }
    EXPECT_EQ(alert.last(), QStringLiteral("(no display and no terminal: answered \"OK\")"));
    EXPECT_TRUE(QFileInfo::exists(archive));
}

INSTANTIATE_TEST_SUITE_P(Archives, FailureTest,
    testing::Values(Broken::Truncated7z, Broken::TruncatedZip, Broken::NotAnArchive),
    [](const testing::TestParamInfo<Broken>& info) {
        switch (info.param) {
        case Broken::Truncated7z: return std::string("Truncated7z");
        case Broken::TruncatedZip: return std::string("TruncatedZip");
        case Broken::NotAnArchive: return std::string("NotAnArchive");
        }
        return std::string();
    });

// ---------------------------------------------------------------------------------------------
// Entries that name places outside the destination: nothing is written there.

enum class Hostile { ZipParentAndAbsolute, TarParentAndAbsolute, TarLinksOutward };

class ContainmentTest : public testing::TestWithParam<Hostile> {};

TEST_P(ContainmentTest, NothingIsWrittenOutsideTheDestination)
{
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    // A name no other run uses, so that finding it anywhere outside means this run put it there.
    const QString token = QStringLiteral("quendle-e2e-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    const QString destination = box.work() + QStringLiteral("/outer/inner");
    const QString outside = box.work() + QStringLiteral("/outside");
    QDir().mkpath(destination);
    QDir().mkpath(outside);
    const QString tmp = QStringLiteral("/tmp");
    QList<Entry> entries {{QStringLiteral("ok.txt"), QStringLiteral("ok\n"), {}}};
    if (GetParam() == Hostile::TarLinksOutward) {
        entries = {{QStringLiteral("esc"), {}, outside}, {QStringLiteral("esc/") + token + QStringLiteral("-abslink.txt"), QStringLiteral("x"), {}},
            {QStringLiteral("rel"), {}, QStringLiteral("../../outside")},
            {QStringLiteral("rel/") + token + QStringLiteral("-rellink.txt"), QStringLiteral("x"), {}},
            {QStringLiteral("tmplink"), {}, tmp}, {QStringLiteral("tmplink/") + token + QStringLiteral("-tmplink.txt"), QStringLiteral("x"), {}},
            {QStringLiteral("ok.txt"), QStringLiteral("ok\n"), {}}};
    } else {
        // The parent reference first, so that it is also the listing's first entry.
        entries = {{QStringLiteral("../") + token + QStringLiteral("-parent.txt"), QStringLiteral("x"), {}},
            {QStringLiteral("../../") + token + QStringLiteral("-grandparent.txt"), QStringLiteral("x"), {}},
            {tmp + u'/' + token + QStringLiteral("-absolute.txt"), QStringLiteral("x"), {}},
            {u'/' + token + QStringLiteral("-root.txt"), QStringLiteral("x"), {}},
            {QStringLiteral("sub/../../") + token + QStringLiteral("-middle.txt"), QStringLiteral("x"), {}},
            {QStringLiteral("ok.txt"), QStringLiteral("ok\n"), {}}};
    }
    const bool zip = GetParam() == Hostile::ZipParentAndAbsolute;
    const QString archive = destination + (zip ? QStringLiteral("/hostile.zip") : QStringLiteral("/hostile.tar"));
    QString log;
    ASSERT_TRUE(craftArchive(zip ? QStringLiteral("zip") : QStringLiteral("tar"), archive, entries, &log)) << qPrintable(log);
    box.writePreferencesBeside();

    const QuendleRun run = runQuendle(box, {archive});

    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    // 7-Zip refuses to write through the links: a failure, which the status says.
    EXPECT_EQ(run.exitCode, GetParam() == Hostile::TarLinksOutward ? 2 : 0) << qPrintable(run.describe());
    // Loose entries get a folder of their own, named after the archive.
    EXPECT_EQ(quendle::test::readFile(destination + QStringLiteral("/hostile/ok.txt")), "ok\n") << qPrintable(run.describe());
    for (const QString& found : findNamesContaining(box.root(), token, true))
        EXPECT_TRUE(found.startsWith(destination + u'/')) << "written outside the destination: " << qPrintable(found);
    EXPECT_EQ(entryNames(outside), QStringList {});
    EXPECT_EQ(findNamesContaining(tmp, token, false), QStringList {});
    EXPECT_EQ(findNamesContaining(QDir::tempPath(), token, false), QStringList {});
    EXPECT_FALSE(QFileInfo::exists(u'/' + token + QStringLiteral("-root.txt")));
}

INSTANTIATE_TEST_SUITE_P(Archives, ContainmentTest,
    testing::Values(Hostile::ZipParentAndAbsolute, Hostile::TarParentAndAbsolute, Hostile::TarLinksOutward),
    [](const testing::TestParamInfo<Hostile>& info) {
        switch (info.param) {
        case Hostile::ZipParentAndAbsolute: return std::string("ZipParentAndAbsolute");
        case Hostile::TarParentAndAbsolute: return std::string("TarParentAndAbsolute");
        case Hostile::TarLinksOutward: return std::string("TarLinksOutward");
        }
        return std::string();
    });

} // namespace
