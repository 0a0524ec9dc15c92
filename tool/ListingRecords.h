// Reads 7-Zip's technical listing record by record as it passes: legacy zip names get their
// readable form, and the encrypted file on which a password is cheapest to try is noted.
#pragma once

#include "tool/CodePage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quendle::adapter {

// How the entries' paths are made the paths that the extraction writes.
struct PathRewrite {
    std::string prefix;             // put before every path ("pkg/")
    bool tidy = false;              // "./" removed from the front; "." and "./" entries left out
    std::vector<std::string> omit;  // entries the extraction leaves out, by path
    bool dropHead = false;          // only the records pass, for a listing made of several
};

// How much of an encrypted file the password check decodes at most: a file no bigger is
// decoded whole (its checksum proves the password), a bigger one only this far.
inline constexpr std::uint64_t kPasswordProbePrefix = 1 << 20;

class ListingRecords {
public:
    // codePage: the page in which zip names without the UTF-8 flag are read; 0: none.
    explicit ListingRecords(int codePage, PathRewrite rewrite = {})
        : mCodePage(codePage)
        , mRewrite(std::move(rewrite))
    {
    }

    void feed(std::string_view bytes, std::string& out);
    void finish(std::string& out);

    // The encrypted file whose test decodes the least, under the name 7-Zip knows it by: the
    // smallest file that is not empty (an empty one proves little of a zip password), counting
    // for a solid block what comes before it there and of a big file only the probe's prefix.
    const std::optional<std::string>& passwordProbe() const { return mProbe; }
    // Whether the probe must be decoded whole: a big stored file, whose bytes decode without an
    // error whatever the password, so that only its checksum tells.
    bool passwordProbeWhole() const { return mProbeWhole; }
    // The names that were decoded, in listing order.
    const std::vector<NameChange>& changes() const { return mChanges; }

private:
    void line(std::string_view text, bool ended, std::string& out);
    void endRecord(std::string& out);

    int mCodePage;
    PathRewrite mRewrite;
    std::string mLine;
    bool mInEntries = false;
    bool mIsZip = false;
    bool mTypeSeen = false;

    // The record being read: its bytes and what they said.
    bool mInRecord = false;
    std::string mRecord;
    std::string mPath;
    bool mFolder = false;
    bool mEncrypted = false;
    bool mUtf8Flag = false;
    bool mDosHost = false;
    bool mStored = false;
    std::optional<std::uint64_t> mSize;
    std::optional<std::string> mBlock;

    std::string mLastBlock;
    std::uint64_t mBlockBefore = 0;
    std::optional<std::string> mProbe;
    std::uint64_t mProbeCost = 0;
    bool mProbeEmpty = false;
    bool mProbeWhole = false;
    std::vector<NameChange> mChanges;
};

// 7-Zip's standard error of a listing that could not open an encrypted archive, without what
// only says so ("Break signaled" when no password could be read, the "Can not open encrypted
// archive" error): the listing's sign tells it. Every other line stays.
std::string withoutPasswordNoise(std::string_view err);

} // namespace quendle::adapter
