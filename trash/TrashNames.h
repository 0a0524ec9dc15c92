// The Trash's names and records that need no file system: the time-stamped name of a colliding
// item, and the freedesktop.org .trashinfo record with its percent-encoded original path.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace quendle::trash {

// An item's name split at the full stop that starts its extension. A leading full stop belongs
// to the name (".profile" has no extension), and so does a trailing one ("draft." has none).
struct NameParts {
    QString base;
    QString extension; // without the full stop; empty when there is none
};
NameParts splitExtension(const QString& name);

// The name a colliding item gets: the base, then " HH-MM-SS", then the extension again
// ("notes.txt" -> "notes 14-05-09.txt", "report.tar.gz" -> "report.tar 14-05-09.gz").
QString timeStampedName(const QString& name, const QTime& time);

// Path= values of .trashinfo files: every byte except ASCII letters, digits, "-._~" and "/" is
// written as %XX, so any file name, a line break included, survives on one line.
QByteArray percentEncodePath(const QByteArray& path);

// DeletionDate= values: local time as YYYY-MM-DDThh:mm:ss.
QByteArray formatDeletionDate(const QDateTime& when);

// The whole .trashinfo file for an item whose original path (absolute, or relative to the top
// of its volume) is given as bytes.
QByteArray makeTrashInfo(const QByteArray& originalPath, const QDateTime& deletedAt);

} // namespace quendle::trash
