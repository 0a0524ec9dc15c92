// The preferences store: its file, the registered defaults, the integer rule and the folder forms.
#include "prefs/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

#include <climits>

using namespace quendle;
using quendle::test::TemporaryHome;

namespace {

QString confPath(const TemporaryHome& home)
{
    return home.configHome() + QStringLiteral("/quendle/quendle.conf");
}

} // namespace

TEST(UserDefaults, FirstLaunchReadsTheRegisteredDefaultsAndWritesNone)
{
    TemporaryHome home;
    UserDefaults defaults;
    defaults.registerDefaults(registeredDefaults());

    EXPECT_EQ(defaults.fileName(), confPath(home));
    EXPECT_EQ(defaults.stringForKey(keys::IsUsedCustomFolder), QStringLiteral("0"));
    EXPECT_EQ(defaults.stringForKey(keys::CustomFolder), home.home());
    EXPECT_EQ(defaults.stringForKey(keys::IsRevealInFinder), QStringLiteral("1"));
    EXPECT_EQ(defaults.stringForKey(keys::ActionAfterExpanding), QStringLiteral("0"));
    EXPECT_FALSE(usesCustomFolder(defaults));
    EXPECT_TRUE(revealsInFileManager(defaults));
    EXPECT_FALSE(trashesAfterExpanding(defaults));
    // With nothing stored the planning still finds a folder: the home folder itself.
    EXPECT_EQ(folderPathFromStored(defaults.stringForKey(keys::CustomFolder)), home.home());
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("NoSuchKey")), std::nullopt);

    EXPECT_TRUE(defaults.synchronize());
    QSettings onDisk(confPath(home), QSettings::IniFormat);
    EXPECT_TRUE(onDisk.allKeys().isEmpty());
}

TEST(UserDefaults, FileFollowsTheEnvironmentAtConstruction)
{
    TemporaryHome home;
    EXPECT_EQ(userSettingsFilePath(), confPath(home));
    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(userSettingsFilePath(), home.home() + QStringLiteral("/.config/quendle/quendle.conf"));
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(userSettingsFilePath(), home.home() + QStringLiteral("/.config/quendle/quendle.conf"));
    qunsetenv("XDG_CONFIG_HOME");
    UserDefaults defaults;
    EXPECT_EQ(defaults.fileName(), home.home() + QStringLiteral("/.config/quendle/quendle.conf"));
}

TEST(UserDefaults, SavedValuesWinAndReachTheNextLaunch)
{
    TemporaryHome home;
    {
        UserDefaults defaults;
        defaults.registerDefaults(registeredDefaults());
        defaults.setObject(QStringLiteral("1"), keys::IsUsedCustomFolder);
        defaults.setObject(QStringLiteral("file:///srv/my%20files/"), keys::CustomFolder);
        defaults.setObject(QStringLiteral("0"), keys::IsRevealInFinder);
        ASSERT_TRUE(defaults.synchronize());
        EXPECT_TRUE(usesCustomFolder(defaults));
        EXPECT_FALSE(revealsInFileManager(defaults));
        EXPECT_EQ(defaults.stringForKey(keys::ActionAfterExpanding), QStringLiteral("0"));
    }
    // What another process (the next launch) reads: the [General] group, every value a string,
    // and nothing for the key that was never written.
    QSettings onDisk(confPath(home), QSettings::IniFormat);
    EXPECT_EQ(onDisk.allKeys().size(), 3);
    EXPECT_EQ(onDisk.value(QStringLiteral("IsUsedCustomFolder")), QVariant(QStringLiteral("1")));
    EXPECT_EQ(onDisk.value(QStringLiteral("CustomFolder")), QVariant(QStringLiteral("file:///srv/my%20files/")));
    EXPECT_FALSE(onDisk.contains(keys::ActionAfterExpanding));
    const QByteArray text = test::readFile(confPath(home));
    EXPECT_TRUE(text.startsWith("[General]\n")) << text.constData();

    UserDefaults next;
    next.registerDefaults(registeredDefaults());
    EXPECT_EQ(folderPathFromStored(next.stringForKey(keys::CustomFolder)), QStringLiteral("/srv/my files"));
    EXPECT_TRUE(usesCustomFolder(next));
}

