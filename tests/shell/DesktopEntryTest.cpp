// The desktop entry: what the desktop reads to offer Quendle for archives.
#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

QString sourceFile(const QString& name)
{
    return qEnvironmentVariable("QUENDLE_SOURCE_DIR") + QStringLiteral("/resources/") + name;
}

// The "[Desktop Entry]" group as key → value.
QHash<QString, QString> desktopEntry()
{
    QFile file(sourceFile(QStringLiteral("quendle.desktop")));
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

TEST(DesktopEntry, PassesTheDesktopsOwnValidator)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator, {sourceFile(QStringLiteral("quendle.desktop"))});
    ASSERT_TRUE(process.waitForFinished());
    EXPECT_EQ(process.exitCode(), 0) << process.readAll().toStdString();
}

} // namespace
