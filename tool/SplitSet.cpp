// Numbered volumes: finding a part's set and what is missing of it, and the set's listing head.
#include "tool/SplitSet.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quendle::adapter {

namespace {

// A zip's end record is 22 bytes and may be followed by a comment of up to 65,535.
constexpr std::uint64_t kZipTail = 22 + 65535;
constexpr std::size_t kHeadLimit = 1 << 20;

std::optional<std::uint64_t> regularFileSize(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return std::uint64_t(info.st_size);
}

std::string readAt(const std::string& path, std::uint64_t offset, std::size_t size)
{
    std::string bytes(size, '\0');
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    std::size_t have = 0;
    while (have < size) {
        const ssize_t got = pread(fd, bytes.data() + have, size - have, off_t(offset + have));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        have += std::size_t(got);
    }
    close(fd);
    bytes.resize(have);
    return bytes;
}

std::uint64_t little(std::string_view bytes, std::size_t at, int size)
{
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    return value;
}

} // namespace

std::optional<std::uint64_t> sevenZipSize(std::string_view head)
{
    if (head.size() < 32 || head.substr(0, 6) != std::string_view("7z\xBC\xAF\x27\x1C", 6))
        return std::nullopt;
    const std::uint64_t offset = little(head, 12, 8);
    const std::uint64_t size = little(head, 20, 8);
    if (offset > (UINT64_MAX >> 2) || size > (UINT64_MAX >> 2))
        return std::nullopt;
    return 32 + offset + size;
}

std::optional<SplitSet> findSplitSet(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
        return std::nullopt;
    const std::string digits = path.substr(dot + 1);
    if (digits.size() < 3 || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::size_t opened = std::stoul(digits);
    if (opened == 0)
        return std::nullopt;
    const std::string stem = path.substr(0, dot + 1);
    const auto part = [&](std::size_t number) {
        std::string text = std::to_string(number);
        if (text.size() < digits.size())
            text.insert(0, digits.size() - text.size(), '0');
        return stem + text;
    };

    SplitSet set;
    set.first = part(1);
    std::vector<std::uint64_t> sizes;
    while (const std::optional<std::uint64_t> size = regularFileSize(part(sizes.size() + 1))) {
        sizes.push_back(*size);
        set.parts.push_back(part(sizes.size()));
    }
    const std::string next = part(sizes.size() + 1);
    if (sizes.empty() || opened > sizes.size() || regularFileSize(part(sizes.size() + 2))) {
        set.missing = next;
        return set;
    }

    // Every part but the last has the size of the first; a last one as long may be followed
    // by more, which only the format can tell.
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        total += sizes[i];
        if (i + 1 < sizes.size() && sizes[i] != sizes[0])
            return set; // not 7-Zip's kind of set: 7-Zip says what it makes of it
    }
    const std::string head = readAt(set.first, 0, 32);
    if (const std::optional<std::uint64_t> declared = sevenZipSize(head)) {
        if (*declared > total)
            set.missing = next;
        return set;
    }
    if (sizes.back() == sizes.front() && head.starts_with("PK\x03\x04")) {
        const std::uint64_t last = sizes.back();
        const std::uint64_t from = last > kZipTail ? last - kZipTail : 0;
        if (readAt(set.parts.back(), from, std::size_t(last - from)).find("PK\x05\x06") == std::string::npos)
            set.missing = next;
    }
    return set;
}

// ---------------------------------------------------------------------------------------------

void SplitHeadFolder::feed(std::string_view bytes, std::string& out)
{
    if (mDone) {
        out.append(bytes);
        return;
    }
    while (!bytes.empty()) {
        const std::size_t lineFeed = bytes.find('\n');
        const std::string_view line = bytes.substr(0, lineFeed);
        mHead.append(line);
        if (lineFeed == std::string_view::npos)
            break;
        mHead += '\n';
        bytes.remove_prefix(lineFeed + 1);
        const std::size_t lineStart = mHead.rfind('\n', mHead.size() - 2);
        const std::string_view whole = std::string_view(mHead).substr(lineStart == std::string::npos ? 0 : lineStart + 1);
        if (whole == "----------\n" || mHead.size() > kHeadLimit) {
            endHead(out);
            out.append(bytes);
            return;
        }
    }
    if (mHead.size() > kHeadLimit) {
        endHead(out);
    }
}

void SplitHeadFolder::finish(std::string& out)
{
    if (!mDone) {
        out += mHead;
        mHead.clear();
        mDone = true;
    }
}

void SplitHeadFolder::endHead(std::string& out)
{
    mDone = true;
    std::vector<std::string_view> lines;
    std::string_view rest = mHead;
    while (!rest.empty()) {
        const std::size_t lineFeed = rest.find('\n');
        lines.push_back(rest.substr(0, lineFeed == std::string_view::npos ? rest.size() : lineFeed + 1));
        rest.remove_prefix(lines.back().size());
    }
    std::size_t firstRecord = lines.size();
    std::size_t lastRecord = lines.size();
    bool split = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == "--\n") {
            if (firstRecord == lines.size())
                firstRecord = i;
            lastRecord = i;
        }
        split = split || lines[i] == "Type = Split\n";
    }
    const std::size_t from = split ? lastRecord : firstRecord;
    bool named = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i >= firstRecord && i < from)
            continue;
        if (lines[i].starts_with("Listing archive: ")) {
            out += "Listing archive: " + mShown + '\n';
        } else if (i > from && !named && lines[i].starts_with("Path = ")) {
            out += "Path = " + mShown + '\n';
            named = true;
        } else {
            out.append(lines[i]);
        }
    }
    mHead.clear();
}

} // namespace quendle::adapter
