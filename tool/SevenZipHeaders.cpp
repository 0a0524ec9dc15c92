#include "tool/SevenZipHeaders.h"

#include "tool/Children.h"

#include <lzma.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>


namespace quendle::adapter {

namespace {

// The property ids of 7-Zip's header format.
enum : std::uint64_t {
    kEnd = 0x00,
    kHeader = 0x01,
    kArchiveProperties = 0x02,
    kAdditionalStreamsInfo = 0x03,
    kMainStreamsInfo = 0x04,
    kFilesInfo = 0x05,
    kPackInfo = 0x06,
    kUnpackInfo = 0x07,
    kSubStreamsInfo = 0x08,
    kSize = 0x09,
    kCrc = 0x0A,
    kFolder = 0x0B,
    kCodersUnpackSize = 0x0C,
    kNumUnpackStream = 0x0D,
    kEmptyStream = 0x0E,
    kEmptyFile = 0x0F,
    kAnti = 0x10,
    kName = 0x11,
    kEncodedHeader = 0x17,
};

constexpr std::size_t kSignatureHeaderSize = 32;
constexpr std::string_view kSignature {"7z\xBC\xAF\x27\x1C", 6};
constexpr std::string_view kLzma {"\x03\x01\x01", 3};
constexpr std::string_view kLzma2 {"\x21", 1};
constexpr std::string_view kAes {"\x06\xF1\x07\x01", 4};
constexpr std::string_view kCopy {"\x00", 1};
// Far above any real header (200,000 entries take a few MB): beyond it 7-Zip decides.
constexpr std::uint64_t kMostHeader = std::uint64_t(256) << 20;
constexpr std::uint32_t kMostDictionary = std::uint32_t(64) << 20;
constexpr std::uint64_t kMostCoders = 32;
// A fuzzing build lets made-up headers past their checksums, to reach what lies behind them.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool kChecksums = false;
#else
constexpr bool kChecksums = true;
#endif

std::uint32_t crc32(std::string_view bytes)
{
    return lzma_crc32(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), 0);
}

std::uint32_t u32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

std::uint64_t u64(const char* p)
{
    return std::uint64_t(u32(p)) | std::uint64_t(u32(p + 4)) << 32;
}

// Reads the header's bytes front to back; once anything does not fit, every later read gives
// zeros and failed() holds.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : mBytes(bytes) {}

    bool failed() const { return mFailed; }
    void fail() { mFailed = true; }
    std::size_t left() const { return mFailed ? 0 : mBytes.size() - mAt; }

    std::uint8_t byte()
    {
        if (left() < 1) {
            mFailed = true;
            return 0;
        }
        return std::uint8_t(mBytes[mAt++]);
    }

    // 7-Zip's variable-length number: the first byte's leading one bits count the bytes that
    // follow, its remaining bits are the highest ones.
    std::uint64_t number()
    {
        const std::uint8_t first = byte();
        std::uint8_t mask = 0x80;
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            if ((first & mask) == 0)
                return value | std::uint64_t(first & (mask - 1)) << (8 * i);
            value |= std::uint64_t(byte()) << (8 * i);
            mask >>= 1;
        }
        return value;
    }

    // A count of things each at least one byte long: never more than the bytes left.
    std::uint64_t count()
    {
        const std::uint64_t value = number();
        if (value > left())
            mFailed = true;
        return mFailed ? 0 : value;
    }

    std::uint32_t word()
    {
        const std::string_view bytes = take(4);
        return bytes.size() == 4 ? u32(bytes.data()) : 0;
    }

    std::string_view take(std::uint64_t size)
    {
        if (size > left()) {
            mFailed = true;
            return {};
        }
        const std::string_view bytes = mBytes.substr(mAt, std::size_t(size));
        mAt += std::size_t(size);
        return bytes;
    }

    // Bits, the first in the top bit of the first byte.
    std::vector<bool> bits(std::size_t count)
    {
        const std::string_view bytes = take((count + 7) / 8);
        std::vector<bool> out(count);
        for (std::size_t i = 0; i < count && !mFailed; ++i)
            out[i] = (std::uint8_t(bytes[i / 8]) >> (7 - i % 8)) & 1;
        return out;
    }

    // A byte saying all are there, or the bits of those that are.
    std::vector<bool> defined(std::size_t count)
    {
        if (byte() != 0)
            return std::vector<bool>(count, true);
        return bits(count);
    }

