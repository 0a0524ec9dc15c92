// The .trashinfo record read back, for checking what the Trash wrote: the group first, and a
// Path= whose percent-encoding decodes.
#pragma once

#include <QByteArray>
#include <QDateTime>

#include <optional>

namespace quendle::trash {

// The bytes back; nothing when a "%" is not followed by two hexadecimal digits.
std::optional<QByteArray> percentDecodePath(const QByteArray& encoded);

struct TrashInfo {
    QByteArray path; // decoded
    QDateTime deletionDate; // invalid when the record has none or it cannot be read
};
// Reads a .trashinfo file: the "[Trash Info]" group must come first and hold a decodable Path=.
std::optional<TrashInfo> parseTrashInfo(const QByteArray& text);

} // namespace quendle::trash
