// Reads a RAR's block headers (RAR 5, and RAR 1.5 to 4.x) into the listing lsar would give.
#include "tool/RarHeaders.h"

#include "tool/Children.h"

#include <lzma.h>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace quendle::adapter {

namespace {

constexpr std::string_view kRar5Signature("Rar!\x1a\x07\x01\x00", 8);
constexpr std::string_view kRar4Signature("Rar!\x1a\x07\x00", 7);

std::uint16_t u16(const unsigned char* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

std::uint32_t u32(const unsigned char* p)
{
    return std::uint32_t(u16(p)) | std::uint32_t(u16(p + 2)) << 16;
}

// Whether a header's checksum is right. The fuzz build takes every one for right, so that the
// fields behind them get read.
bool checksumMatches(const unsigned char* data, std::size_t size, std::uint32_t checksum, std::uint32_t mask)
{
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    (void)data, (void)size, (void)checksum, (void)mask;
    return true;
#else
    return (lzma_crc32(data, size, 0) & mask) == checksum;
#endif
}

// The file read through a window, so that the headers of many small entries cost one read.
class Window {
public:
    Window(const ReadAt& readAt, std::uint64_t fileSize) : mReadAt(readAt), mFileSize(fileSize) {}

    // size bytes at offset, valid until the next call; nothing when the file ends before them.
    const unsigned char* at(std::uint64_t offset, std::size_t size)
    {
        if (offset > mFileSize || mFileSize - offset < size)
            return nullptr;
        if (offset < mStart || offset - mStart + size > mBytes.size()) {
            const std::size_t length = std::size_t(std::min<std::uint64_t>(std::max(size, kSpan), mFileSize - offset));
            mBytes.resize(length);
            mStart = offset;
            if (!mReadAt(offset, reinterpret_cast<char*>(mBytes.data()), length)) {
                mBytes.clear();
                return nullptr;
            }
        }
        return mBytes.data() + (offset - mStart);
    }

private:
    static constexpr std::size_t kSpan = 1 << 16;
    const ReadAt& mReadAt;
    std::uint64_t mFileSize;
    std::uint64_t mStart = 0;
    std::vector<unsigned char> mBytes;
};

// Reads the fields of one header in turn; any read past its end leaves it failed.
class Fields {
public:
    Fields(const unsigned char* data, std::size_t size) : mData(data), mSize(size) {}

    // RAR 5's variable-length integer: seven bits a byte, least significant first.
    std::uint64_t vint()
    {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (mAt >= mSize)
                break;
            const unsigned char byte = mData[mAt++];
            value |= std::uint64_t(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0)
                return value;
        }
        mFailed = true;
        return 0;
    }
    std::uint32_t word()
    {
        if (mSize - mAt < 4) {
            mFailed = true;
            mAt = mSize;
            return 0;
        }
        mAt += 4;
        return u32(mData + mAt - 4);
    }
    std::uint64_t quad()
    {
        const std::uint64_t low = word();
        return low | std::uint64_t(word()) << 32;
    }
    std::string_view bytes(std::uint64_t size)
    {
        if (mSize - mAt < size) {
            mFailed = true;
            mAt = mSize;
            return {};
        }
        const std::string_view text(reinterpret_cast<const char*>(mData + mAt), std::size_t(size));
        mAt += std::size_t(size);
        return text;
    }
    bool skip(std::uint64_t size) { return bytes(size).size() == size && !mFailed; }

    bool failed() const { return mFailed; }
    std::size_t read() const { return mAt; }
    std::size_t left() const { return mSize - mAt; }

private:
    const unsigned char* mData;
    std::size_t mSize;
    std::size_t mAt = 0;
    bool mFailed = false;
};

// A time as lsar shows it: local time with the zone's offset.
std::string localTime(std::time_t time)
{
    std::tm fields {};
    if (localtime_r(&time, &fields) == nullptr)
        return {};
    char text[64];
    const std::size_t size = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &fields);
    return std::string(text, size);
}

// An MS-DOS date and time, which stands for the local time; nothing for an impossible one.
std::optional<std::string> dosTime(std::uint32_t stamp)
{
    std::tm fields {};
    fields.tm_sec = int(stamp & 0x1F) * 2;
    fields.tm_min = int(stamp >> 5 & 0x3F);
    fields.tm_hour = int(stamp >> 11 & 0x1F);
    fields.tm_mday = int(stamp >> 16 & 0x1F);
    fields.tm_mon = int(stamp >> 21 & 0x0F) - 1;
    fields.tm_year = int(stamp >> 25 & 0x7F) + 80;
    fields.tm_isdst = -1;
    if (fields.tm_sec > 59 || fields.tm_min > 59 || fields.tm_hour > 23 || fields.tm_mday < 1 || fields.tm_mon < 0
        || fields.tm_mon > 11)
        return std::nullopt;
    const std::tm given = fields;
    const std::time_t time = std::mktime(&fields);
    // A day past the month's end, or a time a clock change skips, would be moved.
    if (time == std::time_t(-1) || fields.tm_mday != given.tm_mday || fields.tm_hour != given.tm_hour
        || fields.tm_min != given.tm_min)
        return std::nullopt;
    return localTime(time);
}