private:
    std::string_view mBytes;
    std::size_t mAt = 0;
    bool mFailed = false;
};

struct Coder {
    std::string_view id;
    std::string_view properties;
    std::uint64_t inStreams = 1;
    std::uint64_t outStreams = 1;
};

struct Folder {
    std::vector<Coder> coders;
    std::vector<std::uint64_t> unpackSizes; // one per out stream of its coders
    std::optional<std::uint32_t> crc;
    std::uint64_t unpackStreams = 1;
    std::uint64_t packedStreams = 1;
    std::uint64_t mainOut = 0;               // the out stream no other coder takes in
    std::vector<std::uint64_t> streamSizes; // of the files it holds, in order

    std::uint64_t unpackSize() const { return mainOut < unpackSizes.size() ? unpackSizes[mainOut] : 0; }
    bool has(std::string_view id) const
    {
        return std::any_of(coders.begin(), coders.end(), [id](const Coder& coder) { return coder.id == id; });
    }
};

struct StreamsInfo {
    std::uint64_t packPos = 0;
    std::vector<std::uint64_t> packSizes;
    std::vector<Folder> folders;
};

std::vector<std::optional<std::uint32_t>> digests(Cursor& in, std::size_t count)
{
    const std::vector<bool> present = in.defined(count);
    std::vector<std::optional<std::uint32_t>> out(count);
    for (std::size_t i = 0; i < count && !in.failed(); ++i) {
        if (present[i])
            out[i] = in.word();
    }
    return out;
}

void readPackInfo(Cursor& in, StreamsInfo& info)
{
    info.packPos = in.number();
    const std::uint64_t count = in.count();
    info.packSizes.assign(std::size_t(count), 0);
    for (std::uint64_t id = in.number(); id != kEnd && !in.failed(); id = in.number()) {
        if (id == kSize) {
            for (std::uint64_t& size : info.packSizes)
                size = in.number();
        } else if (id == kCrc) {
            digests(in, info.packSizes.size());
        } else {
            in.fail();
        }
    }
}

Folder readFolder(Cursor& in)
{
    Folder folder;
    const std::uint64_t coders = in.count();
    if (coders == 0 || coders > kMostCoders)
        in.fail();
    std::uint64_t inTotal = 0;
    std::uint64_t outTotal = 0;
    for (std::uint64_t i = 0; i < coders && !in.failed(); ++i) {
        const std::uint8_t flags = in.byte();
        // Alternative methods and the reserved bit are not written by any 7-Zip.
        if (flags & 0xC0)
            in.fail();
        Coder coder;
        coder.id = in.take(flags & 0x0F);
        if (flags & 0x10) {
            coder.inStreams = in.number();
            coder.outStreams = in.number();
            if (coder.inStreams > kMostCoders || coder.outStreams > kMostCoders)
                in.fail();
        }
        if (flags & 0x20)
            coder.properties = in.take(in.number());
        inTotal += coder.inStreams;
        outTotal += coder.outStreams;
        folder.coders.push_back(coder);
    }
    if (outTotal == 0 || inTotal < outTotal - 1)
        in.fail();
    std::vector<bool> bound(std::size_t(in.failed() ? 0 : outTotal), false);
    for (std::uint64_t i = 0; i + 1 < outTotal && !in.failed(); ++i) {
        in.number();
        const std::uint64_t out = in.number();
        if (out >= bound.size() || bound[std::size_t(out)])
            in.fail();
        else
            bound[std::size_t(out)] = true;
    }
    folder.mainOut = std::uint64_t(std::find(bound.begin(), bound.end(), false) - bound.begin());
    folder.packedStreams = in.failed() ? 0 : inTotal - (outTotal - 1);
    if (folder.packedStreams > 1) {
        for (std::uint64_t i = 0; i < folder.packedStreams; ++i)
            in.number();
    }
    folder.unpackSizes.assign(std::size_t(in.failed() ? 0 : outTotal), 0);
    return folder;
}

