#include "tool/ZipDirectory.h"

#include "base/ByteStream.h"

#include "tool/Children.h"

#include <cerrno>
#include <charconv>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quendle::adapter {

namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kDirectoryHeader = 0x02014b50;
constexpr std::uint32_t kEnd = 0x06054b50;
constexpr std::uint32_t kEnd64 = 0x06064b50;
constexpr std::uint32_t kEnd64Locator = 0x07064b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kLocatorSize = 20;
constexpr std::size_t kEnd64Size = 56;
constexpr std::size_t kDirectoryHeaderSize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
// Far above any real directory (200,000 entries take about 13 MB): beyond it 7-Zip decides.
constexpr std::uint64_t kMostDirectory = std::uint64_t(1) << 30;

constexpr std::uint16_t kFlagEncrypted = 1 << 0;
constexpr std::uint16_t kFlagStrongEncryption = 1 << 6;
constexpr std::uint16_t kFlagUtf8 = 1 << 11;
constexpr std::uint16_t kFlagMaskedDirectory = 1 << 13;
constexpr std::uint16_t kMethodAes = 99;
constexpr std::uint16_t kExtraZip64 = 0x0001;
constexpr std::uint16_t kExtraUnicodePath = 0x7075;
constexpr std::uint16_t kExtraUnicodeComment = 0x6375;

std::uint16_t u16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t(b[0] | b[1] << 8);
}

std::uint32_t u32(const char* p)
{
    return std::uint32_t(u16(p)) | std::uint32_t(u16(p + 2)) << 16;
}

std::uint64_t u64(const char* p)
{
    return std::uint64_t(u32(p)) | std::uint64_t(u32(p + 4)) << 32;
}

bool isAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// The archive's directory: where it lies and how many entries it has.
struct Span {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t entries = 0;
};

// From the end records, which must close the file exactly, with nothing after them and the
// directory right before them.
std::optional<Span> findDirectory(const ReadAt& readAt, std::uint64_t fileSize)
{
    if (fileSize < kEndSize)
        return std::nullopt;
    const std::uint64_t endAt = fileSize - kEndSize;
    char end[kEndSize];
    if (!readAt(endAt, end, sizeof end) || u32(end) != kEnd)
        return std::nullopt;
    // An archive comment would show in 7-Zip's record of the archive.
    if (u16(end + 20) != 0 || u16(end + 4) != 0 || u16(end + 6) != 0)
        return std::nullopt;
    Span span {u32(end + 16), u32(end + 12), u16(end + 10)};
    if (u16(end + 8) != span.entries)
        return std::nullopt;
    const bool saturated = span.entries == 0xFFFF || span.size == 0xFFFFFFFF || span.offset == 0xFFFFFFFF;

    char locator[kLocatorSize];
    const bool zip64 = endAt >= kLocatorSize + kEnd64Size && readAt(endAt - kLocatorSize, locator, sizeof locator)
        && u32(locator) == kEnd64Locator;
    if (!zip64) {
        if (saturated || span.offset + span.size != endAt)
            return std::nullopt;
        return span;
    }

    const std::uint64_t locatorAt = endAt - kLocatorSize;
    if (u32(locator + 4) != 0 || u32(locator + 16) != 1)
        return std::nullopt;
    const std::uint64_t end64At = u64(locator + 8);
    if (end64At > locatorAt || locatorAt - end64At < kEnd64Size)
        return std::nullopt;
    char end64[kEnd64Size];
    if (!readAt(end64At, end64, sizeof end64) || u32(end64) != kEnd64)
        return std::nullopt;
    if (u64(end64 + 4) != locatorAt - end64At - 12 || u32(end64 + 16) != 0 || u32(end64 + 20) != 0)
        return std::nullopt;
    const Span span64 {u64(end64 + 48), u64(end64 + 40), u64(end64 + 32)};
    if (u64(end64 + 24) != span64.entries)
        return std::nullopt;
    // The plain record's values are either the same or saturated.
    if ((span.entries != 0xFFFF && span.entries != span64.entries)
        || (span.size != 0xFFFFFFFF && span.size != span64.size)
        || (span.offset != 0xFFFFFFFF && span.offset != span64.offset))
        return std::nullopt;
    if (span64.offset > end64At || end64At - span64.offset != span64.size)
        return std::nullopt;
    return span64;
}

