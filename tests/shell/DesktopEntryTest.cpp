// The desktop entry: what the desktop reads to offer Quendle for archives.
#include "support/TestEnvironment.h"

#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// The desktop entry and the AppStream metadata share one id.
const QString kId = QStringLiteral("org.quendle.Quendle");
const QString kDesktopFile = kId + QStringLiteral(".desktop");
const QString kMetainfoFile = kId + QStringLiteral(".metainfo.xml");

QString sourceFile(const QString& name)
{
    return qEnvironmentVariable("QUENDLE_SOURCE_DIR") + QStringLiteral("/resources/") + name;
}

// The "[Desktop Entry]" group as key → value.
QHash<QString, QString> desktopEntry()
{
    QFile file(sourceFile(kDesktopFile));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QHash<QString, QString> entry;
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'['))
            inGroup = line == QStringLiteral("[Desktop Entry]");
        else if (inGroup && line.contains(u'='))
            entry.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    }
    return entry;
}

TEST(DesktopEntry, LaunchesQuendleWithTheChosenFiles)
{
    const auto entry = desktopEntry();
    EXPECT_EQ(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    EXPECT_EQ(entry.value(QStringLiteral("Name")), QStringLiteral("Quendle"));
    EXPECT_EQ(entry.value(QStringLiteral("Exec")), QStringLiteral("quendle %F"));
    EXPECT_EQ(entry.value(QStringLiteral("Icon")), QStringLiteral("quendle"));
    EXPECT_EQ(entry.value(QStringLiteral("NoDisplay")), QStringLiteral("false"));
    EXPECT_EQ(entry.value(QStringLiteral("Categories")), QStringLiteral("Utility;Archiving;Compression;"));
}

// Every extension the Open panel accepts is a type the file manager offers Quendle for.
// ".sea" has no type of its own on freedesktop.org desktops.
class DesktopEntryMimeTest : public ::testing::TestWithParam<const char*> { };

TEST_P(DesktopEntryMimeTest, CoversTheOpenPanelsExtension)
{
    const QStringList listed = desktopEntry().value(QStringLiteral("MimeType")).split(u';', Qt::SkipEmptyParts);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(
        QStringLiteral("archive.") + QString::fromLatin1(GetParam()), QMimeDatabase::MatchExtension);
    ASSERT_FALSE(type.isDefault()) << GetParam();
    QStringList names = type.aliases();
    names.prepend(type.name());
    bool covered = false;
    for (const QString& name : names)
        covered = covered || listed.contains(name);
    EXPECT_TRUE(covered) << GetParam() << " is " << names.join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(OpenPanelTypes, DesktopEntryMimeTest,
    ::testing::Values("zip", "7z", "rar", "tar", "xar", "sit", "tgz", "bz", "bz2", "tbz", "tbz2", "tb2", "gz"),
    [](const auto& info) { return std::string(info.param); });

// Every kind of archive Quendle expands (7-Zip's formats and the tars compressed in each of
// its compressions, RAR and StuffIt through unar) is offered for by the entry: a sample of
// each, as the desktop's shared-mime-info names it, has its type in the entry's MimeType.
// Samples carry the signature the desktop sniffs at the start of such a file.
struct Kind {
    const char* name;
    QByteArray start;
    int offset = 0; // where the signature starts
};

void PrintTo(const Kind& kind, std::ostream* out)
{
    *out << kind.name;
}

const QByteArray kXz("\xFD" "7zXZ\x00", 6);
const QByteArray kZstd("\x28\xB5\x2F\xFD", 4);
const QByteArray kGzip("\x1F\x8B\x08\x00", 4);
const QByteArray kLzma("\x5D\x00\x00\x80\x00", 5);
const QByteArray kCompress("\x1F\x9D\x90", 3);

const Kind kKinds[] = {
    {"a.zip", QByteArray("PK\x03\x04", 4)},
    {"a.7z", QByteArray("7z\xBC\xAF\x27\x1C", 6)},
    {"a.rar", QByteArray("Rar!\x1A\x07\x00", 7)},
    {"a.tar", QByteArray("ustar\x00" "00", 8), 257},
    {"a.tar.gz", kGzip},
    {"a.tgz", kGzip},
    {"a.tar.bz2", "BZh91AY&SY"},
    {"a.tbz2", "BZh91AY&SY"},
    {"a.tar.xz", kXz},
    {"a.txz", kXz},
    {"a.tar.zst", kZstd},
    {"a.tar.Z", kCompress},
    {"a.tar.lzma", kLzma},
    {"a.gz", kGzip},
    {"a.bz2", "BZh91AY&SY"},
    {"a.xz", kXz},
    {"a.zst", kZstd},
    {"a.lzma", kLzma},
    {"a.Z", kCompress},
    {"a.xar", "xar!"},
    {"a.sit", "StuffIt (c)1997-"},
    {"a.cpio", "070701"},
    {"a.rpm", QByteArray("\xED\xAB\xEE\xDB\x03\x00", 6)},
    {"a.deb", "!<arch>\ndebian-binary   "},
    {"a.a", "!<arch>\n"},
    {"a.iso", "CD001", 32769},
    {"a.cab", QByteArray("MSCF\x00\x00\x00\x00", 8)},
    {"a.arj", QByteArray("\x60\xEA", 2)},
    {"a.lzh", "-lh5-", 2},
    {"a.wim", QByteArray("MSWIM\x00\x00\x00", 8)},
    {"a.dmg", "koly"},
};

class DesktopEntryKindTest : public ::testing::TestWithParam<Kind> { };

TEST_P(DesktopEntryKindTest, OffersQuendleForTheKind)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        GTEST_SKIP() << "gio is not installed";
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString sample = folder.path() + u'/' + QString::fromLatin1(GetParam().name);
    QByteArray contents(GetParam().offset, '\0');
    contents += GetParam().start;
    contents += QByteArray(4096, '\0');
    ASSERT_TRUE(quendle::test::writeFile(sample, contents));

    const quendle::test::ProgramRun run
        = quendle::test::runProgram(gio, {QStringLiteral("info"), QStringLiteral("-a"), QStringLiteral("standard::content-type"), sample});
    ASSERT_TRUE(run.ok()) << run.describe().toStdString();
    const QString type = run.out.section(QStringLiteral("standard::content-type: "), 1).trimmed();
    ASSERT_FALSE(type.isEmpty()) << run.out.toStdString();
    const QStringList listed = desktopEntry().value(QStringLiteral("MimeType")).split(u';', Qt::SkipEmptyParts);
    EXPECT_TRUE(listed.contains(type)) << GetParam().name << " is " << type.toStdString();
}

INSTANTIATE_TEST_SUITE_P(ExpandedKinds, DesktopEntryKindTest, ::testing::ValuesIn(kKinds), [](const auto& info) {
    return QString::fromLatin1(info.param.name).replace(u'.', u'_').toStdString();
});

// What software centres read: the entry it launches, and the same archive types.
TEST(DesktopEntry, MetainfoNamesTheEntryAndItsTypes)
{
    QFile file(sourceFile(kMetainfoFile));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString id;
    QString launchable;
    QStringList mediaTypes;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"id")
            id = xml.readElementText();
        else if (xml.name() == u"launchable")
            launchable = xml.readElementText();
        else if (xml.name() == u"mediatype")
            mediaTypes.append(xml.readElementText());
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(id, kId);
    EXPECT_EQ(launchable, kDesktopFile);
    EXPECT_EQ(mediaTypes, desktopEntry().value(QStringLiteral("MimeType")).split(u';', Qt::SkipEmptyParts));
}