void readUnpackInfo(Cursor& in, StreamsInfo& info)
{
    if (in.number() != kFolder)
        in.fail();
    const std::uint64_t count = in.count();
    // Folders kept elsewhere in the file are no 7-Zip's of today.
    if (in.byte() != 0)
        in.fail();
    for (std::uint64_t i = 0; i < count && !in.failed(); ++i)
        info.folders.push_back(readFolder(in));
    if (in.number() != kCodersUnpackSize)
        in.fail();
    for (Folder& folder : info.folders) {
        for (std::uint64_t& size : folder.unpackSizes)
            size = in.number();
    }
    for (std::uint64_t id = in.number(); id != kEnd && !in.failed(); id = in.number()) {
        if (id != kCrc) {
            in.fail();
            break;
        }
        const std::vector<std::optional<std::uint32_t>> crcs = digests(in, info.folders.size());
        for (std::size_t i = 0; i < crcs.size(); ++i)
            info.folders[i].crc = crcs[i];
    }
}

void readSubStreamsInfo(Cursor& in, StreamsInfo& info)
{
    std::uint64_t id = in.number();
    if (id == kNumUnpackStream) {
        for (Folder& folder : info.folders)
            folder.unpackStreams = in.number();
        id = in.number();
    }
    const bool sized = id == kSize;
    for (Folder& folder : info.folders) {
        // The last file of a folder has what the others leave of the folder's size.
        std::uint64_t left = folder.unpackSize();
        if (folder.unpackStreams > in.left() + 1)
            in.fail();
        for (std::uint64_t i = 1; i < folder.unpackStreams && sized && !in.failed(); ++i) {
            const std::uint64_t size = in.number();
            if (size > left)
                in.fail();
            left -= size;
            folder.streamSizes.push_back(size);
        }
        if (folder.unpackStreams > 1 && !sized)
            in.fail();
        if (folder.unpackStreams > 0 && !in.failed())
            folder.streamSizes.push_back(left);
    }
    if (sized)
        id = in.number();
    while (id != kEnd && !in.failed()) {
        if (id != kCrc) {
            in.fail();
            break;
        }
        std::uint64_t unknown = 0;
        for (const Folder& folder : info.folders) {
            if (folder.unpackStreams != 1 || !folder.crc)
                unknown += folder.unpackStreams;
        }
        if (unknown > in.left() * 8)
            in.fail();
        else
            digests(in, std::size_t(unknown));
        id = in.number();
    }
}

StreamsInfo readStreamsInfo(Cursor& in)
{
    StreamsInfo info;
    for (std::uint64_t id = in.number(); id != kEnd && !in.failed(); id = in.number()) {
        if (id == kPackInfo)
            readPackInfo(in, info);
        else if (id == kUnpackInfo)
            readUnpackInfo(in, info);
        else if (id == kSubStreamsInfo)
            readSubStreamsInfo(in, info);
        else
            in.fail();
    }
    return info;
}