// Reads the zip64 field's values for the saturated ones among size, packed size, offset and
// disk (in that order); false when the field is missing or short.
bool readZip64(std::string_view extra, bool wantSize, bool wantPacked, bool wantOffset, bool wantDisk,
    std::uint64_t* size, std::uint64_t* packed, std::uint64_t* offset)
{
    const std::size_t needed = (wantSize + wantPacked + wantOffset) * 8 + (wantDisk ? 4 : 0);
    if (needed == 0)
        return true;
    std::size_t at = 0;
    bool seen = false;
    while (at + 4 <= extra.size()) {
        const std::uint16_t id = u16(extra.data() + at);
        const std::uint16_t length = u16(extra.data() + at + 2);
        if (id == kExtraZip64) {
            if (seen || length < needed)
                return false;
            seen = true;
            const char* p = extra.data() + at + 4;
            if (wantSize) {
                *size = u64(p);
                p += 8;
            }
            if (wantPacked) {
                *packed = u64(p);
                p += 8;
            }
            if (wantOffset) {
                *offset = u64(p);
                p += 8;
            }
            if (wantDisk && u32(p) != 0)
                return false;
        }
        at += 4 + std::size_t(length);
    }
    return seen;
}

// Every extra field fits, and none would make 7-Zip show another name or a comment.
bool plainExtra(std::string_view extra)
{
    std::size_t at = 0;
    while (at < extra.size()) {
        if (extra.size() - at < 4)
            return false;
        const std::uint16_t id = u16(extra.data() + at);
        const std::size_t length = u16(extra.data() + at + 2);
        if (id == kExtraUnicodePath || id == kExtraUnicodeComment || extra.size() - at - 4 < length)
            return false;
        at += 4 + length;
    }
    return true;
}

void appendNumber(std::string& out, std::uint64_t value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

// One central directory record at the start of `record` (with `available` bytes from there):
// the entry it describes, where its data lies and how long the record is. Nothing for a record
// whose reading 7-Zip might do otherwise than this listing.
struct Record {
    ZipDirectory::Entry entry;
    std::uint64_t offset = 0;
    std::size_t size = 0;
};

std::optional<Record> readRecord(const char* header, std::size_t available)
{
    if (available < kDirectoryHeaderSize || u32(header) != kDirectoryHeader)
        return std::nullopt;
    const std::uint16_t flags = u16(header + 8);
    const std::uint16_t method = u16(header + 10);
    std::uint64_t packed = u32(header + 20);
    std::uint64_t size = u32(header + 24);
    const std::size_t nameLength = u16(header + 28);
    const std::size_t extraLength = u16(header + 30);
    const std::size_t commentLength = u16(header + 32);
    const std::uint16_t disk = u16(header + 34);
    Record record;
    record.offset = u32(header + 42);
    record.size = kDirectoryHeaderSize + nameLength + extraLength + commentLength;
    if (available < record.size || commentLength != 0)
        return std::nullopt;
    if ((flags & (kFlagStrongEncryption | kFlagMaskedDirectory)) != 0
        || (method == kMethodAes && (flags & kFlagEncrypted) == 0))
        return std::nullopt;

    const std::string_view name(header + kDirectoryHeaderSize, nameLength);
    const std::string_view extra(header + kDirectoryHeaderSize + nameLength, extraLength);
    if (!plainExtra(extra))
        return std::nullopt;
    if (!readZip64(extra, size == 0xFFFFFFFF, packed == 0xFFFFFFFF, record.offset == 0xFFFFFFFF, disk == 0xFFFF,
            &size, &packed, &record.offset))
        return std::nullopt;
    if ((disk != 0 && disk != 0xFFFF))
        return std::nullopt;

    if (name.empty() || name.find('\\') != std::string_view::npos)
        return std::nullopt;
    if (!isAscii(name) && (flags & kFlagUtf8) == 0)
        return std::nullopt; // a legacy code page: 7-Zip's guess is its own
    if (!plainUtf8(name))
        return std::nullopt;

    record.entry.path = name;
    if (record.entry.path.back() == '/') {
        record.entry.folder = true;
        record.entry.path.remove_suffix(1);
        if (record.entry.path.empty())
            return std::nullopt;
    }
    record.entry.encrypted = (flags & kFlagEncrypted) != 0;
    return record;
}

// The file begins with the first entry's local header: nothing was put before the archive.
bool beginsWithEntry(const ReadAt& readAt, std::string_view first, std::uint64_t directoryOffset)
{
    if (kLocalHeaderSize + first.size() > directoryOffset)
        return false;
    std::string local(kLocalHeaderSize + first.size(), '\0');
    return readAt(0, local.data(), local.size()) && u32(local.data()) == kLocalHeader
        && u16(local.data() + 26) == first.size() && std::string_view(local).substr(kLocalHeaderSize) == first;
}

} // namespace