// The desktop's own validators, each on its file (skipped where the validator is not installed).
struct Validator {
    const char* program;
    QStringList arguments;
    QString file;
};

void PrintTo(const Validator& validator, std::ostream* out)
{
    *out << validator.program;
}

class DesktopValidatorTest : public ::testing::TestWithParam<Validator> { };

TEST_P(DesktopValidatorTest, PassesTheDesktopsOwnValidator)
{
    const QString validator = QStandardPaths::findExecutable(QString::fromLatin1(GetParam().program));
    if (validator.isEmpty())
        GTEST_SKIP() << GetParam().program << " is not installed";
    quendle::test::ProgramOptions options;
    options.mergeChannels = true;
    options.timeoutMs = 60000;
    const quendle::test::ProgramRun run
        = quendle::test::runProgram(validator, GetParam().arguments + QStringList {sourceFile(GetParam().file)}, options);
    ASSERT_TRUE(run.started && run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, DesktopValidatorTest,
    ::testing::Values(Validator {"desktop-file-validate", {}, kDesktopFile},
        Validator {"appstreamcli", {QStringLiteral("validate"), QStringLiteral("--no-net")}, kMetainfoFile}),
    [](const auto& info) { return info.index == 0 ? std::string("DesktopEntry") : std::string("Metainfo"); });

} // namespace
