// Moves a file or folder into the Trash folder that belongs to it.
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

#include <sys/types.h>

namespace quendle {

class Seam;

// Which Trash folders an item goes to. Each build uses the one its desktop reads, but both are
// always compiled so that either can be exercised on any machine.
enum class TrashLayout {
    // "~/.Trash", and "<volumes>/<volume>/.Trashes/<uid>" for an item on a mounted volume.
    MacOS,
    // The freedesktop.org Trash: "$XDG_DATA_HOME/Trash", or on another file system
    // "$topdir/.Trash/$uid" or "$topdir/.Trash-$uid", each with files/ and info/.
    Freedesktop,
};

#ifdef Q_OS_MACOS
inline constexpr TrashLayout kNativeTrashLayout = TrashLayout::MacOS;
#else
inline constexpr TrashLayout kNativeTrashLayout = TrashLayout::Freedesktop;
#endif

// Everything the Trash needs to know about the session. Empty members mean the running
// session's own values; tests point them into a temporary folder.
struct TrashSetting {
    TrashLayout layout = kNativeTrashLayout;
    QString homePath; // QDir::homePath()
    QString volumesRoot = QStringLiteral("/Volumes"); // macOS layout: where volumes are mounted
    QString dataHome; // freedesktop: $XDG_DATA_HOME, else ~/.local/share
    std::optional<uid_t> userId; // getuid()
    std::function<QDateTime()> now; // the current local date and time
    // freedesktop: the top folder of the file system holding a folder (given canonical).
    // By default, found by walking up until the device changes.
    std::function<QString(const QString& folder)> mountPointOf;
};

// What became of an item sent to the Trash, and why when it did not get there.
struct TrashOutcome {
    enum Kind {
        Trashed,      // in its Trash folder
        Deleted,      // deleted for good, after the user agreed
        NotPermitted, // its folder may not be changed by this user
        NoTrash,      // its file system has no Trash this user can use, and none can be made
        Declined,     // the user would not have it deleted
        MoveFailed,   // the system refused the move; error says why
    };
    Kind kind = Trashed;
    int error = 0;
    QString place; // NotPermitted: the item's folder; NoTrash: its file system's top folder

    bool succeeded() const { return kind == Trashed || kind == Deleted; }
    // The reason in plain words, for an alert; empty when the item got there.
    QString reason() const;
};

class FileManager {
public:
    explicit FileManager(Seam& seam, TrashSetting setting = {});

    // Moves the item at `path` into its Trash folder, under its own name or, when that is
    // taken, a time-stamped one. Returns true when the item went to the Trash, or when it was
    // deleted after the user agreed. `showAlerts` only decides what happens when the item's
    // volume has no usable Trash: false gives up silently, true asks whether to delete it now.
    // A failed move is always reported to the user.
    bool trashPath(const QString& path, bool showAlerts);
    // The same move with nothing said and nothing deleted: the caller tells the user, with the
    // outcome's reason, and decides what follows.
    TrashOutcome moveToTrash(const QString& path);

private:
    TrashOutcome place(const QString& path, bool showAlerts);
    TrashOutcome trashIntoMacOSFolders(const QString& path, bool showAlerts);
    TrashOutcome trashIntoFreedesktopFolders(const QString& path, bool showAlerts);
    TrashOutcome deleteAfterAsking(const QString& path, const QString& name, const QString& top, bool showAlerts);
    void reportMoveFailure(int error);
    QString homePath() const;
    uid_t userId() const;
    QDateTime now() const;

    Seam& mSeam;
    TrashSetting mSetting;
};

// The platform's rule for removing an entry: the item exists (a symbolic link counts as
// itself), its folder is writable and searchable by this process, and when that folder has the
// sticky bit, this process owns the item or the folder (or is the superuser).
bool isDeletableFile(const QString& path);

// The top folder of the file system that holds `folder`: the highest folder above it on the
// same device.
QString mountPointOf(const QString& folder);

} // namespace quendle
