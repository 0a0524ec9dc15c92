// The four preferences: keys, registered defaults, the stored strings and how readers take them.
#pragma once

#include "platform/Seam.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QSettings;

namespace quendle {

namespace keys {
inline const QString IsUsedCustomFolder = QStringLiteral("IsUsedCustomFolder");
inline const QString CustomFolder = QStringLiteral("CustomFolder");
inline const QString IsRevealInFinder = QStringLiteral("IsRevealInFinder");
inline const QString ActionAfterExpanding = QStringLiteral("ActionAfterExpanding");
} // namespace keys

// $XDG_CONFIG_HOME/quendle/quendle.conf, or ~/.config/quendle/quendle.conf when the variable is
// unset, empty or relative; read from the environment at each call.
QString userSettingsFilePath();

// The user's settings file ([General] group, every value a string) with registered defaults
// kept in memory and never written.
class UserDefaults {
public:
    UserDefaults();                                // the fixed per-user file, as the environment names it now
    explicit UserDefaults(const QString& filePath); // another file (tests)
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    void registerDefaults(const QList<QPair<QString, QString>>& defaults);
    // A value that holds for this launch only and comes before the stored one (quendle
    // --into); it is kept in memory and never written.
    void setForThisLaunch(const QString& value, const QString& key);
    // The value for this launch, else the stored string, else the registered default, else
    // nothing.
    std::optional<QString> stringForKey(const QString& key) const;
    void setObject(const QString& value, const QString& key);
    // Writes the store to disk at once; false when the file could not be written.
    bool synchronize();
    QString fileName() const;

private:
    std::unique_ptr<QSettings> mSettings;
    QHash<QString, QString> mRegistered;
    QHash<QString, QString> mForThisLaunch;
    // The file could not be read or parsed: it counts as empty until the first write replaces it.
    bool mIgnoreStored = false;
};

// The defaults registered before anything else: "0", the home folder, "1", "0".
QList<QPair<QString, QString>> registeredDefaults();

// A string's leading integer: white space, an optional sign, digits; anything else 0.
// Out-of-range numbers give INT_MAX or INT_MIN.
int intValue(const std::optional<QString>& text);

// How the readers test the integer keys: the custom folder is on for anything but 0; the
// reveal and the after-expanding Trash act on exactly 1.
bool usesCustomFolder(const UserDefaults& defaults);
bool revealsInFileManager(const UserDefaults& defaults);
bool trashesAfterExpanding(const UserDefaults& defaults);

// A stored CustomFolder read as a URL string; nothing when the text names no folder.
// A text beginning with "/" is a plain path and stays literal: it becomes a URL without a
// scheme whose decoded path is the text itself, spaces, "%" and all.
// Anything else must be an absolute file URL (percent escapes decoded; tolerant of stray
// characters such as spaces); other schemes and relative references give nothing.
std::optional<QUrl> urlWithString(const QString& text);
// The folder a URL of urlWithString or of the folder control names: decoded, without a
// trailing slash ("/" stays "/"). Nothing for a URL that names no local folder.
std::optional<QString> folderPathFromUrl(const QUrl& url);
// The folder a stored CustomFolder names, in any stored form (plain path or file URL).
// Nothing when the text names no folder.
std::optional<QString> folderPathFromStored(const std::optional<QString>& stored);
// What CustomFolder stores for the folder control's URL: the file URL's absolute string
// (percent-escaped); a URL without a scheme (a plain path read back) stores its plain path
// again, so the registered home folder survives a save unchanged.
QString storedFormOf(const QUrl& url);

// The folder chooser opened from the folder control: one folder, starting in the home folder.
OpenPanel folderChooserPanel();

} // namespace quendle
