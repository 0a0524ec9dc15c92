// What the Trash tests share: a fixed clock, file-system probes, and the desktop's own view of
// the Trash through `gio trash --list`.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

#include <sys/stat.h>

namespace quendle::test {

// Every trashing in these tests happens at this local time.
inline QDateTime fixedDeletionTime()
{
    return QDateTime(QDate(2026, 3, 14), QTime(14, 5, 9));
}

// The lstat() of a path, or nothing when no entry is there.
std::optional<struct stat> entryAt(const QString& path);
inline bool exists(const QString& path) { return entryAt(path).has_value(); }
bool isLink(const QString& path);
bool isFolderEntry(const QString& path);
bool isPlainFile(const QString& path);
QString linkTarget(const QString& path);
bool makeLink(const QString& target, const QString& link);
unsigned permissions(const QString& path); // the mode's low 12 bits

// One line of `gio trash --list`: the item's trash:// URI and its original path as gio prints
// it (bytes outside printable ASCII, and the backslash, as \xNN).
struct GioTrashEntry {
    QByteArray uri;
    QByteArray originalPath;
};
// Empty when gio and dbus-run-session are both installed; otherwise why they can't be used.
QString gioUnavailableReason();
// Lists the Trash of the current HOME and XDG_DATA_HOME as the desktop sees it, through gvfs on
// a private session bus. `error` gets gio's complaints when it fails.
std::optional<QList<GioTrashEntry>> gioTrashList(QString* error = nullptr);
// Puts an item back where it came from, as the desktop's "Restore" does.
bool gioRestore(const QByteArray& uri, QString* error = nullptr);
// An original path written the way gio prints it.
QByteArray gioEscaped(const QByteArray& path);

} // namespace quendle::test
