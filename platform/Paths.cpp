// Where the installed application keeps its resources and its archiver.
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quendle {

QString resourcePath()
{
    const QByteArray fromEnvironment = qgetenv("QUENDLE_RESOURCE_PATH");
    if (!fromEnvironment.isEmpty())
        return QString::fromLocal8Bit(fromEnvironment);
    // The executable's own location, not the working folder: the desktop starts us anywhere.
    const QString binDir = QCoreApplication::instance()
        ? QCoreApplication::applicationDirPath()
        : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
    return QDir::cleanPath(binDir + QStringLiteral("/../share/quendle"));
}

QString toolPath()
{
    return QStringLiteral("%1/.utility/7z").arg(resourcePath());
}

} // namespace quendle
