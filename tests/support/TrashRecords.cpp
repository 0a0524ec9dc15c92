// Reading .trashinfo records strictly, as the freedesktop.org Trash describes them.
#include "support/TrashRecords.h"

#include <QList>
#include <QString>

namespace quendle::trash {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::optional<QByteArray> percentDecodePath(const QByteArray& encoded)
{
    QByteArray decoded;
    decoded.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            decoded += encoded[i];
            continue;
        }
        if (i + 2 >= encoded.size())
            return std::nullopt;
        const int high = hexValue(encoded[i + 1]);
        const int low = hexValue(encoded[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

std::optional<TrashInfo> parseTrashInfo(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.front().trimmed() != "[Trash Info]")
        return std::nullopt;
    std::optional<QByteArray> path;
    QDateTime date;
    bool haveDate = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        if (line.startsWith('['))
            break; // another group: ours is over
        if (!path && line.startsWith("Path=")) {
            path = percentDecodePath(line.mid(5));
            if (!path)
                return std::nullopt;
        } else if (!haveDate && line.startsWith("DeletionDate=")) {
            haveDate = true;
            date = QDateTime::fromString(QString::fromLatin1(line.mid(13)),
                QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
        }
    }
    if (!path)
        return std::nullopt;
    return TrashInfo {*path, date};
}

} // namespace quendle::trash
