// The desktop entry: what the desktop reads to offer Quendle for archives.
#include "support/TestEnvironment.h"

#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QStandardPaths>
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
