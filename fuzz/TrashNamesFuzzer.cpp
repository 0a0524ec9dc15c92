// Fuzzes the Trash's records: any original path survives the percent-encoding and a whole
// .trashinfo record, and reading any bytes as a record never crashes.
#include "support/TrashRecords.h"
#include "trash/TrashNames.h"

#include <fuzzer/FuzzedDataProvider.h>


#include <cstdio>
#include <cstdlib>
#include <string>

using namespace quendle::trash;

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& input, const QByteArray& detail = {})
{
    std::fprintf(stderr, "%s\n  input: %s\n  %s\n", what, input.toPercentEncoding().constData(),
        detail.toPercentEncoding().constData());
    std::abort();
}

bool writtenOnOneLineOfSafeBytes(const QByteArray& encoded)
{
    for (const char c : encoded) {
        const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || c == '-' || c == '.' || c == '_' || c == '~' || c == '/' || c == '%';
        if (!safe)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Deletion dates are local times without an offset; in a zone with summer time an hour
    // that occurs twice cannot come back as the same instant, so the round trip is checked in UTC.
    setenv("TZ", "UTC", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    const auto seconds = provider.ConsumeIntegralInRange<qint64>(0, 253402300799); // up to 9999-12-31
    const auto secondOfDay = provider.ConsumeIntegralInRange<int>(0, 24 * 3600 - 1);
    const std::string rest = provider.ConsumeRemainingBytesAsString();
    const QByteArray path(rest.data(), qsizetype(rest.size()));

    // The percent-encoding: safe bytes only, and every byte comes back.
    const QByteArray encoded = percentEncodePath(path);
    if (!writtenOnOneLineOfSafeBytes(encoded))
        fail("the encoding left a byte that a .trashinfo line cannot hold", path, encoded);
    if (percentDecodePath(encoded) != path)
        fail("a path does not survive the percent-encoding", path, encoded);

    // A whole record.
    const QDateTime deletedAt = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toLocalTime();
    const QByteArray record = makeTrashInfo(path, deletedAt);
    const std::optional<TrashInfo> info = parseTrashInfo(record);
    if (!info)
        fail("a record made for a path cannot be read", path, record);
    if (info->path != path)
        fail("a record gives back another path", path, info->path);
    if (info->deletionDate != deletedAt)
        fail("a record gives back another deletion date", path, record);

    // Any bytes read as a record or as an encoded path: no crash, and what is read re-encodes.
    if (const std::optional<TrashInfo> any = parseTrashInfo(path)) {
        if (percentDecodePath(percentEncodePath(any->path)) != any->path)
            fail("a path read from a record does not survive the encoding", path, any->path);
    }
    (void)percentDecodePath(path);

    // Names of colliding items: the name less its extension and the extension make the name.
    const QString name = QString::fromUtf8(path);
    const NameParts parts = splitExtension(name);
    const QString joined = parts.extension.isEmpty() ? parts.base : parts.base + u'.' + parts.extension;
    if (joined != name)
        fail("splitting a name at its extension loses characters", path, joined.toUtf8());
    (void)timeStampedName(name, QTime::fromMSecsSinceStartOfDay(secondOfDay * 1000));
    return 0;
}
