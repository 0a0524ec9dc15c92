// Where an archive's contents go: pure decisions from the archive path, its listing and the
// preferences, with the path rules the whole expansion uses.
#include "expansion/Planning.h"

#include <QDir>

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

DestinationPlan planDestination(const QString& archivePath, const std::optional<QString>& topLevelName,
    const std::optional<QString>& customFolder)
{
    DestinationPlan plan;
    const bool hasName = namesItemBelow(topLevelName);
    if (!customFolder) {
        plan.whatToShow = hasName ? joinPath(folderOfPath(archivePath), *topLevelName) : pathLessExtension(archivePath);
        plan.destination = folderOfPath(archivePath);
        plan.testedPath = pathLessExtension(archivePath);
    } else {
        plan.customFolder = true;
        const QString name = hasName ? *topLevelName : pathLessExtension(fileNameOfPath(archivePath));
        plan.whatToShow = joinPath(*customFolder, name);
        plan.destination = folderOfPath(plan.whatToShow);
        plan.testedPath = plan.whatToShow;
    }
    // The archive itself is never what gets replaced: a name without an extension expanded
    // beside the archive would otherwise send the archive to the Trash before extracting it.
    const auto same = [](const QString& a, const QString& b) { return QDir::cleanPath(a) == QDir::cleanPath(b); };
    if (same(plan.testedPath, archivePath))
        plan.testedPath = same(plan.whatToShow, archivePath) ? QString() : plan.whatToShow;
    plan.arguments = {QStringLiteral("x"), archivePath, QStringLiteral("-o") + plan.destination, QStringLiteral("-aoa")};
    return plan;
}

} // namespace quendle
