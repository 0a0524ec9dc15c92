// The Trash's names and records that need no file system.
#include "trash/TrashNames.h"


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

QByteArray formatDeletionDate(const QDateTime& when)
{
    return when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1();
}

QByteArray makeTrashInfo(const QByteArray& originalPath, const QDateTime& deletedAt)
{
    return "[Trash Info]\nPath=" + percentEncodePath(originalPath) + "\nDeletionDate="
        + formatDeletionDate(deletedAt) + '\n';
}

} // namespace quendle::trash
