// The four preferences: keys, registered defaults, the stored strings and how readers take them.
#pragma once

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

// The user's settings file ($XDG_CONFIG_HOME/quendle/quendle.conf, [General]) with
// registered defaults kept in memory and never written.
class UserDefaults {
public:
    UserDefaults();                                // the fixed per-user file
    explicit UserDefaults(const QString& filePath); // another file (tests)
    ~UserDefaults();

    void registerDefaults(const QList<QPair<QString, QString>>& defaults);
    // The stored string, else the registered default, else nothing.
    std::optional<QString> stringForKey(const QString& key) const;
    void setObject(const QString& value, const QString& key);
    // Writes the store to disk at once.
    void synchronize();
    QString fileName() const;

private:
    std::unique_ptr<QSettings> mSettings;
    QHash<QString, QString> mRegistered;
};

// The defaults registered before anything else: "0", the home folder, "1", "0".
QList<QPair<QString, QString>> registeredDefaults();

// A string's leading integer: white space, an optional sign, digits; anything else 0.
int intValue(const std::optional<QString>& text);

// A stored CustomFolder read as a URL string; nothing when the text is not a URL.
std::optional<QUrl> urlWithString(const QString& text);
// The folder a stored CustomFolder names, in any stored form (plain path or file URL):
// percent escapes decoded, no trailing slash. Nothing when the text is not a URL.
std::optional<QString> folderPathFromStored(const std::optional<QString>& stored);

} // namespace quendle
