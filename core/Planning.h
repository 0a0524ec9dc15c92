// Where an archive's contents go: pure decisions from the archive path, its listing and the
// preferences, with the path rules the whole expansion uses.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
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
// Whether `item` is `path` or a folder above it (compared as cleaned paths).
bool isOrHolds(const QString& item, const QString& path);

struct DestinationPlan {
    QString whatToShow;    // the item the extraction is expected to produce
    QStringList arguments; // "x", archive, "-o<destination>", "-aoa"
    QString destination;   // the folder the archiver writes into; the progress window's bottom text
    QString testedPath;    // the item whose existence raises the replace prompt; empty: no prompt
    // Beside the archive, the item the contents will actually overwrite when it is not the
    // tested path; it is guarded by the same prompt. Empty: nothing more to test.
    QString alsoTestedPath;
    bool customFolder = false;
    // The contents go into a folder of their own (they would spill or overwrite the archive).
    bool ownFolder = false;

    // The paths to test, in order.
    QStringList testedPaths() const;
    bool operator==(const DestinationPlan&) const = default;
};

// What the listing says of the archive's shape.
struct ListingShape {
    std::optional<QString> topLevelName;
    bool sharesTopLevel = true;       // every entry lies below the top-level name
    bool topLevelNamesArchive = false; // some entry is named like the archive itself
    // The names listed are the names the extraction writes. Not so when 7-Zip opened an archive
    // inside the archive (a split set, a package, a disk image): the contents then get a
    // folder of their own, so that nothing planned around the wrong names can be overwritten.
    bool namesAsListed = true;
    bool operator==(const ListingShape&) const = default;
};

// topLevelName: the first entry's top-level name from the listing, or nothing.
// customFolder: the folder the preferences name when a custom folder is in use, else nothing
// (the contents then go beside the archive).
DestinationPlan planDestination(const QString& archivePath, const std::optional<QString>& topLevelName,
    const std::optional<QString>& customFolder);

// The same, for any shape: contents of several top-level items, or holding an item named like
// the archive in the archive's own folder, go into a new folder named after the archive less
// its extension (the first free "NAME 2", "NAME 3", … when that is the archive itself).
// exists: whether an item is at a path (asked only to find a free name).
DestinationPlan planDestination(const QString& archivePath, const ListingShape& shape,
    const std::optional<QString>& customFolder, const std::function<bool(const QString&)>& exists);

} // namespace quendle