TEST(UserDefaults, AHandWrittenValueWithACommaIsKeptWhole)
{
    TemporaryHome home;
    test::writeFile(confPath(home), "[General]\nCustomFolder=/srv/a,b\n");
    UserDefaults defaults;
    EXPECT_EQ(defaults.stringForKey(keys::CustomFolder), QStringLiteral("/srv/a,b"));
}

struct BrokenFile {
    const char* name;
    QByteArray contents;
};

void PrintTo(const BrokenFile& file, std::ostream* os) { *os << file.name; }

class UserDefaultsBrokenFile : public testing::TestWithParam<BrokenFile> { };

TEST_P(UserDefaultsBrokenFile, StartsWithTheDefaultsAndIsReplacedOnlyBySaving)
{
    TemporaryHome home;
    test::writeFile(confPath(home), GetParam().contents);
    {
        UserDefaults onlyRead;
        onlyRead.stringForKey(keys::CustomFolder);
    }
    EXPECT_EQ(test::readFile(confPath(home)), GetParam().contents);
    UserDefaults defaults;
    defaults.registerDefaults(registeredDefaults());
    EXPECT_EQ(defaults.stringForKey(keys::IsUsedCustomFolder), QStringLiteral("0"));
    EXPECT_EQ(defaults.stringForKey(keys::CustomFolder), home.home());
    EXPECT_EQ(defaults.stringForKey(keys::IsRevealInFinder), QStringLiteral("1"));
    EXPECT_EQ(test::readFile(confPath(home)), GetParam().contents);

    defaults.setObject(QStringLiteral("0"), keys::IsRevealInFinder);
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(defaults.stringForKey(keys::IsUsedCustomFolder), QStringLiteral("0"));
    QSettings onDisk(confPath(home), QSettings::IniFormat);
    EXPECT_EQ(onDisk.status(), QSettings::NoError);
    EXPECT_EQ(onDisk.value(keys::IsRevealInFinder), QVariant(QStringLiteral("0")));
    // Nothing half-read from the broken file comes back after the save.
    UserDefaults next;
    next.registerDefaults(registeredDefaults());
    EXPECT_EQ(next.stringForKey(keys::IsRevealInFinder), QStringLiteral("0"));
    EXPECT_EQ(next.stringForKey(keys::IsUsedCustomFolder), QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(Files, UserDefaultsBrokenFile,
    testing::Values(
        BrokenFile {"Binary", QByteArray("\x00\x01\x02\xff\xfe=\x7f[[[", 11)},
        BrokenFile {"UnclosedGroup", "[General\nIsUsedCustomFolder=1\nIsRevealInFinder=0\n"},
        BrokenFile {"SerialisedVariant", "[General]\nIsUsedCustomFolder=@Variant(\\0\\0\\0\\x7f)\n"
                                         "CustomFolder=@Variant(\\0\\0\\0\\x7f)\nIsRevealInFinder=@Invalid()\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserDefaults, AnUnreadableFileStartsWithTheDefaults)
{
    TemporaryHome home;
    test::writeFile(confPath(home), "[General]\nIsUsedCustomFolder=1\n");
    QFile::setPermissions(confPath(home), QFileDevice::Permissions());
    QFile probe(confPath(home));
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "this user reads a file of mode 0000 anyway (root); nothing to test";
    UserDefaults defaults;
    defaults.registerDefaults(registeredDefaults());
    EXPECT_EQ(defaults.stringForKey(keys::IsUsedCustomFolder), QStringLiteral("0"));
}

struct IntCase {
    std::optional<QString> text;
    int value;
};

void PrintTo(const IntCase& c, std::ostream* os)
{
    if (!c.text) {
        *os << "none";
        return;
    }
    // Test names must stay on one line.
    *os << '"';
    for (const QChar ch : *c.text)
        *os << (ch == u'\t' ? std::string("\\t") : ch == u'\n' ? std::string("\\n") : QString(ch).toStdString());
    *os << '"';
}

class IntValue : public testing::TestWithParam<IntCase> { };

TEST_P(IntValue, ReadsTheLeadingInteger)
{
    EXPECT_EQ(intValue(GetParam().text), GetParam().value)
        << (GetParam().text ? GetParam().text->toStdString() : std::string("(none)"));
}

INSTANTIATE_TEST_SUITE_P(Texts, IntValue,
    testing::Values(IntCase {std::nullopt, 0}, IntCase {QString(), 0}, IntCase {QStringLiteral("0"), 0},
        IntCase {QStringLiteral("1"), 1}, IntCase {QStringLiteral("-1"), -1}, IntCase {QStringLiteral("+5"), 5},
        IntCase {QStringLiteral(" \t\n 7"), 7}, IntCase {QStringLiteral("12abc"), 12},
        IntCase {QStringLiteral("1.9"), 1}, IntCase {QStringLiteral("0x10"), 0},
        IntCase {QStringLiteral("- 1"), 0}, IntCase {QStringLiteral("abc"), 0}, IntCase {QStringLiteral("--1"), 0},
        IntCase {QStringLiteral("007"), 7}, IntCase {QStringLiteral("2147483647"), INT_MAX},
        IntCase {QStringLiteral("2147483648"), INT_MAX}, IntCase {QStringLiteral("-2147483648"), INT_MIN},
        IntCase {QStringLiteral("-2147483649"), INT_MIN},
        IntCase {QStringLiteral("99999999999999999999999"), INT_MAX},
        IntCase {QStringLiteral("-99999999999999999999999"), INT_MIN},
        IntCase {QStringLiteral("\u0663"), 0})); // an Arabic-Indic digit is not a decimal digit here

struct ReaderCase {
    const char* stored;
    bool customFolder;
    bool reveal;
    bool trash;
};

void PrintTo(const ReaderCase& c, std::ostream* os) { *os << '"' << c.stored << '"'; }

class IntegerKeyReaders : public testing::TestWithParam<ReaderCase> { };

TEST_P(IntegerKeyReaders, CustomFolderOnForNonZeroOthersOnlyForOne)
{
    TemporaryHome home;
    UserDefaults defaults;
    defaults.registerDefaults(registeredDefaults());
    const QString stored = QString::fromUtf8(GetParam().stored);
    defaults.setObject(stored, keys::IsUsedCustomFolder);
    defaults.setObject(stored, keys::IsRevealInFinder);
    defaults.setObject(stored, keys::ActionAfterExpanding);
    EXPECT_EQ(usesCustomFolder(defaults), GetParam().customFolder);
    EXPECT_EQ(revealsInFileManager(defaults), GetParam().reveal);
    EXPECT_EQ(trashesAfterExpanding(defaults), GetParam().trash);
}

INSTANTIATE_TEST_SUITE_P(Stored, IntegerKeyReaders,
    testing::Values(ReaderCase {"0", false, false, false}, ReaderCase {"1", true, true, true},
        ReaderCase {"-1", true, false, false}, ReaderCase {"2", true, false, false},
        ReaderCase {"yes", false, false, false}, ReaderCase {"", false, false, false},
        ReaderCase {" 1 ", true, true, true}, ReaderCase {"1st", true, true, true}));

struct FolderCase {
    const char* stored;
    std::optional<QString> folder;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << '"' << c.stored << '"'; }

class CustomFolderForms : public testing::TestWithParam<FolderCase> { };

TEST_P(CustomFolderForms, GiveTheFolderPath)
{
    EXPECT_EQ(folderPathFromStored(QString::fromUtf8(GetParam().stored)), GetParam().folder)
        << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(Texts, CustomFolderForms,
    testing::Values(
        // Plain paths name themselves, whatever they contain.
        FolderCase {"/home/me", QStringLiteral("/home/me")}, FolderCase {"/home/me/", QStringLiteral("/home/me")},
        FolderCase {"/", QStringLiteral("/")}, FolderCase {"//srv//x", QStringLiteral("/srv//x")},
        FolderCase {"/home/my folder", QStringLiteral("/home/my folder")},
        FolderCase {"/srv/100%", QStringLiteral("/srv/100%")},
        FolderCase {"/srv/a%20b", QStringLiteral("/srv/a%20b")},
        FolderCase {"/srv/a#b?c", QStringLiteral("/srv/a#b?c")},
        FolderCase {"/srv/Über café", QStringLiteral("/srv/Über café")},
        // File URLs: escapes decoded, no trailing slash.
        FolderCase {"file:///home/my%20folder/", QStringLiteral("/home/my folder")},
        FolderCase {"file:///srv/100%25/", QStringLiteral("/srv/100%")},
        FolderCase {"file:///srv/%C3%9Cber%20caf%C3%A9/", QStringLiteral("/srv/Über café")},
        FolderCase {"file:///srv/a%23b%3Fc/", QStringLiteral("/srv/a#b?c")},
        FolderCase {"file://localhost/srv/x/", QStringLiteral("/srv/x")},
        FolderCase {"file:/srv/x", QStringLiteral("/srv/x")},
        FolderCase {"FILE:///srv/x/", QStringLiteral("/srv/x")},
        FolderCase {"file:///home/my folder/", QStringLiteral("/home/my folder")},
        FolderCase {"file:///", QStringLiteral("/")},
        // Nothing that names a local folder.
        FolderCase {"", std::nullopt}, FolderCase {"Documents", std::nullopt},
        FolderCase {" /home/me", std::nullopt}, FolderCase {"~/Documents", std::nullopt},
        FolderCase {"file:relative", std::nullopt}, FolderCase {"http://example.org/srv/", std::nullopt}));

TEST(CustomFolderForms, MissingValueNamesNoFolder)
{
    EXPECT_EQ(folderPathFromStored(std::nullopt), std::nullopt);
    EXPECT_EQ(folderPathFromUrl(QUrl()), std::nullopt);
}

TEST(CustomFolderForms, APlainPathIsWrittenBackAsItself)
{
    // Loading the folder control and saving it again must not turn the registered home
    // folder into an escaped text that a reader would take literally.
    for (const QString& plain : {QStringLiteral("/home/me"), QStringLiteral("/home/my folder"),
             QStringLiteral("/srv/100%"), QStringLiteral("/srv/Über")}) {
        const std::optional<QUrl> url = urlWithString(plain);
        ASSERT_TRUE(url) << plain.toStdString();
        EXPECT_EQ(storedFormOf(*url), plain);
        EXPECT_EQ(folderPathFromStored(storedFormOf(*url)), plain);
    }
    EXPECT_EQ(storedFormOf(QUrl()), QString());
}

TEST(FolderChooser, IsConfiguredForOneFolderFromHome)
{
    TemporaryHome home;
    const OpenPanel panel = folderChooserPanel();
    EXPECT_EQ(panel.title, QStringLiteral("Choose a file object"));
    EXPECT_EQ(panel.prompt, QStringLiteral("Choose"));
    EXPECT_EQ(panel.directory, home.home());
    EXPECT_FALSE(panel.allowsMultipleSelection);
    EXPECT_TRUE(panel.canCreateDirectories);
    EXPECT_TRUE(panel.resolvesAliases);
    EXPECT_TRUE(panel.canChooseDirectories);
    EXPECT_FALSE(panel.canChooseFiles);
}
