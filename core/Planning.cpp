// Where an archive's contents go: pure decisions from the archive path, its listing and the
// preferences, with the path rules the whole expansion uses.
#include "core/Planning.h"

#include <QDir>
#include <QRegularExpression>

namespace quendle {

namespace {

QString withoutTrailingSlashes(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    return trimmed;
}

// The index of the full stop that starts the extension of the last component, or -1.
qsizetype extensionDot(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    // A leading full stop names a hidden file, it does not start an extension.
    if (dot <= slash + 1 || dot == path.size() - 1)
        return -1;
    return dot;
}

// A listing's top-level name that names an item below the destination folder. An empty
// name (an absolute entry), "." or ".." would make the expansion's result the destination
// folder itself or its parent, which the reveal and the Trash must never touch.
bool namesItemBelow(const std::optional<QString>& name)
{
    return name && !name->isEmpty() && *name != u"." && *name != u"..";
}

// The archive's path less its extension; for a part of a split set ("x.7z.001",
// "x.part2.rar") that of the set's archive ("x"), whichever part was opened.
QString archiveLessExtension(const QString& path)
{
    static const QRegularExpression volume(QStringLiteral("\\.[0-9]{3,6}$|\\.part[0-9]+(?=\\.rar$)"),
        QRegularExpression::CaseInsensitiveOption);
    QString trimmed = withoutTrailingSlashes(path);
    const QRegularExpressionMatch match = volume.match(trimmed);
    if (match.hasMatch() && match.capturedStart() > trimmed.lastIndexOf(u'/') + 1)
        trimmed.remove(match.capturedStart(), match.capturedLength());
    return pathLessExtension(trimmed);
}

} // namespace

QString folderOfPath(const QString& path)
{
    const QString trimmed = withoutTrailingSlashes(path);
    if (trimmed == u"/")
        return trimmed;
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return trimmed.left(slash);
}

QString pathLessExtension(const QString& path)
{
    const QString trimmed = withoutTrailingSlashes(path);
    const qsizetype dot = extensionDot(trimmed);
    return dot < 0 ? trimmed : trimmed.left(dot);
}

QString fileNameOfPath(const QString& path)
{
    const QString trimmed = withoutTrailingSlashes(path);
    if (trimmed == u"/")
        return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
}

QString pathExtension(const QString& path)
{
    const QString trimmed = withoutTrailingSlashes(path);
    const qsizetype dot = extensionDot(trimmed);
    return dot < 0 ? QString() : trimmed.mid(dot + 1);
}

QString joinPath(const QString& folder, const QString& name)
{
    return folder + u'/' + name;
}

bool isOrHolds(const QString& item, const QString& path)
{
    const QString outer = QDir::cleanPath(item);
    const QString inner = QDir::cleanPath(path);
    if (outer.isEmpty() || inner.isEmpty())
        return false;
    return inner == outer || inner.startsWith(outer == u"/" ? outer : outer + u'/');
}

QStringList DestinationPlan::testedPaths() const
{
    QStringList paths;
    for (const QString& path : {testedPath, alsoTestedPath}) {
        if (!path.isEmpty() && !paths.contains(path))
            paths.append(path);
    }
    return paths;
}

DestinationPlan planDestination(const QString& archivePath, const std::optional<QString>& topLevelName,
    const std::optional<QString>& customFolder)
{
    return planDestination(archivePath, ListingShape {topLevelName}, customFolder, [](const QString&) { return false; });
}

DestinationPlan planDestination(const QString& archivePath, const ListingShape& shape,
    const std::optional<QString>& customFolder, const std::function<bool(const QString&)>& exists)
{
    const auto same = [](const QString& a, const QString& b) { return QDir::cleanPath(a) == QDir::cleanPath(b); };
    // An item that is the archive or a folder above it: replacing it would send the archive
    // itself (and its neighbours) to the Trash before anything is extracted.
    const auto holdsArchive = [&](const QString& item) { return isOrHolds(item, archivePath); };
    const std::optional<QString>& topLevelName = shape.topLevelName;
    const bool hasName = namesItemBelow(topLevelName);
    const QString contentsFolder = customFolder ? *customFolder : folderOfPath(archivePath);

    DestinationPlan plan;
    plan.customFolder = customFolder.has_value();
    // Loose entries, an entry that is not a name of its own, or an entry that would land on the
    // archive: the contents get a folder of their own. An archive without entries (or whose
    // entries are not known yet) keeps the usual plan.
    plan.ownFolder = !shape.namesAsListed
        || (topLevelName && (!hasName || !shape.sharesTopLevel
            || (shape.topLevelNamesArchive && same(contentsFolder, folderOfPath(archivePath)))));
    // A folder of the contents' own at base, or the first free "base 2", "base 3", … when base
    // holds the archive (base itself may exist: it is then offered for replacing).
    const auto useOwnFolder = [&](const QString& base) {
        QString folder = base;
        for (int n = 2; holdsArchive(folder) || (n > 2 && exists(folder)); ++n)
            folder = base + QStringLiteral(" %1").arg(n);
        plan.ownFolder = true;
        plan.whatToShow = folder;
        plan.destination = folder;
        plan.testedPath = folder;
        plan.alsoTestedPath.clear();
    };
    if (plan.ownFolder) {
        useOwnFolder(joinPath(contentsFolder, archiveLessExtension(fileNameOfPath(archivePath))));
    } else if (!customFolder) {
        plan.whatToShow = hasName ? joinPath(folderOfPath(archivePath), *topLevelName) : archiveLessExtension(archivePath);
        plan.destination = folderOfPath(archivePath);
        plan.testedPath = archiveLessExtension(archivePath);
        if (!same(plan.whatToShow, plan.testedPath))
            plan.alsoTestedPath = plan.whatToShow;
    } else {
        const QString name = hasName ? *topLevelName : archiveLessExtension(fileNameOfPath(archivePath));
        plan.whatToShow = joinPath(*customFolder, name);
        plan.destination = folderOfPath(plan.whatToShow);
        plan.testedPath = plan.whatToShow;
    }
    // A custom folder above the archive, and an item there named like the folder that holds the
    // archive: the contents go beside that folder instead of replacing it.
    if (!plan.ownFolder && customFolder && holdsArchive(plan.whatToShow))
        useOwnFolder(plan.whatToShow);
    // The archive itself is never what gets replaced: a name without an extension expanded
    // beside the archive would otherwise send the archive to the Trash before extracting it.
    if (same(plan.testedPath, archivePath))
        plan.testedPath = same(plan.whatToShow, archivePath) ? QString() : plan.whatToShow;
    if (same(plan.alsoTestedPath, archivePath))
        plan.alsoTestedPath.clear();
    plan.arguments = {QStringLiteral("x"), archivePath, QStringLiteral("-o") + plan.destination, QStringLiteral("-aoa")};
    return plan;
}

} // namespace quendle
