// A tar's headers, read from the decompressed stream as it passes (see TarHeaders.h).
#include "tool/TarHeaders.h"

#include "tool/ZipDirectory.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace quendle::adapter {

namespace {

constexpr std::size_t kBlock = 512;
// Extension contents far above any real one (a long path is a few hundred bytes).
constexpr std::uint64_t kMostExtension = 1 << 20;
// Beyond these the listing is left to 7-Zip rather than held in memory.
constexpr std::size_t kMostEntries = std::size_t(1) << 22;
constexpr std::uint64_t kMostNameBytes = std::uint64_t(1) << 29;

// An octal number as tar writes it: blanks, digits, then blanks or NULs. Nothing for anything
// else, base-256 numbers included.
std::optional<std::uint64_t> octal(const char* field, std::size_t size)
{
    std::size_t i = 0;
    while (i < size && field[i] == ' ')
        ++i;
    const std::size_t first = i;
    std::uint64_t value = 0;
    for (; i < size && field[i] >= '0' && field[i] <= '7'; ++i)
        value = value * 8 + std::uint64_t(field[i] - '0');
    if (i == first)
        return std::nullopt;
    for (; i < size; ++i) {
        if (field[i] != ' ' && field[i] != '\0')
            return std::nullopt;
    }
    return value;
}

// A number field that may also be left empty (device numbers).
bool emptyOrOctal(const char* field, std::size_t size)
{
    return std::all_of(field, field + size, [](char c) { return c == '\0' || c == ' '; }) || octal(field, size);
}

// A NUL-terminated text field.
std::string_view text(const char* field, std::size_t size)
{
    return std::string_view(field, strnlen(field, size));
}

bool isAscii(std::string_view value)
{
    return std::all_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A text 7-Zip prints that Quendle's reading of the listing passes over unchanged: plain UTF-8
// holding none of the signs it looks for.
bool quietText(std::string_view value)
{
    if (!plainUtf8(value))
        return false;
    for (const std::string_view sign : {"Path = ", "Encrypted = +", "Can not open encrypted archive",
             "Cannot open encrypted archive", "Wrong password", "ERRORS:", "Enter password"}) {
        if (value.find(sign) != std::string_view::npos)
            return false;
    }
    return true;
}

std::optional<std::uint64_t> decimal(std::string_view value)
{
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() || number >= (std::uint64_t(1) << 40))
        return std::nullopt;
    return number;
}

// A pax time: seconds, perhaps negative, perhaps with a fraction.
bool paxTime(std::string_view value)
{
    if (value.starts_with('-'))
        value.remove_prefix(1);
    const std::size_t dot = value.find('.');
    const std::string_view whole = value.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view("0") : value.substr(dot + 1);
    const auto digits = [](std::string_view part) {
        return !part.empty() && part.size() <= 18
            && std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return digits(whole) && digits(fraction);
}

std::uint64_t padded(std::uint64_t size)
{
    return (size + kBlock - 1) / kBlock * kBlock;
}

void appendNumber(std::string& out, std::uint64_t value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

} // namespace

bool PlainTarTally::plainPath(std::string_view path)
{
    if (path.empty() || path.front() == '/' || path.back() == '/')
        return false;
    for (const char c : path) {
        if (c < 0x20 || c > 0x7E || c == '\\')
            return false;
    }
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        const std::string_view component = path.substr(at, slash - at);
        if (component.empty() || component == "." || component == "..")
            return false;
        at = slash + 1;
    }
    return true;
}

void PlainTarTally::add(const std::string& path, bool entryPlain)
{
    ++mEntries;
    if (!entryPlain || !plainPath(path) || !mSeen.insert(std::hash<std::string>()(path)).second)
        mPlain = false;
    const std::string top = path.substr(0, path.find('/'));
    if (mPlain && std::find(mTops.begin(), mTops.end(), top) == mTops.end()) {
        if (mTops.size() < 64)
            mTops.push_back(top);
        else
            mPlain = false;
    }
}

bool TarHeaders::decline()
{
    mState = State::Declined;
    mEntries = {};
    mExtensionData = {};
    return false;
}

bool TarHeaders::feed(std::string_view bytes)
{
    mSize += bytes.size();
    while (!bytes.empty()) {
        switch (mState) {
        case State::Declined:
            return false;
        case State::Data:
        case State::Extension: {
            const std::size_t size = std::size_t(std::min<std::uint64_t>(mSkip, bytes.size()));
            if (mState == State::Extension && mExtensionData.size() < mExtensionSize) {
                const std::size_t wanted = std::size_t(mExtensionSize) - mExtensionData.size();
                mExtensionData.append(bytes.substr(0, std::min(wanted, size)));
            }
            mSkip -= size;
            bytes.remove_prefix(size);
            if (mSkip == 0) {
                const bool wasExtension = mState == State::Extension;
                mState = State::Header;
                if (wasExtension && !extension())
                    return false;
            }
            break;
        }
        case State::Header:
        case State::End: {
            const std::size_t size = std::min(kBlock - mBlockFill, bytes.size());
            std::memcpy(mBlock + mBlockFill, bytes.data(), size);
            mBlockFill += size;
            bytes.remove_prefix(size);
            if (mBlockFill < kBlock)
                break;
            mBlockFill = 0;
            if (mState == State::End) {
                // The end: nothing but zero blocks may follow.
                if (!std::all_of(std::begin(mBlock), std::end(mBlock), [](char c) { return c == '\0'; }))
                    return decline();
                ++mZeroBlocks;
            } else if (!header(mBlock)) {
                return false;
            }
            break;
        }
        }
    }
    return mState != State::Declined;
}

bool TarHeaders::finish()
{
    // Two zero blocks end a tar; extensions must lead to an entry.
    if (mState != State::End || mBlockFill != 0 || mZeroBlocks < 2 || mEntries.empty() || mLongName || mLongLink
        || mPaxSeen)
        return decline();
    return true;
}

bool TarHeaders::header(const char* block)
{
    if (std::all_of(block, block + kBlock, [](char c) { return c == '\0'; })) {
        mState = State::End;
        mZeroBlocks = 1;
        return true;
    }
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < kBlock; ++i)
        sum += i >= 148 && i < 156 ? ' ' : static_cast<unsigned char>(block[i]);
    const std::optional<std::uint64_t> recorded = octal(block + 148, 8);
    if (!recorded || *recorded != sum)
        return decline();
    const bool gnu = std::memcmp(block + 257, "ustar  \0", 8) == 0;
    const bool posix = std::memcmp(block + 257, "ustar\0" "00", 8) == 0;
    const std::optional<std::uint64_t> size = octal(block + 124, 12);
    if ((!gnu && !posix) || !size || !octal(block + 100, 8) || !octal(block + 108, 8) || !octal(block + 116, 8)
        || !octal(block + 136, 12) || !emptyOrOctal(block + 329, 8) || !emptyOrOctal(block + 337, 8)
        || !quietText(text(block + 265, 32)) || !quietText(text(block + 297, 32)))
        return decline();

