// The Trash's names and records that need no file system.
#include "trash/TrashNames.h"

#include <QList>

namespace quendle::trash {

NameParts splitExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1)
        return {name, {}};
    return {name.left(dot), name.mid(dot + 1)};
}

QString timeStampedName(const QString& name, const QTime& time)
{
    const NameParts parts = splitExtension(name);
    QString result = parts.base + time.toString(QStringLiteral(" HH-mm-ss"));
    if (!parts.extension.isEmpty())
        result += u'.' + parts.extension;
    return result;
}

namespace {

bool keptAsIs(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
        || c == '.' || c == '_' || c == '~' || c == '/';
}

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

QByteArray percentEncodePath(const QByteArray& path)
{
    static const char digits[] = "0123456789ABCDEF";
    QByteArray encoded;
    encoded.reserve(path.size());
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (keptAsIs(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += digits[c >> 4];
            encoded += digits[c & 0xF];
        }
    }
    return encoded;
}

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

QByteArray formatDeletionDate(const QDateTime& when)
{
    return when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1();
}

QByteArray makeTrashInfo(const QByteArray& originalPath, const QDateTime& deletedAt)
{
    return "[Trash Info]\nPath=" + percentEncodePath(originalPath) + "\nDeletionDate="
        + formatDeletionDate(deletedAt) + '\n';
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