// The one-coder LZMA or LZMA2 block that holds a packed header, unpacked and checked.
std::optional<std::string> unpackHeader(const Folder& folder, std::string_view packed)
{
    if (folder.coders.size() != 1 || folder.unpackSizes.size() != 1 || !folder.crc || folder.unpackSizes[0] > kMostHeader)
        return std::nullopt;
    // Names pack to a tenth or so; a header claiming far more than any packing gives is not
    // worth the memory.
    if (folder.unpackSizes[0] > std::uint64_t(packed.size()) * 1024 + (1 << 20))
        return std::nullopt;
    const Coder& coder = folder.coders[0];
    lzma_filter filters[2] {};
    if (coder.id == kLzma)
        filters[0].id = LZMA_FILTER_LZMA1;
    else if (coder.id == kLzma2)
        filters[0].id = LZMA_FILTER_LZMA2;
    else
        return std::nullopt;
    filters[1].id = LZMA_VLI_UNKNOWN;
    if (lzma_properties_decode(&filters[0], nullptr, reinterpret_cast<const std::uint8_t*>(coder.properties.data()),
            coder.properties.size())
        != LZMA_OK)
        return std::nullopt;
    const std::unique_ptr<lzma_options_lzma, decltype(&std::free)> options(
        static_cast<lzma_options_lzma*>(filters[0].options), &std::free);
    if (options->dict_size > kMostDictionary)
        return std::nullopt;
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&stream, filters) != LZMA_OK)
        return std::nullopt;
    std::string out(std::size_t(folder.unpackSizes[0]), '\0');
    stream.next_in = reinterpret_cast<const std::uint8_t*>(packed.data());
    stream.avail_in = packed.size();
    stream.next_out = reinterpret_cast<std::uint8_t*>(out.data());
    stream.avail_out = out.size();
    const lzma_ret result = lzma_code(&stream, LZMA_FINISH);
    const bool whole = stream.avail_out == 0 && (result == LZMA_OK || result == LZMA_STREAM_END);
    lzma_end(&stream);
    if (!whole || (kChecksums && crc32(out) != *folder.crc))
        return std::nullopt;
    return out;
}

// A name as 7-Zip shows it, from its UTF-16 form; nothing for a name 7-Zip might show otherwise
// (control characters, backslashes, a lone surrogate) or that is empty.
std::optional<std::string> plainName(std::u16string_view name)
{
    if (name.empty())
        return std::nullopt;
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        char32_t c = name[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (name[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return std::nullopt;
        }
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == u'\\')
            return std::nullopt;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool readNames(std::string_view bytes, std::vector<std::string>& names, std::size_t count)
{
    Cursor in(bytes);
    if (in.byte() != 0)
        return false;
    std::u16string name;
    while (in.left() >= 2) {
        const std::string_view unit = in.take(2);
        const char16_t c = char16_t(std::uint8_t(unit[0]) | std::uint8_t(unit[1]) << 8);
        if (c != 0) {
            name += c;
            continue;
        }
        const std::optional<std::string> plain = plainName(name);
        if (!plain || names.size() == count)
            return false;
        names.push_back(*plain);
        name.clear();
    }
    return in.left() == 0 && name.empty() && names.size() == count;
}

// The entries of the files' record, or none when 7-Zip must list them. streams: how many
// unpacked streams the archive's folders hold, one per file that has data.
std::optional<std::vector<SevenZipHeaders::Entry>> readFiles(Cursor& in, const std::vector<Folder>& folders)
{
    std::uint64_t streams = 0;
    for (const Folder& folder : folders)
        streams += folder.streamSizes.size();
    const std::uint64_t count = in.count();
    std::vector<bool> emptyStream(std::size_t(count), false);
    std::vector<bool> emptyFile;
    std::size_t empties = 0;
    std::vector<std::string> names;
    bool named = false;
    for (std::uint64_t type = in.number(); type != kEnd && !in.failed(); type = in.number()) {
        Cursor property(in.take(in.number()));
        if (in.failed())
            return std::nullopt;
        if (type == kEmptyStream) {
            emptyStream = property.bits(std::size_t(count));
            empties = std::size_t(std::count(emptyStream.begin(), emptyStream.end(), true));
        } else if (type == kEmptyFile) {
            emptyFile = property.bits(empties);
        } else if (type == kAnti) {
            const std::vector<bool> anti = property.bits(empties);
            // An item that deletes rather than adds is listed in 7-Zip's own way.
            if (std::find(anti.begin(), anti.end(), true) != anti.end())
                return std::nullopt;
        } else if (type == kName) {
            named = readNames(property.take(property.left()), names, std::size_t(count));
            if (!named)
                return std::nullopt;
        }
        // Times, attributes, start positions and padding say nothing that Quendle reads.
        if (property.failed())
            return std::nullopt;
    }
    if (in.failed() || !named || count - empties != streams)
        return std::nullopt;
    std::vector<SevenZipHeaders::Entry> entries(static_cast<std::size_t>(count));
    std::size_t empty = 0;
    // Files with data take the folders' streams in order.
    std::size_t folder = 0;
    std::size_t stream = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SevenZipHeaders::Entry& entry = entries[i];
        entry.path = std::move(names[i]);
        if (emptyStream[i]) {
            entry.folder = empty >= emptyFile.size() || !emptyFile[empty];
            ++empty;
            continue;
        }
        while (stream == folders[folder].streamSizes.size()) {
            ++folder;
            stream = 0;
        }
        entry.size = folders[folder].streamSizes[stream++];
        entry.block = folder;
        entry.encrypted = folders[folder].has(kAes);
        entry.stored = folders[folder].has(kCopy);
    }
    return entries;
}

void skipArchiveProperties(Cursor& in)
{
    for (std::uint64_t type = in.number(); type != kEnd && !in.failed(); type = in.number())
        in.take(in.number());
}

// Where the packed streams of info lie in the file: they must follow one another from
// 'from' on; the end of the last, or none.
std::optional<std::uint64_t> packedEnd(const StreamsInfo& info, std::uint64_t from)
{
    if (info.packPos + kSignatureHeaderSize != from)
        return std::nullopt;
    std::uint64_t end = from;
    for (const std::uint64_t size : info.packSizes) {
        if (size > UINT64_MAX - end)
            return std::nullopt;
        end += size;
    }
    return end;
}

} // namespace