    const char type = block[156];
    Extension kind = Extension::None;
    switch (type) {
    case 'L':
        kind = mLongName ? Extension::None : Extension::LongName;
        break;
    case 'K':
        kind = mLongLink ? Extension::None : Extension::LongLink;
        break;
    case 'x':
        kind = mPaxSeen ? Extension::None : Extension::Pax;
        break;
    case 'g':
        kind = mLongName || mLongLink || mPaxSeen ? Extension::None : Extension::GlobalPax;
        break;
    case '0': case '\0': case '1': case '2': case '3': case '4': case '5': case '6': case '7':
        return addEntry(block, type, *size);
    default:
        return decline(); // sparse files, volume labels, and what 7-Zip may read otherwise
    }
    if (kind == Extension::None || *size > kMostExtension)
        return decline();
    mExtension = kind;
    mExtensionSize = *size;
    mExtensionData.clear();
    mSkip = padded(*size);
    mState = State::Extension;
    return mSkip != 0 || extension();
}

bool TarHeaders::extension()
{
    switch (mExtension) {
    case Extension::LongName:
    case Extension::LongLink: {
        // The name and a NUL; nothing after it.
        const std::size_t end = mExtensionData.find('\0');
        if (end != std::string::npos && mExtensionData.find_first_not_of('\0', end) != std::string::npos)
            return decline();
        std::string value = mExtensionData.substr(0, end);
        if (value.empty())
            return decline();
        (mExtension == Extension::LongName ? mLongName : mLongLink) = std::move(value);
        break;
    }
    case Extension::Pax:
    case Extension::GlobalPax:
        if (!paxRecords(mExtension == Extension::GlobalPax))
            return decline();
        break;
    case Extension::None:
        return decline();
    }
    mExtension = Extension::None;
    mExtensionData = {};
    return true;
}

