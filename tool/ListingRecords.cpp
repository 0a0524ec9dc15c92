// 7-Zip's technical listing, one record at a time: "Path = " opens a record, an empty line ends
// it. A record is held until its end, since the zip's UTF-8 flag ("Characteristics") comes
// after the name it speaks of.
#include "tool/ListingRecords.h"

#include <algorithm>
#include <cstdlib>

namespace quendle::adapter {

namespace {

// Longer than any record 7-Zip prints: such a thing passes unchanged.
constexpr std::size_t kHoldLimit = 1 << 20;

bool hasWord(std::string_view text, std::string_view word)
{
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        if (text.substr(0, space) == word)
            return true;
        if (space == std::string_view::npos)
            break;
        text.remove_prefix(space + 1);
    }
    return false;
}

} // namespace

void ListingRecords::feed(std::string_view bytes, std::string& out)
{
    while (!bytes.empty()) {
        const std::size_t lineFeed = bytes.find('\n');
        if (lineFeed == std::string_view::npos) {
            mLine.append(bytes);
            if (mLine.size() > kHoldLimit) {
                // No line of a listing is this long: let it through as it comes.
                if (mInRecord) {
                    out += mRecord;
                    mRecord.clear();
                    mInRecord = false;
                }
                out += mLine;
                mLine.clear();
            }
            return;
        }
        mLine.append(bytes.substr(0, lineFeed));
        bytes.remove_prefix(lineFeed + 1);
        line(mLine, true, out);
        mLine.clear();
    }
}

void ListingRecords::finish(std::string& out)
{
    if (!mLine.empty())
        line(mLine, false, out);
    mLine.clear();
    if (mInRecord)
        endRecord(out);
}

void ListingRecords::line(std::string_view text, bool ended, std::string& out)
{
    const auto whole = [&](std::string& to) {
        to.append(text);
        if (ended)
            to += '\n';
    };
    if (!mInEntries) {
        // The archive's own record, before the line that opens the entries.
        if (!mTypeSeen && text.starts_with("Type = ")) {
            mTypeSeen = true;
            mIsZip = text.substr(7) == "zip";
        }
        if (text == "----------")
            mInEntries = true;
        if (!mRewrite.dropHead)
            whole(out);
        return;
    }
    if (!mInRecord) {
        if (!text.starts_with("Path = ")) {
            if (!mRewrite.dropHead)
                whole(out);
            return;
        }
        mInRecord = true;
        mRecord.clear();
        mPath = text.substr(7);
        mFolder = mEncrypted = mUtf8Flag = mDosHost = mStored = false;
        mSize.reset();
        mBlock.reset();
        whole(mRecord);
        return;
    }
    whole(mRecord);
    if (text.empty()) {
        endRecord(out);
        return;
    }
    if (text == "Folder = +") {
        mFolder = true;
    } else if (text == "Encrypted = +") {
        mEncrypted = true;
    } else if (text.starts_with("Size = ")) {
        const std::string digits(text.substr(7));
        char* end = nullptr;
        const unsigned long long size = std::strtoull(digits.c_str(), &end, 10);
        if (!digits.empty() && end && *end == '\0')
            mSize = size;
    } else if (text.starts_with("Block = ")) {
        mBlock = std::string(text.substr(8));
    } else if (text.starts_with("Method = ")) {
        // Stored bytes decode without an error whatever the password: only their checksum, at
        // the end, tells. (A zip's AES has a two-byte check of its own, ZipCrypto only one.)
        const auto has = [text](std::string_view word) { return text.find(word) != std::string_view::npos; };
        mStored = has("Copy") || (has("ZipCrypto") && has("Store"));
    } else if (text.starts_with("Characteristics = ")) {
        mUtf8Flag = hasWord(text.substr(18), "UTF8");
    } else if (text.starts_with("Host OS = ")) {
        // The systems whose names separate folders with backslashes.
        const std::string_view host = text.substr(10);
        mDosHost = host == "FAT" || host == "NTFS" || host == "VFAT" || host == "HPFS";
    }
    if (mRecord.size() > kHoldLimit) {
        out += mRecord;
        mRecord.clear();
        mInRecord = false;
    }
}

