// The archiver adapter's byte and text work: stream searches, the UTF-8 fixer, compression and
// tar signatures, the caller's arguments, and the archive named in a listing.
#include "tool/AdapterText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace quendle::adapter {

void StreamSearch::step(char c)
{
    if (!found)
        found = base::advanceMatch(text, matched, c);
}

void LineStartSearch::step(char c)
{
    if (found)
        return;
    if (c == '\n') {
        atLineStart = true;
        matched = 0;
    } else if (atLineStart) {
        if (text[matched] == c)
            found = ++matched == text.size();
        else
            atLineStart = false;
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

} // namespace

void Utf8Fixer::replacePending(std::string& out)
{
    for (int i = 0; i < mPendingSize; ++i)
        out += kReplacement;
    if (mPendingSize > 0)
        mReplaced = true;
    mPendingSize = 0;
    mCheck.reset();
}

void Utf8Fixer::feed(std::string_view bytes, std::string& out)
{
    out.reserve(out.size() + bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (mCheck.pending() > 0) {
            if (mCheck.step(c) == base::Utf8Check::Byte::Continuation) {
                mPending[mPendingSize++] = c;
                if (mCheck.pending() == 0) {
                    out.append(reinterpret_cast<const char*>(mPending), std::size_t(mPendingSize));
                    mPendingSize = 0;
                }
                ++i;
                continue;
            }
            // The sequence broke off: its bytes are not part of any character, and this byte
            // is looked at afresh.
            replacePending(out);
        }
        if (c < 0x80) {
            // Plain ASCII runs are the bulk of any listing: copy them in one go.
            std::size_t end = i + 1;
            while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80)
                ++end;
            out.append(bytes.data() + i, end - i);
            i = end;
            continue;
        }
        if (mCheck.step(c) == base::Utf8Check::Byte::Invalid) {
            out += kReplacement;
            mReplaced = true;
            ++i;
            continue;
        }
        mPending[0] = c;
        mPendingSize = 1;
        ++i;
    }
}

void Utf8Fixer::finish(std::string& out)
{
    replacePending(out);
}

// ---------------------------------------------------------------------------------------------

Compression compressionOf(std::string_view head)
{
    const auto starts = [head](std::string_view magic) { return head.substr(0, magic.size()) == magic; };
    if (starts(std::string_view("\x1F\x8B", 2)))
        return Compression::Gzip;
    if (starts(std::string_view("\x1F\x9D", 2)))
        return Compression::Compress;
    if (starts("BZh") && head.size() >= 4 && head[3] >= '1' && head[3] <= '9')
        return Compression::Bzip2;
    if (starts(std::string_view("\xFD" "7zXZ\0", 6)))
        return Compression::Xz;
    if (starts(std::string_view("\x28\xB5\x2F\xFD", 4)))
        return Compression::Zstd;
    return Compression::None;
}

const char* nameOf(Compression compression)
{
    switch (compression) {
    case Compression::Gzip: return "gzip";
    case Compression::Bzip2: return "bzip2";
    case Compression::Xz: return "xz";
    case Compression::Zstd: return "zstd";
    case Compression::Compress: return "Z";
    case Compression::None: break;
    }
    return "";
}

bool looksLikeTar(std::string_view block)
{
    if (block.size() < 512)
        return false;
    if (block.substr(257, 5) == "ustar")
        return true;
    if (block[0] == '\0')
        return false; // no name: an end-of-archive block or no tar at all

    // Old-style header: the checksum field holds, in octal, the sum of the header's bytes with
    // the field itself counted as spaces (some writers summed signed bytes).
    const std::string_view field = block.substr(148, 8);
    std::size_t at = 0;
    while (at < field.size() && field[at] == ' ')
        ++at;
    std::int64_t stored = 0;
    std::size_t digits = 0;
    while (at < field.size() && field[at] >= '0' && field[at] <= '7') {
        stored = stored * 8 + (field[at] - '0');
        ++at;
        ++digits;
    }
    if (digits == 0)
        return false;
    for (; at < field.size(); ++at) {
        if (field[at] != ' ' && field[at] != '\0')
            return false;
    }
    std::int64_t unsignedSum = 0;
    std::int64_t signedSum = 0;
    for (std::size_t i = 0; i < 512; ++i) {
        const char c = (i >= 148 && i < 156) ? ' ' : block[i];
        unsignedSum += static_cast<unsigned char>(c);
        signedSum += static_cast<signed char>(c);
    }
    return stored == unsignedSum || stored == signedSum;
}

// ---------------------------------------------------------------------------------------------

bool Invocation::isList() const
{
    return command == "l" || command == "L";
}

bool Invocation::isExtract() const
{
    return command == "x" || command == "X";
}

Invocation readInvocation(int argc, const char* const* argv)
{
    Invocation call;
    if (argc < 2)
        return call;
    call.command = argv[1];
    bool switchesEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!switchesEnded && argument == "--") {
            switchesEnded = true;
            continue;
        }
        if (switchesEnded || argument.size() < 2 || argument[0] != '-') {
            if (call.archive < 0)
                call.archive = i;
            ++call.nonSwitches;
            continue;
        }
        // 7-Zip's switch names are not case-sensitive; their values are.
        const auto is = [&argument](std::string_view name) {
            if (argument.size() < name.size() + 1)
                return false;
            for (std::size_t k = 0; k < name.size(); ++k) {
                if (std::tolower(static_cast<unsigned char>(argument[k + 1])) != name[k])
                    return false;
            }
            return true;
        };
        if (is("ao") && argument.size() == 4)
            call.overwrite = char(std::tolower(static_cast<unsigned char>(argument[3])));
        else if (is("p"))
            call.password = std::string(argument.substr(2));
        else if (is("o"))
            call.outputFolder = std::string(argument.substr(2));
        else if (is("si") || is("so"))
            call.readsStandardInput = true;
    }
    return call;
}

// ---------------------------------------------------------------------------------------------

void ListingHeadNamer::endLine(std::string& out)
{
    ++mLines;
    if (mLine == "Listing archive: ") {
        out += mLine + mArchive + '\n';
    } else if (mLine == "Path = ") {
        out += mLine + mArchive + '\n';
        mDone = true;
    } else {
        // A first record that already has a path, or a head much longer than 7-Zip's: leave
        // everything as it is from here on.
        if (mLine.starts_with("Path = ") || mLines > 64)
            mDone = true;
        out += mLine + '\n';
    }
    mLine.clear();
}

void ListingHeadNamer::feed(std::string_view bytes, std::string& out)
{
    while (!mDone && !bytes.empty()) {
        const std::size_t lineFeed = bytes.find('\n');
        if (lineFeed == std::string_view::npos) {
            mLine.append(bytes);
            if (mLine.size() > 65536) {
                out += mLine;
                mLine.clear();
                mDone = true;
            }
            return;
        }
        mLine.append(bytes.substr(0, lineFeed));
        bytes.remove_prefix(lineFeed + 1);
        endLine(out);
    }
    out.append(bytes);
}

void ListingHeadNamer::finish(std::string& out)
{
    out += mLine;
    mLine.clear();
    mDone = true;
}

} // namespace quendle::adapter