bool TarHeaders::paxRecords(bool global)
{
    const std::string_view data = mExtensionData;
    std::unordered_set<std::string_view> keys;
    std::size_t at = 0;
    while (at < data.size()) {
        const std::size_t space = data.find(' ', at);
        if (space == std::string_view::npos)
            return false;
        const std::optional<std::uint64_t> length = decimal(data.substr(at, space - at));
        if (!length || *length <= space - at + 2 || *length > data.size() - at || data[at + *length - 1] != '\n')
            return false;
        const std::string_view record = data.substr(space + 1, at + *length - 1 - (space + 1));
        at += std::size_t(*length);
        const std::size_t equals = record.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return false;
        const std::string_view key = record.substr(0, equals);
        const std::string_view value = record.substr(equals + 1);
        if (!keys.insert(key).second)
            return false;
        if (global) {
            // git archive's commit id; 7-Zip shows it nowhere.
            if (key != "comment")
                return false;
        } else if (key == "path") {
            mPaxPath = std::string(value);
        } else if (key == "linkpath") {
            mPaxLink = std::string(value);
        } else if (key == "size") {
            mPaxSize = decimal(value);
            if (!mPaxSize)
                return false;
        } else if (key == "mtime" || key == "atime" || key == "ctime") {
            if (!paxTime(value))
                return false;
        } else if (key == "uid" || key == "gid") {
            if (!decimal(value))
                return false;
        } else if (key == "uname" || key == "gname") {
            if (!quietText(value))
                return false;
        } else {
            return false; // sparse maps, extended attributes, comments, other charsets
        }
    }
    if (!global)
        mPaxSeen = true;
    return true;
}

bool TarHeaders::addEntry(const char* block, char type, std::uint64_t headerSize)
{
    const bool posix = block[257 + 5] == '\0';
    const std::string_view prefix = posix ? text(block + 345, 155) : std::string_view();
    if ((mPaxPath && mLongName) || (mPaxLink && mLongLink))
        return decline();
    Entry entry;
    if (mPaxPath)
        entry.path = *mPaxPath;
    else if (mLongName)
        entry.path = *mLongName;
    else if (!prefix.empty())
        entry.path = std::string(prefix) + '/' + std::string(text(block, 100));
    else
        entry.path = text(block, 100);
    std::string link = mPaxLink ? *mPaxLink : mLongLink ? *mLongLink : std::string(text(block + 157, 100));
    const std::uint64_t size = mPaxSize ? *mPaxSize : headerSize;

    entry.folder = type == '5';
    if (!entry.path.empty() && entry.path.back() == '/') {
        if (!entry.folder)
            return decline();
        entry.path.pop_back();
    }
    if (entry.path.empty() || entry.path.back() == '/' || !plainUtf8(entry.path) || !plainUtf8(link))
        return decline();
    const bool data = type == '0' || type == '\0' || type == '7';
    if (!data && size != 0)
        return decline();
    if (type == '1' || type == '2') {
        if (link.empty())
            return decline();
        (type == '1' ? entry.hardLink : entry.symbolicLink) = link;
    } else if (!link.empty()) {
        return decline();
    }
    entry.size = type == '2' ? link.size() : size;

    // What 7-Zip shows of it as "0 GNU ASCII" or "5 POSIX ASCII", permission bits alone and a
    // time in whole seconds: an entry GNU tar writes as 7-Zip does.
    const std::uint64_t mode = *octal(block + 100, 8);
    const bool plain = (type == '0' || type == '5') && !mPaxSeen && !mLongName && !mLongLink && prefix.empty()
        && mode <= 0777 && (!entry.folder || (mode & 0700) == 0700) && *octal(block + 136, 12) != 0
        && isAscii(text(block + 265, 32)) && isAscii(text(block + 297, 32));
    mTally.add(entry.path, plain);

    mNameBytes += entry.path.size() + entry.symbolicLink.size() + entry.hardLink.size();
    mEntries.push_back(std::move(entry));
    if (mEntries.size() > kMostEntries || mNameBytes > kMostNameBytes)
        return decline();
    mLongName.reset();
    mLongLink.reset();
    mPaxPath.reset();
    mPaxLink.reset();
    mPaxSize.reset();
    mPaxSeen = false;
    mSkip = data ? padded(size) : 0;
    mState = mSkip != 0 ? State::Data : State::Header;
    return true;
}

void TarHeaders::print(std::string_view archivePath, const std::function<void(std::string_view)>& write) const
{
    std::string out = listingHead("tar header reader", archivePath, "tar", mSize);
    constexpr std::size_t kChunk = 1 << 16;
    for (const Entry& entry : mEntries) {
        out += "Path = ";
        out += entry.path;
        out += entry.folder ? "\nFolder = +\nSize = " : "\nFolder = -\nSize = ";
        appendNumber(out, entry.size);
        if (!entry.symbolicLink.empty()) {
            out += "\nSymbolic Link = ";
            out += entry.symbolicLink;
        }
        if (!entry.hardLink.empty()) {
            out += "\nHard Link = ";
            out += entry.hardLink;
        }
        out += "\n\n";
        if (out.size() >= kChunk) {
            write(out);
            out.clear();
        }
    }
    if (!out.empty())
        write(out);
}

} // namespace quendle::adapter