// Whether a folder is what the attributes say besides the header's own sign, on the systems the
// attributes are known for; links and other special files are left to lsar.
enum class Host { Windows, Unix };
bool attributesAgree(Host host, std::uint64_t attributes, bool folder)
{
    if (host == Host::Windows)
        return ((attributes & 0x10) != 0) == folder && (attributes & 0x400) == 0; // 0x400: a reparse point
    const std::uint64_t type = attributes & 0xF000;
    return folder ? type == 0x4000 : (type == 0x8000 || type == 0);
}

// The same for a symbolic link, which RAR 5 marks with a record of its own.
bool linkAttributesAgree(Host host, std::uint64_t attributes, bool folder)
{
    if (folder)
        return false;
    if (host == Host::Windows)
        return (attributes & 0x10) == 0;
    const std::uint64_t type = attributes & 0xF000;
    return type == 0xA000 || type == 0x8000 || type == 0;
}

// A name lsar shows as it is stored: well-formed, without control characters, empty
// components at its end or a backslash (which some hosts take for a separator).
bool plainName(std::string_view name)
{
    return !name.empty() && name.back() != '/' && name.find('\\') == std::string_view::npos && plainUtf8(name);
}

// --- RAR 5 ------------------------------------------------------------------------------------

constexpr std::uint64_t kFlagExtra = 0x01;
constexpr std::uint64_t kFlagData = 0x02;
constexpr std::uint64_t kFlagsSplit = 0x08 | 0x10; // data from the previous or into the next volume

// The file header's fields after the common ones; false when lsar must judge it.
bool readRar5File(Fields fields, std::string_view extra, RarHeaders::Entry& entry)
{
    const std::uint64_t flags = fields.vint();
    entry.size = fields.vint();
    const std::uint64_t attributes = fields.vint();
    std::optional<std::string> modified;
    if ((flags & 0x02) != 0)
        modified = localTime(std::time_t(fields.word()));
    if ((flags & 0x04) != 0)
        fields.word();
    fields.vint(); // compression
    const std::uint64_t host = fields.vint();
    const std::string_view name = fields.bytes(fields.vint());
    // Nothing may lie between the name and the extra area.
    if (fields.failed() || fields.left() != 0 || (flags & ~std::uint64_t(0x07)) != 0 || host > 1)
        return false;
    entry.folder = (flags & 0x01) != 0;
    if (!plainName(name))
        return false;
    entry.name = name;

    Fields records(reinterpret_cast<const unsigned char*>(extra.data()), extra.size());
    while (records.left() > 0) {
        const std::uint64_t size = records.vint();
        if (records.failed() || size == 0 || size > records.left())
            return false;
        Fields record(reinterpret_cast<const unsigned char*>(extra.data()) + (extra.size() - records.left()), std::size_t(size));
        records.skip(size);
        switch (record.vint()) {
        case 0x01: // encryption
            entry.encrypted = true;
            break;
        case 0x02: // hash
        case 0x06: // owner
            break;
        case 0x05: { // a link: only a symbolic link of Unix's kind, to a plain name
            const std::uint64_t kind = record.vint();
            record.vint(); // flags
            const std::string_view target = record.bytes(record.vint());
            if (kind != 1 || entry.linkTarget || target.empty() || !plainUtf8(target))
                return false;
            entry.linkTarget = std::string(target);
            break;
        }
        case 0x03: { // times
            const std::uint64_t timeFlags = record.vint();
            if ((timeFlags & 0x02) == 0)
                break;
            if ((timeFlags & 0x01) != 0) {
                modified = localTime(std::time_t(record.word()));
            } else {
                const std::uint64_t ticks = record.quad(); // 100 ns since 1601
                modified = localTime(std::time_t(ticks / 10000000) - std::time_t(11644473600));
            }
            if (record.failed())
                return false;
            break;
        }
        default: // versions, links and what this reader does not know
            return false;
        }
        if (record.failed())
            return false;
    }
    entry.modified = modified.value_or(std::string());
    const Host system = host == 0 ? Host::Windows : Host::Unix;
    return entry.linkTarget ? linkAttributesAgree(system, attributes, entry.folder)
                            : attributesAgree(system, attributes, entry.folder);
}

