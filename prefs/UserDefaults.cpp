// The preferences store on a QSettings INI file, and the rules by which its strings are read.
#include "prefs/UserDefaults.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <climits>
#include <mutex>

namespace quendle {

QString userSettingsFilePath()
{
    // The base directory specification says a relative XDG_CONFIG_HOME is to be ignored.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/quendle/quendle.conf");
}

UserDefaults::UserDefaults()
    : UserDefaults(userSettingsFilePath())
{
}

namespace {

// QSettings parses a file once per process and reports a broken file only to the first
// instance that reads it; later instances share the parsed copy and see no error. Broken
// files are therefore remembered, as they were, for the stores made after the first.
struct FileStamp {
    qint64 size = -1;
    QDateTime modified;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp stampOf(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? FileStamp {info.size(), info.lastModified()} : FileStamp {};
}

std::mutex gBrokenLock;
QHash<QString, FileStamp> gBrokenFiles;

// Whether the file is broken: as QSettings found it now, or as an earlier store found it
// when it looked exactly as it does now.
bool isBroken(const QString& path, bool brokenNow)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    std::lock_guard lock(gBrokenLock);
    if (brokenNow) {
        gBrokenFiles.insert(key, stampOf(path));
        return true;
    }
    const auto known = gBrokenFiles.constFind(key);
    if (known == gBrokenFiles.constEnd())
        return false;
    if (*known == stampOf(path))
        return true;
    gBrokenFiles.erase(known);
    return false;
}

} // namespace

UserDefaults::UserDefaults(const QString& filePath)
    : mSettings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
    // A file we cannot read or parse must not feed half-read values to the readers; it is
    // left on disk untouched until the user saves a preference.
    mIgnoreStored = isBroken(filePath, mSettings->status() != QSettings::NoError);
}

UserDefaults::~UserDefaults() = default;

void UserDefaults::registerDefaults(const QList<QPair<QString, QString>>& defaults)
{
    for (const auto& [key, value] : defaults)
        mRegistered.insert(key, value);
}

void UserDefaults::setForThisLaunch(const QString& value, const QString& key)
{
    mForThisLaunch.insert(key, value);
}

std::optional<QString> UserDefaults::stringForKey(const QString& key) const
{
    const auto forThisLaunch = mForThisLaunch.constFind(key);
    if (forThisLaunch != mForThisLaunch.constEnd())
        return *forThisLaunch;
    if (!mIgnoreStored) {
        const QVariant stored = mSettings->value(key);
        // The INI reader splits an unquoted value at commas (a hand-edited path "/a,b");
        // put it back together rather than lose the folder.
        if (stored.typeId() == QMetaType::QStringList)
            return stored.toStringList().join(u',');
        if (stored.isValid() && stored.canConvert<QString>())
            return stored.toString();
    }
    const auto registered = mRegistered.constFind(key);
    if (registered != mRegistered.constEnd())
        return *registered;
    return std::nullopt;
}

void UserDefaults::setObject(const QString& value, const QString& key)
{
    if (mIgnoreStored) {
        // The user's first saved choice replaces the broken file. QSettings keeps the first
        // error it met for good, so a fresh instance is needed for synchronize to report
        // the writes that follow.
        const QString path = mSettings->fileName();
        mSettings.reset();
        QFile::remove(path);
        isBroken(path, false); // forgets it: the file is gone
        mSettings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        mSettings->clear(); // nothing of the broken file survives, even if it could not go
        mIgnoreStored = false;
    }
    mSettings->setValue(key, value);
}

bool UserDefaults::synchronize()
{
    mSettings->sync();
    return mSettings->status() == QSettings::NoError;
}

QString UserDefaults::fileName() const
{
    return mSettings->fileName();
}

QList<QPair<QString, QString>> registeredDefaults()
{
    return {
        {keys::IsUsedCustomFolder, QStringLiteral("0")},
        {keys::CustomFolder, QDir::homePath()},
        {keys::IsRevealInFinder, QStringLiteral("1")},
        {keys::ActionAfterExpanding, QStringLiteral("0")},
    };
}

int intValue(const std::optional<QString>& text)
{
    if (!text)
        return 0;
    const QString& s = *text;
    qsizetype i = 0;
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < s.size() && (s.at(i) == u'+' || s.at(i) == u'-')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    // Accumulate as a negative number so that INT_MIN itself is representable.
    long long value = 0;
    bool overflow = false;
    for (; i < s.size() && s.at(i) >= u'0' && s.at(i) <= u'9'; ++i) {
        if (!overflow) {
            value = value * 10 - (s.at(i).unicode() - u'0');
            if (value < -static_cast<long long>(INT_MAX) - 1)
                overflow = true;
        }
    }
    if (overflow)
        return negative ? INT_MIN : INT_MAX;
    if (negative)
        return static_cast<int>(value);
    return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

bool usesCustomFolder(const UserDefaults& defaults)
{
    return intValue(defaults.stringForKey(keys::IsUsedCustomFolder)) != 0;
}

bool revealsInFileManager(const UserDefaults& defaults)
{
    return intValue(defaults.stringForKey(keys::IsRevealInFinder)) == 1;
}

bool trashesAfterExpanding(const UserDefaults& defaults)
{
    return intValue(defaults.stringForKey(keys::ActionAfterExpanding)) == 1;
}

std::optional<QUrl> urlWithString(const QString& text)
{
    if (text.startsWith(u'/')) {
        // "//x" would read as a host; on this system it is the folder "/x".
        qsizetype slashes = 0;
        while (slashes + 1 < text.size() && text.at(slashes + 1) == u'/')
            ++slashes;
        QUrl plain;
        plain.setPath(text.mid(slashes), QUrl::DecodedMode);
        return plain;
    }
    QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid() || url.scheme() != QLatin1String("file") || !url.path().startsWith(u'/'))
        return std::nullopt;
    return url;
}

std::optional<QString> folderPathFromUrl(const QUrl& url)
{
    if (!url.isValid() || !(url.scheme().isEmpty() || url.scheme() == QLatin1String("file")))
        return std::nullopt;
    // A URL without a scheme may only carry a path: "//host/x" read as a URL is not a folder.
    if (url.scheme().isEmpty() && (url.hasQuery() || url.hasFragment() || !url.authority().isEmpty()))
        return std::nullopt;
    QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(u'/'))
        return std::nullopt;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

std::optional<QString> folderPathFromStored(const std::optional<QString>& stored)
{
    if (!stored)
        return std::nullopt;
    const std::optional<QUrl> url = urlWithString(*stored);
    if (!url)
        return std::nullopt;
    return folderPathFromUrl(*url);
}

QString storedFormOf(const QUrl& url)
{
    if (url.isEmpty())
        return {};
    if (url.scheme().isEmpty())
        return url.path(QUrl::FullyDecoded);
    return url.toString(QUrl::FullyEncoded);
}

OpenPanel folderChooserPanel()
{
    OpenPanel panel;
    panel.title = QCoreApplication::translate("quendle::OpenPanel", "Choose a file object");
    panel.prompt = QCoreApplication::translate("quendle::OpenPanel", "Choose");
    panel.directory = QDir::homePath();
    panel.extensions = {}; // folders only: no file type applies
    panel.allowsMultipleSelection = false;
    panel.canCreateDirectories = true;
    panel.resolvesAliases = true;
    panel.canChooseDirectories = true;
    panel.canChooseFiles = false;
    return panel;
}

} // namespace quendle