void ListingRecords::endRecord(std::string& out)
{
    mInRecord = false;

    // In a solid block, testing one file decodes everything before it there as well; of the
    // file itself, no more than the probe's prefix unless it is stored.
    const bool whole = mStored && mSize.value_or(0) > kPasswordProbePrefix;
    std::uint64_t cost = whole ? mSize.value_or(0) : std::min(mSize.value_or(0), kPasswordProbePrefix);
    if (mBlock) {
        if (*mBlock != mLastBlock) {
            mLastBlock = *mBlock;
            mBlockBefore = 0;
        }
        cost += mBlockBefore;
        mBlockBefore += mSize.value_or(0);
    }
    if (mEncrypted && !mFolder && mSize) {
        const bool empty = *mSize == 0;
        if (!mProbe || (mProbeEmpty && !empty) || (mProbeEmpty == empty && cost < mProbeCost)) {
            mProbe = mPath;
            mProbeCost = cost;
            mProbeWhole = whole;
            mProbeEmpty = empty;
        }
    }

    std::string path = mPath;
    bool renamed = false;
    if (mIsZip && mCodePage != 0 && !mUtf8Flag && !isUtf8(mPath)) {
        if (std::optional<std::string> decoded = decodePath(mPath, mCodePage)) {
            mChanges.push_back({mPath, *decoded});
            path = std::move(*decoded);
            renamed = true;
        }
    }
    if (mIsZip && mDosHost && path.find('\\') != std::string::npos) {
        if (std::optional<std::string> split = backslashesAsFolders(path)) {
            if (renamed)
                mChanges.back().backslashFolders = true;
            else
                mChanges.push_back({mPath, path, true});
            while (split->ends_with('/'))
                split->pop_back();
            path = std::move(*split);
            renamed = true;
        }
    }
    if (mRewrite.tidy) {
        std::string_view tidy = path;
        while (tidy.starts_with("./"))
            tidy.remove_prefix(2);
        if (tidy.empty() || tidy == ".") {
            mRecord.clear();
            return;
        }
        renamed = renamed || tidy.size() != path.size();
        path = std::string(tidy);
    }
    for (const std::string& omitted : mRewrite.omit) {
        if (path == omitted) {
            mRecord.clear();
            return;
        }
    }
    if (!mRewrite.prefix.empty()) {
        path.insert(0, mRewrite.prefix);
        renamed = true;
    }
    if (renamed) {
        out += "Path = ";
        out += path;
        out.append(mRecord, mRecord.find('\n') == std::string::npos ? mRecord.size() : mRecord.find('\n'));
        mRecord.clear();
        return;
    }
    out += mRecord;
    mRecord.clear();
}

// ---------------------------------------------------------------------------------------------

std::string withoutPasswordNoise(std::string_view err)
{
    const auto complaint = [](std::string_view line) {
        return line.find("annot open encrypted archive") != std::string_view::npos
            || line.find("an not open encrypted archive") != std::string_view::npos;
    };
    std::vector<std::string_view> lines;
    while (!err.empty()) {
        const std::size_t lineFeed = err.find('\n');
        lines.push_back(err.substr(0, lineFeed));
        err.remove_prefix(lineFeed == std::string_view::npos ? err.size() : lineFeed + 1);
    }
    std::string kept;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        // Older releases name the archive on an "ERROR:" line of its own before the complaint.
        const bool namesTheArchive = line.starts_with("ERROR: ") && i + 1 < lines.size() && complaint(lines[i + 1]);
        if (line.find_first_not_of(" \t\r") == std::string_view::npos || line == "Break signaled" || complaint(line)
            || namesTheArchive)
            continue;
        kept.append(line);
        kept += '\n';
    }
    return kept;
}

} // namespace quendle::adapter