std::optional<std::vector<RarHeaders::Entry>> readRar5(Window& file, std::uint64_t fileSize)
{
    std::vector<RarHeaders::Entry> entries;
    std::uint64_t at = kRar5Signature.size();
    for (bool first = true;; first = false) {
        // The checksum and the header's size, a number of at most three bytes.
        const std::size_t available = std::size_t(std::min<std::uint64_t>(7, fileSize - std::min(at, fileSize)));
        const unsigned char* start = available < 6 ? nullptr : file.at(at, available);
        if (start == nullptr)
            return std::nullopt;
        Fields sizeField(start + 4, available - 4);
        const std::uint64_t size = sizeField.vint();
        const std::size_t sizeLength = sizeField.read();
        if (sizeField.failed() || size == 0 || size > (1 << 21))
            return std::nullopt;
        const std::size_t whole = 4 + sizeLength + std::size_t(size);
        const unsigned char* header = file.at(at, whole);
        if (header == nullptr || !checksumMatches(header + 4, whole - 4, u32(header), 0xFFFFFFFF))
            return std::nullopt;

        Fields fields(header + 4 + sizeLength, std::size_t(size));
        const std::uint64_t type = fields.vint();
        const std::uint64_t flags = fields.vint();
        const std::uint64_t extraSize = (flags & kFlagExtra) != 0 ? fields.vint() : 0;
        const std::uint64_t dataSize = (flags & kFlagData) != 0 ? fields.vint() : 0;
        if (fields.failed() || extraSize > fields.left() || (flags & kFlagsSplit) != 0 || (type == 1) != first)
            return std::nullopt;
        const std::size_t bodySize = fields.left() - std::size_t(extraSize);
        const unsigned char* body = header + whole - fields.left();
        const std::string_view extra(reinterpret_cast<const char*>(body) + bodySize, std::size_t(extraSize));
        Fields own(body, bodySize);
        at += whole;
        if (dataSize > fileSize - at)
            return std::nullopt;
        switch (type) {
        case 1: // the archive: not a volume
            if ((own.vint() & 0x03) != 0 || own.failed())
                return std::nullopt;
            break;
        case 2: { // a file
            RarHeaders::Entry entry;
            if (!readRar5File(own, extra, entry))
                return std::nullopt;
            entry.packedSize = dataSize;
            entries.push_back(std::move(entry));
            break;
        }
        case 3: // a service header (comment, recovery record, …), which lsar does not list
            break;
        case 5: // the end, of the last volume, closing the file
            if ((own.vint() & 0x01) != 0 || own.failed() || dataSize != 0 || at != fileSize)
                return std::nullopt;
            return entries;
        default: // encrypted headers, or what this reader does not know
            return std::nullopt;
        }
        at += dataSize;
    }
}

// --- RAR 1.5 to 4.x ---------------------------------------------------------------------------

constexpr std::uint16_t kLongBlock = 0x8000;
constexpr std::size_t kBlockSize = 7;
constexpr std::size_t kFileFieldsSize = 25;

// A file block; false when lsar must judge it.
bool readRar4File(const unsigned char* block, std::size_t size, std::uint16_t flags, RarHeaders::Entry& entry)
{
    // Split across volumes (0x01, 0x02), an old comment (0x08), a Unicode name (0x200) or a
    // file version (0x800).
    if (size < kBlockSize + kFileFieldsSize || (flags & kLongBlock) == 0 || (flags & 0x0A0B) != 0)
        return false;
    const unsigned char* p = block + kBlockSize;
    entry.packedSize = u32(p);
    entry.size = u32(p + 4);
    const unsigned host = p[8];
    const std::optional<std::string> modified = dosTime(u32(p + 13));
    const std::size_t nameSize = u16(p + 19);
    const std::uint32_t attributes = u32(p + 21);
    std::size_t at = kBlockSize + kFileFieldsSize;
    if ((flags & 0x100) != 0) {
        if (size - at < 8)
            return false;
        entry.packedSize |= std::uint64_t(u32(block + at)) << 32;
        entry.size |= std::uint64_t(u32(block + at + 4)) << 32;
        at += 8;
    }
    const std::size_t salt = (flags & 0x400) != 0 ? 8 : 0;
    if (size - at < nameSize + salt || !modified || host > 3)
        return false;
    entry.folder = (flags & 0xE0) == 0xE0;
    entry.encrypted = (flags & 0x04) != 0;
    entry.modified = *modified;
    if (!attributesAgree(host == 3 ? Host::Unix : Host::Windows, attributes, entry.folder))
        return false;
    // Stored with backslashes between the components; a legacy code page's names are lsar's to
    // guess, from all of them.
    std::string name(reinterpret_cast<const char*>(block + at), nameSize);
    if (name.find('/') != std::string::npos || std::any_of(name.begin(), name.end(), [](char c) { return (c & 0x80) != 0; }))
        return false;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (!plainName(name))
        return false;
    entry.name = std::move(name);
    return true;
}