std::optional<SevenZipHeaders> SevenZipHeaders::read(const ReadAt& readAt, std::uint64_t fileSize)
{
    char start[kSignatureHeaderSize];
    if (fileSize < kSignatureHeaderSize || !readAt(0, start, sizeof start) || std::string_view(start, 6) != kSignature)
        return std::nullopt;
    // Versions 0.2 to 0.4 are what 7-Zip writes; the start header's checksum covers the rest.
    if (start[6] != 0 || start[7] < 2 || start[7] > 4 || (kChecksums && crc32(std::string_view(start + 12, 20)) != u32(start + 8)))
        return std::nullopt;
    const std::uint64_t headerOffset = u64(start + 12);
    const std::uint64_t headerSize = u64(start + 20);
    // An empty archive, a part of a split set, or data after the archive: 7-Zip's to say.
    if (headerSize == 0 || headerSize > kMostHeader || headerOffset > fileSize
        || kSignatureHeaderSize + headerOffset + headerSize != fileSize)
        return std::nullopt;
    std::string header(std::size_t(headerSize), '\0');
    if (!readAt(kSignatureHeaderSize + headerOffset, header.data(), header.size()) || (kChecksums && crc32(header) != u32(start + 28)))
        return std::nullopt;
    const std::uint64_t headerAt = kSignatureHeaderSize + headerOffset;

    // A packed header: its block lies last before it, after the packed data of the entries.
    std::uint64_t encodedFrom = 0;
    Cursor outer(header);
    if (outer.number() == kEncodedHeader) {
        const StreamsInfo packed = readStreamsInfo(outer);
        if (outer.failed() || outer.left() != 0 || packed.folders.size() != 1 || packed.packSizes.size() != 1
            || packed.folders[0].packedStreams != 1)
            return std::nullopt;
        encodedFrom = packed.packPos + kSignatureHeaderSize;
        const std::optional<std::uint64_t> end = packedEnd(packed, encodedFrom);
        if (!end || *end != headerAt || packed.packSizes[0] > kMostHeader)
            return std::nullopt;
        std::string bytes(std::size_t(packed.packSizes[0]), '\0');
        if (!readAt(encodedFrom, bytes.data(), bytes.size()))
            return std::nullopt;
        std::optional<std::string> unpacked = unpackHeader(packed.folders[0], bytes);
        if (!unpacked)
            return std::nullopt;
        header = std::move(*unpacked);
    } else if (outer.failed()) {
        return std::nullopt;
    }

    Cursor in(header);
    if (in.number() != kHeader)
        return std::nullopt;
    StreamsInfo main;
    std::optional<std::vector<Entry>> entries;
    for (std::uint64_t id = in.number(); id != kEnd && !in.failed(); id = in.number()) {
        if (id == kArchiveProperties) {
            skipArchiveProperties(in);
        } else if (id == kMainStreamsInfo) {
            main = readStreamsInfo(in);
        } else if (id == kFilesInfo) {
            // Without a record of the files each folder holds, each holds one.
            for (Folder& folder : main.folders) {
                if (folder.streamSizes.empty() && folder.unpackStreams == 1)
                    folder.streamSizes.push_back(folder.unpackSize());
            }
            entries = readFiles(in, main.folders);
            if (!entries)
                return std::nullopt;
        } else {
            // Additional streams and anything newer: 7-Zip's to read.
            return std::nullopt;
        }
    }
    if (in.failed() || in.left() != 0 || !entries)
        return std::nullopt;
    // The entries' data fills the file from the start header to the (packed) header.
    const std::uint64_t dataEnd = encodedFrom != 0 ? encodedFrom : headerAt;
    if (main.packSizes.empty() ? dataEnd != kSignatureHeaderSize : packedEnd(main, kSignatureHeaderSize) != dataEnd)
        return std::nullopt;
    std::uint64_t packedStreams = 0;
    for (const Folder& folder : main.folders)
        packedStreams += folder.packedStreams;
    if (packedStreams != main.packSizes.size())
        return std::nullopt;

    SevenZipHeaders archive;
    archive.mEntries = std::move(*entries);
    archive.mFileSize = fileSize;
    return archive;
}