// Well-formed UTF-8 without C0 or C1 control characters: 7-Zip shows controls in its own way
// (a line feed as "_", for one).
bool plainUtf8(std::string_view text)
{
    base::Utf8Check check;
    unsigned char previous = 0;
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        switch (check.step(c)) {
        case base::Utf8Check::Byte::Invalid:
            return false;
        case base::Utf8Check::Byte::Ascii:
            if (c < 0x20 || c == 0x7F)
                return false;
            break;
        case base::Utf8Check::Byte::Continuation:
            if (previous == 0xC2 && c <= 0x9F)
                return false; // U+0080 to U+009F
            break;
        case base::Utf8Check::Byte::Lead:
            break;
        }
        previous = c;
    }
    return check.pending() == 0;
}

ReadAt readerOf(int fd)
{
    return [fd](std::uint64_t offset, char* buffer, std::size_t size) {
        while (size > 0) {
            const ssize_t got = pread(fd, buffer, size, off_t(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            buffer += got;
            size -= std::size_t(got);
            offset += std::uint64_t(got);
        }
        return true;
    };
}


std::string listingHead(std::string_view reader, std::string_view archivePath, std::string_view type, std::uint64_t fileSize)
{
    std::string out;
    out += "\nQuendle's ";
    out += reader;
    out += ", in 7-Zip's technical listing layout\n\nListing archive: ";
    out += archivePath;
    out += "\n\n--\nPath = ";
    out += archivePath;
    out += "\nType = ";
    out += type;
    out += "\nPhysical Size = ";
    appendNumber(out, fileSize);
    out += "\n\n----------\n";
    return out;
}

std::optional<ZipDirectory> ZipDirectory::read(const ReadAt& readAt, std::uint64_t fileSize)
{
    const std::optional<Span> span = findDirectory(readAt, fileSize);
    if (!span || span->size > kMostDirectory || span->entries > span->size / kDirectoryHeaderSize
        || (span->entries == 0) != (span->size == 0))
        return std::nullopt;

    ZipDirectory zip;
    zip.mFileSize = fileSize;
    if (span->entries == 0) {
        // Nothing but the end record: anything before it is not an empty zip of 7-Zip's.
        if (span->offset != 0)
            return std::nullopt;
        return zip;
    }

    zip.mDirectory.resize(std::size_t(span->size));
    if (!readAt(span->offset, zip.mDirectory.data(), zip.mDirectory.size()))
        return std::nullopt;
    zip.mEntries.reserve(std::size_t(span->entries));
    const char* const data = zip.mDirectory.data();
    const std::size_t total = zip.mDirectory.size();
    std::size_t at = 0;
    std::uint64_t nextOffset = 0;
    for (std::uint64_t index = 0; index < span->entries; ++index) {
        const std::optional<Record> record = readRecord(data + at, total - at);
        if (!record)
            return std::nullopt;
        // 7-Zip shows the entries in the order of their data in the file.
        if (record->offset < nextOffset || record->offset >= span->offset || (index == 0 && record->offset != 0))
            return std::nullopt;
        nextOffset = record->offset + kLocalHeaderSize;
        zip.mEntries.push_back(record->entry);
        at += record->size;
    }
    if (at != total || !beginsWithEntry(readAt, std::string_view(data + kDirectoryHeaderSize, u16(data + 28)), span->offset))
        return std::nullopt;
    return zip;
}

bool ZipDirectory::printablePath(std::string_view archivePath)
{
    if (archivePath.empty() || !plainUtf8(archivePath))
        return false;
    // A sign in the path would count in 7-Zip's listing, and it might print the path otherwise.
    for (const std::string_view sign : {"Path = ", "Encrypted = +", "Can not open encrypted archive.", "Wrong password"}) {
        if (archivePath.find(sign) != std::string_view::npos)
            return false;
    }
    return true;
}

void ZipDirectory::print(std::string_view archivePath, const std::function<void(std::string_view)>& write) const
{
    std::string out = listingHead("zip directory reader", archivePath, "zip", mFileSize);
    constexpr std::size_t kChunk = 1 << 16;
    for (const Entry& entry : mEntries) {
        out += "Path = ";
        out += entry.path;
        out += entry.folder ? "\nFolder = +" : "\nFolder = -";
        out += entry.encrypted ? "\nEncrypted = +\n\n" : "\nEncrypted = -\n\n";
        if (out.size() >= kChunk) {
            write(out);
            out.clear();
        }
    }
    if (!out.empty())
        write(out);
}

ZipNameSurvey surveyZipNames(const ReadAt& readAt, std::uint64_t fileSize)
{
    constexpr std::size_t kMostNames = 4096;
    // Whole directories up to here (a million entries), so that the survey can vouch for all
    // of them; beyond it the extraction asks 7-Zip, as for any archive the survey cannot read.
    constexpr std::uint64_t kMostRead = std::uint64_t(64) << 20;
    ZipNameSurvey survey;
    // The end record, searched from the end past a comment of any length.
    const std::uint64_t tail = std::min<std::uint64_t>(fileSize, kEndSize + 0xFFFF);
    std::string end(std::size_t(tail), '\0');
    if (tail < kEndSize || !readAt(fileSize - tail, end.data(), end.size()))
        return survey;
    std::size_t at = end.rfind("PK\x05\x06");
    while (at != std::string::npos && end.size() - at < kEndSize)
        at = at == 0 ? std::string::npos : end.rfind("PK\x05\x06", at - 1);
    if (at == std::string::npos)
        return survey;
    const std::uint64_t endAt = fileSize - tail + at;
    std::uint64_t size = u32(end.data() + at + 12);
    std::uint64_t entries = u16(end.data() + at + 10);
    // The directory ends where the end records begin (data put before the archive would shift
    // the offsets they give).
    std::uint64_t directoryEnd = endAt;
    char locator[kLocatorSize];
    if (endAt >= kLocatorSize && readAt(endAt - kLocatorSize, locator, sizeof locator) && u32(locator) == kEnd64Locator) {
        const std::uint64_t end64At = u64(locator + 8);
        char end64[kEnd64Size];
        if (end64At < endAt && readAt(end64At, end64, sizeof end64) && u32(end64) == kEnd64) {
            size = u64(end64 + 40);
            entries = u64(end64 + 32);
            directoryEnd = end64At;
        }
    }
    if (size > directoryEnd)
        return survey;
    // Enough of the directory's start for the names a judgement needs, or all of it.
    std::string directory(std::size_t(std::min(size, kMostRead)), '\0');
    if (!readAt(directoryEnd - size, directory.data(), directory.size()))
        return survey;
    std::size_t offset = 0;
    std::uint64_t index = 0;
    for (; index < entries && survey.legacyNames.size() < kMostNames; ++index) {
        if (directory.size() - offset < kDirectoryHeaderSize || u32(directory.data() + offset) != kDirectoryHeader)
            break;
        const char* header = directory.data() + offset;
        const std::size_t nameLength = u16(header + 28);
        const std::size_t recordSize = kDirectoryHeaderSize + nameLength + u16(header + 30) + u16(header + 32);
        if (directory.size() - offset < recordSize)
            break;
        const std::string_view name(header + kDirectoryHeaderSize, nameLength);
        const std::string_view extra(header + kDirectoryHeaderSize + nameLength, u16(header + 30));
        const bool unflagged = (u16(header + 8) & kFlagUtf8) == 0 && !isAscii(name);
        // A Unicode path field gives 7-Zip another name than the one stored.
        if (unflagged || !plainExtra(extra))
            ++survey.doubtfulNames;
        if (unflagged && !plainUtf8(name))
            survey.legacyNames.emplace_back(name);
        offset += recordSize;
    }
    // Every record the end record announces was read, and the directory holds nothing more.
    survey.complete = index == entries && offset == size;
    return survey;
}

void withRegularFile(const std::string& path, const std::function<void(const ReadAt&, std::uint64_t)>& use)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        use(readerOf(fd), std::uint64_t(info.st_size));
    close(fd);
}

ZipNameSurvey surveyZipNames(const std::string& archivePath)
{
    ZipNameSurvey survey;
    withRegularFile(archivePath, [&survey](const ReadAt& readAt, std::uint64_t size) { survey = surveyZipNames(readAt, size); });
    return survey;
}

bool listFromZipDirectory(const std::string& archivePath)
{
    std::optional<ZipDirectory> zip;
    if (ZipDirectory::printablePath(archivePath))
        withRegularFile(archivePath, [&zip](const ReadAt& readAt, std::uint64_t size) { zip = ZipDirectory::read(readAt, size); });
    if (!zip)
        return false;
    // When nobody reads any more, the rest is not worth printing.
    bool relay = true;
    zip->print(archivePath, [&relay](std::string_view text) { relay = relay && writeAll(1, text.data(), text.size()); });
    return true;
}

} // namespace quendle::adapter