std::optional<std::vector<RarHeaders::Entry>> readRar4(Window& file, std::uint64_t fileSize)
{
    std::vector<RarHeaders::Entry> entries;
    std::uint64_t at = kRar4Signature.size();
    for (bool first = true;; first = false) {
        const unsigned char* head = file.at(at, kBlockSize);
        if (head == nullptr)
            return std::nullopt;
        const std::uint16_t checksum = u16(head);
        const unsigned type = head[2];
        const std::uint16_t flags = u16(head + 3);
        const std::size_t size = u16(head + 5);
        if (size < kBlockSize || ((flags & kLongBlock) != 0 && size < kBlockSize + 4))
            return std::nullopt;
        const unsigned char* block = file.at(at, size);
        if (block == nullptr || !checksumMatches(block + 2, size - 2, checksum, 0xFFFF) || (type == 0x73) != first)
            return std::nullopt;
        std::uint64_t dataSize = (flags & kLongBlock) != 0 ? u32(block + 7) : 0;
        switch (type) {
        case 0x73: // the archive: not a volume (0x01, 0x100), headers not encrypted (0x80)
            if ((flags & 0x0181) != 0)
                return std::nullopt;
            break;
        case 0x74: { // a file
            RarHeaders::Entry entry;
            if (!readRar4File(block, size, flags, entry))
                return std::nullopt;
            dataSize = entry.packedSize;
            entries.push_back(std::move(entry));
            break;
        }
        case 0x75: case 0x76: case 0x77: case 0x78: case 0x79: case 0x7A:
            break; // comments, signatures, recovery records, service blocks: lsar lists none
        case 0x7B: // the end, of the last volume, closing the file
            if ((flags & 0x01) != 0 || at + size + dataSize != fileSize)
                return std::nullopt;
            return entries;
        default:
            return std::nullopt;
        }
        if (dataSize > fileSize - (at + size))
            return std::nullopt;
        at += size + dataSize;
    }
}

} // namespace

std::optional<RarHeaders> RarHeaders::read(const ReadAt& readAt, std::uint64_t fileSize)
{
    Window file(readAt, fileSize);
    const unsigned char* head = file.at(0, kRar5Signature.size());
    if (head == nullptr)
        return std::nullopt;
    const std::string_view signature(reinterpret_cast<const char*>(head), kRar5Signature.size());
    std::optional<std::vector<Entry>> entries;
    if (signature == kRar5Signature)
        entries = readRar5(file, fileSize);
    else if (signature.starts_with(kRar4Signature))
        entries = readRar4(file, fileSize);
    if (!entries)
        return std::nullopt;
    RarHeaders rar;
    rar.mEntries = std::move(*entries);
    return rar;
}

void RarHeaders::print(std::string_view archivePath, const std::function<void(std::string_view)>& write) const
{
    std::string out = "\nQuendle's RAR header reader, in lsar's listing layout";
    out += lsarListingHead(archivePath);
    constexpr std::size_t kChunk = 1 << 16;
    LsarEntry record;
    for (const Entry& entry : mEntries) {
        record.name = entry.name;
        record.directory = entry.folder;
        record.encrypted = entry.encrypted;
        record.size = std::int64_t(std::min<std::uint64_t>(entry.size, INT64_MAX));
        record.packedSize = std::int64_t(std::min<std::uint64_t>(entry.packedSize, INT64_MAX));
        record.modified = entry.modified;
        record.link = entry.linkTarget.has_value();
        record.linkTarget = entry.linkTarget.value_or(std::string());
        out += lsarListingRecord(record);
        if (out.size() >= kChunk) {
            write(out);
            out.clear();
        }
    }
    if (!out.empty())
        write(out);
}

bool listFromRarHeaders(const std::string& archivePath)
{
    if (!ZipDirectory::printablePath(archivePath))
        return false;
    std::optional<RarHeaders> rar;
    withRegularFile(archivePath, [&rar](const ReadAt& readAt, std::uint64_t size) { rar = RarHeaders::read(readAt, size); });
    if (!rar)
        return false;
    // When nobody reads any more, the rest is not worth printing.
    bool relay = true;
    rar->print(archivePath, [&relay](std::string_view text) { relay = relay && writeAll(1, text.data(), text.size()); });
    return true;
}

} // namespace quendle::adapter