void SevenZipHeaders::print(std::string_view archivePath, const std::function<void(std::string_view)>& write) const
{
    std::string out = listingHead("7z header reader", archivePath, "7z", mFileSize);
    char number[24];
    constexpr std::size_t kChunk = 1 << 16;
    for (const Entry& entry : mEntries) {
        out += "Path = ";
        out += entry.path;
        out += entry.folder ? "\nFolder = +\nSize = " : "\nFolder = -\nSize = ";
        out.append(number, std::to_chars(number, number + sizeof number, entry.size).ptr);
        out += entry.encrypted ? "\nEncrypted = +\n" : "\nEncrypted = -\n";
        if (entry.block) {
            // Of the methods, only whether the bytes are stored tells how a password is tried.
            out += entry.stored ? "Method = Copy\nBlock = " : "Block = ";
            out.append(number, std::to_chars(number, number + sizeof number, *entry.block).ptr);
            out += '\n';
        }
        out += '\n';
        if (out.size() >= kChunk) {
            write(out);
            out.clear();
        }
    }
    if (!out.empty())
        write(out);
}

bool listFromSevenZipHeaders(const std::string& archivePath, std::string* encrypted)
{
    std::optional<SevenZipHeaders> archive;
    if (ZipDirectory::printablePath(archivePath)) {
        withRegularFile(archivePath,
            [&archive](const ReadAt& readAt, std::uint64_t size) { archive = SevenZipHeaders::read(readAt, size); });
    }
    if (!archive)
        return false;
    const bool copied = encrypted
        && std::any_of(archive->entries().begin(), archive->entries().end(), [](const SevenZipHeaders::Entry& entry) {
               return entry.encrypted;
           });
    // When nobody reads any more, the rest is not worth printing.
    bool relay = true;
    archive->print(archivePath, [&](std::string_view text) {
        relay = relay && writeAll(1, text.data(), text.size());
        if (copied)
            encrypted->append(text);
    });
    return true;
}

} // namespace quendle::adapter
