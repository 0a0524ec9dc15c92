// Where an archive's contents go: pure decisions from the archive path, its listing and the
// preferences, with the path rules the whole expansion uses.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quendle {

// Path rules: folder of a path (last component removed), path less its last extension,
// file name (last component). Trailing slashes are ignored, as for any folder path.
QString folderOfPath(const QString& path);
QString pathLessExtension(const QString& path);
QString fileNameOfPath(const QString& path);
// The extension: the text after the last full stop of the file name; empty for none or
// for a name whose only full stop is its first character.
QString pathExtension(const QString& path);
// "%@/%@".
QString joinPath(const QString& folder, const QString& name);

struct DestinationPlan {
    QString whatToShow;    // the item the extraction is expected to produce
    QStringList arguments; // "x", archive, "-o<destination>", "-aoa"
    QString destination;   // the folder the archiver writes into; the progress window's bottom text
    QString testedPath;    // the item whose existence raises the replace prompt; empty: no prompt
    bool customFolder = false;
};

// topLevelName: the first entry's top-level name from the listing, or nothing.
// customFolder: the folder the preferences name when a custom folder is in use, else nothing
// (the contents then go beside the archive).
DestinationPlan planDestination(const QString& archivePath, const std::optional<QString>& topLevelName,
    const std::optional<QString>& customFolder);

} // namespace quendle
